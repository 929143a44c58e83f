#include <gtest/gtest.h>

#include "core/Cp1251.h"
#include "printing/ChartHeader.h"
#include "quantities/Pages.h"

using namespace vornik;

// The printed chart's header names the object of the last row, the first
// and last rows' date and time and the page's file, or that it is unsaved.
TEST(ChartHeader, ObjectSpanAndFile) {
    MeasurementTable table(kTempColumns);
    table.SetRowCount(2);
    table.SetRowCells(0, {"N", "Дата", "Время", "a", "b", "c", "d", "e", "n", Utf8ToCp1251("Объект")});
    EXPECT_EQ(ChartHeaderText(table, ""), "Объект:    Файл: не сохранено");
    table.SetRowCells(1, {"1/2", "05.03.24", "10:01:00", "1", "2", "3", "4", "5", "0", Utf8ToCp1251("Котёл 1")});
    table.SetRowCount(3);
    table.SetRowCells(2, {"2/2", "06.03.24", "08:00:05", "1", "2", "3", "4", "5", "0", Utf8ToCp1251("Котёл 2")});
    EXPECT_EQ(ChartHeaderText(table, "/home/u/data/05032024.tmpr"),
              "Объект: Котёл 2   05.03.24 10:01:00 – 06.03.24 08:00:05   Файл: 05032024.tmpr");
}
