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

NumberSummary ColumnSums::Summary() const {
    NumberSummary s = summary_;
    if (s.numbers > 0) {
        const double n = static_cast<double>(s.numbers);
        s.mean = shift_ + sum_ / n;
        s.squares = std::max(squares_ - sum_ * sum_ / n, 0.0);
    }
    return s;
}

void AddRowCells(const MeasurementTable::RowView& row, std::vector<ColumnSums>& sums) {
    size_t begin = row.End(kFirstValueColumn - 1);
    for (size_t c = 0; c < sums.size(); ++c) {
        const size_t end = begin + row.CellLength(c + kFirstValueColumn);
        sums[c].Add(std::string_view(row.TextAt(begin), end - begin));
        begin = end;
    }
}

void IntervalStatistics::DropStaleBlocks() {
    const int columns = std::max(table_.ColumnCount() - kFirstValueColumn, 0);
    if (table_.RewriteCount() != rewrites_ || columns != columns_) {
        blocks_.clear();
        rewrites_ = table_.RewriteCount();
        columns_ = columns;
    }
    // A load's sums are the table's while no row has changed since it sealed them.
    if (loaded_ && loaded_->rewrites == rewrites_ && loaded_->columns == columns_ &&
        loaded_->blocks.size() > blocks_.size()) {
        blocks_ = std::move(loaded_->blocks);
        loaded_->blocks.clear();
    }
}

void IntervalStatistics::ScanRows(int first, int last, RowSummary& into) const {
    std::vector<ColumnSums> sums(static_cast<size_t>(columns_));
    for (int row = first; row <= last; ++row) AddRowCells(table_.Row(row), sums);
    for (int c = 0; c < columns_; ++c) into[c].Merge(sums[c].Summary());
}

const RowSummary& IntervalStatistics::Block(int block) {
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

BlockSumsBuilder::BlockSumsBuilder(int tableColumns)
    : current_(static_cast<size_t>(std::max(tableColumns - kFirstValueColumn, 0))) {}

void BlockSumsBuilder::EndRow() {
    if (++rowsInBlock_ < IntervalStatistics::kBlockRows) return;
    RowSummary block;
    block.reserve(current_.size());
    for (ColumnSums& sums : current_) {
        block.push_back(sums.Summary());
        sums = ColumnSums();
    }
    blocks_.push_back(std::move(block));
    rowsInBlock_ = 0;
}

void BlockSumsBuilder::Seal(const MeasurementTable& table, LoadedBlockSums& into) {
    const size_t complete = static_cast<size_t>(std::max(table.RowCount() - 1, 0) / IntervalStatistics::kBlockRows);
    if (blocks_.size() > complete) blocks_.resize(complete);
    into.blocks = std::move(blocks_);
    blocks_.clear();
    into.rewrites = table.RewriteCount();
    into.columns = static_cast<int>(current_.size());
}

std::string FormatStatistic(double value, int decimals) {
    if (!std::isfinite(value)) return "nd";
    return FormatFixed(value, 18, decimals);
}

}  // namespace vornik
