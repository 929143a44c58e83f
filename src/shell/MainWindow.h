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

class QLabel;
class QTabWidget;
class QTableView;

namespace vornik {

class TableModel;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    MainModel& model() { return model_; }
    QTableView* grid(int page) const { return grids_.at(page); }
    TableModel* tableModel(int page) const { return tableModels_.at(page).get(); }
    ReplyDecoder& decoder() { return decoder_; }
    const RecentErrors& receptionErrors() const { return receptionErrors_; }

    // The port's byte handler: every received byte goes to the decoder.
    void Recieve(void* Sender, uint8_t Value, bool LineError);

public slots:
    // Opens the list of recent reception errors.
    void ShowReceptionErrors();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildPages();
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
    QtPrompt prompt_;
    QTabWidget* pageControl_ = nullptr;
    std::array<QTableView*, kPageCount> grids_{};
    std::array<std::unique_ptr<TableModel>, kPageCount> tableModels_;
    SystemClock clock_;
    RecentErrors receptionErrors_;
    ReplyDecoder decoder_;
    QLabel* receptionStatus_ = nullptr;
};

}  // namespace vornik
