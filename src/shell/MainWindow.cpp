#include "shell/MainWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QProgressDialog>
#include <QTimer>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include "core/Paths.h"
#include "datafiles/RecoveryJournal.h"
#include "ports/PortDrivers.h"
#include "printing/qt/PrintCommands.h"
#include "shell/About.h"
#include "shell/ChartReadout.h"
#include "shell/ChartWidget.h"
#include "shell/QtFileDialogs.h"
#include "shell/QtPrompt.h"
#include "shell/StatisticsPanel.h"
#include "shell/TableCells.h"
#include "shell/TableModel.h"
#include "core/qt/Text.h"
#include "shell/Toolbar.h"
#include "shell/WindowCentring.h"
#include "tables/ChartDefs.h"
#include "tables/IntervalStatistics.h"

namespace vornik {
namespace {

const char* const kSheetNames[kPageCount] = {"TabSheet1", "TabSheet2", "TabSheet3"};
const char* const kPageCaptions[kPageCount] = {"Газоанализатор", "Температура", "Давление, скорость, расход"};
const char* const kGridNames[kPageCount] = {"StringGridGaz", "StringGridTemp", "StringGridPrd"};
const int kDefaultColumnWidths[kPageCount] = {50, 60, 60};
constexpr int kGridHeight = 70;
constexpr int kRowHeight = 18;

}  // namespace

TForm1::TForm1(FormEnvironment environment, QWidget* parent)
    : QMainWindow(parent),
      env_(std::move(environment)),
      ownPrompt_(env_.prompt ? nullptr : std::make_unique<QtPrompt>(this)),
      ownFileDialogs_(env_.fileDialogs ? nullptr : std::make_unique<QtFileDialogs>(this)),
      prompt_(env_.prompt ? env_.prompt : ownPrompt_.get()),
      fileDialogs_(env_.fileDialogs ? env_.fileDialogs : ownFileDialogs_.get()),
      clock_(env_.clock ? env_.clock : &systemClock_),
      decoder_(model_, *prompt_, [this](const std::string& text) { ReportReceptionError(text); }),
      port_(*prompt_, pollTimer_,
            env_.makeDriver ? env_.makeDriver : PortHandling::DriverFactory(MakeCommDriver),
            [this](uint8_t value, bool lineError) { Recieve(this, value, lineError); }) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("VORNIK PC"));
    resize(800, 600);
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);
    BuildToolbar();
    column->addWidget(toolbar_);
    BuildPages();
    column->addWidget(pageControl_, 1);
    BuildMenu();
    BuildStatusBar();
    fileCommands_ = std::make_unique<DataFileCommands>(model_, *prompt_, *fileDialogs_, *clock_, env_.programPath,
                                                       HomeFolder());
    fileCommands_->SetBusyHandler([this](bool busy, bool large) { FileOperationBusy(busy, large); });
    fileCommands_->SetLoadedHandler([this](int page) { nav_.ShowTable(page); });
    fileCommands_->SetProgress([this](double fraction) { return FileOperationProgress(fraction); });
    port_.OnStateChange = [this](PortState state) { PortStateChanged(state); };
    model_.SetStateListener([this] { MirrorState(); });
    nav_.SetStateListener([this] { MirrorState(); });
    CreatePrinting();
    FormCreate();
    CreateDialogs();
    BuildReport();
    MirrorState();
}

TForm1::~TForm1() {
    FormDestroy();
    // Children hidden or emptied while the window goes (the statistics
    // panel's visibility, the pages) must not call back into it.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
    model_.SetStateListener(nullptr);
    nav_.SetStateListener(nullptr);
    // The chart widgets hold on to the models: they go before the models do.
    for (auto*& chart : charts_) {
        delete chart;
        chart = nullptr;
    }
}

