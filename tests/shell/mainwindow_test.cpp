#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QAction>
#include <QTabWidget>
#include <QTableView>

#include "shell/MainWindow.h"
#include "shell/TableCells.h"
#include "shell/TableModel.h"
#include "shell/WindowCentring.h"
#include "ReplyBuilder.h"
#include "TestForm.h"

using namespace vornik;
using vornik::test::TestForm;

TEST(MainWindow, HasThePagesAndTablesByName) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    EXPECT_EQ(form.windowTitle(), "VORNIK PC");
    EXPECT_EQ(form.size(), QSize(800, 600));
    auto* pages = form.findChild<QTabWidget*>("PageControl1");
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), QString::fromUtf8("Газоанализатор"));
    EXPECT_EQ(pages->tabText(1), QString::fromUtf8("Температура"));
    EXPECT_EQ(pages->tabText(2), QString::fromUtf8("Давление, скорость, расход"));
    for (const char* name : {"StringGridGaz", "StringGridTemp", "StringGridPrd", "TabSheet1", "TabSheet3"})
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
}

TEST(MainWindow, TableShowsCyrillicHeadersAndAppendedRows) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    auto* grid = form.findChild<QTableView*>("StringGridGaz");
    ASSERT_NE(grid, nullptr);
    auto* model = grid->model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("Номер"));
    EXPECT_EQ(model->headerData(11, Qt::Horizontal).toString(), QString::fromUtf8("СH"));
    EXPECT_EQ(model->rowCount(), 1);

    auto& table = form.model().Table(PageGas);
    table.SetRowCells(form.model().AppendRow(PageGas), {"1/4", "", "", "", "", "", "", "", "", "", "",
                                                        "", "", "", "", "", "", "", "\xCA\xEE\xF2"});
    table.SetCell(0, form.model().AppendRow(PageGas), "2/5");
    table.SetCell(0, form.model().AppendRow(PageGas), "3/6");
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(2, 0).data().toString(), "3/6");
    EXPECT_EQ(model->index(0, 18).data().toString(), QString::fromUtf8("Кот"));
    // The row last appended is the current row of the view, once the
    // events of the poll have run.
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->currentIndex().row(), 2);

    // A table that lost its fixed row shows row 0 as an ordinary row.
    table.SetRowCount(1);
    EXPECT_TRUE(grid->horizontalHeader()->isHidden());
    EXPECT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), QString::fromUtf8("Номер"));
}

TEST(MainWindow, FirstRowOfAnEmptyTableBecomesCurrentAndOnlyGasTracksTheThumb) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    QTableView* temp = form.grid(PageTemp);
    form.decoder().RecieveAll(vornik::test::TempReply().Bytes());
    QCoreApplication::processEvents();
    EXPECT_EQ(temp->currentIndex().row(), 0);
    form.decoder().RecieveAll(vornik::test::TempReply().Bytes());
    QCoreApplication::processEvents();
    EXPECT_EQ(temp->currentIndex().row(), 1);
    // "Удалить все данные" (its rows given up), then the first reply again
    // fills row 1.
    fixture.prompt.Answer(false);
    form.BitBtn5Click();
    ASSERT_TRUE(form.model().Table(PageTemp).IsEmpty());
    temp->setCurrentIndex(QModelIndex());
    form.decoder().RecieveAll(vornik::test::TempReply().Bytes());
    QCoreApplication::processEvents();
    EXPECT_EQ(temp->currentIndex().row(), 0);

    EXPECT_TRUE(form.grid(PageGas)->verticalScrollBar()->hasTracking());
    for (int page : {PageTemp, PagePrd}) {
        EXPECT_FALSE(form.grid(page)->verticalScrollBar()->hasTracking());
        EXPECT_FALSE(form.grid(page)->horizontalScrollBar()->hasTracking());
    }
}

