#include <gtest/gtest.h>

#include "core/Cp1251.h"
#include "tables/Headers.h"
#include "tables/MainModel.h"
#include "tables/MeasurementTable.h"

using namespace vornik;

namespace {

std::vector<int> Widths(const MeasurementTable& t) {
    std::vector<int> w;
    for (int c = 0; c < t.ColumnCount(); ++c) w.push_back(t.ColumnWidth(c));
    return w;
}

std::vector<int> GasWidths(int f, int first, int second, int wide) {
    std::vector<int> w = {first, second};
    for (int c = 2; c <= 17; ++c) w.push_back(f);
    w.push_back(wide);
    w.push_back(wide);
    return w;
}

std::vector<int> TempWidths(int v) {
    std::vector<int> w(9, v);
    w.push_back(3 * v);
    return w;
}

struct RecordingListener : TableListener {
    int rowsChanged = 0;
    int shapeChanged = 0;
    void TableRowsChanged(int, int) override { ++rowsChanged; }
    void TableShapeChanged() override { ++shapeChanged; }
};

}  // namespace

TEST(MeasurementTable, StartsEmptyWithTwoRowsAndAFixedHeader) {
    MeasurementTable t(20);
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_TRUE(t.HasFixedRow());
    for (int c = 0; c < 20; ++c) EXPECT_EQ(t.Cell(c, 1), "");
}

TEST(MeasurementTable, FirstMeasurementReusesRowOneThenRowsGrow) {
    MeasurementTable t(10);
    EXPECT_EQ(t.AppendRow(), 1);
    EXPECT_EQ(t.RowCount(), 2);
    t.SetCell(0, 1, "1/7");
    EXPECT_EQ(t.AppendRow(), 2);
    EXPECT_EQ(t.RowCount(), 3);
    EXPECT_EQ(t.CurrentRow(), 2);
    // Only row 1 is ever reused: a later row left empty is not.
    EXPECT_EQ(t.AppendRow(), 3);
    EXPECT_EQ(t.AppendRow(), 4);
}

TEST(MeasurementTable, CellsKeepTheirBytesWhateverTheWriteOrder) {
    MeasurementTable t(4);
    t.SetRowCount(5);
    t.SetCell(2, 3, "\xCE\xE1\xFA\xE5\xEA\xF2");
    t.SetCell(0, 3, "3/1");
    t.SetCell(3, 1, "tail");
    t.SetCell(2, 3, "x");  // shorter rewrite
    t.SetCell(1, 3, std::string(300, 'a'));
    EXPECT_EQ(t.Cell(0, 3), "3/1");
    EXPECT_EQ(t.Cell(1, 3), std::string(300, 'a'));
    EXPECT_EQ(t.Cell(2, 3), "x");
    EXPECT_EQ(t.Cell(3, 1), "tail");
    EXPECT_EQ(t.Cell(3, 3), "");
    // A cell set from another cell of the same table survives the arena moving.
    for (int i = 0; i < 1000; ++i) t.SetCell(i % 4, 2, t.Cell(1, 3));
    EXPECT_EQ(t.Cell(3, 2), std::string(300, 'a'));
    EXPECT_THROW(t.Cell(4, 0), std::out_of_range);
    EXPECT_THROW(t.SetCell(0, 5, "x"), std::out_of_range);
}

TEST(MeasurementTable, SetRowCellsWritesLeadingCellsAndKeepsTheRest) {
    MeasurementTable t(3);
    t.SetRowCells(1, {"a", "b", "c"});
    t.SetRowCells(1, {"A"});
    EXPECT_EQ(t.Cell(0, 1), "A");
    EXPECT_EQ(t.Cell(1, 1), "b");
    EXPECT_EQ(t.Cell(2, 1), "c");
}

TEST(MeasurementTable, RewritingRowsDoesNotGrowMemoryWithoutBound) {
    MeasurementTable t(5);
    t.SetRowCount(100);
    for (int r = 1; r < 100; ++r) t.SetRowCells(r, {"aaaaaaaaaa", "b", "c", "d", "e"});
    const size_t before = t.MemoryBytes();
    for (int pass = 0; pass < 200; ++pass)
        for (int r = 1; r < 100; ++r) t.SetCell(pass % 5, r, "zzzzzzzzzz");
    EXPECT_LT(t.MemoryBytes(), before * 4);
    EXPECT_EQ(t.Cell(0, 50), "zzzzzzzzzz");
}

TEST(MeasurementTable, ClearKeepsHeadersAndEmptiesRowOne) {
    MeasurementTable t(3);
    t.SetRowCells(0, {"h1", "h2", "h3"});
    t.SetRowCount(4);
    t.SetRowCells(1, {"1/1", "x", "y"});
    t.Clear();
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(t.Cell(1, 1), "");
    EXPECT_EQ(t.Cell(2, 0), "h3");
}

TEST(MeasurementTable, RowCountOfOneDropsTheFixedRowForGood) {
    MeasurementTable t(3);
    t.SetRowCount(1);
    EXPECT_FALSE(t.HasFixedRow());
    // A measurement after a header-only load goes to row 1, not over row 0.
    EXPECT_EQ(t.AppendRow(), 1);
    EXPECT_EQ(t.RowCount(), 2);
    t.SetRowCount(7);
    t.Clear();
    EXPECT_FALSE(t.HasFixedRow());
}

TEST(MeasurementTable, ListenerHearsRowsAndShapesAndOnceForABulkUpdate) {
    MeasurementTable t(3);
    RecordingListener l;
    t.SetListener(&l);
    t.SetCell(0, 1, "x");
    EXPECT_EQ(l.rowsChanged, 1);
    t.AppendRow();
    EXPECT_EQ(l.shapeChanged, 1);
    t.BeginUpdate();
    for (int i = 0; i < 50; ++i) t.SetCell(0, t.AppendRow(), "y");
    EXPECT_EQ(l.shapeChanged, 1);
    t.EndUpdate();
    EXPECT_EQ(l.shapeChanged, 2);
    EXPECT_EQ(l.rowsChanged, 1);
    t.SetListener(nullptr);
}

