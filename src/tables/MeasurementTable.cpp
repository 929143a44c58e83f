#include "tables/MeasurementTable.h"

#include <stdexcept>
#include <string>

namespace vornik {

MeasurementTable::MeasurementTable(int columns)
    : columns_(columns), widths_(static_cast<size_t>(columns), 64) {
    if (columns <= 0) throw std::invalid_argument("a table needs columns");
    SetRowCount(2);
}

void MeasurementTable::CheckAddress(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0 || row >= RowCount())
        throw std::out_of_range("cell (" + std::to_string(column) + ", " + std::to_string(row) +
                                ") is outside the table");
}

size_t MeasurementTable::CellOffset(int column, int row) const {
    return static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column);
}

void MeasurementTable::SetRowCount(int rows) {
    if (rows < 0) rows = 0;
    const int old = RowCount();
    if (rows == old) return;
    if (rows < old) {
        for (int r = rows; r < old; ++r) liveBytes_ -= cellEnd_[CellOffset(columns_ - 1, r)];
        rowStart_.resize(static_cast<size_t>(rows));
        cellEnd_.resize(static_cast<size_t>(rows) * columns_);
        if (rows == 0) arena_.clear(), liveBytes_ = 0;
    } else {
        rowStart_.resize(static_cast<size_t>(rows), arena_.size());
        cellEnd_.resize(static_cast<size_t>(rows) * columns_, 0);
    }
    if (rows == 1) fixedRow_ = false;
    if (currentRow_ >= rows) currentRow_ = rows - 1;
    CompactIfWasteful();
    NotifyShape();
}

std::string_view MeasurementTable::Cell(int column, int row) const {
    CheckAddress(column, row);
    const size_t first = CellOffset(0, row);
    const uint32_t begin = column == 0 ? 0 : cellEnd_[first + column - 1];
    const uint32_t end = cellEnd_[first + column];
    return std::string_view(arena_.data() + rowStart_[row] + begin, end - begin);
}

void MeasurementTable::SetCell(int column, int row, std::string_view text) {
    CheckAddress(column, row);
    std::vector<std::string_view> cells(static_cast<size_t>(columns_));
    for (int c = 0; c < columns_; ++c) cells[c] = Cell(c, row);
    cells[column] = text;
    WriteRow(row, cells);
    NotifyRows(row, row);
}

void MeasurementTable::SetRowCells(int row, const std::vector<std::string_view>& cells) {
    CheckAddress(0, row);
    std::vector<std::string_view> all(static_cast<size_t>(columns_));
    for (int c = 0; c < columns_; ++c)
        all[c] = c < static_cast<int>(cells.size()) ? cells[c] : Cell(c, row);
    WriteRow(row, all);
    NotifyRows(row, row);
}

void MeasurementTable::Reserve(int rows, size_t textBytes) {
    if (rows > 0) {
        rowStart_.reserve(static_cast<size_t>(rows));
        cellEnd_.reserve(static_cast<size_t>(rows) * static_cast<size_t>(columns_));
    }
    arena_.reserve(textBytes);
}

int MeasurementTable::AppendRowCells(const std::vector<std::string_view>& cells) {
    const int row = RowCount();
    if (row <= 1 || cells.size() > static_cast<size_t>(columns_) || PointsIntoArena(cells)) {
        // The general path: it handles the fixed row and texts inside the arena.
        SetRowCount(row + 1);
        SetRowCells(row, cells);
        return row;
    }
    rowStart_.push_back(arena_.size());
    uint32_t end = 0;
    for (const auto& text : cells) {
        arena_.insert(arena_.end(), text.begin(), text.end());
        end += static_cast<uint32_t>(text.size());
        cellEnd_.push_back(end);
    }
    cellEnd_.resize(cellEnd_.size() + (static_cast<size_t>(columns_) - cells.size()), end);
    liveBytes_ += end;
    NotifyShape();
    return row;
}

MeasurementTable::RowView MeasurementTable::Row(int row) const {
    CheckAddress(0, row);
    return RowView{arena_.data() + rowStart_[row], cellEnd_.data() + CellOffset(0, row)};
}

