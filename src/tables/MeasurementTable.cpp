#include "tables/MeasurementTable.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "core/LargeMemory.h"
#include "core/PreparedMemory.h"

namespace vornik {

namespace {

// A cell's bytes: most cells are a few bytes, copied here with two
// overlapping moves instead of a call per cell.
inline void CopyCell(char* to, const char* from, size_t size) {
    if (size >= 8 && size <= 16) {
        uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + size - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + size - 8, &tail, 8);
    } else if (size >= 4 && size < 8) {
        uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + size - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + size - 4, &tail, 4);
    } else if (size < 4) {
        for (size_t i = 0; i < size; ++i) to[i] = from[i];
    } else {
        std::memcpy(to, from, size);
    }
}

// Copies the text of the cells lying in bytes [from, to) of the cells' text
// back to back (both cell boundaries) to `out`.
void CopyCells(char* out, const std::vector<std::string_view>& cells, size_t from, size_t to) {
    size_t at = 0;
    for (const auto& text : cells) {
        if (at >= to) return;
        if (at >= from && !text.empty()) CopyCell(out + (at - from), text.data(), text.size());
        at += text.size();
    }
}

}  // namespace

MeasurementTable::MeasurementTable(int columns)
    : columns_(columns), widths_(static_cast<size_t>(columns > 0 ? columns : 0), 64) {
    if (columns <= 0) throw std::invalid_argument("a table needs columns");
    arena_.assign(EmptyRecordBytes(), 0);
    liveBytes_ = arena_.size();
    SetRowCount(2);
}

void MeasurementTable::CheckAddress(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0 || row >= RowCount())
        throw std::out_of_range("cell (" + std::to_string(column) + ", " + std::to_string(row) +
                                ") is outside the table");
}

MeasurementTable::EndsForm MeasurementTable::Form(int row) const {
    const unsigned high = rowHigh_[row];
    return high & kNibblesBit ? EndsForm::Nibbles : high & kWideBit ? EndsForm::Wide : EndsForm::Narrow;
}

void MeasurementTable::SetRecordStart(int row, size_t start, EndsForm form, bool tailed) {
    const unsigned formBit = form == EndsForm::Nibbles ? kNibblesBit : form == EndsForm::Wide ? kWideBit : 0;
    rowLow_[row] = static_cast<uint32_t>(start);
    rowHigh_[row] = static_cast<uint8_t>((uint64_t(start) >> 32) | formBit | (tailed ? kTailBit : 0));
}

size_t MeasurementTable::EndsBytes(EndsForm form) const {
    const size_t columns = static_cast<size_t>(columns_);
    return form == EndsForm::Nibbles ? (columns + 1) / 2 : form == EndsForm::Wide ? 2 * columns : columns;
}

MeasurementTable::EndsForm MeasurementTable::ChooseForm(const std::vector<std::string_view>& cells,
                                                        size_t length) const {
    bool shortCells = true;
    for (const auto& text : cells) shortCells &= text.size() <= kMaxNibbleCellBytes;
    if (shortCells) return EndsForm::Nibbles;
    return length > kMaxNarrowRowBytes ? EndsForm::Wide : EndsForm::Narrow;
}

size_t MeasurementTable::TailStart(int row) const {
    if (!(rowHigh_[row] & kTailBit)) return 0;
    // The last tail written before the row's record.
    const auto after = std::upper_bound(tailStarts_.begin(), tailStarts_.end(), RecordStart(row));
    return static_cast<size_t>(after[-1]);
}

MeasurementTable::RowView MeasurementTable::View(int row) const {
    const EndsForm form = Form(row);
    const char* record = arena_.data() + RecordStart(row);
    const char* tail = nullptr;
    size_t tailLength = 0;
    if (rowHigh_[row] & kTailBit) {
        const char* tailRecord = arena_.data() + TailStart(row);
        uint16_t stored;
        std::memcpy(&stored, tailRecord, sizeof stored);
        tailLength = stored;
        tail = tailRecord + kTailHeaderBytes;
    }
    RowView view{record + EndsBytes(form), nullptr, reinterpret_cast<const unsigned char*>(record), form, 0, 0};
    view.length = view.End(static_cast<size_t>(columns_) - 1);
    view.ownLength = view.length - tailLength;
    view.tail = tail ? tail : view.text + view.length;
    return view;
}

size_t MeasurementTable::RecordBytes(int row) const {
    const RowView view = View(row);
    return EndsBytes(view.form) + view.ownLength;
}

