#pragma once
// What the chart says about the point under the mouse: the point's number,
// the date and time of its table row, and each shown series' value as the
// table holds it, with the series' multiplier where the chart draws it scaled.
#include <QString>
#include <cstddef>

namespace vornik {

class MainModel;

// Empty when the page's table has no row for the point.
QString ChartReadoutText(const MainModel& model, int page, size_t point);

}  // namespace vornik
