#include "printing/ChartHeader.h"

#include "core/Cp1251.h"
#include "tables/IntervalStatistics.h"

namespace vornik {
namespace {

std::string CellText(const MeasurementTable& table, int column, int row) {
    if (column < 0 || column >= table.ColumnCount()) return {};
    return Cp1251ToUtf8(std::string(table.Cell(column, row)));
}

int ObjectColumn(const MeasurementTable& table) {
    const std::string header = Utf8ToCp1251("Объект");
    for (int c = 0; c < table.ColumnCount(); ++c)
        if (table.Cell(c, 0) == header) return c;
    return -1;
}

std::string FileNameOnly(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ChartHeaderText(const MeasurementTable& table, const std::string& fileName) {
    std::string text = "Объект: ";
    if (!table.IsEmpty()) {
        const int last = table.RowCount() - 1;
        text += CellText(table, ObjectColumn(table), last);
        text += "   " + CellText(table, kDateColumn, 1) + ' ' + CellText(table, kTimeColumn, 1) + " – " +
                CellText(table, kDateColumn, last) + ' ' + CellText(table, kTimeColumn, last);
    }
    text += "   Файл: " + (fileName.empty() ? std::string("не сохранено") : FileNameOnly(fileName));
    return text;
}

}  // namespace vornik