void MeasurementTable::SetRowCount(int rows) {
    if (rows < 0) rows = 0;
    const int old = RowCount();
    if (rows == old) return;
    if (rows < old) {
        ++rewrites_;
        for (int r = rows; r < old; ++r)
            if (RecordStart(r) != 0) liveBytes_ -= RecordBytes(r);
        rowLow_.resize(static_cast<size_t>(rows));
        rowHigh_.resize(static_cast<size_t>(rows));
        if (rows == 0) {
            arena_.resize(EmptyRecordBytes());
            liveBytes_ = arena_.size();
            tailStarts_.clear();
        }
    } else {
        // New rows share the empty record.
        rowLow_.resize(static_cast<size_t>(rows), 0);
        rowHigh_.resize(static_cast<size_t>(rows), 0);
    }
    if (rows == 1) fixedRow_ = false;
    if (currentRow_ >= rows) currentRow_ = rows - 1;
    CompactIfWasteful();
    NotifyShape();
}

std::string_view MeasurementTable::Cell(int column, int row) const {
    CheckAddress(column, row);
    return View(row).Cell(static_cast<size_t>(column));
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

void MeasurementTable::Reserve(int rows, size_t bytes) {
    if (rows > 0) {
        rowLow_.reserve(static_cast<size_t>(rows));
        rowHigh_.reserve(static_cast<size_t>(rows));
        AdviseLargePages(rowLow_.data(), rowLow_.capacity() * sizeof(uint32_t));
    }
    if (arena_.capacity() < bytes) {
        // A block made ready while the program started, when there is one.
        Arena prepared = TakePreparedMemory(bytes);
        if (prepared.capacity() >= bytes) {
            prepared.assign(arena_.begin(), arena_.end());
            arena_.swap(prepared);
        }
    }
    arena_.reserve(bytes);
    AdviseLargePages(arena_.data(), arena_.capacity());
}

size_t MeasurementTable::CheckRowLength(const std::vector<std::string_view>& cells) {
    size_t length = 0;
    for (const auto& text : cells) length += text.size();
    if (length > kMaxRowBytes) throw std::length_error("a table row holds at most 65535 bytes of text");
    return length;
}

size_t MeasurementTable::WriteRecord(size_t start, const std::vector<std::string_view>& cells, size_t length,
                                     EndsForm form) {
    const size_t endsBytes = EndsBytes(form);
    CheckArenaEnd(start + endsBytes + length);
    arena_.resize(start + endsBytes + length);  // unset bytes; a failure to grow keeps every byte
    PutRecord(arena_.data() + start, cells, length, form);
    liveBytes_ += endsBytes + length;
    return start;
}

void MeasurementTable::CheckArenaEnd(uint64_t end) {
    if (end > kMaxArenaBytes) throw std::length_error("a table holds at most 128 GiB");
}

void MeasurementTable::PutRecord(char* to, const std::vector<std::string_view>& cells, size_t ownLength,
                                 EndsForm form) const {
    WriteEnds(to, cells, form);
    CopyCells(to + EndsBytes(form), cells, 0, ownLength);
}

void MeasurementTable::WriteEnds(char* to, const std::vector<std::string_view>& cells, EndsForm form) const {
    unsigned char* ends = reinterpret_cast<unsigned char*>(to);
    if (form == EndsForm::Nibbles) {
        std::memset(ends, 0, EndsBytes(form));
        for (size_t c = 0; c < cells.size(); ++c)
            ends[c / 2] = static_cast<unsigned char>(ends[c / 2] | cells[c].size() << (c % 2 * 4));
        return;
    }
    size_t end = 0;
    for (size_t c = 0; c < static_cast<size_t>(columns_); ++c) {
        if (c < cells.size()) end += cells[c].size();
        if (form == EndsForm::Wide) {
            const uint16_t wideEnd = static_cast<uint16_t>(end);
            std::memcpy(ends + 2 * c, &wideEnd, sizeof wideEnd);
        } else {
            ends[c] = static_cast<unsigned char>(end);
        }
    }
}

MeasurementTable::TailChoice MeasurementTable::ChooseTail(int previousRow, const std::vector<std::string_view>& cells,
                                                          size_t length) const {
    const TailChoice whole{length, false};
    if (length < kMinTailBytes) return whole;
    const RowView previous = View(previousRow);
    const size_t previousTail = previous.length - previous.ownLength;
    // Bytes of the trailing cells both rows have alike, up to the previous
    // row's tail when it has one (which the new row then shares).
    size_t same = 0;
    for (size_t c = static_cast<size_t>(columns_); c-- > 0;) {
        const std::string_view text = c < cells.size() ? cells[c] : std::string_view();
        // The previous row's cell, found from the row's end back by the cells' lengths.
        const size_t size = previous.CellLength(c);
        if (text != std::string_view(previous.TextAt(previous.length - same - size), size)) break;
        same += text.size();
        // Shared only while no tail was written after it: the new row's tail
        // is the last one before its record.
        if (previousTail > 0 && same >= previousTail && TailStart(previousRow) == tailStarts_.back())
            return {length - previousTail, false};
    }
    if (same < kMinTailBytes) return whole;
    return {length - same, true};
}

void MeasurementTable::AppendRecord(int row, const std::vector<std::string_view>& cells, size_t length,
                                    const TailChoice& tail) {
    const EndsForm form = ChooseForm(cells, length);
    const bool tailed = tail.ownLength < length;
    const size_t tailLength = length - tail.ownLength;
    const size_t tailBytes = tail.newTail ? kTailHeaderBytes + tailLength : 0;
    const size_t recordBytes = EndsBytes(form) + tail.ownLength;
    const size_t at = arena_.size();
    CheckArenaEnd(at + tailBytes + recordBytes);
    if (tail.newTail) tailStarts_.reserve(tailStarts_.size() + 1);
    arena_.resize(at + tailBytes + recordBytes);  // unset bytes; a failure to grow keeps every byte
    char* out = arena_.data() + at;
    if (tail.newTail) {
        const uint16_t stored = static_cast<uint16_t>(tailLength);
        std::memcpy(out, &stored, sizeof stored);
        CopyCells(out + kTailHeaderBytes, cells, tail.ownLength, length);
        tailStarts_.push_back(at);  // room reserved: no failure after the arena grew
        out += tailBytes;
    }
    PutRecord(out, cells, tail.ownLength, form);
    liveBytes_ += tailBytes + recordBytes;
    SetRecordStart(row, at + tailBytes, form, tailed);
}

int MeasurementTable::AppendRowCells(const std::vector<std::string_view>& cells) {
    const int row = RowCount();
    if (row <= 1 || cells.size() > static_cast<size_t>(columns_) || PointsIntoArena(cells)) {
        // The general path: it handles the fixed row and texts inside the arena.
        CheckRowLength(cells);
        SetRowCount(row + 1);
        SetRowCells(row, cells);
        return row;
    }
    const size_t length = CheckRowLength(cells);
    // Room in the index first, so that a failure leaves the table as it was.
    rowLow_.push_back(0);
    try {
        rowHigh_.push_back(0);
        if (length > 0) AppendRecord(row, cells, length, ChooseTail(row - 1, cells, length));
    } catch (...) {
        rowLow_.resize(static_cast<size_t>(row));
        rowHigh_.resize(static_cast<size_t>(row));
        throw;
    }
    NotifyShape();
    return row;
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
    const size_t length = CheckRowLength(cells);
    if (row < RowCount() - 1 && !(row == 0 && fixedRow_)) ++rewrites_;
    const size_t oldStart = RecordStart(row);
    const size_t oldBytes = oldStart == 0 ? 0 : RecordBytes(row);
    // A row whose record ends the arena is rewritten in place.
    const bool lastInArena = oldStart != 0 && oldStart + oldBytes == arena_.size();
    const EndsForm form = length > 0 ? ChooseForm(cells, length) : EndsForm::Narrow;
    size_t start = 0;
    if (length > 0) {
        start = WriteRecord(lastInArena ? oldStart : arena_.size(), cells, length, form);
    } else if (lastInArena) {
        arena_.resize(oldStart);
    }
    liveBytes_ -= oldBytes;
    SetRecordStart(row, start, form);
    CompactIfWasteful();
}

// Packing once the waste is half the live bytes, into room for as much waste
// again, keeps the arena within 1.5 times its live bytes while rows are
// rewritten, without growing between two packings.
void MeasurementTable::CompactIfWasteful() {
    const size_t waste = arena_.size() - liveBytes_;
    if (waste < 1024 || waste < liveBytes_ / 2) return;
    Arena packed;
    packed.reserve(liveBytes_ + liveBytes_ / 2);
    packed.assign(arena_.begin(), arena_.begin() + static_cast<std::ptrdiff_t>(EmptyRecordBytes()));
    // A tail moves with the first row of each run of rows using it, just
    // before that row: it is again the last tail before every row of the run.
    std::vector<uint64_t> movedTails;
    size_t lastTail = 0;
    for (int r = 0; r < RowCount(); ++r) {
        const size_t from = RecordStart(r);
        if (from == 0) continue;
        const size_t tail = TailStart(r);
        if (tail != 0 && tail != lastTail) {
            uint16_t tailLength;
            std::memcpy(&tailLength, arena_.data() + tail, sizeof tailLength);
            movedTails.push_back(packed.size());
            AppendBytes(packed, tail, kTailHeaderBytes + tailLength);
            lastTail = tail;
        }
        const size_t to = packed.size();
        AppendBytes(packed, from, RecordBytes(r));
        // Read before the row's start changes: TailStart and RecordBytes use it.
        SetRecordStart(r, to, Form(r), tail != 0);
    }
    arena_.swap(packed);
    tailStarts_.swap(movedTails);
    // Tails no row uses any more are gone now.
    liveBytes_ = arena_.size();
}

void MeasurementTable::AppendBytes(Arena& to, size_t from, size_t bytes) const {
    to.insert(to.end(), arena_.begin() + static_cast<std::ptrdiff_t>(from),
              arena_.begin() + static_cast<std::ptrdiff_t>(from + bytes));
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
    return arena_.capacity() + rowLow_.capacity() * sizeof(uint32_t) + rowHigh_.capacity() +
           tailStarts_.capacity() * sizeof(uint64_t);
}

}  // namespace vornik
