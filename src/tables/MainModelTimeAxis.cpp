// The horizontal axis of a page's chart: point numbers or the rows' times.
#include "tables/MainModel.h"

namespace vornik {

void MainModel::SetTimeAxis(int page, bool on) {
    ChartModel& chart = charts_.at(page);
    if (chart.TimeAxisSet() == on) return;
    chart.SetTimeAxis(on ? &tables_.at(page) : nullptr);
    // Limits held in the other unit mean nothing now: back to the whole
    // range, or to the last 50 points in that mode.
    chart.UndoZoom();
    if (last50Mode_[page] == ModeOn) {
        chart.SetAutomatic(AxisBottom, false);
        FollowLast50(page);
    } else {
        chart.SetAutomatic(AxisBottom, true);
    }
}

}  // namespace vornik
