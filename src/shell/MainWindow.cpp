#include "shell/MainWindow.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "shell/TableModel.h"

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
    BuildPages();
    BuildStatusBar();
    model_.SetStateListener([this] { MirrorState(); });
    FormResize();
}

TForm1::~TForm1() { model_.SetStateListener(nullptr); }

void TForm1::BuildPages() {
    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(pageControl_);
    for (int page = 0; page < kPageCount; ++page) {
        auto* sheet = new QWidget(pageControl_);
        sheet->setObjectName(QString::fromLatin1(kSheetNames[page]));
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        // The chart fills the page above the table.
        auto* chartArea = new QWidget(sheet);
        chartArea->setObjectName(QStringLiteral("ChartArea%1").arg(page));
        layout->addWidget(chartArea, 1);
        grids_[page] = MakeGrid(page);
        layout->addWidget(grids_[page]);
        pageControl_->addTab(sheet, QString::fromUtf8(kPageCaptions[page]));
    }
    connect(pageControl_, &QTabWidget::currentChanged, this, [this](int page) {
        if (page >= 0 && page != model_.ActivePage()) model_.SetActivePage(page);
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
    if (pageControl_->currentIndex() != model_.ActivePage()) pageControl_->setCurrentIndex(model_.ActivePage());
}

}  // namespace vornik
