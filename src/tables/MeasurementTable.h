#pragma once
// A measurement table: a grid of text cells, row 0 the headers, rows 1 on one
// measurement each. Cells are Windows-1251 bytes.
//
// Storage is one byte arena per table. Each row is one record in it: the end
// offset of every cell within the row's text, then the text, its cells back to
// back. A row whose every cell is shorter than 16 bytes (nearly every real
// row) keeps instead each cell's length in half a byte, two cells a byte, the
// ends being their running sums; another row of at most 255 bytes of text
// keeps its cell ends in one byte each; a longer one in two. The row index
// holds each record's start and flags in 5 bytes, so a row costs 5 +
// (columns + 1) / 2 bytes beyond its text (5 + columns or 5 + 2 x columns in
// the other forms), and holds at most kMaxRowBytes bytes of text. Every row
// without text shares one empty record at the arena's start.
//
// The last cells of consecutive rows of a file mostly repeat (the unit, the
// boiler, the fuel): a row appended in bulk whose trailing cells repeat the
// row before's keeps only its first cells' text and shares a tail record
// holding the text of the rest, written once for a run of such rows. A flag
// in the index marks such a row; its tail is the last tail record written
// before the row's own record, which every change keeps true (a tail is
// shared only while no other has been written since, a compaction moves it
// before the first row of each run). The cell ends stay as if the text were
// contiguous, so a cell lies wholly in the row's own text or wholly in the
// tail.
//
// A cell is changed by rewriting its row, whole, at the end of the arena; the
// space left behind is reclaimed when it outgrows the live records.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/UninitialisedAllocator.h"

namespace vornik {

// Told of every change, so that a view can mirror the table.
class TableListener {
public:
    virtual ~TableListener() = default;
    // Cells of rows first..last changed (the row count did not).
    virtual void TableRowsChanged(int firstRow, int lastRow) = 0;
    // The row count, the fixed-row state or many cells changed at once.
    virtual void TableShapeChanged() = 0;
};

class MeasurementTable {
public:
    // The most text one row can hold (a real row holds a few hundred bytes).
    static constexpr size_t kMaxRowBytes = 65535;

    explicit MeasurementTable(int columns);

    int ColumnCount() const { return columns_; }
    int RowCount() const { return static_cast<int>(rowLow_.size()); }

    // Grows with empty rows or drops rows from the end. Setting the row count
    // to 1 leaves no room for the fixed header row: from then on the table
    // has no fixed row.
    void SetRowCount(int rows);

    std::string_view Cell(int column, int row) const;
    void SetCell(int column, int row, std::string_view text);
    // Writes the first cells.size() cells of a row in one step (the others
    // keep their text). A row longer than kMaxRowBytes throws std::length_error
    // and leaves the table as it was (so do SetCell and AppendRowCells).
    void SetRowCells(int row, const std::vector<std::string_view>& cells);

    // Bulk loading: room for `rows` rows and `bytes` bytes of their records.
    // A row's record takes its text plus at most a byte per cell (two above
    // 255 bytes of text): no more than its line in a data file, whose size is
    // therefore room enough for its rows (a row starting a shared tail adds the tail's
    // 2-byte length: as many bytes as its line's CR LF).
    void Reserve(int rows, size_t bytes);
    // Adds a row at the end holding the first cells.size() cells (the others
    // empty); the same as growing the row count by one and writing the row,
    // without per-row allocations. Returns the new row's index.
    int AppendRowCells(const std::vector<std::string_view>& cells);

    // How a record keeps its cell ends.
    enum class EndsForm : uint8_t {
        Narrow,   // one byte per cell end
        Wide,     // two bytes (host order) per cell end
        Nibbles,  // each cell's length in half a byte: cell 2i in the low half of byte i
    };

    // A row's cells without per-cell checks, for bulk readers: cell c spans
    // bytes [Begin(c), End(c)) of the row's text, which is in two parts: the
    // row's own text (bytes 0 .. ownLength) and the shared tail (the rest).
    // Valid until the table changes.
    struct RowView {
        const char* text;  // the own text, right after the cell ends
        const char* tail;  // byte ownLength of the row's text on
        const unsigned char* ends;
        EndsForm form;
        size_t length;     // bytes of text, the end of the last cell
        size_t ownLength;  // bytes in `text`; length when the row has no tail