void TForm1::BuildToolbar() {
    toolbar_ = new Toolbar(this);
    const std::pair<const char*, void (TForm1::*)()> commands[] = {
        {"BitBtn10", &TForm1::BitBtn10Click},
        {"BitBtn9", &TForm1::BitBtn9Click},
        {"BitBtn8", &TForm1::BitBtn8Click},
        {"BitBtnTab", &TForm1::BitBtnTabClick},
        {"BitBtnGraph", &TForm1::BitBtnGraphClick},
        {"BitBtnGraphTab", &TForm1::BitBtnGraphTabClick},
        {"BitBtn3", &TForm1::BitBtn3Click},
        {"BitBtn4", &TForm1::BitBtn4Click},
        {"BitBtn2", &TForm1::BitBtn2Click},
        {"BitBtn1", &TForm1::BitBtn1Click},
        {"SpeedButton1", &TForm1::SpeedButton1Click},
        {"SpeedButton3", &TForm1::SpeedButton3Click},
        {"SpeedButton2", &TForm1::SpeedButton2Click},
        {"SpeedButton4", &TForm1::SpeedButton4Click},
        {"BitBtn5", &TForm1::BitBtn5Click},
    };
    for (const auto& [name, handler] : commands)
        connect(toolbar_->Button(QString::fromLatin1(name)), &QToolButton::clicked, this, handler);
}

void TForm1::FormCreate() {
    try {
        FormResize();
        const bool ownFile = env_.configFileName.empty();
        configStore_ = std::make_unique<ConfigStore>(ownFile ? ConfigFileName(env_.programPath) : env_.configFileName,
                                                     *prompt_,
                                                     ownFile ? ConfigFileBesideProgram(env_.programPath) : "");
        configStore_->ReadAtStartup(config_);
        // Numbers are formatted and read with a comma by our own routines;
        // the process locale is never touched.
        ApplyStoredGeometry();
        // Before the port: every row received from now on is recorded, also
        // while the restore question below is open.
        TakeJournal();
        port_.CreatePort(env_.portOverride.empty() ? config_.PortName() : ToCp1251(FromUtf8(env_.portOverride)));
        ShowPortState();
        ChartsInit();
        if (!env_.fileArgument.empty()) fileCommands_->Open(env_.fileArgument);
        // After the command-line file: loading a page would discard what
        // the journal puts back into it.
        OfferJournalRows();
    } catch (const std::exception& e) {
        prompt_->ShowGeneralError(e.what());
    }
    if (!configStore_) configStore_ = std::make_unique<ConfigStore>(ConfigFileName(env_.programPath), *prompt_);
}

void TForm1::ApplyStoredGeometry() {
    // The stored size, centred: the stored position is not used. A stored
    // size larger than this screen shrinks to fit it.
    const bool maximized = config_.WindowMaximized();
    const QSize stored = maximized ? size() : QSize(config_.WindowWidth(), config_.WindowHeight());
    setWindowState(Qt::WindowNoState);
    placed_ = CentredGeometry(stored, {}, screen()->availableGeometry());
    setGeometry(placed_);
    if (maximized) setWindowState(Qt::WindowMaximized);
}

void TForm1::KeepFrameOnScreen(int attemptsLeft) {
    // Not when it was moved or resized meanwhile.
    if (windowState() != Qt::WindowNoState || geometry() != placed_) return;
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                           frame.bottom() - client.bottom());
    if (margins.isNull()) {
        // A window manager frames the window a moment after it is shown.
        if (attemptsLeft > 0) QTimer::singleShot(20, this, [this, attemptsLeft] { KeepFrameOnScreen(attemptsLeft - 1); });
        return;
    }
    placed_ = CentredGeometry(size(), margins, screen()->availableGeometry());
    setGeometry(placed_);
}

void TForm1::TakeJournal() {
    int copy = 1;
    journal_ = vornik::TakeJournal(configStore_->FileName(), copy);
    journal_->Attach(decoder_, model_);
    journal_->SetStatusListener([this] { ShowJournalState(); });
    ShowJournalState();
    if (copy > 1) prompt_->ShowError(kSecondCopyText);
}

void TForm1::OfferJournalRows() {
    JournalProgress progress;
    progress.busy = [this](bool busy, bool large) { FileOperationBusy(busy, large); };
    progress.progress = [this](double fraction) { return FileOperationProgress(fraction); };
    journal_->OfferRestore(model_, *prompt_, progress);
}

