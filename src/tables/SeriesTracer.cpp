#include "tables/SeriesTracer.h"

#include <algorithm>
#include <cmath>
#include <system_error>

namespace vornik {
namespace {

// Below this many points in view a second thread costs more than it saves.
constexpr size_t kHelperPoints = 200000;

size_t PointsInView(const SeriesTracer::Line& line, const AxisRange& x, const TimePlacement* time) {
    if (time) return time->UpperBound(x.max) - std::min(time->UpperBound(x.min), time->UpperBound(x.max));
    const double n = static_cast<double>(line.series->Count());
    if (!std::isfinite(x.min) || !std::isfinite(x.max) || !(x.max > x.min)) return 0;
    const double first = std::clamp(x.min, 0.0, n), last = std::clamp(x.max, 0.0, n);
    return static_cast<size_t>(last - first);
}

}  // namespace

SeriesTracer::SeriesTracer(std::vector<Line> lines, const AxisRange& x, const AxisRange& y, bool logarithmic,
                           bool everyPoint, const TimePlacement* time)
    : lines_(std::move(lines)), x_(x), y_(y), logarithmic_(logarithmic), everyPoint_(everyPoint), time_(time) {
    size_t points = 0;
    for (const Line& line : lines_) points += PointsInView(line, x_, time_);
    if (lines_.size() < 2 || points < kHelperPoints || std::thread::hardware_concurrency() < 2) return;
    try {
        helper_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
        // No thread to be had: Wait traces every line here.
    }
}

SeriesTracer::~SeriesTracer() {
    if (helper_.joinable()) helper_.join();
}

const std::vector<SeriesTracer::Line>& SeriesTracer::Wait() {
    Work();
    if (helper_.joinable()) helper_.join();
    return lines_;
}

// Takes the lines one at a time, whichever thread is free.
void SeriesTracer::Work() {
    for (size_t k; (k = next_.fetch_add(1)) < lines_.size();) {
        Line& line = lines_[k];
        TraceSpans(*line.series, line.plot, x_, y_, logarithmic_, everyPoint_, line.spans, time_);
    }
}

}  // namespace vornik
