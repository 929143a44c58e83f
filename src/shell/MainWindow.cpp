#include "shell/MainWindow.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/ChartWidget.h"
#include "shell/TableModel.h"
#include "shell/Toolbar.h"
#include "tables/ChartDefs.h"

namespace vornik {
namespace {

const char* const kSheetNames[kPageCount] = {"TabSheet1", "TabSheet2", "TabSheet3"};
const char* const kPageCaptions[kPageCount] = {"Газоанализатор", "Температура", "Давление, скорость, расход"};
const char* const kGridNames[kPageCount] = {"StringGridGaz", "StringGridTemp", "StringGridPrd"};
const int kDefaultColumnWidths[kPageCount] = {50, 60, 60};
constexpr int kGridHeight = 70;
constexpr int kRowHeight = 18;

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent), prompt_(this), decoder_(model_, prompt_, [this](const std::string& text) {
          ReportReceptionError(text);
      }) {
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
    BuildStatusBar();
    model_.SetStateListener([this] { MirrorState(); });
    nav_.SetStateListener([this] { MirrorState(); });
    // The views of a default configuration until the start-up applies the
    // settings file's record.
    model_.ChartsInit({DefaultChartView(PageGas), DefaultChartView(PageTemp), DefaultChartView(PagePrd)});
    FormResize();
    MirrorState();
}

TForm1::~TForm1() {
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
        nav_.PageControl1Changing();
        nav_.PageControl1Change(page);
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
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    view->setFont(font);
    view->horizontalHeader()->setFont(font);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(kRowHeight);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidths[page]);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setFixedHeight(kRowHeight);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    connect(tableModels_[page].get(), &TableModel::headerChanged, view, [view, this, page] {
        view->horizontalHeader()->setVisible(tableModels_[page]->HasFixedRow());
        ApplyColumnWidths(page);
    });
    return view;
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
}

void TForm1::MirrorState() {
    if (!toolbar_ || !pageControl_) return;
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
        pageLayouts_[page]->setStretchFactor(grid, nav_.TableDocked(page) ? 0 : 1);
        grid->setVisible(nav_.TableShown(page));
    }
}

}  // namespace vornik
