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
