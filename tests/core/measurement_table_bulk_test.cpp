#include <gtest/gtest.h>

#include "tables/MeasurementTable.h"

using namespace vornik;

namespace {

std::string Row(const MeasurementTable& t, int row) {
    std::string s;
    for (int c = 0; c < t.ColumnCount(); ++c) (s += t.Cell(c, row)) += '|';
    return s;
}

}  // namespace

TEST(MeasurementTableBulk, AppendRowCellsMatchesGrowAndWrite) {
    MeasurementTable bulk(4), plain(4);
    bulk.Reserve(10, 100);
    for (auto* t : {&bulk, &plain}) t->SetRowCount(1);  // as a file load starts
    const std::vector<std::vector<std::string_view>> rows = {
        {"a", "bb", "", "d"}, {"x"}, {}, {"1", "2", "3", "4"}};
    for (const auto& cells : rows) {
        const int row = bulk.AppendRowCells(cells);
        plain.SetRowCount(plain.RowCount() + 1);
        plain.SetRowCells(row, cells);
    }
    ASSERT_EQ(bulk.RowCount(), plain.RowCount());
    for (int r = 0; r < bulk.RowCount(); ++r) EXPECT_EQ(Row(bulk, r), Row(plain, r));
    EXPECT_FALSE(bulk.HasFixedRow());

    // Texts taken from the table itself survive the arena growing.
    const std::vector<std::string_view> own = {bulk.Cell(1, 1), bulk.Cell(0, 4)};
    const int row = bulk.AppendRowCells(own);
    EXPECT_EQ(Row(bulk, row), "bb|1|||");
}

TEST(MeasurementTableBulk, RowLongerThanTheLimitIsRefusedWhole) {
    MeasurementTable t(3);
    t.SetRowCells(1, {"a", "b", "c"});
    const std::string half(MeasurementTable::kMaxRowBytes / 2 + 1, 'x');
    EXPECT_THROW(t.SetRowCells(1, {half, half}), std::length_error);
    EXPECT_THROW(t.SetCell(2, 1, std::string(MeasurementTable::kMaxRowBytes, 'y')), std::length_error);
    EXPECT_THROW(t.AppendRowCells({half, half}), std::length_error);
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(Row(t, 1), "a|b|c|");
    // Exactly the limit fits, and every cell end reads back.
    t.SetRowCells(1, {half, std::string(MeasurementTable::kMaxRowBytes - half.size() - 1, 'z'), "w"});
    EXPECT_EQ(t.Cell(2, 1), "w");
    EXPECT_EQ(t.Cell(0, 1), half);
}

TEST(MeasurementTableBulk, RowsAboveAndBelow255BytesKeepTheirCellsThroughRewritesAndCompaction) {
    MeasurementTable t(3);
    const std::string narrow(255 - 2, 'n');  // with "a" and "b": exactly 255 bytes
    const std::string wide(300, 'w');
    t.SetRowCount(1);
    for (int i = 0; i < 6; ++i) {
        if (i % 2) t.AppendRowCells({"a", wide, std::to_string(i)});
        else t.AppendRowCells({"a", narrow, "b"});
    }
    t.SetRowCount(5);  // drops a wide row
    for (int r = 1; r < 5; ++r) {
        EXPECT_EQ(t.Cell(1, r), r % 2 ? narrow : wide) << r;
        EXPECT_EQ(t.Cell(2, r), r % 2 ? "b" : std::to_string(r - 1)) << r;
        const MeasurementTable::RowView view = t.Row(r);
        EXPECT_EQ(view.length, r % 2 ? 255u : 302u);
        EXPECT_EQ(view.End(0), 1u);
    }
    // Narrow to wide and back, at the arena's end and in the middle; many
    // rewrites leave enough waste behind to compact the arena several times.
    for (int pass = 0; pass < 200; ++pass) {
        const int r = 1 + pass % 4;
        const std::string grown(pass % 3 == 0 ? 400 : 10, char('A' + pass % 26));
        t.SetCell(1, r, grown);
        EXPECT_EQ(t.Cell(1, r), grown);
        t.SetCell(1, r, r % 2 ? narrow : wide);  // as it was
    }
    // A row emptied shares no bytes with its neighbours.
    t.SetRowCells(2, {"", "", ""});
    for (int c = 0; c < 3; ++c) EXPECT_EQ(t.Cell(c, 2), "");
    t.SetCell(0, 2, "back");
    for (int r = 1; r < 5; ++r) {
        EXPECT_EQ(t.Cell(0, r), r == 2 ? "back" : "a") << r;
        EXPECT_EQ(t.Cell(1, r), r == 2 ? "" : r % 2 ? narrow : wide) << r;
    }
    EXPECT_LT(t.MemoryBytes(), 16u * 1024);
    // The longest row still fits: its ends read past 255.
    const std::string most(MeasurementTable::kMaxRowBytes - 2, 'm');
    t.SetRowCells(3, {"x", most, "y"});
    EXPECT_EQ(t.Cell(2, 3), "y");
    EXPECT_EQ(t.Row(3).End(1), MeasurementTable::kMaxRowBytes - 1);
    EXPECT_THROW(t.SetCell(0, 3, "xx"), std::length_error);
    EXPECT_EQ(t.Cell(0, 3), "x");
}