TEST(MainWindow, ResizingAppliesTheWidthRule) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    form.show();
    form.resize(1280, 700);
    QApplication::processEvents();
    auto* grid = form.findChild<QTableView*>("StringGridTemp");
    EXPECT_EQ(grid->columnWidth(9), 3 * TempColumnWidth(1280));
    EXPECT_EQ(form.findChild<QTableView*>("StringGridGaz")->columnWidth(1), GasColumnWidth(1280) + 10);
}

TEST(MainWindow, ReceptionErrorsGoToTheStatusBarNotToBoxes) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    for (char c : std::string(">G\x30\x30" "12\r\n<")) form.Recieve(nullptr, static_cast<uint8_t>(c), false);
    EXPECT_EQ(form.model().Table(PageGas).RowCount(), 2);
    EXPECT_TRUE(form.model().Table(PageGas).IsEmpty());
    ASSERT_EQ(form.receptionErrors().Entries().size(), 1u);
    EXPECT_EQ(form.receptionErrors().Entries().back().text, "Range check error");
    auto* status = form.findChild<QLabel*>("ReceptionStatus");
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().contains("Range check error"));
}

TEST(MainWindow, StartsWithTheSettingsMenuAndPortInOrder) {
    TestForm fixture;  // no settings file: the missing-file box, then defaults saved
    TForm1& form = fixture.Create();
    ASSERT_FALSE(fixture.prompt.boxes().empty());
    EXPECT_EQ(fixture.prompt.boxes()[0].text, "Файл конфигурации отсутствует!\r\nСброс конфигурации!");
    EXPECT_EQ(vornik::test::ReadAll(fixture.ConfigFile()).size(), TConfig::kSize);
    EXPECT_EQ(form.size(), QSize(800, 600));
    // The configured port is open and polled.
    EXPECT_EQ(fixture.device->openedName, "COM1");
    EXPECT_TRUE(form.pollTimer().Enabled());
    // The save command starts disabled; the menu has its named items.
    auto* save = form.findChild<QAction*>("N8");
    ASSERT_NE(save, nullptr);
    EXPECT_FALSE(save->isEnabled());
    for (const char* name : {"N2", "N4", "N6", "N7", "N9", "N13", "N14", "N16", "N17", "N18", "N19"})
        EXPECT_NE(form.findChild<QAction*>(name), nullptr) << name;
}

TEST(MainWindow, ReceivedRowsEnableSaveAndTheCommandLineFileLoads) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    const std::string file = fixture.dir / "start.tmpr";
    vornik::test::WriteAll(file, "h\t\r\n1/1\t01.01.26\t10:00\t20,5\t21,0\t19,0\t2,0\t20,0\t5\tobj\t\r\n");
    TForm1& form = fixture.Create(file);
    EXPECT_TRUE(fixture.prompt.boxes().empty());
    EXPECT_EQ(form.model().Table(PageTemp).RowCount(), 2);
    EXPECT_EQ(form.model().Table(PageTemp).Cell(3, 1), "20,5");
    EXPECT_EQ(form.model().ActivePage(), PageTemp);
    EXPECT_EQ(form.findChild<QTabWidget*>("PageControl1")->currentIndex(), PageTemp);
    EXPECT_FALSE(form.model().NewData(PageTemp));

    // A gas reply arriving through the port lands in the gas table.
    fixture.device->Receive(vornik::test::GasReply().Bytes());
    for (int tick = 0; tick < 3; ++tick) form.port().TimerReadPortTimer();
    EXPECT_EQ(form.model().Table(PageGas).Cell(0, 1).substr(0, 2), "1/");
    EXPECT_TRUE(form.model().NewData(PageGas));
    EXPECT_TRUE(form.findChild<QAction*>("N8")->isEnabled());
    EXPECT_EQ(form.findChild<QTabWidget*>("PageControl1")->currentIndex(), PageGas);
}