TEST(Headers, AreExactCp1251Texts) {
    const auto& gas = HeaderTexts(PageGas);
    ASSERT_EQ(gas.size(), 20u);
    EXPECT_EQ(gas[0], Utf8ToCp1251("Номер"));
    EXPECT_EQ(gas[3], "Tg,*\xD1");           // asterisk and Cyrillic Es
    EXPECT_EQ(gas[11], "\xD1H");             // Cyrillic Es then Latin H
    EXPECT_EQ(gas[17], Utf8ToCp1251("Ед.изм."));
    EXPECT_EQ(HeaderTexts(PageTemp)[8], "n");
    EXPECT_EQ(HeaderTexts(PagePrd)[7], "Qvg,m3/s");
    EXPECT_EQ(HeaderTexts(PagePrd).size(), 10u);
}

TEST(GridsLayout, WidthRuleForTypicalAndExtremeWindowWidths) {
    MainModel m;
    m.GridsLayout(792);
    EXPECT_EQ(Widths(m.Table(PageGas)), GasWidths(40, 30, 50, 120));
    EXPECT_EQ(Widths(m.Table(PageTemp)), TempWidths(62));
    EXPECT_EQ(Widths(m.Table(PagePrd)), TempWidths(62));

    m.GridsLayout(1280);  // 50.5 rounds to 50, 102.83 to 103
    EXPECT_EQ(Widths(m.Table(PageGas)), GasWidths(50, 40, 60, 150));
    EXPECT_EQ(Widths(m.Table(PageTemp)).back(), 309);

    m.GridsLayout(1024);  // 81.5 rounds to the even 82, 39.83 to 40
    EXPECT_EQ(TempColumnWidth(1024), 82);
    EXPECT_EQ(GasColumnWidth(1024), 40);

    m.GridsLayout(0);
    EXPECT_EQ(Widths(m.Table(PageGas)), GasWidths(40, 30, 50, 120));
    EXPECT_EQ(Widths(m.Table(PagePrd)), TempWidths(40));
}

TEST(GridsLayout, HalvesRoundToTheEvenNeighbour) {
    // (W - 10) / 12 - 3 = 80.5 at W = 1012 and 81.5 at W = 1024.
    EXPECT_EQ(TempColumnWidth(1012), 80);
    EXPECT_EQ(TempColumnWidth(1024), 82);
}

TEST(GridsLayout, RewritesTheHeaderRowWhateverItHeld) {
    MainModel m;
    m.Table(PageTemp).SetRowCells(0, {"file", "header"});
    m.GridsLayout(800);
    EXPECT_EQ(m.Table(PageTemp).Cell(0, 0), HeaderTexts(PageTemp)[0]);
    EXPECT_EQ(m.Table(PageTemp).Cell(1, 0), HeaderTexts(PageTemp)[1]);
}

TEST(ChartClear, EmptiesOnlyTheChosenPages) {
    MainModel m;
    m.GridsLayout(800);
    for (int page = 0; page < kPageCount; ++page) {
        for (int i = 0; i < 3; ++i) m.Table(page).SetCell(0, m.AppendRow(page), "r");
        m.SetNewData(page, true);
    }
    m.ChartClear(false, true, false);
    EXPECT_EQ(m.Table(PageTemp).RowCount(), 2);
    EXPECT_TRUE(m.Table(PageTemp).IsEmpty());
    EXPECT_FALSE(m.NewData(PageTemp));
    EXPECT_EQ(m.Table(PageTemp).Cell(0, 0), HeaderTexts(PageTemp)[0]);
    EXPECT_EQ(m.Table(PageGas).RowCount(), 4);
    EXPECT_TRUE(m.NewData(PageGas));
    EXPECT_EQ(m.Table(PagePrd).RowCount(), 4);
    EXPECT_TRUE(m.NewData(PagePrd));
}

TEST(PageModes, SetPageModesSetsBytesAndButtonsIndependently) {
    MainModel m;
    EXPECT_EQ(m.AllDataMode(0), 0);
    for (int page = 0; page < kPageCount; ++page) m.SetPageModes(page, 1, 2);
    EXPECT_FALSE(m.AllDataButtonEnabled());
    EXPECT_TRUE(m.Last50ButtonEnabled());

    // The buttons follow even when the page is not the active one.
    m.SetPageModes(1, 2, 0);
    EXPECT_EQ(m.ActivePage(), PageGas);
    EXPECT_EQ(m.AllDataMode(1), 2);
    EXPECT_TRUE(m.AllDataButtonEnabled());
    EXPECT_EQ(m.Last50Mode(1), 2);
    EXPECT_TRUE(m.Last50ButtonEnabled());

    m.SetPageModes(2, 0, 1);
    EXPECT_EQ(m.Last50Mode(2), 1);
    EXPECT_FALSE(m.Last50ButtonEnabled());
    EXPECT_EQ(m.AllDataMode(2), 1);

    int notified = 0;
    m.SetStateListener([&] { ++notified; });
    m.SetPageModes(0, 0, 0);
    EXPECT_EQ(m.AllDataMode(0), 1);
    EXPECT_EQ(m.Last50Mode(0), 2);
    EXPECT_TRUE(m.AllDataButtonEnabled());
    EXPECT_FALSE(m.Last50ButtonEnabled());
    EXPECT_THROW(m.SetPageModes(3, 1, 1), std::out_of_range);
}
