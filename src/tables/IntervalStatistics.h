#pragma once
// Statistics of a range of rows of a measurement table: how many rows, the
// date and time of the first and the last, and for every column after the
// time the mean, minimum, maximum and standard deviation of the cells that
// are numbers. A cell is a number when it is written as the table writes
// numbers ("-12,34", at most 15 digits); "nd", an empty cell or any other
// text is skipped and counted.
//
// Sums of complete blocks of rows are kept between calls, so that a range of
// a million rows costs a few thousand block merges and the rows at its ends,
// and following new rows costs little per row. Blocks never include the
// table's last row, the one a reply may still fill; any other change of the
// table (MeasurementTable::RewriteCount) drops them.
#include <cstdint>
#include <string>
#include <vector>

#include "tables/MeasurementTable.h"

namespace vornik {

// Count, mean, spread and range of a set of numbers; two sets merge exactly
// (the usual pairwise update of mean and sum of squared deviations).
struct NumberSummary {
    int64_t numbers = 0;
    int64_t skipped = 0;  // cells that were not numbers
    double mean = 0;
    double squares = 0;   // sum of squared deviations from the mean
    double min = 0;
    double max = 0;
    int decimals = 0;     // the most decimals among the numbers

    void Merge(const NumberSummary& other);
    // Sample standard deviation (n - 1), as spreadsheets give it; 0 for one number.
    double Deviation() const;
};

struct ColumnStatistics {
    int column = 0;
    NumberSummary summary;
};

struct IntervalSummary {
    int firstRow = 0;  // table rows, inclusive
    int lastRow = -1;
    int64_t rows = 0;
    std::string firstDate, firstTime, lastDate, lastTime;  // cells as the table holds them
    std::vector<ColumnStatistics> columns;                 // every column from kFirstValueColumn on
};

// Columns 0 to 2 are the number, the date and the time of a row.
constexpr int kDateColumn = 1;
constexpr int kTimeColumn = 2;
constexpr int kFirstValueColumn = 3;

class IntervalStatistics {
public:
    static constexpr int kBlockRows = 256;

    explicit IntervalStatistics(const MeasurementTable& table) : table_(table) {}

    // Rows firstRow..lastRow, clamped to the table; an empty summary when
    // nothing is left of them.
    IntervalSummary Compute(int firstRow, int lastRow);

    // Blocks one Prepare step sums at most: a few milliseconds of reading.
    static constexpr int kBlocksPerStep = 128;
    // Sums up to `blocks` more of the blocks Compute keeps, first to last;
    // true when every block of the table is summed, so that Compute reads
    // no more than the rows around its interval's blocks. A caller that must
    // stay responsive (the window) prepares in steps before computing.
    bool Prepare(int blocks = kBlocksPerStep);

private:
    using RowSummary = std::vector<NumberSummary>;  // by value column
    void DropStaleBlocks();
    const RowSummary& Block(int block);
    // Adds the rows' cells to `into`.
    void ScanRows(int first, int last, RowSummary& into) const;

    const MeasurementTable& table_;
    std::vector<RowSummary> blocks_;  // blocks 0.. of rows [b * kBlockRows, (b + 1) * kBlockRows)
    uint64_t rewrites_ = 0;
    int columns_ = 0;
};

// A statistic in the table's own writing: a decimal comma and `decimals`
// digits after it ("20,45", "-0,3", "12").
std::string FormatStatistic(double value, int decimals);

}  // namespace vornik
