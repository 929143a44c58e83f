#pragma once
// Cells of a table as text for the clipboard: a TAB between the cells of a
// row and a line feed after every row, the texts as the table holds them
// (Windows-1251, decimal commas kept), so a spreadsheet pastes them into
// cells and reads the numbers with its comma.
#include <string>

#include "tables/MeasurementTable.h"

namespace vornik {

// The rectangle of rows firstRow..lastRow and columns firstColumn..lastColumn,
// clamped to the table.
std::string CellsAsText(const MeasurementTable& table, int firstRow, int lastRow, int firstColumn, int lastColumn);

}  // namespace vornik
