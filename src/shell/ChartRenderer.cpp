#include "shell/ChartRenderer.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "tables/ChartTicks.h"
#include "tables/SeriesTracer.h"

namespace vornik {
namespace {

constexpr int kMajorTick = 5;
constexpr int kLeftMinorTick = 3;
constexpr int kBottomMinorTick = 3;
constexpr int kLegendSample = 22;    // length of a legend's line sample
constexpr int kLegendPadding = 4;

QColor ToQColor(Color c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

// Sizes in pixels (8 points on a 96-dpi screen), so that a chart laid out
// for a screen keeps its proportions when a printer's painter scales it.
QFont PixelFont(const char* family, int pixels) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    return f;
}
QFont BottomFont() { return PixelFont("Courier New", 11); }
QFont LeftFont() { return PixelFont("Arial", 11); }
QFont LegendFont() { return PixelFont("Arial Narrow", 13); }

const QColor kAxisBlue(0, 0, 255);
const QColor kBoxEdge(128, 128, 128);

QString Label(const std::string& text) { return QString::fromStdString(text); }

// The device pixels that a rectangle of pixels covers under a transform.
QRect DevicePixels(const QTransform& transform, const QRect& pixels) {
    return transform.mapRect(QRectF(pixels)).toRect();
}

}  // namespace

PlotBounds BoundsOf(const QRect& plot) { return {plot.left(), plot.top(), plot.right(), plot.bottom()}; }

QString AxisLabel(double value, int decimals) { return Label(AxisLabelText(value, decimals)); }

ChartViewport ChartRenderer::Viewport() const {
    return {chart_.ScaleRange(AxisBottom), chart_.ScaleRange(AxisLeft)};
}

std::vector<TraceVertex> ChartRenderer::SeriesPoints(int index, const QRect& plot, const ChartViewport& view,
                                                     bool everyPoint) const {
    return SeriesTrace(chart_.Series(index), BoundsOf(plot), view.x, view.y, chart_.IsLog(AxisLeft), everyPoint,
                       chart_.Time());
}

ChartGeometry ChartRenderer::Layout(const QRect& rect, QPaintDevice* device, const ChartViewport& view) const {
    ChartGeometry g;
    g.panel = rect;
    const QFontMetrics bottomFm(BottomFont(), device);
    const QFontMetrics leftFm(LeftFont(), device);
    const QFontMetrics legendFm(LegendFont(), device);
    const int margin = std::max(6, rect.width() / 50);

    // Legend on the right, 2 % of the height from the top.
    int entries = 0, textWidth = 0;
    for (int i = 0; i < chart_.SeriesCount(); ++i) {
        const ChartSeries& s = chart_.Series(i);
        if (!s.Shown()) continue;
        ++entries;
        textWidth = std::max(textWidth, legendFm.horizontalAdvance(QString::fromStdString(s.Title())));
    }
    int right = rect.right() - margin;
    if (entries > 0) {
        const int w = 2 * kLegendPadding + kLegendSample + 4 + textWidth;
        const int h = 2 * kLegendPadding + entries * legendFm.height();
        g.legend = QRect(right - w + 1, rect.top() + static_cast<int>(std::lround(rect.height() * 0.02)), w, h);
        right = g.legend.left() - margin;
    }

    const int top = rect.top() + margin + leftFm.height() / 2;
    const int bottom = rect.bottom() - margin - bottomFm.height() - kMajorTick - 2;
    const int plotHeight = std::max(1, bottom - top + 1);
    // The left labels' width depends on the ticks, which depend on the height.
    const int depthGuess = chart_.View3D() ? std::clamp(plotHeight / 10, 4, 40) : 0;
    const AxisTicks ticks = chart_.IsLog(AxisLeft)
                            ? LogTicks(view.y.min, view.y.max, plotHeight - depthGuess, 2.5 * leftFm.height())
                            : LinearTicks(view.y.min, view.y.max, plotHeight - depthGuess, 2.5 * leftFm.height());
    int labelWidth = 0;
    for (const auto& l : ticks.labels) labelWidth = std::max(labelWidth, leftFm.horizontalAdvance(Label(l)));
    const int left = rect.left() + margin + labelWidth + kMajorTick + 3;
    QRect box(QPoint(left, top), QPoint(std::max(left + 1, right), std::max(top + 1, bottom)));
    if (chart_.View3D()) {
        g.depth = std::clamp(std::min(box.width(), box.height()) / 10, 4, 40);
        box.adjust(0, g.depth, -g.depth, 0);
    }
    g.plot = box;
    return g;
}

void ChartRenderer::Paint(QPainter& painter, const QRect& rect) const { Paint(painter, rect, Viewport()); }

void ChartRenderer::PaintScaled(QPainter& painter, const QRect& target, const QSize& logical) const {
    if (target.isEmpty() || logical.isEmpty()) return;
    // Laid out on a screen as wide as `logical` and of the target's shape,
    // then drawn on the device at its own resolution, scaled as a whole:
    // text and marks keep their shape, the lines their sharpness.
    const double scale = double(target.width()) / logical.width();
    const int height = std::max(1, static_cast<int>(std::lround(target.height() / scale)));
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    Paint(painter, QRect(0, 0, logical.width(), height));
    painter.restore();
}

void ChartRenderer::Paint(QPainter& p, const QRect& rect, const ChartViewport& view) const {
    p.save();
    const ChartGeometry g = Layout(rect, p.device(), view);
    // The lines are traced while the panel and axes are painted.
    SeriesTracer lines(SeriesLines(g, p.worldTransform()), view.x, view.y, chart_.IsLog(AxisLeft), everyPoint_,
                       chart_.Time());
    // Panel: the start colour at the bottom, the end colour at the top.
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, ToQColor(chart_.PanelEndColor()));
    gradient.setColorAt(1, ToQColor(chart_.PanelStartColor()));
    p.fillRect(rect, gradient);
    PaintAxes(p, g, view);
    PaintSeries(p, lines.Wait());
    PaintLegend(p, g);
    p.restore();
}