void TForm1::FormDestroy() {
    port_.DestoryPort();
    // A normal end: nothing is left to recover.
    if (journal_) journal_->CloseCleanly();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (activated_) return;
    activated_ = true;
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TForm1::FormActivate() {
    KeepFrameOnScreen(25);
    if (env_.showSplash) about_->ShowModal();
}

void TForm1::closeEvent(QCloseEvent* event) {
    WindowPlacement placement;
    placement.normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    placement.width = width();
    placement.height = height();
    placement.top = y();
    placement.left = x();
    const bool close = FormCloseQuery(placement);
    if (close)
        event->accept();
    else
        event->ignore();
}

bool TForm1::FormCloseQuery(const WindowPlacement& placement) {
    return fileCommands_->MayClose(placement, config_, *configStore_);
}

void TForm1::N4Click() { close(); }

void TForm1::SaveCharDialog() {
    fileCommands_->SaveCharDialog();
}

void TForm1::N9Click() {
    fileCommands_->Open();
}

void TForm1::FileOperationBusy(bool busy, bool large) {
    if (busy) {
        pollingBeforeBusy_ = pollTimer_.Enabled();
        pollTimer_.SetEnabled(false);
        if (!large) return;
        progress_ = new QProgressDialog(QString::fromUtf8("Обработка файла данных..."), QString::fromUtf8("Отмена"),
                                        0, 1000, this);
        progress_->setObjectName(QStringLiteral("FileProgress"));
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setMinimumDuration(0);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        return;
    }
    delete progress_;
    progress_ = nullptr;
    if (pollingBeforeBusy_) pollTimer_.SetEnabled(true);
}

bool TForm1::FileOperationProgress(double fraction) {
    if (!progress_) return true;
    progress_->setValue(static_cast<int>(fraction * 1000));
    QCoreApplication::processEvents();
    return !progress_->wasCanceled();
}

void TForm1::BuildPages() {
    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    for (int page = 0; page < kPageCount; ++page) {
        auto* sheet = new QWidget(pageControl_);
        sheet->setObjectName(QString::fromLatin1(kSheetNames[page]));
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        // The chart fills the page above the table.
        charts_[page] = new ChartWidget(model_.Chart(page), sheet);
        charts_[page]->setObjectName(QString::fromLatin1(ChartName(page)));
        connect(charts_[page], &ChartWidget::doubleClicked, this, &TForm1::BitBtn3Click);
        charts_[page]->SetReadout([this, page](size_t point) { return ChartReadoutText(model_, page, point); });
        layout->addWidget(charts_[page], 1);
        grids_[page] = MakeGrid(page);
        layout->addWidget(grids_[page]);
        pageLayouts_[page] = layout;
        pageControl_->addTab(sheet, QString::fromUtf8(kPageCaptions[page]));
    }
    // A page selected by the user (the system's own page changes set the
    // model first, so they arrive here with the page already active).
    connect(pageControl_, &QTabWidget::currentChanged, this, [this](int page) {
        if (page < 0 || page == model_.ActivePage()) return;
        PageControl1Changing();
        PageControl1Change(page);
    });
}

QTableView* TForm1::MakeGrid(int page) {
    auto* view = new QTableView(this);
    view->setObjectName(QString::fromLatin1(kGridNames[page]));
    tableModels_[page] = std::make_unique<TableModel>(model_.Table(page));
    view->setModel(tableModels_[page].get());
    view->setFixedHeight(kGridHeight);
    view->setFrameShape(QFrame::NoFrame);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    view->setFocusPolicy(Qt::ClickFocus);
    view->setShowGrid(true);
    view->setWordWrap(false);
    view->setToolTip(QString::fromUtf8("Таблица полученных данных от KARVEL"));
    view->setBackgroundRole(QPalette::Button);
    view->viewport()->setBackgroundRole(QPalette::Button);
    const QFont font = TableFont();
    tableModels_[page]->SetRecordFont(font);
    view->setFont(font);
    view->horizontalHeader()->setFont(font);
    view->setItemDelegate(new TableCellDelegate(view));
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(kRowHeight);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidths[page]);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setFixedHeight(kRowHeight);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // The gas table scrolls while the thumb is dragged, the others when it is released.
    view->verticalScrollBar()->setTracking(page == PageGas);
    view->horizontalScrollBar()->setTracking(page == PageGas);
    // The row last appended is the current row, scrolled into view; also
    // row 1 of an empty table, which a reply fills without adding a row.
    connect(tableModels_[page].get(), &QAbstractItemModel::rowsInserted, view, [this, page] { FollowCurrentRowSoon(page); });
    connect(tableModels_[page].get(), &QAbstractItemModel::dataChanged, view, [this, page] { FollowCurrentRowSoon(page); });
    connect(tableModels_[page].get(), &TableModel::headerChanged, view, [view, this, page] {
        view->horizontalHeader()->setVisible(tableModels_[page]->HasFixedRow());
        ApplyColumnWidths(page);
    });
    connect(tableModels_[page].get(), &TableModel::recordWidthChanged, view, [this, page] { ApplyColumnWidths(page); });
    return view;
}

