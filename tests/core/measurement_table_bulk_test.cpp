#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

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

namespace {

// Rows appended in bulk share their repeated last cells with the rows before;
// rewrites, removals and compaction must never let one row's change show in
// another, nor lose a shared text still in use. Rows of short cells (below 16
// bytes), of longer ones and of more than 255 bytes mix, so that each way of
// keeping the cell ends meets the others.
void CheckRandomChanges(const size_t kColumns) {
    SCOPED_TRACE(std::to_string(kColumns) + " columns");
    using Cells = std::vector<std::string>;
    std::mt19937 random(20261209);
    auto below = [&](size_t n) { return static_cast<size_t>(random() % n); };
    const std::vector<Cells> tails = {{"ppm>O2", "Boiler no. 1", "Natural gas", ""},
                                      {"mg", "Boiler no. 1", "Natural gas", ""},
                                      {"ppm>O2", "Boiler no. 2", std::string(150, 'w'), ""},  // a wide row
                                      {"", "", "", ""}};
    auto text = [&] {
        const size_t kind = below(12);
        if (kind == 0) return std::string();
        // Fewer long cells in a wide row, so that some rows have none.
        if (kind == 1 && below(kColumns) < 6) return std::string(100 + below(200), char('a' + below(26)));
        if (kind == 2) return std::string(15 + below(2), char('a' + below(26)));
        return std::to_string(random() % 100000);
    };
    auto newRow = [&] {
        const size_t ownCells = kColumns - tails[0].size();
        Cells cells(below(4) ? ownCells : below(kColumns + 1));
        for (auto& cell : cells) cell = text();
        if (cells.size() == ownCells) {
            const Cells& tail = tails[below(tails.size())];
            cells.insert(cells.end(), tail.begin(), tail.end());
        }
        // Now and then every cell as long as a length in half a byte allows
        // (above 255 bytes with 21 columns), or just below or above 255 bytes.
        if (below(10) == 0)
            for (auto& cell : cells) cell.assign(below(4) ? 15 : 0, 'f');
        size_t others = 0;
        for (size_t c = 1; c < cells.size(); ++c) others += cells[c].size();
        const size_t length = 253 + below(6);
        if (!cells.empty() && below(6) == 0 && others < length) cells[0].assign(length - others, 'L');
        return cells;
    };

    MeasurementTable table(kColumns);
    std::vector<Cells> plain(2, Cells(kColumns));
    auto setRow = [&](size_t row, const Cells& cells) { std::copy(cells.begin(), cells.end(), plain[row].begin()); };
    for (int step = 0; step <= 4000; ++step) {
        const int rows = table.RowCount();
        const size_t action = below(100);
        const uint64_t rewrites = table.RewriteCount();
        if (action < 55) {
            // Mostly runs of rows with a repeated tail, as a file holds them.
            Cells cells = newRow();
            std::vector<std::string_view> views(cells.begin(), cells.end());
            if (rows > 1 && !cells.empty() && below(20) == 0) {
                views[0] = table.Cell(static_cast<int>(below(kColumns)), rows - 1);  // a text of the table itself
                cells[0] = std::string(views[0]);
            }
            table.AppendRowCells(views);
            plain.emplace_back(kColumns);
            setRow(plain.size() - 1, cells);
            EXPECT_EQ(table.RewriteCount(), rewrites) << "appending rewrites nothing";
        } else if (action < 80 && rows > 0) {
            const int row = static_cast<int>(below(static_cast<size_t>(rows)));
            const size_t column = below(kColumns);
            plain[row][column] = text();
            table.SetCell(static_cast<int>(column), row, plain[row][column]);
            if (row < rows - 1 && !(row == 0 && table.HasFixedRow())) {
                EXPECT_GT(table.RewriteCount(), rewrites);
            }
        } else if (action < 92 && rows > 0) {
            const size_t row = below(static_cast<size_t>(rows));
            const Cells cells = newRow();
            table.SetRowCells(static_cast<int>(row), std::vector<std::string_view>(cells.begin(), cells.end()));
            setRow(row, cells);
        } else if (action < 99) {
            // The last few rows (the rows before then append after tails
            // written for the dropped ones), a quarter, or nearly all.
            const size_t kind = below(3), few = below(4);
            const size_t count = kind == 0 ? static_cast<size_t>(std::max(rows - 1 - static_cast<int>(few), 0))
                                 : kind == 1 ? static_cast<size_t>(rows) * 3 / 4 + few
                                             : few;
            table.SetRowCount(static_cast<int>(count));
            plain.resize(count, Cells(kColumns));
        } else {
            table.Clear();
            plain.resize(2, Cells(kColumns));
            plain[1].assign(kColumns, "");
        }
        if (step % 16 != 0) continue;
        ASSERT_EQ(table.RowCount(), static_cast<int>(plain.size())) << step;
        for (int r = 0; r < table.RowCount(); ++r) {
            const MeasurementTable::RowView view = table.Row(r);
            for (size_t c = 0; c < kColumns; ++c) {
                ASSERT_EQ(table.Cell(static_cast<int>(c), r), plain[r][c]) << "step " << step << " row " << r;
                ASSERT_EQ(view.Cell(c), plain[r][c]) << "step " << step << " row " << r;
            }
        }
    }
}

}  // namespace

TEST(MeasurementTableBulk, RandomChangesKeepEveryCellAsAPlainTableWould) {
    CheckRandomChanges(6);
    CheckRandomChanges(21);  // as many as a gas row: the cell lengths fill more than a word
}

TEST(MeasurementTableBulk, RepeatedLastCellsAreStoredOncePerRun) {
    MeasurementTable table(5);
    table.SetRowCount(1);
    const std::string tail(40, 't');
    for (int r = 0; r < 1000; ++r) table.AppendRowCells({std::to_string(r), "x", tail, tail, ""});
    EXPECT_LT(table.MemoryBytes(), 1000u * 40);  // stored whole, the text alone is 80 bytes a row
    EXPECT_EQ(table.Cell(3, 999), tail);
}