AxisTicks ChartRenderer::BottomTicks(const ChartViewport& view, int width, const QFontMetrics& fm) const {
    const int gap = 3 * fm.averageCharWidth();
    if (chart_.Time()) {
        const double span = view.x.max - view.x.min;
        const int maxLabel = fm.horizontalAdvance(Label(TimePlacement::Label(view.x.max, span)));
        return TimePlacement::Ticks(view.x.min, view.x.max, width, maxLabel + gap);
    }
    const int maxLabel =
        std::max(fm.horizontalAdvance(AxisLabel(view.x.max, 0)), fm.horizontalAdvance(AxisLabel(view.x.min, 0)));
    // Point numbers are whole numbers: no label between two of them.
    return LinearTicks(view.x.min, view.x.max, width, maxLabel + gap, 1);
}

void ChartRenderer::PaintAxes(QPainter& p, const ChartGeometry& g, const ChartViewport& view) const {
    const QRect& plot = g.plot;
    const int d = g.depth;
    const QFontMetrics leftFm(LeftFont(), p.device());
    const QFontMetrics bottomFm(BottomFont(), p.device());
    p.setRenderHint(QPainter::Antialiasing, false);

    const double ySpan = view.y.max - view.y.min;
    const double xSpan = view.x.max - view.x.min;
    auto rowOf = [&](double s) { return plot.bottom() - (s - view.y.min) / ySpan * (plot.height() - 1); };
    auto colOf = [&](double s) { return plot.left() + (s - view.x.min) / xSpan * (plot.width() - 1); };

    const AxisTicks yTicks = chart_.IsLog(AxisLeft)
                             ? LogTicks(view.y.min, view.y.max, plot.height(), 2.5 * leftFm.height())
                             : LinearTicks(view.y.min, view.y.max, plot.height(), 2.5 * leftFm.height());
    const AxisTicks xTicks = BottomTicks(view, plot.width(), bottomFm);

    // The box of a 3D chart: back wall and floor edges, no filled walls.
    if (d > 0) {
        p.setPen(QPen(kBoxEdge, 1));
        const QRect back = plot.translated(d, -d);
        p.drawRect(back.adjusted(0, 0, -1, -1));
        p.drawLine(plot.bottomLeft(), back.bottomLeft());
        p.drawLine(plot.bottomRight(), back.bottomRight());
        p.drawLine(plot.topLeft(), back.topLeft());
    }

    // Left axis grid: blue, dotted, on the back wall (and across the left wall in 3D).
    QPen grid(kAxisBlue, 1, Qt::DotLine);
    p.setPen(grid);
    for (double s : yTicks.major) {
        const int y = static_cast<int>(std::lround(rowOf(s)));
        if (d > 0) {
            p.drawLine(QPoint(plot.left(), y), QPoint(plot.left() + d, y - d));
            p.drawLine(QPoint(plot.left() + d, y - d), QPoint(plot.right() + d, y - d));
        } else {
            p.drawLine(QPoint(plot.left() + 1, y), QPoint(plot.right(), y));
        }
    }

    // Left axis: line, ticks, labels.
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(plot.topLeft(), plot.bottomLeft());
    p.setFont(LeftFont());
    for (size_t i = 0; i < yTicks.major.size(); ++i) {
        const int y = static_cast<int>(std::lround(rowOf(yTicks.major[i])));
        p.drawLine(QPoint(plot.left() - kMajorTick, y), QPoint(plot.left() - 1, y));
        const QRect label(g.panel.left(), y - leftFm.height() / 2, plot.left() - kMajorTick - 3 - g.panel.left(),
                          leftFm.height());
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, Label(yTicks.labels[i]));
    }
    for (double s : yTicks.minor) {
        const int y = static_cast<int>(std::lround(rowOf(s)));
        p.drawLine(QPoint(plot.left() - kLeftMinorTick, y), QPoint(plot.left() - 1, y));
    }

    // Bottom axis: blue line, ticks, "Courier New" labels.
    p.setPen(QPen(kAxisBlue, 1));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.setFont(BottomFont());
    for (size_t i = 0; i < xTicks.major.size(); ++i) {
        const int x = static_cast<int>(std::lround(colOf(xTicks.major[i])));
        p.drawLine(QPoint(x, plot.bottom() + 1), QPoint(x, plot.bottom() + kMajorTick));
        const QString label = Label(xTicks.labels[i]);
        const int w = bottomFm.horizontalAdvance(label);
        p.setPen(Qt::black);
        p.drawText(QRect(x - w, plot.bottom() + kMajorTick + 1, 2 * w, bottomFm.height()), Qt::AlignHCenter, label);
        p.setPen(QPen(kAxisBlue, 1));
    }
    for (double s : xTicks.minor) {
        const int x = static_cast<int>(std::lround(colOf(s)));
        p.drawLine(QPoint(x, plot.bottom() + 1), QPoint(x, plot.bottom() + kBottomMinorTick));
    }
}

