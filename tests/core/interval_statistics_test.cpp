#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/Conversion.h"
#include "tables/IntervalStatistics.h"

using namespace vornik;

namespace {

constexpr int kColumns = 7;  // number, date, time, four values

// A cell as the tables hold them: a number with 0 to 2 decimals, "nd", or empty.
std::string RandomCell(std::mt19937& random, int column) {
    const int kind = static_cast<int>(random() % 10);
    if (kind == 0) return "nd";
    if (kind == 1) return "";
    const int decimals = column % 3;
    const int units = static_cast<int>(random() % 200001) - 100000;
    return FormatScaled(units, 1000, 15, decimals);
}

void AppendRandomRow(MeasurementTable& table, std::mt19937& random) {
    const int row = table.RowCount();
    std::vector<std::string> cells = {std::to_string(row) + "/1", "09.12.26", std::to_string(row)};
    for (int c = kFirstValueColumn; c < kColumns; ++c) cells.push_back(RandomCell(random, c));
    table.AppendRowCells(std::vector<std::string_view>(cells.begin(), cells.end()));
}

// The plain computation: every cell of the range read again, two passes.
void ExpectPlainStatistics(const MeasurementTable& table, const IntervalSummary& got, int first, int last) {
    ASSERT_EQ(got.rows, last - first + 1);
    EXPECT_EQ(got.firstTime, table.Cell(kTimeColumn, first));
    EXPECT_EQ(got.lastTime, table.Cell(kTimeColumn, last));
    ASSERT_EQ(got.columns.size(), size_t(kColumns - kFirstValueColumn));
    for (const ColumnStatistics& column : got.columns) {
        std::vector<double> values;
        int64_t skipped = 0;
        int decimals = 0;
        for (int row = first; row <= last; ++row) {
            const std::string_view text = table.Cell(column.column, row);
            if (text.empty() || text == "nd") {
                ++skipped;
                continue;
            }
            values.push_back(CellValue(text));
            const size_t comma = text.find(',');
            if (comma != std::string_view::npos) decimals = std::max(decimals, int(text.size() - comma - 1));
        }
        const NumberSummary& s = column.summary;
        ASSERT_EQ(s.numbers, int64_t(values.size())) << "column " << column.column;
        EXPECT_EQ(s.skipped, skipped);
        EXPECT_EQ(s.decimals, decimals);
        if (values.empty()) continue;
        double sum = 0;
        for (double v : values) sum += v;
        const double mean = sum / values.size();
        double squares = 0;
        for (double v : values) squares += (v - mean) * (v - mean);
        const double deviation = values.size() > 1 ? std::sqrt(squares / (values.size() - 1)) : 0;
        EXPECT_NEAR(s.mean, mean, 1e-9);
        EXPECT_NEAR(s.Deviation(), deviation, 1e-9);
        EXPECT_EQ(s.min, *std::min_element(values.begin(), values.end()));
        EXPECT_EQ(s.max, *std::max_element(values.begin(), values.end()));
    }
}

}  // namespace

TEST(IntervalStatistics, AgreesWithAPlainComputationOverRandomRangesAsTheTableGrowsAndChanges) {
    std::mt19937 random(24);
    MeasurementTable table(kColumns);
    table.SetRowCount(1);  // rows from 1 on are appended below row 0
    IntervalStatistics statistics(table);
    for (int round = 0; round < 6; ++round) {
        for (int i = 0; i < 700; ++i) AppendRandomRow(table, random);
        const int rows = table.RowCount();
        for (int check = 0; check < 12; ++check) {
            int first = 1 + static_cast<int>(random() % (rows - 1));
            int last = 1 + static_cast<int>(random() % (rows - 1));
            if (first > last) std::swap(first, last);
            if (check == 0) first = 1, last = rows - 1;  // everything, through the last row
            ExpectPlainStatistics(table, statistics.Compute(first, last), first, last);
        }
        // A row inside the kept blocks changes: the sums must not go stale.
        table.SetCell(4, 300 + round, "99999,99");
        // Summed again one block at a time, as the window does: every block
        // was dropped, and the same figures follow.
        int steps = 0;
        while (!statistics.Prepare(1)) ++steps;
        EXPECT_EQ(steps, (rows - 1) / IntervalStatistics::kBlockRows - 1);
        ExpectPlainStatistics(table, statistics.Compute(1, rows - 1), 1, rows - 1);
        // The last row is filled after its first read (a reply into row 1 of
        // an empty table does that): nothing kept includes it.
        table.SetCell(5, rows - 1, "-5,5");
        ExpectPlainStatistics(table, statistics.Compute(1, rows - 1), 1, rows - 1);
    }
    table.SetRowCount(500);  // rows removed
    ExpectPlainStatistics(table, statistics.Compute(1, 499), 1, 499);
}

TEST(IntervalStatistics, RangesOutsideTheTableAndColumnsWithoutNumbers) {
    MeasurementTable table(kColumns);
    table.SetRowCells(1, {"1/1", "09.12.26", "10:00:00", "nd", "", "20,5", "-3"});
    IntervalStatistics statistics(table);
    EXPECT_EQ(statistics.Compute(5, 9).rows, 0);
    const IntervalSummary one = statistics.Compute(-3, 100);
    ASSERT_EQ(one.rows, 2);  // the header row is the caller's to leave out
    EXPECT_EQ(one.lastTime, "10:00:00");
    EXPECT_EQ(one.columns[0].summary.numbers, 0);
    EXPECT_EQ(one.columns[0].summary.skipped, 2);
    EXPECT_EQ(one.columns[2].summary.decimals, 1);
    EXPECT_EQ(one.columns[2].summary.Deviation(), 0);

    EXPECT_EQ(FormatStatistic(20.449999, 1), "20,4");
    EXPECT_EQ(FormatStatistic(-0.04, 1), "0,0");
    EXPECT_EQ(FormatStatistic(-3.25, 0), "-3");
    EXPECT_EQ(FormatStatistic(1.0 / 3, 2), "0,33");
}
