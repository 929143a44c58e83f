#pragma once
// Paints a chart model into any QPainter rectangle: the screen widget and the
// printer share it. Series are decimated per pixel column (first, minimum,
// maximum and last point of the column) from the series' min/max summary, so
// a paint costs about the plot's width per series, not its point count.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

#include "tables/ChartModel.h"

class QPainter;
class QPaintDevice;

namespace vornik {

// The part of the data in view: bottom (x) and left (y) axes in drawing
// units (log10 of the values on a logarithmic left axis).
struct ChartViewport {
    AxisRange x;
    AxisRange y;
};

// Where things go inside the painted rectangle.
struct ChartGeometry {
    QRect panel;
    QRect plot;    // the front face of the plot box; series map onto it
    int depth = 0; // 3D depth in pixels (0 when flat)
    QRect legend;  // empty when no series is shown
};

class ChartRenderer {
public:
    explicit ChartRenderer(const ChartModel& chart) : chart_(chart) {}

    // Paints the chart as it stands, or with the given viewport (zoom animation).
    void Paint(QPainter& painter, const QRect& rect) const;
    void Paint(QPainter& painter, const QRect& rect, const ChartViewport& view) const;

    // Paints the chart laid out as on a screen of `logical` pixels, scaled to
    // fill `target` (a printer page): fonts, lines and ticks keep their
    // proportions whatever the device's resolution. Rendered through an
    // image of at most `maxScale` times the logical size.
    void PaintScaled(QPainter& painter, const QRect& target, const QSize& logical, double maxScale = 4) const;

    ChartViewport Viewport() const;
    // Layout for a rectangle on a device (fonts are measured on it).
    ChartGeometry Layout(const QRect& rect, QPaintDevice* device, const ChartViewport& view) const;

    // Draw every point instead of the decimated column extremes (for checks).
    void SetDrawEveryPoint(bool on) { everyPoint_ = on; }

    // The polyline drawn for series i in `plot` (pixel points, consecutive
    // duplicates removed): decimated or every point.
    std::vector<QPoint> SeriesPoints(int i, const QRect& plot, const ChartViewport& view, bool everyPoint) const;

private:
    void PaintSeries(QPainter& p, const ChartGeometry& g, const ChartViewport& view) const;
    void PaintAxes(QPainter& p, const ChartGeometry& g, const ChartViewport& view) const;
    void PaintLegend(QPainter& p, const ChartGeometry& g) const;

    const ChartModel& chart_;
    bool everyPoint_ = false;
};

// The pixels of a line's centre through points whose x never decreases, per
// pixel column: the rows from Top to Bottom. Columns and rows outside the
// given bounds are cut off. A column's pixels are the same whatever points
// inside it the line passes through, as long as it reaches the same extremes
// and enters and leaves the same way.
class ColumnSpans {
public:
    ColumnSpans(const std::vector<QPoint>& points, int left, int right, int top, int bottom);
    int Count() const { return static_cast<int>(top_.size()); }
    int X(int i) const { return left_ + i; }
    bool Covered(int i) const { return top_[i] <= bottom_[i]; }
    int Top(int i) const { return top_[i]; }
    int Bottom(int i) const { return bottom_[i]; }

private:
    int left_;
    std::vector<int> top_, bottom_;
};

// Axis labels: a number with a comma and `decimals` digits after it.
QString AxisLabel(double value, int decimals);

}  // namespace vornik
