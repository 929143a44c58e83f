#include "tables/IntervalStatistics.h"

#include <algorithm>
#include <cmath>

#include "core/Conversion.h"

namespace vornik {

void NumberSummary::Merge(const NumberSummary& other) {
    skipped += other.skipped;
    if (other.numbers == 0) return;
    if (numbers == 0) {
        const int64_t keepSkipped = skipped;
        *this = other;
        skipped = keepSkipped;
        return;
    }
    const double n = static_cast<double>(numbers + other.numbers);
    const double delta = other.mean - mean;
    mean += delta * static_cast<double>(other.numbers) / n;
    squares += other.squares + delta * delta * static_cast<double>(numbers) * static_cast<double>(other.numbers) / n;
    numbers += other.numbers;
    min = std::min(min, other.min);
    max = std::max(max, other.max);
    decimals = std::max(decimals, other.decimals);
}

double NumberSummary::Deviation() const {
    if (numbers < 2) return 0;
    return std::sqrt(std::max(squares, 0.0) / static_cast<double>(numbers - 1));
}

void IntervalStatistics::DropStaleBlocks() {
    const int columns = std::max(table_.ColumnCount() - kFirstValueColumn, 0);
    if (table_.RewriteCount() == rewrites_ && columns == columns_) return;
    blocks_.clear();
    rewrites_ = table_.RewriteCount();
    columns_ = columns;
}

void IntervalStatistics::ScanRows(int first, int last, RowSummary& into) const {
    // One pass per row: sums of each column's numbers less its first number
    // (the shift keeps the sum of squares exact enough over a block), merged
    // into `into` at the end.
    struct Sums {
        double shift = 0, sum = 0, squares = 0;
    };
    std::vector<Sums> sums(static_cast<size_t>(columns_));
    RowSummary part(static_cast<size_t>(columns_));
    for (int row = first; row <= last; ++row) {
        const MeasurementTable::RowView view = table_.Row(row);
        size_t begin = view.End(kFirstValueColumn - 1);
        for (int c = 0; c < columns_; ++c) {
            const size_t end = view.End(static_cast<size_t>(c + kFirstValueColumn));
            const std::string_view text(view.text + begin, end - begin);
            begin = end;
            NumberSummary& s = part[c];
            int64_t units = 0;
            int decimals = 0;
            if (!conversion::ReadShortCommaNumber(text, units, decimals)) {
                ++s.skipped;
                continue;
            }
            const double x = conversion::ShortCommaValue(text, units, decimals);
            if (s.numbers++ == 0) {
                sums[c].shift = s.min = s.max = x;
            } else {
                s.min = std::min(s.min, x);
                s.max = std::max(s.max, x);
            }
            const double d = x - sums[c].shift;
            sums[c].sum += d;
            sums[c].squares += d * d;
            s.decimals = std::max(s.decimals, decimals);
        }
    }
    for (int c = 0; c < columns_; ++c) {
        NumberSummary& s = part[c];
        if (s.numbers > 0) {
            const double n = static_cast<double>(s.numbers);
            s.mean = sums[c].shift + sums[c].sum / n;
            s.squares = std::max(sums[c].squares - sums[c].sum * sums[c].sum / n, 0.0);
        }
        into[c].Merge(s);
    }
}

const IntervalStatistics::RowSummary& IntervalStatistics::Block(int block) {
    while (static_cast<int>(blocks_.size()) <= block) {
        const int first = static_cast<int>(blocks_.size()) * kBlockRows;
        RowSummary summary(static_cast<size_t>(columns_));
        ScanRows(first, first + kBlockRows - 1, summary);
        blocks_.push_back(std::move(summary));
    }
    return blocks_[block];
}

bool IntervalStatistics::Prepare(int blocks) {
    DropStaleBlocks();
    // Blocks end before the table's last row, the one a reply may still fill.
    const int complete = std::max(table_.RowCount() - 1, 0) / kBlockRows;
    const int target = std::min(complete, static_cast<int>(blocks_.size()) + std::max(blocks, 0));
    if (target > 0 && target > static_cast<int>(blocks_.size())) Block(target - 1);
    return static_cast<int>(blocks_.size()) >= complete;
}

IntervalSummary IntervalStatistics::Compute(int firstRow, int lastRow) {
    DropStaleBlocks();
    IntervalSummary result;
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, table_.RowCount() - 1);
    if (firstRow > lastRow || table_.ColumnCount() <= kTimeColumn) return result;
    result.firstRow = firstRow;
    result.lastRow = lastRow;
    result.rows = lastRow - firstRow + 1;
    result.firstDate = std::string(table_.Cell(kDateColumn, firstRow));
    result.firstTime = std::string(table_.Cell(kTimeColumn, firstRow));
    result.lastDate = std::string(table_.Cell(kDateColumn, lastRow));
    result.lastTime = std::string(table_.Cell(kTimeColumn, lastRow));

    RowSummary total(static_cast<size_t>(columns_));
    // Whole blocks that end before the table's last row come from the kept
    // sums; the rows around them are read.
    const int lastKeepable = table_.RowCount() - 2;
    int row = firstRow;
    while (row <= lastRow) {
        const int block = row / kBlockRows;
        const int blockEnd = (block + 1) * kBlockRows - 1;
        if (row == block * kBlockRows && blockEnd <= lastRow && blockEnd <= lastKeepable) {
            const RowSummary& summary = Block(block);
            for (int c = 0; c < columns_; ++c) total[c].Merge(summary[c]);
        } else {
            ScanRows(row, std::min(blockEnd, lastRow), total);
        }
        row = blockEnd + 1;
    }
    for (int c = 0; c < columns_; ++c) result.columns.push_back({c + kFirstValueColumn, total[c]});
    return result;
}

std::string FormatStatistic(double value, int decimals) {
    if (!std::isfinite(value)) return "nd";
    return FormatFixed(value, 18, decimals);
}

}  // namespace vornik
