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
// table (MeasurementTable::RewriteCount) drops them. A file load builds the
// blocks of the rows it reads while it reads them, so that the first figures
// after a load cost no pass over the table.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Conversion.h"
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

// Sums of one column's cells over consecutive rows, in row order. The
// statistics and the file load both sum blocks with it, so that their
// figures agree to the last bit.
class ColumnSums {
public:
    // A cell that is no number is counted as skipped.
    void Add(std::string_view cell) {
        int64_t units = 0;
        int decimals = 0;
        if (conversion::ReadShortCommaNumber(cell, units, decimals)) {
            AddNumber(conversion::ShortCommaValue(cell, units, decimals), decimals);
        } else {
            Skip();
        }
    }
    // A cell read already: `x` is the value Add would read, `decimals` its decimals.
    void AddNumber(double x, int decimals) {
        NumberSummary& s = summary_;
        if (s.numbers++ == 0) {
            shift_ = s.min = s.max = x;
        } else {
            s.min = std::min(s.min, x);
            s.max = std::max(s.max, x);
        }
        // Sums less the first number keep the sum of squares exact enough over a block.
        const double d = x - shift_;
        sum_ += d;
        squares_ += d * d;
        s.decimals = std::max(s.decimals, decimals);
    }
    void Skip() { ++summary_.skipped; }

    NumberSummary Summary() const;

private:
    NumberSummary summary_;
    double shift_ = 0, sum_ = 0, squares_ = 0;
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

// Adds a row's cells from kFirstValueColumn on, one per ColumnSums.
void AddRowCells(const MeasurementTable::RowView& row, std::vector<ColumnSums>& sums);

using RowSummary = std::vector<NumberSummary>;  // by value column

// Block sums a file load built for the table it filled, until the
// statistics take them over.
struct LoadedBlockSums {
    std::vector<RowSummary> blocks;  // blocks 0..
    uint64_t rewrites = 0;           // the table's RewriteCount they belong to
    int columns = 0;                 // value columns
};

class IntervalStatistics {
public:
    static constexpr int kBlockRows = 512;

    // `loaded`, when given, is where a file load leaves the block sums of the
    // table it filled; they are taken while they still belong to the table.
    explicit IntervalStatistics(const MeasurementTable& table, LoadedBlockSums* loaded = nullptr)
        : table_(table), loaded_(loaded) {}

    // Rows firstRow..lastRow, clamped to the table; an empty summary when
    // nothing is left of them.
    IntervalSummary Compute(int firstRow, int lastRow);

    // Blocks one Prepare step sums at most: a few milliseconds of reading.
    static constexpr int kBlocksPerStep = 64;
    // Sums up to `blocks` more of the blocks Compute keeps, first to last;
    // true when every block of the table is summed, so that Compute reads
    // no more than the rows around its interval's blocks. A caller that must
    // stay responsive (the window) prepares in steps before computing.
    bool Prepare(int blocks = kBlocksPerStep);

private:
    void DropStaleBlocks();
    const RowSummary& Block(int block);
    // Adds the rows' cells to `into`.
    void ScanRows(int first, int last, RowSummary& into) const;

    const MeasurementTable& table_;
    LoadedBlockSums* loaded_;
    std::vector<RowSummary> blocks_;  // blocks 0.. of rows [b * kBlockRows, (b + 1) * kBlockRows)
    uint64_t rewrites_ = 0;
    int columns_ = 0;
};

// Sums blocks row after row from row 0, as a file load reads them.
class BlockSumsBuilder {
public:
    explicit BlockSumsBuilder(int tableColumns);

    // The sums of a value column (kFirstValueColumn on) in the current row.
    ColumnSums& Column(int column) { return current_[static_cast<size_t>(column - kFirstValueColumn)]; }
    std::vector<ColumnSums>& Columns() { return current_; }
    int TableColumns() const { return static_cast<int>(current_.size()) + kFirstValueColumn; }
    // The current row is complete: every kBlockRows rows make a block.
    void EndRow();
    // Hands the blocks over as sums of `table`, which holds the rows summed
    // (and perhaps fewer): only blocks before its last row are kept.
    void Seal(const MeasurementTable& table, LoadedBlockSums& into);

private:
    std::vector<ColumnSums> current_;
    int rowsInBlock_ = 0;
    std::vector<RowSummary> blocks_;
};

// A statistic in the table's own writing: a decimal comma and `decimals`
// digits after it ("20,45", "-0,3", "12").
std::string FormatStatistic(double value, int decimals);

}  // namespace vornik