TEST(MainWindow, OpensCentredAndWhollyOnTheScreen) {
    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(CentredGeometry({640, 480}, {}, screen), QRect(320, 272, 640, 480));
    // The frame is centred with the window and fits too.
    EXPECT_EQ(CentredGeometry({640, 480}, {4, 24, 4, 4}, screen), QRect(320, 282, 640, 480));
    // A size stored on a larger screen shrinks to this one.
    EXPECT_EQ(CentredGeometry({3500, 2000}, {4, 24, 4, 4}, QRect(0, 0, 1280, 800)), QRect(4, 24, 1272, 772));
    EXPECT_EQ(CentredGeometry({800, 600}, {}, QRect(100, 30, 1180, 770)), QRect(290, 115, 800, 600));

    // Stored top 500, left 700: ignored; the stored size is kept.
    TestForm fixture;
    TConfig config;
    config.LoadDefaults();
    config.SetWindowTop(500);
    config.SetWindowLeft(700);
    config.SetWindowWidth(640);
    config.SetWindowHeight(480);
    vornik::test::WriteAll(fixture.ConfigFile(), std::string(config.Bytes().begin(), config.Bytes().end()));
    TForm1& form = fixture.Create();
    const QRect available = form.screen()->availableGeometry();
    EXPECT_EQ(form.geometry(), CentredGeometry({640, 480}, {}, available));
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.geometry(), CentredGeometry({640, 480}, {}, available));
}

TEST(MainWindow, MaximizedStateIsRestored) {
    TestForm fixture;
    TConfig config;
    config.LoadDefaults();
    config.SetWindowMaximized(true);
    vornik::test::WriteAll(fixture.ConfigFile(), std::string(config.Bytes().begin(), config.Bytes().end()));
    TForm1& form = fixture.Create();
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
}

TEST(MainWindow, CloseAsksThenStoresGeometry) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    form.resize(700, 500);
    fixture.prompt.Answer(false);  // "Программа будет закрыта?" No
    EXPECT_FALSE(form.close());
    fixture.prompt.Answer(true);
    EXPECT_TRUE(form.close());
    TConfig stored;
    const std::string bytes = vornik::test::ReadAll(fixture.ConfigFile());
    ASSERT_EQ(bytes.size(), TConfig::kSize);
    std::copy(bytes.begin(), bytes.end(), stored.Bytes().begin());
    EXPECT_EQ(stored.WindowWidth(), 700);
    EXPECT_EQ(stored.WindowHeight(), 500);
}

TEST(MainWindow, LoadingAFileShowsItsTableEvenInChartOnlyMode) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    form.show();
    form.navigation().ShowCharts();
    auto* grid = form.findChild<QTableView*>("StringGridPrd");
    EXPECT_TRUE(grid->isHidden());
    const std::string file = fixture.dir / "p.prd";
    vornik::test::WriteAll(file, "h\t\r\n1/1\t01.01.26\t10:00\t0,0450\t101,30\t5,20\t5,10\t0,120\t3\tobj\t\r\n");
    form.fileCommands().Open(file);
    EXPECT_FALSE(grid->isHidden());
    EXPECT_EQ(form.model().Chart(PagePrd).Series(0).Count(), 1u);
}

namespace {

// Notes every widget of the given name that is shown.
struct ShowWatcher : QObject {
    QString name;
    int shown = 0;
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show && object->objectName() == name) ++shown;
        return false;
    }
};

}  // namespace

