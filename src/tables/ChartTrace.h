#pragma once
// The pixels a series' line covers on a plot, without a painting device: the
// series mapped onto pixel columns and rows, decimated per pixel column, and
// the column spans of its centre line cut at the plot's frame. A line that
// leaves the plot is drawn up to the frame and goes on where it comes back;
// nothing is pushed onto the frame.
#include <cmath>
#include <vector>

#include "tables/ChartModel.h"

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
std::vector<TraceVertex> SeriesTrace(const ChartSeries& series, const PlotBounds& plot, const AxisRange& x,
                                     const AxisRange& y, bool logarithmic, bool everyPoint);

// The pixels of a line's centre through vertices whose x never decreases,
// per pixel column of the plot: the rows from Top to Bottom, only those
// inside the plot. A column's pixels are the rows its part of the line spans
// (every vertex, and every segment between two vertices that are not gaps),
// cut at the plot's top and bottom.
class ColumnSpans {
public:
    ColumnSpans(const std::vector<TraceVertex>& vertices, const PlotBounds& plot);
    int Count() const { return static_cast<int>(top_.size()); }
    int X(int i) const { return left_ + i; }
    bool Covered(int i) const { return top_[i] <= bottom_[i]; }
    int Top(int i) const { return top_[i]; }
    int Bottom(int i) const { return bottom_[i]; }

private:
    void Cover(double column, double y0, double y1);

    int left_, right_, topRow_, bottomRow_;
    std::vector<int> top_, bottom_;
};

}  // namespace vornik
