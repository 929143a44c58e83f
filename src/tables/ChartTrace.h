#pragma once
// The pixels a series' line covers on a plot, without a painting device: the
// series mapped onto pixel columns and rows, decimated per pixel column, and
// the column spans of its centre line cut at the plot's frame. A line that
// leaves the plot is drawn up to the frame and goes on where it comes back;
// nothing is pushed onto the frame.
#include <cmath>
#include <vector>

#include "tables/ChartModel.h"
#include "tables/TimePlacement.h"

namespace vornik {

// A plot's pixel bounds, inclusive.
struct PlotBounds {
    int left = 0, top = 0, right = -1, bottom = -1;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

// A vertex of a series' line: x is a whole pixel column (held as a double:
// the points leading into the plot may lie far outside it), y a fractional
// pixel row. A vertex without a place on the axis (a value that is not a
// number, or not positive on a logarithmic axis) has y NaN and breaks the line.
struct TraceVertex {
    double x;
    double y;
    bool Gap() const { return std::isnan(y); }
};

// The line of `series` on `plot` for the view's ranges in drawing units
// (log10 of the values on a logarithmic left axis), multiplier applied.
// Decimated unless `everyPoint`: per pixel column only its first, lowest,
// highest and last points, which give the same column spans as every point.
// With `time`, X is each point's time (never decreasing) instead of its
// index, and a pause longer than the placement's threshold breaks the line.
std::vector<TraceVertex> SeriesTrace(const ChartSeries& series, const PlotBounds& plot, const AxisRange& x,
                                     const AxisRange& y, bool logarithmic, bool everyPoint,
                                     const TimePlacement* time = nullptr);

// The pixels of a line's centre through vertices whose x never decreases,
// per pixel column of the plot: the rows from Top to Bottom, only those
// inside the plot. A column's pixels are the rows its part of the line spans
// (every vertex, and every segment between two vertices that are not gaps),
// cut at the plot's top and bottom.
//
// Built vertex by vertex: Begin, Add for each vertex in order, End. The
// vertices of one column are merged as they come, so a line needs no
// vertex list, and the buffers are kept from one line to the next.
class ColumnSpans {
public:
    ColumnSpans() = default;
    ColumnSpans(const std::vector<TraceVertex>& vertices, const PlotBounds& plot);

    void Begin(const PlotBounds& plot);
    void Add(double x, double y);  // y NaN: a gap
    void End() { Close(); }

    int Count() const { return static_cast<int>(top_.size()); }
    int X(int i) const { return left_ + i; }
    bool Covered(int i) const { return top_[i] <= bottom_[i]; }
    int Top(int i) const { return top_[i]; }
    int Bottom(int i) const { return bottom_[i]; }
    // The same columns with the same pixels covered.
    bool SameCoverage(const ColumnSpans& other) const;

private:
    void Segment(double ax, double ay, double bx, double by);
    // The column being built: the rows of its connected part of the line so
    // far, as fractional rows. Closing it covers them.
    void Open(double column, double y0, double y1);
    void Extend(double y0, double y1);
    void Close();
    void Cover(double column, double y0, double y1);

    int left_ = 0, right_ = -1, topRow_ = 0, bottomRow_ = -1;
    std::vector<int> top_, bottom_;
    bool hasLast_ = false, open_ = false;
    double lastX_ = 0, lastY_ = 0;
    double openColumn_ = 0, openLo_ = 0, openHi_ = 0;
};

// The spans of the line SeriesTrace gives, traced straight into `spans`.
void TraceSpans(const ChartSeries& series, const PlotBounds& plot, const AxisRange& x, const AxisRange& y,
                bool logarithmic, bool everyPoint, ColumnSpans& spans, const TimePlacement* time = nullptr);

}  // namespace vornik