TEST(MainWindow, LargeFilesShowProgressAndSmallOnesDoNot) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    ShowWatcher watcher;
    watcher.name = "FileProgress";
    qApp->installEventFilter(&watcher);

    auto& table = form.model().Table(PagePrd);
    const std::vector<std::string_view> row = {"1/1", "01.01.26", "10:00", "0,0450", "101,30",
                                               "5,20", "5,10", "0,120", "3", "obj"};
    for (int i = 0; i < 10; ++i) table.SetRowCells(table.AppendRow(), row);
    form.model().SetNewData(PagePrd, true);
    fixture.dialogs.Answer(fixture.dir / "small.prd");
    form.SaveCharDialog();
    EXPECT_EQ(watcher.shown, 0);

    table.BeginUpdate();
    for (int i = 0; i < 100001; ++i) table.SetRowCells(table.AppendRow(), row);
    table.EndUpdate();
    form.model().SetNewData(PagePrd, true);
    fixture.dialogs.Answer(fixture.dir / "large.prd");
    form.SaveCharDialog();
    EXPECT_GE(watcher.shown, 1);
    EXPECT_TRUE(form.pollTimer().Enabled());  // reception goes on afterwards
    form.fileCommands().Open(fixture.dir / "large.prd");
    EXPECT_GE(watcher.shown, 2);
    EXPECT_EQ(form.model().Table(PagePrd).RowCount(), 100012);
    qApp->removeEventFilter(&watcher);
}

TEST(MainWindow, RowsOfOnePollMoveTheCurrentRowOnce) {
    // Moving the current row costs time that grows with the table: once per
    // poll keeps a row's cost the same at a million rows.
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    QTableView* gas = form.grid(PageGas);
    int moves = 0;
    QObject::connect(gas->selectionModel(), &QItemSelectionModel::currentChanged, [&moves] { ++moves; });
    for (int n = 1; n <= 40; ++n) fixture.device->Receive(vornik::test::GasReply().Set(1, std::to_string(n)).Bytes());
    form.port().TimerReadPortTimer();
    QCoreApplication::processEvents();
    ASSERT_EQ(form.model().Table(PageGas).RowCount(), 41);
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(gas->currentIndex().row(), 39);
    // The next poll moves it on to its own last row.
    fixture.device->Receive(vornik::test::GasReply().Bytes());
    form.port().TimerReadPortTimer();
    QCoreApplication::processEvents();
    EXPECT_EQ(moves, 2);
    EXPECT_EQ(gas->currentIndex().row(), 40);
}

TEST(MainWindow, RecordNumbersAreNeverShownCut) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    const auto shownWhole = [&form](int page) {
        QTableView* grid = form.grid(page);
        const QString record = grid->model()->index(grid->model()->rowCount() - 1, 0).data().toString();
        return QFontMetrics(grid->font()).horizontalAdvance(record) <= CellTextWidth(grid->columnWidth(0));
    };
    const int gasRuleWidth = form.model().Table(PageGas).ColumnWidth(0);
    EXPECT_EQ(form.grid(PageGas)->columnWidth(0), gasRuleWidth);

    form.decoder().RecieveAll(vornik::test::GasReply().Set(1, "100131115").Bytes());
    form.decoder().RecieveAll(vornik::test::TempReply().Set(1, "38726300011122").Bytes());
    form.decoder().RecieveAll(vornik::test::PrdReply().Set(1, "38726300011122").Bytes());
    for (int page : {PageGas, PageTemp, PagePrd}) {
        EXPECT_TRUE(shownWhole(page)) << page;
        EXPECT_GT(form.grid(page)->columnWidth(0), form.model().Table(page).ColumnWidth(0)) << page;
        // The other columns keep the width rule.
        for (int c = 1; c < form.model().Table(page).ColumnCount(); ++c)
            EXPECT_EQ(form.grid(page)->columnWidth(c), form.model().Table(page).ColumnWidth(c)) << page << " " << c;
    }
    // A shorter record after a long one keeps the column wide enough for both.
    form.decoder().RecieveAll(vornik::test::GasReply().Set(1, "7").Bytes());
    EXPECT_TRUE(QFontMetrics(form.grid(PageGas)->font()).horizontalAdvance(QStringLiteral("1/100131115")) <=
                CellTextWidth(form.grid(PageGas)->columnWidth(0)));
    // An emptied table gives the rule's width back.
    form.model().ChartClear(true, false, false);
    EXPECT_EQ(form.grid(PageGas)->columnWidth(0), gasRuleWidth);
}