        size_t End(size_t column) const {
            if (form == EndsForm::Nibbles) return NibblesEnd(column);
            if (form == EndsForm::Narrow) return ends[column];
            uint16_t end;
            std::memcpy(&end, ends + 2 * column, sizeof end);  // not aligned
            return end;
        }
        size_t Begin(size_t column) const { return column == 0 ? 0 : End(column - 1); }
        // Cell `column`'s length: for a row keeping its cells' lengths much
        // cheaper than End, so that callers walking the cells in order add
        // the lengths up rather than ask each cell's end.
        size_t CellLength(size_t column) const {
            if (form == EndsForm::Nibbles) return ends[column / 2] >> (column % 2 * 4) & 15;
            return End(column) - Begin(column);
        }
        // The text from byte `offset` of the row on, up to the end of its
        // part: `offset` being a cell's start, the whole cell.
        const char* TextAt(size_t offset) const {
            return offset < ownLength ? text + offset : tail + (offset - ownLength);
        }
        std::string_view Cell(size_t column) const {
            const size_t begin = Begin(column);
            const size_t size = form == EndsForm::Nibbles ? CellLength(column) : End(column) - begin;
            return std::string_view(TextAt(begin), size);
        }

    private:
        // The sum of the first column + 1 lengths, a 64-bit word (16 lengths)
        // at a time. The last word read is the one ending with the lengths'
        // last byte, so no byte past the record is read; when the lengths
        // take fewer than 8 bytes it starts before them, inside the arena all
        // the same (no record starts in its first 8 bytes).
        size_t NibblesEnd(size_t column) const {
            const size_t bytes = static_cast<size_t>(text - reinterpret_cast<const char*>(ends));
            const size_t count = column + 1;
            size_t first = 0, sum = 0;
            for (; first + 16 <= count; first += 16) sum += SumNibbles(LoadWord(ends + first / 2));
            if (first == count) return sum;
            // The word starting with the rest's first length when it lies
            // within the lengths, else the one ending with them, the rest
            // then starting at its bit `low`.
            const bool direct = first / 2 + 8 <= bytes;
            const unsigned char* at = direct ? ends + first / 2 : ends + bytes - 8;
            const unsigned low = direct ? 0 : static_cast<unsigned>(4 * (first + 16 - 2 * bytes));
            const unsigned high = low + static_cast<unsigned>(4 * (count - first));
            // Keep bits [low, high): drop those above, then those below.
            const uint64_t word = LoadWord(at) << (64 - high) >> (64 - high + low);
            return sum + SumNibbles(word);
        }
        static uint64_t LoadWord(const unsigned char* at) {
            uint64_t word;
            std::memcpy(&word, at, sizeof word);  // not aligned
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
            word = __builtin_bswap64(word);
#endif
            return word;
        }
        // The sum of a word's 16 nibbles: at most 240, so no byte carries.
        static size_t SumNibbles(uint64_t word) {
            constexpr uint64_t kLowNibbles = 0x0F0F0F0F0F0F0F0FULL;
            const uint64_t pairs = (word & kLowNibbles) + (word >> 4 & kLowNibbles);
            return static_cast<size_t>(pairs * 0x0101010101010101ULL >> 56);
        }
    };
    RowView Row(int row) const {
        CheckAddress(0, row);
        return View(row);
    }

    // True when the table holds no data: row 1 is missing or has no text in
    // any cell. (A row loaded from a file may lack only its number in column
    // 0; it is data all the same and must not be written over.)
    bool IsEmpty() const;

    // Prepares the row for the next measurement: row 1 while the table is
    // empty, otherwise a new row at the end; never row 0, also when a file
    // load left only the header row. That row becomes current.
    int AppendRow();
    // The row AppendRow would return now.
    int NextAppendRow() const;

    // Back to the empty state: row count 2, every cell of row 1 empty. Row 0
    // keeps its texts; the fixed-row state is not restored.
    void Clear();

    int CurrentRow() const { return currentRow_; }
    void SetCurrentRow(int row) { currentRow_ = row; }

    // Row 0 is a fixed (header) row until the row count has once been 1.
    bool HasFixedRow() const { return fixedRow_; }

    int ColumnWidth(int column) const { return widths_.at(column); }
    void SetColumnWidth(int column, int width) { widths_.at(column) = width; }

    // Many changes in a row (a file load): listeners are told once, at the end.
    void BeginUpdate();
    void EndUpdate();

    void SetListener(TableListener* listener) { listener_ = listener; }

    // Counts the changes to rows other than the last (and to the header row
    // while it is fixed, which is not counted): rewritten rows and removed
    // ones. Appending rows and filling the last row leave it as it was, so a
    // reader that keeps sums of the rows before the last one knows by it
    // when they are stale.
    uint64_t RewriteCount() const { return rewrites_; }

