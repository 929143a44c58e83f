#pragma once
// The main window: three pages, each with its table and chart, the menu, the
// serial port and its polling timer, and every command of the program.
#include <QKeySequence>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "config/Config.h"
#include "config/ConfigFile.h"
#include "config/ExtraSettings.h"
#include "config/ViewDialogLogic.h"
#include "core/Clock.h"
#include "core/RecentErrors.h"
#include "core/qt/QtIntervalTimer.h"
#include "datafiles/DataFileCommands.h"
#include "device/PortHandling.h"
#include "reception/ReplyDecoder.h"
#include "shell/FormEnvironment.h"
#include "tables/MainModel.h"
#include "tables/Navigation.h"

class QAction;
class QPainter;
class QRectF;
class QLabel;
class QMenu;
class QProgressDialog;
class QTabWidget;
class QTableView;
class QToolButton;
class QVBoxLayout;

namespace vornik {

class ChartWidget;
class TableModel;
class TAboutBox;
class TFormOption;
class TFormSetGView;
class TFormSetTView;
class TFormSetPView;
class TViewDialog;
class PrintCommands;
class RecoveryJournal;
class PrintDialogs;
class Toolbar;
class IntervalStatistics;
class StatisticsPanel;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(FormEnvironment environment = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    MainModel& model() { return model_; }
    Navigation& navigation() { return nav_; }
    ChartWidget* chart(int page) const { return charts_.at(page); }
    Toolbar* toolbar() const { return toolbar_; }
    TConfig& config() { return config_; }
    ConfigStore& configStore() { return *configStore_; }
    PortHandling& port() { return port_; }
    QtIntervalTimer& pollTimer() { return pollTimer_; }
    DataFileCommands& fileCommands() { return *fileCommands_; }
    QTableView* grid(int page) const { return grids_.at(page); }
    TableModel* tableModel(int page) const { return tableModels_.at(page).get(); }
    TAboutBox* aboutBox() const { return about_; }
    TFormOption* optionDialog() const { return option_; }
    TFormSetGView* gasViewDialog() const { return gasView_; }
    TFormSetTView* tempViewDialog() const { return tempView_; }
    TFormSetPView* pressViewDialog() const { return pressView_; }
    ReplyDecoder& decoder() { return decoder_; }
    const RecentErrors& receptionErrors() const { return receptionErrors_; }
    Prompt& prompt() { return *prompt_; }
    RecoveryJournal* journal() { return journal_.get(); }
    PrintCommands& printCommands() { return *print_; }
    StatisticsPanel* statisticsPanel() const { return statisticsPanel_; }
    const ExtraSettings& extraSettings() const { return extra_; }
    // Table rows of the page's selected interval, when it spans rows.
    bool SelectedRows(int page, int& firstRow, int& lastRow) const;

    // The port's byte handler: every received byte goes to the decoder.
    void Recieve(void* Sender, uint8_t Value, bool LineError);

public slots:
    // Save (N8, BitBtn9), open (N9, BitBtn10), exit (N4).
    void SaveCharDialog();
    void N9Click();
    void N4Click();
    // About box (N2), options (N6), view parameters of the three charts
    // (N7, N18, N19).
    void N2Click();
    void N6Click();
    void N7Click();
    void N18Click();
    void N19Click();
    // Printing: chart (N13), protocol (N14), chart then protocol (BitBtn8),
    // printer set-up (N16), protocol font (N17).
    void N13Click();
    void N14Click();
    void BitBtn8Click();
    void N16Click();
    void N17Click();
    // Opens the list of recent reception errors.
    void ShowReceptionErrors();
    // The measurement report: the statistics panel shown or hidden, the
    // selected cells to the clipboard, the selected rows to a data file.
    void ToggleStatistics(bool shown);
    // "Не переключать страницы": rows of other kinds no longer bring their
    // page to the front; the tab of a page with new rows is marked instead.
    void ToggleKeepPage(bool keep);
    void CopySelection();
    void SaveSelectionDialog();
    // "Протокол с итогами": the protocol of the interval, then its statistics.
    void PrintProtocolWithTotals();

    // Toolbar commands (display modes, navigation, delete).
    void BitBtnTabClick() { nav_.ShowTables(); }
    void BitBtnGraphClick() { nav_.ShowCharts(); }
    void BitBtnGraphTabClick() { nav_.ShowTablesAndCharts(); }
    void BitBtn3Click() { nav_.ShowAllData(); }
    void BitBtn4Click() { nav_.ShowLast50(); }
    void BitBtn1Click() { nav_.ZoomIn(); }
    void BitBtn2Click() { nav_.ZoomOut(); }
    void SpeedButton1Click() { nav_.ShiftLeft(); }
    void SpeedButton2Click() { nav_.ShiftUp(); }
    void SpeedButton3Click() { nav_.ShiftDown(); }
    void SpeedButton4Click() { nav_.ShiftRight(); }
    // Delete all data of the active page, once rows no file holds are saved
    // or given up.
    void BitBtn5Click() {
        if (fileCommands_->MayDiscard(model_.ActivePage())) nav_.DeleteAllData();
    }
    // Open (as N9) and save (as N8) data files.
    void BitBtn10Click() { N9Click(); }
    void BitBtn9Click() { SaveCharDialog(); }
    // The user leaves the active page / has selected `page`.
    void PageControl1Changing() { nav_.LeavePage(); }
    void PageControl1Change(int page) { nav_.EnterPage(page); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The close guard: whether the window may close.
    bool FormCloseQuery(const WindowPlacement& placement);

private:
    // Creation in its fixed order: tables, settings, geometry, port, charts,
    // the data file of the command line.
    void FormCreate();
    void ApplyStoredGeometry();
    // Re-centres the window once its frame is known, so the frame fits too;
    // looks again a few times while the window system has not framed it.
    void KeepFrameOnScreen(int attemptsLeft);
    // The recovery journal: taken and recording before the port is polled;
    // rows an abnormal end left behind are offered back once the window's
    // tables are filled.
    void TakeJournal();
    void OfferJournalRows();
    void ShowJournalState();
    // The first activation: the About box as a start-up splash.
    void FormActivate();
    // Releases the port.
    void FormDestroy();

    // The other windows, created once after the main window, in order.
    void CreateDialogs();
    // Applies the view blocks of the record to the three charts.
    void ChartsInit();
    ViewCommand ViewSteps();
    // Runs a command; an error it raises goes to the general error box and
    // the program goes on.
    void RunCommand(const std::function<void()>& command);
    void CreatePrinting();
    void FocusChartToPrint();
    // Paints the page's chart, as displayed, into a rectangle (printing).
    void PaintChart(QPainter& painter, const QRectF& rect, int page);

    void BuildPages();
    void BuildToolbar();
    QTableView* MakeGrid(int page);
    // The table's current row follows the row last appended, once per poll.
    void FollowCurrentRowSoon(int page);
    void FollowCurrentRow(int page);
    void BuildMenu();
    QAction* AddMenuItem(QMenu* menu, const char* name, const char* text, const QKeySequence& shortcut = {});
    // Width rule of the tables for the current client width.
    void FormResize();
    void ApplyColumnWidths(int page);
    // Mirrors the core state (enabled commands, active page) in the widgets.
    void MirrorState();
    // Reception: errors go to the status bar and the error list, never to a
    // box per reply.
    void BuildStatusBar();
    void ReportReceptionError(const std::string& text);
    void PortStateChanged(PortState state);
    void ShowPortState();
    // Progress of long file operations; reception waits meanwhile (the bytes
    // wait in the device's queue).
    void FileOperationBusy(bool busy, bool large);
    bool FileOperationProgress(double fraction);

    // The measurement report (MainWindowReport.cpp): the statistics panel,
    // its settings file, copying and saving the selected rows.
    void BuildReport();
    void BuildReportCommands();
    // A new command at the end of the named menu (or before `before`).
    QAction* AddReportAction(const char* menuName, const char* name, const char* text, QAction* before = nullptr);
    void ReadExtraSettingsFile();
    // Runs a view dialog with its "Ось X: время" box set from the additions'
    // settings; on "Применить" the box's state is stored and applied.
    void RunWithTimeAxisOption(TViewDialog& dialog, const std::function<void()>& run);
    void ApplyTimeAxes();
    // Selects rows firstRow..lastRow of the page's table (an interval dragged on its chart).
    void SelectTableRows(int page, int firstRow, int lastRow);
    // The line above a printed chart, when asked for; returns what is left for the chart.
    QRectF PaintChartHeader(QPainter& painter, const QRectF& rect, int page) const;
    void SaveExtraSettingsFile();
    // The report's interval of a page: the selected rows, or every row.
    void ReportInterval(int page, int& firstRow, int& lastRow) const;
    void ScheduleReportUpdate();
    void UpdateStatistics();
    // A new row while the user's selection spans rows: the selection stays,
    // and grows by the new rows when it ended at the row last followed to.
    // False when the selection is one cell (the new row then becomes it).
    bool KeepRangeSelection(QTableView* view, int newViewRow, int lastFollowedRow);
    void WatchGridForReport(int page);
    QToolButton* AddReportButton(const char* name, QAction* action, int slot);
    void MarkTab(int page);
    // The active page's file (or "не сохранено") and row count.
    void ShowPageStatus();

    FormEnvironment env_;
    std::unique_ptr<Prompt> ownPrompt_;
    std::unique_ptr<FileDialogs> ownFileDialogs_;
    SystemClock systemClock_;
    Prompt* prompt_;
    FileDialogs* fileDialogs_;
    const Clock* clock_;

    MainModel model_;
    Navigation nav_{model_};
    Toolbar* toolbar_ = nullptr;
    TConfig config_;
    std::unique_ptr<ConfigStore> configStore_;
    RecentErrors receptionErrors_;
    ReplyDecoder decoder_;
    QtIntervalTimer pollTimer_;
    PortHandling port_;
    // The file dialogs, noting which file each page's rows belong to.
    std::unique_ptr<DataFileCommands> fileCommands_;
    // Every received row, until it is saved, cleared or the program ends.
    std::unique_ptr<RecoveryJournal> journal_;

    QTabWidget* pageControl_ = nullptr;
    std::array<QTableView*, kPageCount> grids_{};
    std::array<ChartWidget*, kPageCount> charts_{};
    std::array<QVBoxLayout*, kPageCount> pageLayouts_{};
    std::array<std::unique_ptr<TableModel>, kPageCount> tableModels_;
    std::array<bool, kPageCount> followPending_{};
    // The view row the current row last followed to: a selected interval
    // ending there reached the last row and follows new ones.
    std::array<int, kPageCount> lastFollowedRow_{-1, -1, -1};
    QAction* saveAction_ = nullptr;
    QLabel* receptionStatus_ = nullptr;
    QLabel* portStatus_ = nullptr;
    QLabel* journalStatus_ = nullptr;
    QProgressDialog* progress_ = nullptr;
    bool pollingBeforeBusy_ = false;
    bool activated_ = false;
    QRect placed_;
    std::unique_ptr<PrintDialogs> ownPrintDialogs_;
    std::unique_ptr<PrintCommands> print_;
    TAboutBox* about_ = nullptr;
    TFormOption* option_ = nullptr;
    TFormSetGView* gasView_ = nullptr;
    TFormSetTView* tempView_ = nullptr;
    TFormSetPView* pressView_ = nullptr;
    ExtraSettings extra_;
    std::string extraFileName_;
    StatisticsPanel* statisticsPanel_ = nullptr;
    QAction* statisticsAction_ = nullptr;
    std::array<std::unique_ptr<IntervalStatistics>, kPageCount> statistics_;
    bool statisticsPending_ = false;
    QAction* keepPageAction_ = nullptr;
    QLabel* pageStatus_ = nullptr;
    std::array<QString, kPageCount> tabCaptions_;
    std::array<int, kPageCount> unseenRows_{};
};

}  // namespace vornik
