#include "tables/CopyText.h"

#include <algorithm>

namespace vornik {

std::string CellsAsText(const MeasurementTable& table, int firstRow, int lastRow, int firstColumn, int lastColumn) {
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, table.RowCount() - 1);
    firstColumn = std::max(firstColumn, 0);
    lastColumn = std::min(lastColumn, table.ColumnCount() - 1);
    std::string text;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            if (column > firstColumn) text += '\t';
            text += table.Cell(column, row);
        }
        text += '\n';
    }
    return text;
}

}  // namespace vornik
