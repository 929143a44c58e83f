#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>
#include <QMouseEvent>
#include <QPrinter>
#include <cmath>
#include <cstdlib>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

#include "ReplyBuilder.h"
#include "TestForm.h"
#include "config/ExtraSettings.h"
#include "core/Cp1251.h"
#include "datafiles/DataFile.h"
#include "shell/MainWindow.h"
#include "printing/qt/PrintCommands.h"
#include "shell/StatisticsPanel.h"

using namespace vornik;
using vornik::test::ReadAll;

namespace {

class StatisticsPanelTest : public ::testing::Test {
protected:
    StatisticsPanelTest() {
        fixture.WriteDefaultSettings();
        recordBytes = ReadAll(fixture.ConfigFile());
        fixture.Create();
        form().show();
        Settle();
    }
    TForm1& form() { return *fixture.form; }
    static void Settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    // A received temperature row: O2-like values with one decimal, every
    // fourth Tmax "nd".
    void Receive(int i) {
        std::vector<std::string> cells = {"1", "09.12.26", "10:00:" + std::to_string(10 + i), std::to_string(20 + i) + ",5",
                                          i % 4 ? std::to_string(i) + ",0" : "nd", "1,0", "2,0", "3,0", "0", "Obj"};
        // A row the chart needs numbers in: the "nd" goes in by SetCell afterwards.
        const bool nd = cells[4] == "nd";
        if (nd) cells[4] = "0";
        const int row = form().model().CommitRow(PageTemp, cells);
        if (nd) form().model().Table(PageTemp).SetCell(4, row, "nd");
        Settle();
    }
    QTableView* Grid() { return form().grid(PageTemp); }
    void Key(QWidget* w, int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(w, &press);
        Settle();
    }
    void Click(int viewRow, int column, Qt::KeyboardModifiers modifiers) {
        const QPoint at = Grid()->visualRect(Grid()->model()->index(viewRow, column)).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, Grid()->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, modifiers);
        QApplication::sendEvent(Grid()->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, Grid()->viewport()->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, modifiers);
        QApplication::sendEvent(Grid()->viewport(), &release);
        Settle();
    }
    // Figure `figure` (0 mean, 1 min, 2 max, 3 deviation, 4 numbers, 5 skipped) of entry `entry`.
    QString Panel(int entry, int figure) { return form().statisticsPanel()->grid()->item(figure, entry)->text(); }

    test::TestForm fixture;
    std::string recordBytes;
};

}  // namespace

TEST_F(StatisticsPanelTest, HiddenAtFirstToggledByCommandAndButtonRememberedBesideTheRecord) {
    StatisticsPanel* panel = form().statisticsPanel();
    EXPECT_TRUE(panel->isHidden());
    auto* button = form().findChild<QToolButton*>("StatisticsButton");
    ASSERT_NE(button, nullptr);
    button->click();
    Settle();
    EXPECT_FALSE(panel->isHidden());
    EXPECT_TRUE(form().findChild<QAction*>("StatisticsAction")->isChecked());
    const std::string extraFile = ExtraSettingsFileName(fixture.ConfigFile());
    EXPECT_TRUE(ReadExtraSettings(extraFile).statisticsShown);
    EXPECT_EQ(ReadAll(fixture.ConfigFile()), recordBytes) << "the 421-byte record is not touched";

    // The next start opens it again; the dock's own close button hides it.
    fixture.form.reset();
    fixture.Create();
    form().show();
    Settle();
    EXPECT_FALSE(form().statisticsPanel()->isHidden());
    form().statisticsPanel()->close();
    Settle();
    EXPECT_FALSE(form().findChild<QAction*>("StatisticsAction")->isChecked());
    EXPECT_FALSE(ReadExtraSettings(extraFile).statisticsShown);
}

