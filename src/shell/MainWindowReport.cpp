// The main window's measurement report: the statistics panel over the
// selected rows, its settings file, copying and saving the selected rows.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPainter>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <climits>

#include "core/Paths.h"
#include "core/qt/Text.h"
#include "datafiles/DataFile.h"
#include "printing/ChartHeader.h"
#include "printing/qt/PrintCommands.h"
#include "shell/ChartWidget.h"
#include "shell/MainWindow.h"
#include "shell/StatisticsPanel.h"
#include "shell/ViewDialog.h"
#include "shell/TableModel.h"
#include "shell/Toolbar.h"
#include "tables/CopyText.h"
#include "tables/IntervalStatistics.h"

namespace vornik {
namespace {

// Rows and columns a selection covers (one rectangle: the tables select
// contiguous ranges).
struct SelectedRect {
    int top = INT_MAX, bottom = -1, left = INT_MAX, right = -1;
    bool Empty() const { return bottom < top; }
};

SelectedRect RectOf(const QItemSelection& selection) {
    SelectedRect rect;
    for (const QItemSelectionRange& range : selection) {
        rect.top = std::min(rect.top, range.top());
        rect.bottom = std::max(rect.bottom, range.bottom());
        rect.left = std::min(rect.left, range.left());
        rect.right = std::max(rect.right, range.right());
    }
    return rect;
}

}  // namespace

void TForm1::BuildReport() {
    for (int page = 0; page < kPageCount; ++page) {
        statistics_[page] = std::make_unique<IntervalStatistics>(model_.Table(page), &model_.LoadedStatistics(page));
        WatchGridForReport(page);
    }
    statisticsPanel_ = new StatisticsPanel(this);
    addDockWidget(Qt::BottomDockWidgetArea, statisticsPanel_);
    statisticsPanel_->hide();
    BuildReportCommands();
    for (int page = 0; page < kPageCount; ++page) tabCaptions_[page] = pageControl_->tabText(page);
    decoder_.AddRowListener([this](int page, int) {
        if (page == model_.ActivePage()) return;
        ++unseenRows_[page];
        MarkTab(page);
    });
    connect(pageControl_, &QTabWidget::currentChanged, this, [this](int page) {
        if (page < 0 || page >= kPageCount) return;
        unseenRows_[page] = 0;
        MarkTab(page);
        ScheduleReportUpdate();
    });
    // Closed with its own button: the same as the command.
    connect(statisticsPanel_, &QDockWidget::visibilityChanged, this,
            [this](bool) { statisticsAction_->setChecked(!statisticsPanel_->isHidden()); });

    pageStatus_ = new QLabel(statusBar());
    pageStatus_->setObjectName(QStringLiteral("PageStatus"));
    // Yields its room first: the journal's warning and the port's state must
    // show whole; the file's full name is in the tooltip.
    pageStatus_->setMinimumWidth(1);
    statusBar()->insertPermanentWidget(0, pageStatus_);
    model_.AddRowsSettledListener([this](int) { ScheduleReportUpdate(); });

    ReadExtraSettingsFile();
    ApplyTimeAxes();
    findChild<QAction*>(QStringLiteral("PrintChartHeaderAction"))->setChecked(extra_.printChartHeader);
    statisticsAction_->setChecked(extra_.statisticsShown);
    keepPageAction_->setChecked(extra_.keepPage);
    ScheduleReportUpdate();
}

QAction* TForm1::AddReportAction(const char* menuName, const char* name, const char* text, QAction* before) {
    auto* menu = menuBar()->findChild<QMenu*>(QString::fromLatin1(menuName));
    auto* action = new QAction(QString::fromUtf8(text), menu);
    action->setObjectName(QString::fromLatin1(name));
    menu->insertAction(before, action);
    return action;
}

void TForm1::BuildReportCommands() {
    menuBar()->findChild<QMenu*>(QStringLiteral("N5"))->addSeparator();
    statisticsAction_ = AddReportAction("N5", "StatisticsAction", "Статистика");
    statisticsAction_->setCheckable(true);
    statisticsAction_->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    statisticsAction_->setIconText(QString::fromUtf8("Σ"));
    statisticsAction_->setToolTip(QString::fromUtf8("Статистика выделенных строк"));
    connect(statisticsAction_, &QAction::toggled, this, &TForm1::ToggleStatistics);
    keepPageAction_ = AddReportAction("N5", "KeepPageAction", "Не переключать страницы");
    keepPageAction_->setCheckable(true);
    keepPageAction_->setIconText(QString::fromUtf8("⚓"));
    keepPageAction_->setToolTip(QString::fromUtf8("Не переключать страницы при приёме данных"));
    connect(keepPageAction_, &QAction::toggled, this, &TForm1::ToggleKeepPage);
    AddReportButton("StatisticsButton", statisticsAction_, 0);
    AddReportButton("KeepPageButton", keepPageAction_, 1);

    QAction* printMenu = menuBar()->findChild<QMenu*>(QStringLiteral("N12"))->menuAction();
    connect(AddReportAction("N1", "SaveSelectionAction", "Сохранить выделенное…", printMenu), &QAction::triggered,
            this, &TForm1::SaveSelectionDialog);
    connect(AddReportAction("N12", "ProtocolWithTotalsAction", "Протокол с итогами"), &QAction::triggered, this,
            &TForm1::PrintProtocolWithTotals);
    QAction* header = AddReportAction("N15", "PrintChartHeaderAction", "Заголовок графика при печати");
    header->setCheckable(true);
    connect(header, &QAction::toggled, this, [this](bool on) {
        if (extra_.printChartHeader == on) return;
        extra_.printChartHeader = on;
        SaveExtraSettingsFile();
    });
}

QRectF TForm1::PaintChartHeader(QPainter& painter, const QRectF& rect, int page) const {
    if (!extra_.printChartHeader) return rect;
    const QString text = FromUtf8(ChartHeaderText(model_.Table(page), fileCommands_->PageFile(page)));
    QFont font = painter.font();
    font.setPixelSize(std::max(8, static_cast<int>(rect.height() / 45)));
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const double line = QFontMetricsF(font).height();
    painter.drawText(QRectF(rect.left() + line, rect.top() + line / 2, rect.width() - 2 * line, line),
                     Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.restore();
    return rect.adjusted(0, 2 * line, 0, 0);
}

QToolButton* TForm1::AddReportButton(const char* name, QAction* action, int slot) {
    // Beside the toolbar's buttons, after a gap.
    auto* button = new QToolButton(toolbar_);
    button->setObjectName(QString::fromLatin1(name));
    button->setDefaultAction(action);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(static_cast<int>(ToolbarButtons().size() + slot) * Toolbar::kStep + 8, 1,
                        Toolbar::kButtonWidth, Toolbar::kButtonHeight);
    QFont font = button->font();
    font.setPixelSize(18);
    button->setFont(font);
    return button;
}

void TForm1::MarkTab(int page) {
    const int rows = unseenRows_[page];
    pageControl_->setTabText(page, rows > 0 ? tabCaptions_[page] + QStringLiteral(" (+%1)").arg(rows) : tabCaptions_[page]);
}

void TForm1::ToggleKeepPage(bool keep) {
    decoder_.SetKeepPage(keep);
    if (extra_.keepPage != keep) {
        extra_.keepPage = keep;
        SaveExtraSettingsFile();
    }
}

void TForm1::WatchGridForReport(int page) {
    QTableView* view = grids_[page];
    // A span dragged on the chart with Shift held selects its rows.
    connect(charts_[page], &ChartWidget::intervalSelected, this, [this, page](qulonglong first, qulonglong last) {
        SelectTableRows(page, static_cast<int>(first) + 1, static_cast<int>(last) + 1);
    });
    // Ranges of cells: Shift with the mouse or the arrows, Ctrl+A for all.
    view->setSelectionMode(QAbstractItemView::ContiguousSelection);
    // One copy command for the three tables, its key working in the table
    // that has the focus.
    auto* copy = findChild<QAction*>(QStringLiteral("CopyAction"), Qt::FindDirectChildrenOnly);
    if (!copy) {
        copy = new QAction(QString::fromUtf8("Копировать"), this);
        copy->setObjectName(QStringLiteral("CopyAction"));
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetShortcut);
        connect(copy, &QAction::triggered, this, &TForm1::CopySelection);
    }
    view->addAction(copy);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { ScheduleReportUpdate(); });
    const TableModel* model = tableModels_[page].get();
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] { ScheduleReportUpdate(); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { ScheduleReportUpdate(); });
    connect(model, &QAbstractItemModel::dataChanged, this, [this] { ScheduleReportUpdate(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { ScheduleReportUpdate(); });
}

void TForm1::ReadExtraSettingsFile() {
    extraFileName_ = ExtraSettingsFileName(configStore_->FileName());
    extra_ = ReadExtraSettings(extraFileName_);
}

void TForm1::ApplyTimeAxes() {
    for (int page = 0; page < kPageCount; ++page) model_.SetTimeAxis(page, extra_.timeAxis[page]);
}

void TForm1::RunWithTimeAxisOption(TViewDialog& dialog, const std::function<void()>& run) {
    const int page = dialog.Layout().page;
    dialog.TimeAxisBox()->setChecked(extra_.timeAxis[page]);
    run();
    if (dialog.result() != QDialog::Accepted || dialog.TimeAxisBox()->isChecked() == extra_.timeAxis[page]) return;
    extra_.timeAxis[page] = dialog.TimeAxisBox()->isChecked();
    SaveExtraSettingsFile();
    ApplyTimeAxes();
}

void TForm1::SaveExtraSettingsFile() {
    // A file that cannot be written costs only these settings at the next
    // start: no box for it.
    if (!extraFileName_.empty()) WriteExtraSettings(extraFileName_, extra_);
}

void TForm1::ToggleStatistics(bool shown) {
    statisticsPanel_->setVisible(shown);
    if (extra_.statisticsShown != shown) {
        extra_.statisticsShown = shown;
        SaveExtraSettingsFile();
    }
    ScheduleReportUpdate();
}

void TForm1::ScheduleReportUpdate() {
    // The page's status line and the statistics. Many changes in one pass of
    // the event loop (a load, a burst of rows) cost one update.
    if (statisticsPending_ || !statisticsAction_) return;
    statisticsPending_ = true;
    QTimer::singleShot(0, this, [this] {
        ShowPageStatus();
        UpdateStatistics();
    });
}

void TForm1::ShowPageStatus() {
    const int page = model_.ActivePage();
    const MeasurementTable& table = model_.Table(page);
    const int rows = table.IsEmpty() ? 0 : table.RowCount() - 1;
    const std::string& file = fileCommands_->PageFile(page);
    QString text = file.empty() || rows == 0 ? QString::fromUtf8("не сохранено") : FromUtf8(FileNameOf(file));
    // Rows received after the file was written or opened.
    if (!file.empty() && rows > 0 && model_.NewData(page)) text += QString::fromUtf8(" (есть несохранённые строки)");
    pageStatus_->setText(text + QString::fromUtf8(", строк: %1").arg(rows));
    pageStatus_->setToolTip(FromUtf8(file));
}

void TForm1::UpdateStatistics() {
    statisticsPending_ = false;
    if (!statisticsAction_->isChecked()) return;
    const int page = model_.ActivePage();
    int first = 0;
    int last = 0;
    const bool everything = !SelectedRows(page, first, last);
    ReportInterval(page, first, last);
    // Sums of a big table are first built a few milliseconds at a time, so
    // that the window stays responsive; the figures follow when they are.
    if (!statistics_[page]->Prepare()) {
        statisticsPending_ = true;
        QTimer::singleShot(0, this, [this] { UpdateStatistics(); });
        return;
    }
    statisticsPanel_->ShowSummary(statistics_[page]->Compute(first, last), page, everything);
}

void TForm1::SelectTableRows(int page, int firstRow, int lastRow) {
    QTableView* view = grids_[page];
    const TableModel* model = tableModels_[page].get();
    const QModelIndex top = view->model()->index(model->ViewRow(firstRow), 0);
    const QModelIndex bottom = view->model()->index(model->ViewRow(lastRow), view->model()->columnCount() - 1);
    if (!top.isValid() || !bottom.isValid()) return;
    view->selectionModel()->select(QItemSelection(top, bottom), QItemSelectionModel::ClearAndSelect);
    view->scrollTo(top);
    ScheduleReportUpdate();
}

bool TForm1::SelectedRows(int page, int& firstRow, int& lastRow) const {
    const SelectedRect rect = RectOf(grids_[page]->selectionModel()->selection());
    if (rect.Empty() || rect.bottom == rect.top) return false;
    firstRow = tableModels_[page]->TableRow(rect.top);
    lastRow = tableModels_[page]->TableRow(rect.bottom);
    return true;
}

bool TForm1::KeepRangeSelection(QTableView* view, int newViewRow, int lastFollowedRow) {
    QItemSelectionModel* selection = view->selectionModel();
    const SelectedRect rect = RectOf(selection->selection());
    if (rect.Empty() || rect.bottom == rect.top) return false;
    const QModelIndex current = view->model()->index(newViewRow, std::max(view->currentIndex().column(), 0));
    // An interval that reached the last row follows the new ones.
    if (rect.bottom == lastFollowedRow && rect.bottom < newViewRow)
        selection->select(QItemSelection(view->model()->index(rect.bottom, rect.left),
                                         view->model()->index(newViewRow, rect.right)),
                          QItemSelectionModel::Select);
    selection->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    view->scrollTo(current);
    return true;
}

void TForm1::ReportInterval(int page, int& firstRow, int& lastRow) const {
    const MeasurementTable& table = model_.Table(page);
    if (!SelectedRows(page, firstRow, lastRow)) {
        firstRow = 1;
        lastRow = table.IsEmpty() ? 0 : table.RowCount() - 1;
    }
    // Row 0 holds the column headers, also where a loaded file left it
    // scrolling with the rows.
    firstRow = std::max(firstRow, 1);
}

void TForm1::PrintProtocolWithTotals() {
    int first = 1;
    int last = 0;
    ReportInterval(model_.ActivePage(), first, last);
    RunCommand([this, first, last] { print_->ProtocolWithTotals(first, last); });
}

void TForm1::CopySelection() {
    const int page = model_.ActivePage();
    const SelectedRect rect = RectOf(grids_[page]->selectionModel()->selection());
    if (rect.Empty()) return;
    const TableModel* model = tableModels_[page].get();
    const std::string text =
        CellsAsText(model_.Table(page), model->TableRow(rect.top), model->TableRow(rect.bottom), rect.left, rect.right);
    QApplication::clipboard()->setText(FromCp1251(text));
}

void TForm1::SaveSelectionDialog() {
    RunCommand([this] {
        const int page = model_.ActivePage();
        const SelectedRect rect = RectOf(grids_[page]->selectionModel()->selection());
        if (rect.Empty() || model_.Table(page).IsEmpty()) return;
        const auto name = fileDialogs_->AskSaveFileName(
            SaveFilter(page), DefaultDataFileName(env_.programPath, clock_->Now(), page, HomeFolder()));
        if (!name) return;
        const TableModel* model = tableModels_[page].get();
        SaveRowsToFile(model_.Table(page), *name, model->TableRow(rect.top), model->TableRow(rect.bottom), *prompt_);
    });
}

}  // namespace vornik
