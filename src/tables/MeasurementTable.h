#pragma once
// A measurement table: a grid of text cells, row 0 the headers, rows 1 on one
// measurement each. Cells are Windows-1251 bytes.
//
// Storage is one byte arena per table: each row is a run of its cells' bytes
// back to back, found by its start offset and the end offset of every cell
// within the row. A row costs 8 + 4 x columns bytes beyond its text. A cell is
// changed by rewriting its row at the end of the arena; the space left behind
// is reclaimed when it outgrows the live text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
    explicit MeasurementTable(int columns);

    int ColumnCount() const { return columns_; }
    int RowCount() const { return static_cast<int>(rowStart_.size()); }

    // Grows with empty rows or drops rows from the end. Setting the row count
    // to 1 leaves no room for the fixed header row: from then on the table
    // has no fixed row.
    void SetRowCount(int rows);

    std::string_view Cell(int column, int row) const;
    void SetCell(int column, int row, std::string_view text);
    // Writes the first cells.size() cells of a row in one step (the others
    // keep their text).
    void SetRowCells(int row, const std::vector<std::string_view>& cells);

    // Bulk loading: room for `rows` rows and `textBytes` bytes of cell text.
    void Reserve(int rows, size_t textBytes);
    // Adds a row at the end holding the first cells.size() cells (the others
    // empty); the same as growing the row count by one and writing the row,
    // without per-row allocations. Returns the new row's index.
    int AppendRowCells(const std::vector<std::string_view>& cells);

    // A row's cells without per-cell checks, for bulk readers: cell c is
    // text[cellEnd[c-1] .. cellEnd[c]) (from 0 for c = 0). Valid until the
    // table changes.
    struct RowView {
        const char* text;
        const uint32_t* cellEnd;
    };
    RowView Row(int row) const;

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

    // Bytes held by the table's storage (capacity, not size).
    size_t MemoryBytes() const;

private:
    size_t CellOffset(int column, int row) const;
    void CheckAddress(int column, int row) const;
    void WriteRow(int row, const std::vector<std::string_view>& cells);
    void CompactIfWasteful();
    void NotifyRows(int first, int last);
    void NotifyShape();
    bool PointsIntoArena(const std::vector<std::string_view>& cells) const;

    int columns_;
    std::vector<char> arena_;
    std::vector<uint64_t> rowStart_;  // per row, offset of its first byte
    std::vector<uint32_t> cellEnd_;   // per cell, end offset within its row
    size_t liveBytes_ = 0;            // arena bytes that belong to current rows
    std::vector<int> widths_;
    int currentRow_ = 1;
    bool fixedRow_ = true;
    TableListener* listener_ = nullptr;
    int updateDepth_ = 0;
    bool changedInUpdate_ = false;
};

}  // namespace vornik
