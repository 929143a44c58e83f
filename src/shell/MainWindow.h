#pragma once
// The main window: three pages, each with its table and chart.
#include <QMainWindow>
#include <array>
#include <memory>

#include "core/Clock.h"
#include "core/RecentErrors.h"
#include "reception/ReplyDecoder.h"
#include "shell/QtPrompt.h"
#include "tables/MainModel.h"
#include "tables/Navigation.h"

class QLabel;
class QTabWidget;
class QTableView;
class QVBoxLayout;

namespace vornik {

class ChartWidget;
class TableModel;
class Toolbar;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    MainModel& model() { return model_; }
    Navigation& navigation() { return nav_; }
    ChartWidget* chart(int page) const { return charts_.at(page); }
    Toolbar* toolbar() const { return toolbar_; }
    QTableView* grid(int page) const { return grids_.at(page); }
    TableModel* tableModel(int page) const { return tableModels_.at(page).get(); }
    ReplyDecoder& decoder() { return decoder_; }
    const RecentErrors& receptionErrors() const { return receptionErrors_; }

    // The port's byte handler: every received byte goes to the decoder.
    void Recieve(void* Sender, uint8_t Value, bool LineError);

public slots:
    // Opens the list of recent reception errors.
    void ShowReceptionErrors();

    // Toolbar commands (display modes, navigation, delete).
    void BitBtnTabClick() { nav_.BitBtnTabClick(); }
    void BitBtnGraphClick() { nav_.BitBtnGraphClick(); }
    void BitBtnGraphTabClick() { nav_.BitBtnGraphTabClick(); }
    void BitBtn3Click() { nav_.BitBtn3Click(); }
    void BitBtn4Click() { nav_.BitBtn4Click(); }
    void BitBtn1Click() { nav_.BitBtn1Click(); }
    void BitBtn2Click() { nav_.BitBtn2Click(); }
    void SpeedButton1Click() { nav_.SpeedButton1Click(); }
    void SpeedButton2Click() { nav_.SpeedButton2Click(); }
    void SpeedButton3Click() { nav_.SpeedButton3Click(); }
    void SpeedButton4Click() { nav_.SpeedButton4Click(); }
    void BitBtn5Click() { nav_.BitBtn5Click(); }
    // Commands of other subsystems, not connected to their work yet.
    void BitBtn10Click() {}  // open a data file
    void BitBtn9Click() {}   // save data
    void BitBtn8Click() {}   // print the chart, then the protocol

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildPages();
    void BuildToolbar();
    QTableView* MakeGrid(int page);
    // Width rule of the tables for the current client width.
    void FormResize();
    void ApplyColumnWidths(int page);
    // Mirrors the core state (enabled commands, active page) in the widgets.
    void MirrorState();
    // Reception: errors go to the status bar and the error list, never to a
    // box per reply.
    void BuildStatusBar();
    void ReportReceptionError(const std::string& text);

    MainModel model_;
    Navigation nav_{model_};
    QtPrompt prompt_;
    Toolbar* toolbar_ = nullptr;
    QTabWidget* pageControl_ = nullptr;
    std::array<QTableView*, kPageCount> grids_{};
    std::array<ChartWidget*, kPageCount> charts_{};
    std::array<QVBoxLayout*, kPageCount> pageLayouts_{};
    std::array<std::unique_ptr<TableModel>, kPageCount> tableModels_;
    SystemClock clock_;
    RecentErrors receptionErrors_;
    ReplyDecoder decoder_;
    QLabel* receptionStatus_ = nullptr;
};

}  // namespace vornik