TEST_F(StatisticsPanelTest, SelectedRowsGiveTheFiguresAndAnIntervalAtTheEndFollowsNewRows) {
    form().findChild<QAction*>("StatisticsAction")->trigger();
    for (int i = 0; i < 6; ++i) Receive(i);  // Tmax: nd 1 2 3 nd 5
    form().model().SetActivePage(PageTemp);
    Settle();
    // Everything: 6 rows, Tg 20,5..25,5.
    EXPECT_TRUE(form().statisticsPanel()->spanLabel()->text().contains(QString::fromUtf8("Строк: 6")));
    EXPECT_EQ(form().statisticsPanel()->grid()->horizontalHeaderItem(0)->text(), QString::fromUtf8("Tg,*С"));
    EXPECT_EQ(Panel(0, 0), "23,0");
    EXPECT_EQ(Panel(0, 1), "20,5");
    EXPECT_EQ(Panel(0, 2), "25,5");
    EXPECT_EQ(Panel(0, 3), "1,9");  // sample deviation of 20,5..25,5 is 1,87
    EXPECT_EQ(Panel(1, 0), "2,8");  // Tmax: (1 + 2 + 3 + 5) / 4
    EXPECT_EQ(Panel(1, 5), "2");    // two "nd" skipped

    // Rows 2 to 4 (view rows 1..3): a click, a Shift+click, then Shift+Up and Shift+Down.
    Click(1, 3, Qt::NoModifier);
    Click(2, 3, Qt::ShiftModifier);
    Key(Grid(), Qt::Key_Down, Qt::ShiftModifier);
    int first = 0, last = 0;
    ASSERT_TRUE(form().SelectedRows(PageTemp, first, last));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 4);
    EXPECT_TRUE(form().statisticsPanel()->spanLabel()->text().contains(QString::fromUtf8("Строк: 3, с 09.12.26 10:00:11")));
    EXPECT_EQ(Panel(0, 0), "22,5");

    // Not at the last row: a new row leaves the interval as it is.
    Receive(6);
    ASSERT_TRUE(form().SelectedRows(PageTemp, first, last));
    EXPECT_EQ(last, 4);
    // Reaching the last row: it grows with every new row.
    Click(6, 3, Qt::ShiftModifier);
    Receive(7);
    Receive(8);
    ASSERT_TRUE(form().SelectedRows(PageTemp, first, last));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 9);
    EXPECT_TRUE(form().statisticsPanel()->spanLabel()->text().contains(QString::fromUtf8("Строк: 8")));
    EXPECT_EQ(form().model().Table(PageTemp).CurrentRow(), 9);
}

TEST_F(StatisticsPanelTest, CopyGivesTabSeparatedCellsAndSaveSelectionWritesTheTablesOwnFile) {
    for (int i = 0; i < 4; ++i) Receive(i);
    form().model().SetActivePage(PageTemp);
    Settle();
    Click(1, 3, Qt::NoModifier);
    Click(2, 4, Qt::ShiftModifier);
    QAction* copy = form().findChild<QAction*>("CopyAction");
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(Grid()->actions().contains(copy));
    EXPECT_EQ(copy->shortcut(), QKeySequence(QKeySequence::Copy));
    copy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "21,5\t1,0\n22,5\t2,0\n");

    // Rows 2..3 saved: the header line, then those rows, as a load reads them.
    const std::string file = fixture.dir / "part.tmpr";
    fixture.dialogs.Answer(file);
    form().findChild<QAction*>("SaveSelectionAction")->trigger();
    const MeasurementTable& table = form().model().Table(PageTemp);
    std::string expected;
    for (int row : {0, 2, 3}) {
        for (int c = 0; c < table.ColumnCount(); ++c) expected += std::string(table.Cell(c, row)) + "\t";
        expected += "\r\n";
    }
    EXPECT_EQ(ReadAll(file), expected);
    EXPECT_TRUE(form().model().NewData(PageTemp)) << "an export saves nothing of the table";

    // Ctrl+A: every row.
    Key(Grid(), Qt::Key_A, Qt::ControlModifier);
    int first = 0, last = 0;
    ASSERT_TRUE(form().SelectedRows(PageTemp, first, last));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 4);
}

TEST_F(StatisticsPanelTest, KeepingThePageRecordsOtherKindsAndMarksTheirTabs) {
    auto* tabs = form().findChild<QTabWidget*>("PageControl1");
    form().findChild<QToolButton*>("KeepPageButton")->click();
    EXPECT_TRUE(ReadExtraSettings(ExtraSettingsFileName(fixture.ConfigFile())).keepPage);
    form().decoder().RecieveAll(test::GasReply().Bytes() + test::TempReply().Bytes() + test::TempReply().Bytes());
    Settle();
    EXPECT_EQ(form().model().ActivePage(), PageGas);
    EXPECT_EQ(tabs->currentIndex(), PageGas);
    EXPECT_EQ(form().model().Table(PageTemp).RowCount(), 3) << "the rows are recorded all the same";
    EXPECT_EQ(tabs->tabText(PageTemp), QString::fromUtf8("Температура (+2)"));
    EXPECT_EQ(tabs->tabText(PageGas), QString::fromUtf8("Газоанализатор"));
    tabs->setCurrentIndex(PageTemp);
    Settle();
    EXPECT_EQ(tabs->tabText(PageTemp), QString::fromUtf8("Температура"));

    // Off again: a reply brings its page to the front, as always.
    form().findChild<QAction*>("KeepPageAction")->trigger();
    form().decoder().RecieveAll(test::PrdReply().Bytes());
    Settle();
    EXPECT_EQ(form().model().ActivePage(), PagePrd);
    EXPECT_EQ(tabs->tabText(PagePrd), QString::fromUtf8("Давление, скорость, расход"));
}

