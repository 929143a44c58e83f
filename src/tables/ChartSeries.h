#pragma once
// One line series of a chart: raw Y values in arrival order (X is the point
// index), the look of its line, and a min/max summary that lets a renderer
// find the extremes of any index range without walking every point.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Color.h"
#include "tables/PackedValues.h"

namespace vornik {

// Min/max of fixed blocks of points, in levels: level 0 summarises blocks of
// kFanout points, level k blocks of kFanout^(k+1) points. Appending a point
// touches its level-0 entry; a block that is complete is folded into the
// level above. Only complete entries of the upper levels are read.
class MinMaxSummary {
public:
    static constexpr unsigned kShift = 5;
    static constexpr size_t kFanout = size_t(1) << kShift;  // 32

    void Append(double value, size_t count);  // `count` points after this one
    // The same as Append for each of values[0..count), `before` points before them.
    void AppendMany(const double* values, size_t count, size_t before);
    void Clear() {
        levels_.clear();
        reserved_ = 0;
    }
    // Room for `points` points in every level, now and as levels appear.
    void Reserve(size_t points);

    // Extremes of values[first..last] (inclusive); `values` is the series.
    void Range(const PackedValues& values, size_t first, size_t last, double& lo, double& hi) const;

    size_t MemoryBytes() const;

private:
    void Fold(size_t level, size_t entry, double lo, double hi);
    // Folds the blocks that the `count`-th point completed into the levels above.
    void FoldComplete(size_t count);

    struct Level {
        std::vector<double> lo, hi;
        size_t block = 0;  // points per entry
    };
    std::vector<Level> levels_;
    size_t reserved_ = 0;  // points the levels have room for
};

class ChartSeries {
public:
    ChartSeries(std::string title, Color color, bool dotted = false);

    const std::string& Title() const { return title_; }

    // Points: X = index, Y as appended. The multiplier applies at drawing.
    void Add(double y);
    // The same as Add for each of values[0..count), in one step. `codes`,
    // where given, holds each value's PackedValues code from its reader.
    void Append(const double* values, size_t count, const uint32_t* codes = nullptr);
    void Clear();
    // Room for `points` points in all, so that a bulk load grows nothing.
    void Reserve(size_t points);
    size_t Count() const { return values_.size(); }
    double Y(size_t index) const { return values_[index]; }
    // Raw extremes of points first..last (inclusive, first <= last < Count()).
    void RawRange(size_t first, size_t last, double& lo, double& hi) const {
        summary_.Range(values_, first, last, lo, hi);
    }
    // Raw extremes of all points; false when there are none.
    bool RawExtremes(double& lo, double& hi) const;
    // Extremes of all strictly positive raw values (for a logarithmic axis).
    bool PositiveExtremes(double& lo, double& hi) const;

    bool Shown() const { return shown_; }
    void SetShown(bool shown) { shown_ = shown; }
    double Multiplier() const { return multiplier_; }
    void SetMultiplier(double m) { multiplier_ = m; }
    Color LineColor() const { return color_; }
    void SetLineColor(Color c) { color_ = c; }
    int LineWidth() const { return 2; }
    bool Dotted() const { return dotted_; }

    // Attached to the top and right axes as well as the bottom and left.
    bool AllAxes() const { return allAxes_; }
    void SetAllAxes(bool all) { allAxes_ = all; }

    // Bytes held for the points and their summary (capacity, not size).
    size_t MemoryBytes() const;

private:
    void NotePositive(double lo, double hi);

    std::string title_;
    Color color_;
    bool dotted_;
    bool shown_ = true;
    bool allAxes_ = false;
    double multiplier_ = 1.0;
    PackedValues values_;
    MinMaxSummary summary_;
    // Running extremes of positive values, for the logarithmic axis.
    double posLo_ = 0, posHi_ = 0;
    bool anyPositive_ = false;
};

}  // namespace vornik