    // Bytes held by the table's storage (capacity, not size).
    size_t MemoryBytes() const;
    // Bytes of the storage written so far (size, not capacity).
    size_t UsedArenaBytes() const { return arena_.size(); }

private:
    // Rows of more text than this keep two bytes per cell end.
    static constexpr size_t kMaxNarrowRowBytes = 255;
    // Rows whose every cell holds at most this many bytes keep the cells' lengths.
    static constexpr size_t kMaxNibbleCellBytes = 15;
    // Record starts are 37 bits; the top bits of rowHigh_ mark a wide row, a
    // row with a shared tail and a row keeping its cells' lengths.
    static constexpr unsigned kWideBit = 0x80;
    static constexpr unsigned kTailBit = 0x40;
    static constexpr unsigned kNibblesBit = 0x20;
    static constexpr unsigned kFlagBits = kWideBit | kTailBit | kNibblesBit;
    static constexpr uint64_t kMaxArenaBytes = uint64_t(1) << 37;
    // The shared empty record: its cell ends, and at least a word, so that
    // reading a word ending at a record's lengths stays inside the arena.
    static constexpr size_t kMinEmptyRecordBytes = 8;
    // A tail record is its text's length in two bytes, then the text.
    static constexpr size_t kTailHeaderBytes = 2;
    // Trailing text worth a tail: shorter repeats would grow the list of
    // tails (8 bytes each) for a few bytes saved.
    static constexpr size_t kMinTailBytes = 16;

    // Where an appended row's text splits: the row keeps `ownLength` bytes,
    // the rest is the last tail written, or a new one written with the row
    // when `newTail`.
    struct TailChoice {
        size_t ownLength;
        bool newTail;
    };

    void CheckAddress(int column, int row) const;
    void WriteRow(int row, const std::vector<std::string_view>& cells);
    void CompactIfWasteful();
    void NotifyRows(int first, int last);
    void NotifyShape();
    bool PointsIntoArena(const std::vector<std::string_view>& cells) const;
    // The row's text length; throws std::length_error above kMaxRowBytes.
    static size_t CheckRowLength(const std::vector<std::string_view>& cells);

    size_t RecordStart(int row) const {
        return static_cast<size_t>(uint64_t(rowHigh_[row] & ~kFlagBits) << 32 | rowLow_[row]);
    }
    EndsForm Form(int row) const;
    void SetRecordStart(int row, size_t start, EndsForm form, bool tailed = false);
    size_t RecordBytes(int row) const;
    size_t EndsBytes(EndsForm form) const;
    size_t EmptyRecordBytes() const { return std::max(EndsBytes(EndsForm::Narrow), kMinEmptyRecordBytes); }
    // The form the cell ends of `cells` (the cells after them empty) take.
    EndsForm ChooseForm(const std::vector<std::string_view>& cells, size_t length) const;
    // The start of the row's tail record; 0 when it has none.
    size_t TailStart(int row) const;
    // Row without the address check.
    RowView View(int row) const;
    // Writes the record of `cells` (the cells after them empty), `length`
    // bytes of text in all, at `start`: the arena's end, or the start of its
    // last record, which it replaces. The arena ends after it. Returns
    // `start`; throws before any change when there is no room.
    size_t WriteRecord(size_t start, const std::vector<std::string_view>& cells, size_t length, EndsForm form);
    // The cell ends of `cells` (the cells after them empty).
    void WriteEnds(char* to, const std::vector<std::string_view>& cells, EndsForm form) const;
    // A record at `to`: the cell ends of `cells`, then the first `ownLength`
    // bytes of their text.
    void PutRecord(char* to, const std::vector<std::string_view>& cells, size_t ownLength, EndsForm form) const;
    // Throws when the arena would have to end past the most it can address.
    static void CheckArenaEnd(uint64_t end);
    // How a row appended after the last one shares the last one's tail.
    TailChoice ChooseTail(int previousRow, const std::vector<std::string_view>& cells, size_t length) const;
    // Appends the row's record (and its new tail first) at the arena's end;
    // throws before any change when there is no room.
    void AppendRecord(int row, const std::vector<std::string_view>& cells, size_t length, const TailChoice& tail);

    using Arena = std::vector<char, UninitialisedAllocator<char>>;
    // Appends `bytes` bytes of the arena from `from` on to `to`.
    void AppendBytes(Arena& to, size_t from, size_t bytes) const;

    int columns_;
    Arena arena_;
    std::vector<uint32_t> rowLow_;  // per row, the low 32 bits of its record's start
    std::vector<uint8_t> rowHigh_;  // per row, the start's upper bits and the flag bits
    std::vector<uint64_t> tailStarts_;  // the tail records' starts, ascending
    size_t liveBytes_ = 0;  // arena bytes of current rows' records and the empty record
    std::vector<int> widths_;
    int currentRow_ = 1;
    bool fixedRow_ = true;
    TableListener* listener_ = nullptr;
    int updateDepth_ = 0;
    bool changedInUpdate_ = false;
    uint64_t rewrites_ = 0;
};

}  // namespace vornik