bool MeasurementTable::PointsIntoArena(const std::vector<std::string_view>& cells) const {
    const char* begin = arena_.data();
    const char* end = begin + arena_.size();
    for (const auto& text : cells)
        if (!text.empty() && text.data() >= begin && text.data() < end) return true;
    return false;
}

void MeasurementTable::WriteRow(int row, const std::vector<std::string_view>& cells) {
    if (PointsIntoArena(cells)) {
        // The texts would move while the arena grows: write from copies.
        const std::vector<std::string> copies(cells.begin(), cells.end());
        WriteRow(row, std::vector<std::string_view>(copies.begin(), copies.end()));
        return;
    }
    const size_t first = CellOffset(0, row);
    const size_t oldLength = cellEnd_[first + columns_ - 1];
    const bool lastInArena = rowStart_[row] + oldLength == arena_.size() && oldLength > 0;
    if (lastInArena) {
        // The row sits at the end of the arena: rewrite it in place.
        arena_.resize(rowStart_[row]);
    }
    liveBytes_ -= oldLength;
    rowStart_[row] = arena_.size();
    uint32_t end = 0;
    for (int c = 0; c < columns_; ++c) {
        const auto& text = cells[c];
        arena_.insert(arena_.end(), text.begin(), text.end());
        end += static_cast<uint32_t>(text.size());
        cellEnd_[first + c] = end;
    }
    liveBytes_ += end;
    CompactIfWasteful();
}

void MeasurementTable::CompactIfWasteful() {
    const size_t waste = arena_.size() - liveBytes_;
    if (waste < 4096 || waste < liveBytes_) return;
    std::vector<char> packed;
    packed.reserve(liveBytes_ + liveBytes_ / 4);
    for (int r = 0; r < RowCount(); ++r) {
        const uint32_t length = cellEnd_[CellOffset(columns_ - 1, r)];
        const char* from = arena_.data() + rowStart_[r];
        rowStart_[r] = packed.size();
        packed.insert(packed.end(), from, from + length);
    }
    arena_.swap(packed);
}

bool MeasurementTable::IsEmpty() const {
    if (RowCount() < 2) return true;
    for (int c = 0; c < columns_; ++c)
        if (!Cell(c, 1).empty()) return false;
    return true;
}

int MeasurementTable::NextAppendRow() const {
    // A table loaded from a file of only its header line has no row 1: the
    // measurement must not land on the header row.
    if (RowCount() < 2) return 1;
    return IsEmpty() ? RowCount() - 1 : RowCount();
}

int MeasurementTable::AppendRow() {
    BeginUpdate();  // listeners hear of the new row once it is current
    const int row = NextAppendRow();
    if (row >= RowCount()) SetRowCount(row + 1);
    currentRow_ = row;
    EndUpdate();
    return currentRow_;
}

void MeasurementTable::Clear() {
    SetRowCount(2);
    const std::vector<std::string_view> empty(static_cast<size_t>(columns_));
    WriteRow(1, empty);
    currentRow_ = 1;
    NotifyShape();
}

void MeasurementTable::BeginUpdate() { ++updateDepth_; }

void MeasurementTable::EndUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0 && changedInUpdate_) {
        changedInUpdate_ = false;
        if (listener_) listener_->TableShapeChanged();
    }
}

void MeasurementTable::NotifyRows(int first, int last) {
    if (updateDepth_ > 0) {
        changedInUpdate_ = true;
    } else if (listener_) {
        listener_->TableRowsChanged(first, last);
    }
}

void MeasurementTable::NotifyShape() {
    if (updateDepth_ > 0) {
        changedInUpdate_ = true;
    } else if (listener_) {
        listener_->TableShapeChanged();
    }
}

size_t MeasurementTable::MemoryBytes() const {
    return arena_.capacity() + rowStart_.capacity() * sizeof(uint64_t) +
           cellEnd_.capacity() * sizeof(uint32_t);
}

}  // namespace vornik
