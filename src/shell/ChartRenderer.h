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
#include "tables/ChartTicks.h"
#include "tables/ChartTrace.h"
#include "tables/SeriesTracer.h"

class QFontMetrics;
class QPainter;
class QPaintDevice;
class QTransform;

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

    // Paints the chart laid out as on a screen `logical.width()` pixels wide
    // and of the target's shape, scaled as a whole to fill `target` (a
    // printer page) and drawn at the device's resolution: fonts, lines and
    // ticks keep their proportions.
    void PaintScaled(QPainter& painter, const QRect& target, const QSize& logical) const;

    ChartViewport Viewport() const;
    // Layout for a rectangle on a device (fonts are measured on it).
    ChartGeometry Layout(const QRect& rect, QPaintDevice* device, const ChartViewport& view) const;

    // Draw every point instead of the decimated column extremes (for checks).
    void SetDrawEveryPoint(bool on) { everyPoint_ = on; }

    // The line drawn for series i in `plot`: decimated or every point.
    std::vector<TraceVertex> SeriesPoints(int i, const QRect& plot, const ChartViewport& view, bool everyPoint) const;

private:
    // The shown series back to front, each with its plot in device pixels.
    std::vector<SeriesTracer::Line> SeriesLines(const ChartGeometry& g, const QTransform& base) const;
    void PaintSeries(QPainter& p, const std::vector<SeriesTracer::Line>& lines) const;
    AxisTicks BottomTicks(const ChartViewport& view, int width, const QFontMetrics& fm) const;
    void PaintAxes(QPainter& p, const ChartGeometry& g, const ChartViewport& view) const;
    void PaintLegend(QPainter& p, const ChartGeometry& g) const;

    const ChartModel& chart_;
    bool everyPoint_ = false;
};

PlotBounds BoundsOf(const QRect& plot);

// Axis labels: a number with a comma and `decimals` digits after it.
QString AxisLabel(double value, int decimals);

}  // namespace vornik
