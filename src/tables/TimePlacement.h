#pragma once
// Where a chart's points lie on a time axis: X of point k is the date and time
// of data row k + 1 (columns "Дата" dd.mm.yy and "Время" hh:mm:ss), in seconds
// since 01.01.2000. X never decreases: a row whose time cannot be read, or
// goes back before the row above it, is placed at the time of the row above
// (rows before the first readable time take that time). A pause longer than
// five times the median spacing between rows breaks the line.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tables/ChartTicks.h"

namespace vornik {

class MeasurementTable;

class TimePlacement {
public:
    // "dd.mm.yy" and "hh:mm:ss" to seconds since 01.01.2000 (years 00..99 are
    // 2000..2099); false when either is not a valid date or time.
    static bool ParseRowTime(std::string_view date, std::string_view time, double& seconds);
    // An axis label for `seconds`: "hh:mm:ss", preceded by "dd.mm.yy" when the
    // axis shows `span` seconds of a day or more.
    static std::string Label(double seconds, double span);
    // Ticks over [s0, s1] seconds on an axis `pixels` long, labels about
    // `spacing` pixels apart at a whole number of seconds, minutes, hours or days.
    static AxisTicks Ticks(double s0, double s1, double pixels, double spacing);

    // Brings the placement to `points` points from rows 1..points of the
    // table; starts over when rows before the last changed or fewer points
    // are asked for than placed.
    void Sync(const MeasurementTable& table, size_t points);
    // Appends the time of the next point; `readable` false when its row's
    // time could not be read (then `seconds` is ignored).
    void Append(bool readable, double seconds);
    void Clear();

    size_t Count() const { return xs_.size(); }
    // Whether any row's time could be read; without one there is no time axis.
    bool Valid() const { return readable_ > 0; }
    double X(size_t point) const { return xs_[point]; }
    // Rows placed at the time of the row above: time unreadable or going back.
    size_t Fallbacks() const { return fallbacks_; }
    // Spacings above this break the line: five times the median spacing,
    // at least one second (the times' resolution).
    double GapThreshold() const;
    bool GapAfter(size_t point) const { return xs_[point + 1] - xs_[point] > gapThreshold_; }
    // The first point whose X is above `x` (Count() when none).
    size_t UpperBound(double x) const;
    // The same, knowing that it is not below `from`: a search that widens
    // from there, which stays near the points a tracer is walking.
    size_t UpperBoundFrom(size_t from, double x) const;
    // The point nearest to `x` (of several at one time, the first).
    size_t Nearest(double x) const;

private:
    void UpdateThreshold();

    std::vector<double> xs_;
    size_t readable_ = 0, fallbacks_ = 0;
    // Spacings in whole seconds and how often each occurs: their median is
    // found without sorting a million spacings.
    std::map<int64_t, size_t> spacings_;
    double gapThreshold_ = 5;
    bool batching_ = false;  // Sync appending: the threshold is found at its end
    uint64_t rewrites_ = 0;
    const MeasurementTable* table_ = nullptr;
};

}  // namespace vornik