TEST_F(StatisticsPanelTest, TheStatusBarNamesThePagesFileAndCountsItsRows) {
    auto* status = form().findChild<QLabel*>("PageStatus");
    ASSERT_NE(status, nullptr);
    for (int i = 0; i < 3; ++i) Receive(i);
    form().model().SetActivePage(PageTemp);
    Settle();
    EXPECT_EQ(status->text(), QString::fromUtf8("не сохранено, строк: 3"));
    fixture.dialogs.Answer(fixture.dir / "boiler.tmpr");
    form().SaveCharDialog();
    Settle();
    EXPECT_EQ(status->text(), QString::fromUtf8("boiler.tmpr, строк: 3"));
    Receive(3);
    EXPECT_EQ(status->text(), QString::fromUtf8("boiler.tmpr (есть несохранённые строки), строк: 4"));
    // A save that fails names no file, also after a later clear.
    fixture.dialogs.Answer(fixture.dir / "no-such-folder/x.tmpr");
    form().SaveCharDialog();
    form().model().ChartClear(false, true, false);  // what "Удалить все данные" does
    Settle();
    EXPECT_EQ(status->text(), QString::fromUtf8("не сохранено, строк: 0"));
    Receive(4);
    EXPECT_EQ(status->text(), QString::fromUtf8("не сохранено, строк: 1"));
}

TEST_F(StatisticsPanelTest, TheFiguresOfAnOpenedFileComeWithTheFirstUpdate) {
    // Summed in the window's steps, 50,000 rows would take more than one pass
    // of the event loop; the sums the load built give them at once.
    constexpr int kRows = 50000;
    std::string content = "N\tDate\tTime\tTg\tTmax\tTmin\tTdif\tTp\tU\tObj\t\r\n";
    for (int i = 1; i <= kRows; ++i)
        content += std::to_string(i) + "\t09.12.26\t10:00:00\t" + std::to_string(i % 100) + ",5\t1,0\t2,0\t3,0\t4,0\t0\tObj\t\r\n";
    const std::string file = fixture.dir / "big.tmpr";
    vornik::test::WriteAll(file, content);
    form().findChild<QAction*>("StatisticsAction")->trigger();
    fixture.dialogs.Answer(file);
    form().findChild<QAction*>("N9")->trigger();
    QApplication::processEvents();
    ASSERT_EQ(form().model().ActivePage(), PageTemp);
    EXPECT_TRUE(form().statisticsPanel()->spanLabel()->text().contains(QString::fromUtf8("Строк: 50000")))
        << form().statisticsPanel()->spanLabel()->text().toStdString();
    EXPECT_EQ(Panel(0, 0), "50,0");  // Tg: 0,5..99,5 evenly
}

// The printed protocol with averages for the documentation: a PDF in
// VORNIK_SNAPSHOT_DIR (rendered with pdftoppm for the README).
TEST_F(StatisticsPanelTest, ProtocolWithTotalsSnapshot) {
    const char* dir = std::getenv("VORNIK_SNAPSHOT_DIR");
    if (!dir) GTEST_SKIP() << "VORNIK_SNAPSHOT_DIR not set";
    const auto number = [](double v, int decimals) { return FormatFixed(v, 15, decimals); };
    for (int i = 0; i < 40; ++i) {
        const double o2 = 3.1 + 0.4 * std::sin(i / 6.0);
        const int seconds = 36000 + 30 * i;
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
        form().model().CommitRow(
            PageGas, {"1", "09.12.26", time, number(165 + std::cos(i * 1.7), 1), number(o2, 2),
                      number(25 + 8 * std::sin(i / 3.0), 0), "80", "3,1", i % 9 ? "12" : "0", "0",
                      number(10.5 - o2 / 2, 2), "0", "6,80", number(21 / (21 - o2), 2), "126", "18,0", "21,0", "ppm",
                      Utf8ToCp1251("Котельная №3"), Utf8ToCp1251("Газ")});
    }
    form().model().Table(PageGas).SetCell(8, 10, "nd");
    form().model().SetActivePage(PageGas);
    Settle();
    QPrinter& printer = form().printCommands().Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromLocal8Bit(dir) + "/protocol-with-totals.pdf");
    form().findChild<QAction*>("ProtocolWithTotalsAction")->trigger();
}