void TForm1::FollowCurrentRowSoon(int page) {
    // Once for all the rows of a poll, not once per row: moving the current
    // index costs time that grows with the rows above it, and scrolling asks
    // the window system where the mouse is.
    if (followPending_[page]) return;
    followPending_[page] = true;
    QTimer::singleShot(0, grids_[page], [this, page] {
        followPending_[page] = false;
        FollowCurrentRow(page);
    });
}

void TForm1::FollowCurrentRow(int page) {
    QTableView* view = grids_[page];
    TableModel* model = tableModels_[page].get();
    const int row = model->ViewRow(model_.Table(page).CurrentRow());
    if (row < 0 || row >= model->rowCount() || view->currentIndex().row() == row) return;
    const int lastFollowed = std::exchange(lastFollowedRow_[page], row);
    if (KeepRangeSelection(view, row, lastFollowed)) return;
    const int column = std::max(view->currentIndex().column(), 0);
    view->setCurrentIndex(model->index(row, column));
    view->scrollTo(view->currentIndex());
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::FormResize() {
    model_.GridsLayout(width());
    for (int page = 0; page < kPageCount; ++page) ApplyColumnWidths(page);
}

void TForm1::ApplyColumnWidths(int page) {
    const auto& table = model_.Table(page);
    for (int c = 0; c < table.ColumnCount(); ++c) grids_[page]->setColumnWidth(c, table.ColumnWidth(c));
    // A record number is never shown cut, which would make it read as
    // another number: the first column is widened to the widest one.
    const int recordWidth = tableModels_[page]->RecordTextWidth() + kCellTextMargin + 1;
    if (recordWidth > table.ColumnWidth(0)) grids_[page]->setColumnWidth(0, recordWidth);
}

void TForm1::MirrorState() {
    if (!toolbar_ || !pageControl_) return;
    if (saveAction_) saveAction_->setEnabled(model_.SaveCommandEnabled());
    if (pageControl_->currentIndex() != model_.ActivePage()) pageControl_->setCurrentIndex(model_.ActivePage());
    const std::pair<const char*, bool> states[] = {
        {"BitBtn9", model_.SaveCommandEnabled()},
        {"BitBtnTab", nav_.TabEnabled()},
        {"BitBtnGraph", nav_.GraphEnabled()},
        {"BitBtnGraphTab", nav_.GraphTabEnabled()},
        {"BitBtn3", model_.AllDataButtonEnabled()},
        {"BitBtn4", model_.Last50ButtonEnabled()},
        {"BitBtn1", nav_.ZoomEnabled()},
        {"BitBtn2", nav_.ZoomEnabled()},
        {"SpeedButton1", nav_.ShiftEnabled()},
        {"SpeedButton2", nav_.ShiftEnabled()},
        {"SpeedButton3", nav_.ShiftEnabled()},
        {"SpeedButton4", nav_.ShiftEnabled()},
    };
    for (const auto& [name, enabled] : states) toolbar_->Button(QString::fromLatin1(name))->setEnabled(enabled);
    for (int page = 0; page < kPageCount; ++page) {
        if (!charts_[page] || !grids_[page] || !pageLayouts_[page]) continue;
        charts_[page]->setVisible(nav_.ChartShown(page));
        QTableView* grid = grids_[page];
        if (nav_.TableDocked(page)) {
            grid->setFixedHeight(kGridHeight);
        } else {
            grid->setMinimumHeight(0);
            grid->setMaximumHeight(QWIDGETSIZE_MAX);
        }
        // Setting a stretch relays the page out: only when it changes (this
        // runs for every received row).
        const int stretch = nav_.TableDocked(page) ? 0 : 1;
        QVBoxLayout* layout = pageLayouts_[page];
        const int index = layout->indexOf(grid);
        if (index >= 0 && layout->stretch(index) != stretch) layout->setStretch(index, stretch);
        grid->setVisible(nav_.TableShown(page));
    }
}

}  // namespace vornik