std::vector<SeriesTracer::Line> ChartRenderer::SeriesLines(const ChartGeometry& g, const QTransform& base) const {
    std::vector<int> shown;
    for (int i = 0; i < chart_.SeriesCount(); ++i)
        if (chart_.Series(i).Shown()) shown.push_back(i);
    // In 3D every series has its own depth slot, the first at the front; the
    // back ones are drawn first.
    std::vector<SeriesTracer::Line> lines;
    for (int k = static_cast<int>(shown.size()) - 1; k >= 0; --k) {
        const int z = g.depth > 0 ? static_cast<int>(std::lround(g.depth * (k + 0.5) / shown.size())) : 0;
        QTransform at = base;
        at.translate(z, -z);
        SeriesTracer::Line line;
        line.series = &chart_.Series(shown[k]);
        line.plot = BoundsOf(DevicePixels(at, g.plot));
        lines.push_back(std::move(line));
    }
    return lines;
}

void ChartRenderer::PaintSeries(QPainter& p, const std::vector<SeriesTracer::Line>& lines) const {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    // The lines are traced on the device's own pixels: a printer's painter
    // scales the layout, and its lines get its resolution.
    const QTransform base = p.worldTransform();
    const double unit = std::max(1.0, std::sqrt(std::abs(base.determinant())));
    const int lineWidth = std::max(2, static_cast<int>(std::lround(2 * unit)));
    const int dotLength = std::max(1, static_cast<int>(std::lround(unit)));
    const int before = lineWidth / 2;
    std::vector<QRect> rects;
    for (const SeriesTracer::Line& line : lines) {
        const ColumnSpans& spans = line.spans;
        // Every pixel of the line's centre becomes a square of the line's
        // width, one rectangle per run of equal columns, all drawn at once.
        rects.clear();
        int runStart = -1;
        auto flush = [&](int end) {
            if (runStart < 0) return;
            const int top = spans.Top(runStart), bottom = spans.Bottom(runStart);
            rects.emplace_back(spans.X(runStart) - before, top - before, end - runStart + lineWidth - 1,
                               bottom - top + lineWidth);
            runStart = -1;
        };
        for (int i = 0; i < spans.Count(); ++i) {
            // Dotted: two line widths drawn, three left out.
            const bool on =
                spans.Covered(i) && (!line.series->Dotted() || ((spans.X(i) - line.plot.left) / dotLength) % 5 < 2);
            if (runStart >= 0 && (!on || spans.Top(i) != spans.Top(runStart) || spans.Bottom(i) != spans.Bottom(runStart)))
                flush(i - 1);
            if (on && runStart < 0) runStart = i;
        }
        flush(spans.Count() - 1);
        if (rects.empty()) continue;
        p.save();
        p.setWorldTransform(QTransform());
        // The line is cut at the frame of the plot, never pushed onto it.
        p.setClipRect(QRect(QPoint(line.plot.left, line.plot.top), QPoint(line.plot.right, line.plot.bottom)));
        p.setBrush(ToQColor(line.series->LineColor()));
        p.drawRects(rects.data(), static_cast<int>(rects.size()));
        p.restore();
    }
}

void ChartRenderer::PaintLegend(QPainter& p, const ChartGeometry& g) const {
    if (g.legend.isEmpty()) return;
    const QFontMetrics fm(LegendFont(), p.device());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0));
    p.drawRect(g.legend.translated(1, 1));  // the 1-pixel shadow
    p.setBrush(Qt::white);
    p.drawRect(g.legend);
    p.setFont(LegendFont());
    int y = g.legend.top() + kLegendPadding;
    for (int i = 0; i < chart_.SeriesCount(); ++i) {
        const ChartSeries& s = chart_.Series(i);
        if (!s.Shown()) continue;
        const int mid = y + fm.height() / 2;
        const int x = g.legend.left() + kLegendPadding;
        p.setPen(QPen(ToQColor(s.LineColor()), s.LineWidth(), s.Dotted() ? Qt::DotLine : Qt::SolidLine));
        p.drawLine(x, mid, x + kLegendSample, mid);
        p.setPen(Qt::black);
        p.drawText(QRect(x + kLegendSample + 4, y, g.legend.right() - x, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(s.Title()));
        y += fm.height();
    }
}

}  // namespace vornik
