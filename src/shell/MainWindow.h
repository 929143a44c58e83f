#pragma once
// The main window: three pages, each with its table and chart, the menu, the
// serial port and its polling timer, and every command of the program.
#include <QMainWindow>
#include <array>
#include <memory>

#include "config/Config.h"
#include "config/ConfigFile.h"
#include "core/Clock.h"
#include "core/RecentErrors.h"
#include "datafiles/DataFileCommands.h"
#include "device/PortHandling.h"
#include "device/qt/QtPollTimer.h"
#include "reception/ReplyDecoder.h"
#include "shell/FormEnvironment.h"
#include "tables/MainModel.h"

class QAction;
class QLabel;
class QMenu;
class QProgressDialog;
class QTabWidget;
class QTableView;

namespace vornik {

class TableModel;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(FormEnvironment environment = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    MainModel& model() { return model_; }
    TConfig& config() { return config_; }
    ConfigStore& configStore() { return *configStore_; }
    PortHandling& port() { return port_; }
    QtPollTimer& pollTimer() { return pollTimer_; }
    DataFileCommands& fileCommands() { return *fileCommands_; }
    QTableView* grid(int page) const { return grids_.at(page); }
    TableModel* tableModel(int page) const { return tableModels_.at(page).get(); }
    ReplyDecoder& decoder() { return decoder_; }
    const RecentErrors& receptionErrors() const { return receptionErrors_; }
    Prompt& prompt() { return *prompt_; }

    // The port's byte handler: every received byte goes to the decoder.
    void Recieve(void* Sender, uint8_t Value, bool LineError);

public slots:
    // Save (N8, BitBtn9), open (N9, BitBtn10), exit (N4).
    void SaveCharDialog();
    void N9Click();
    void N4Click();
    // Opens the list of recent reception errors.
    void ShowReceptionErrors();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Creation in its fixed order: tables, settings, geometry, port, charts,
    // the data file of the command line.
    void FormCreate();
    void ApplyStoredGeometry();
    // The first activation: the About box as a start-up splash.
    void FormActivate();
    // Releases the port.
    void FormDestroy();

    void BuildPages();
    QTableView* MakeGrid(int page);
    void BuildMenu();
    QAction* AddMenuItem(QMenu* menu, const char* name, const char* text);
    // Width rule of the tables for the current client width.
    void FormResize();
    void ApplyColumnWidths(int page);
    // Mirrors the core state (enabled commands, active page) in the widgets.
    void MirrorState();
    // Reception: errors go to the status bar and the error list, never to a
    // box per reply.
    void BuildStatusBar();
    void ReportReceptionError(const std::string& text);
    void ShowPortState();
    // Progress of long file operations; reception waits meanwhile (the bytes
    // wait in the device's queue).
    void FileOperationBusy(bool busy);
    bool FileOperationProgress(double fraction);

    FormEnvironment env_;
    std::unique_ptr<Prompt> ownPrompt_;
    std::unique_ptr<FileDialogs> ownFileDialogs_;
    SystemClock systemClock_;
    Prompt* prompt_;
    FileDialogs* fileDialogs_;
    const Clock* clock_;

    MainModel model_;
    TConfig config_;
    std::unique_ptr<ConfigStore> configStore_;
    RecentErrors receptionErrors_;
    ReplyDecoder decoder_;
    QtPollTimer pollTimer_;
    PortHandling port_;
    std::unique_ptr<DataFileCommands> fileCommands_;

    QTabWidget* pageControl_ = nullptr;
    std::array<QTableView*, kPageCount> grids_{};
    std::array<std::unique_ptr<TableModel>, kPageCount> tableModels_;
    QAction* saveAction_ = nullptr;
    QLabel* receptionStatus_ = nullptr;
    QLabel* portStatus_ = nullptr;
    QProgressDialog* progress_ = nullptr;
    bool pollingBeforeBusy_ = false;
    bool activated_ = false;
};

}  // namespace vornik
