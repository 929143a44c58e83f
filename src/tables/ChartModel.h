#pragma once
// The chart component's model: line series and four axes (left, right, top,
// bottom) with automatic or fixed limits, a logarithmic left axis, zoom with
// a remembered axis state and its undo, shifting and panning. The renderer
// and the widget read it; the navigation commands change it.
//
// Every series is drawn against the bottom and left axes. The top and right
// axes are never drawn; they take their automatic ranges from the series
// attached to all four axes and follow every zoom and shift.
#include <array>
#include <functional>
#include <vector>

#include "core/Color.h"
#include "tables/ChartSeries.h"
#include "tables/TimePlacement.h"

namespace vornik {

enum AxisId { AxisLeft = 0, AxisRight = 1, AxisTop = 2, AxisBottom = 3 };
constexpr int kAxisCount = 4;

struct AxisRange {
    double min = 0;
    double max = 0;
    bool operator==(const AxisRange& o) const { return min == o.min && max == o.max; }
};
using AxisRanges = std::array<AxisRange, kAxisCount>;

// An axis' own state: which limits follow the data, and the fixed limits.
struct AxisState {
    bool autoMin = true;
    bool autoMax = true;
    double min = 0;
    double max = 0;
    bool Automatic() const { return autoMin && autoMax; }
};

class ChartModel {
public:
    // Zoom: the axes changed by a zoom (the widget animates it).
    enum class Change { Data, Axes, Zoom, Look };

    ChartModel() = default;
    ChartModel(const ChartModel&) = delete;
    ChartModel& operator=(const ChartModel&) = delete;
    ChartModel(ChartModel&&) = default;

    // Series
    int AddSeries(ChartSeries series);
    int SeriesCount() const { return static_cast<int>(series_.size()); }
    ChartSeries& Series(int i) { return series_.at(i); }
    const ChartSeries& Series(int i) const { return series_.at(i); }
    // Every series loses all its points; axes are not touched.
    void ClearPoints();
    // One row's values, one per series in series order; one redraw.
    void AppendPoints(const double* values, int count);
    // Tells the listener that points were added outside AppendPoints
    // (straight into the series, as the file loader does).
    void PointsAdded() { Notify(Change::Data); }

    // Look
    bool Logarithmic() const { return logarithmic_; }
    void SetLogarithmic(bool on);
    bool View3D() const { return view3D_; }
    void SetView3D(bool on);
    Color PanelStartColor() const { return startColor_; }
    Color PanelEndColor() const { return endColor_; }
    void SetPanelColors(Color start, Color end);
    void SetSeriesLook(int i, bool shown, double multiplier, Color color);

    // Axes
    const AxisState& Axis(AxisId axis) const { return axes_.at(axis); }
    // The range the axis shows now: automatic limits from the data of the
    // shown series attached to it (multipliers applied), fixed limits as set.
    // An empty or single-valued range is widened so that it has a span.
    AxisRange ShownRange(AxisId axis) const;
    AxisRanges ShownRanges() const;
    // Current limits (for an automatic limit, the value it shows now).
    double Minimum(AxisId axis) const { return ShownRange(axis).min; }
    double Maximum(AxisId axis) const { return ShownRange(axis).max; }
    // Set one limit; automatic flags are not changed. A minimum above the
    // current maximum (or the reverse) is refused with an error.
    void SetMinimum(AxisId axis, double value);
    void SetMaximum(AxisId axis, double value);
    // Both limits fixed in one step; the axis stops being automatic.
    void SetMinMax(AxisId axis, double min, double max);
    // Both flags at once. Turning them off keeps the range now shown.
    void SetAutomatic(AxisId axis, bool on);
    // Sets [min, max] one limit after the other so that the minimum never
    // exceeds the maximum in between; flags are not changed.
    void SetWindow(AxisId axis, double min, double max);
    // Moves the axis' limits to [min, max] (min <= max) without checking them
    // against the range shown: an automatic limit keeps following the data
    // and only a fixed one changes what is drawn. Never fails, so a new row
    // can always be followed.
    void FollowWindow(AxisId axis, double min, double max);

    // Drawing scale: whether the axis is logarithmic, and its shown range in
    // drawing units (log10 of the values on a logarithmic axis).
    bool IsLog(AxisId axis) const { return axis == AxisLeft && logarithmic_; }
    AxisRange ScaleRange(AxisId axis) const;
    // Value to drawing units and back.
    double ToScale(AxisId axis, double value) const;
    double FromScale(AxisId axis, double scaled) const;

    // Zoom: the first zoom since creation or since the last undo remembers
    // every axis' flags and limits; the new ranges become fixed; the zoom
    // listener is told.
    void Zoom(const AxisRanges& ranges);
    // Percent zoom: d = span x (percent - 100) / 100 off each end of every axis.
    void ZoomPercent(double percent);
    // Zoom to a part of the plot given as fractions (0 at the minimum, 1 at
    // the maximum, in drawing units) of the horizontal and vertical ranges.
    void ZoomToFractions(double x0, double x1, double y0, double y1);
    bool Zoomed() const { return zoomed_; }
    // Back to the remembered state, if any.
    void UndoZoom();

    // Moves the axis by a percentage of its span: fixed range [min + d, max + d].
    void ShiftAxis(AxisId axis, double percent);
    // Mouse panning by fractions of the plot (drawing units); the scroll
    // listener is told.
    void Pan(double dx, double dy);

    // Time on the horizontal axis: the points placed by the date and time of
    // their rows in `table` (point k: row k + 1); nullptr places them by
    // their number. The table must outlive the setting.
    void SetTimeAxis(const MeasurementTable* table);
    bool TimeAxisSet() const { return timeTable_ != nullptr; }
    // The points' times brought up to date, or nullptr when the axis shows
    // point numbers (also when no row has a readable time).
    const TimePlacement* Time() const;
    // The horizontal position of point `index` (clamped to the points there are).
    double PointX(double index) const;
    // The point nearest to horizontal position `x`; -1 when no point is within
    // half a step (point numbers) or there is none.
    long long PointNear(double x) const;
    // The points whose horizontal positions lie in [x0, x1]; false when none do.
    bool PointsBetween(double x0, double x1, size_t& first, size_t& last) const;

    // Listeners: redraws, and the zoom and panning notifications.
    void SetChangeListener(std::function<void(Change)> f) { changeListener_ = std::move(f); }
    void SetZoomListener(std::function<void()> f) { zoomListener_ = std::move(f); }
    void SetScrollListener(std::function<void()> f) { scrollListener_ = std::move(f); }

private:
    bool DataRange(AxisId axis, double& lo, double& hi) const;
    void Notify(Change change);

    size_t PointCount() const;

    std::vector<ChartSeries> series_;
    const MeasurementTable* timeTable_ = nullptr;
    mutable TimePlacement time_;  // a cache of the table's times
    std::array<AxisState, kAxisCount> axes_{};
    std::array<AxisState, kAxisCount> saved_{};
    bool zoomed_ = false;
    bool logarithmic_ = false;
    bool view3D_ = false;
    Color startColor_ = kChartPanelStart;
    Color endColor_ = kChartPanelEnd;
    std::function<void(Change)> changeListener_;
    std::function<void()> zoomListener_;
    std::function<void()> scrollListener_;
};

}  // namespace vornik
