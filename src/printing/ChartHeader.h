#pragma once
// The line above a printed chart, when the user asks for it: which object,
// which time span and which file the chart shows.
#include <string>

#include "tables/MeasurementTable.h"

namespace vornik {

// "Объект: <object>   <first date time> – <last date time>   Файл: <file>"
// in UTF-8. The object is the last data row's cell under the "Объект" header;
// an empty table gives no span; a page never written or opened says
// "не сохранено". `fileName` is the path of the page's file, or empty.
std::string ChartHeaderText(const MeasurementTable& table, const std::string& fileName);

}  // namespace vornik
