#include "shell/ChartRenderer.h"

#include <QFontMetrics>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace vornik {
namespace {

constexpr int kMajorTick = 5;
constexpr int kLeftMinorTick = 3;
constexpr int kBottomMinorTick = 3;
constexpr int kMinorTicks = 5;       // between two labels
constexpr int kLegendSample = 22;    // length of a legend's line sample
constexpr int kLegendPadding = 4;
constexpr double kPixelLimit = 1e6;  // far enough outside any plot

QColor ToQColor(Color c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

QFont BottomFont() { return QFont(QStringLiteral("Courier New"), 8); }
QFont LeftFont() { return QFont(QStringLiteral("Arial"), 8); }
QFont LegendFont() {
    QFont f(QStringLiteral("Arial Narrow"));
    f.setPixelSize(13);
    return f;
}

const QColor kAxisBlue(0, 0, 255);
const QColor kBoxEdge(128, 128, 128);

// Ticks of one axis in drawing units.
struct Ticks {
    std::vector<double> major;
    std::vector<double> minor;
    std::vector<QString> labels;
};

double NiceStep(double raw) {
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * decade >= raw * (1 - 1e-9)) return m * decade;
    }
    return 10 * decade;
}

int DecimalsFor(double step) {
    if (step >= 1) return 0;
    return static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
}

// Linear ticks over [s0, s1] on an axis of `pixels`, labels at least `spacing` apart.
Ticks LinearTicks(double s0, double s1, double pixels, double spacing, double minStep = 0) {
    Ticks t;
    const double span = s1 - s0;
    if (!(span > 0) || pixels <= 0) return t;
    const double step = std::max(minStep, NiceStep(span * spacing / pixels));
    const int decimals = DecimalsFor(step);
    const double first = std::floor(s0 / step) * step;
    for (double v = first; v <= s1 + step * 1e-9; v += step) {
        for (int k = 1; k <= kMinorTicks; ++k) {
            const double m = v + step * k / (kMinorTicks + 1);
            if (m >= s0 && m <= s1) t.minor.push_back(m);
        }
        if (v < s0 - step * 1e-9) continue;
        const double value = std::abs(v) < step * 1e-9 ? 0 : v;
        t.major.push_back(value);
        t.labels.push_back(AxisLabel(value, decimals));
        if (t.major.size() > 1000) break;
    }
    return t;
}

// Logarithmic ticks: labels at decades (every k-th if crowded), minor ticks
// at 2..9 times a decade. Less than two decades: linear steps on the values.
Ticks LogTicks(double s0, double s1, double pixels, double spacing) {
    Ticks t;
    if (!(s1 > s0) || pixels <= 0) return t;
    const double d0 = std::ceil(s0 - 1e-9), d1 = std::floor(s1 + 1e-9);
    if (d1 - d0 < 1) {
        const Ticks lin = LinearTicks(std::pow(10, s0), std::pow(10, s1), pixels, spacing);
        // Equal value steps crowd towards the top of a logarithmic axis:
        // keep only labels that have room below them.
        double lastPixel = -spacing;
        for (size_t i = 0; i < lin.major.size(); ++i) {
            if (lin.major[i] <= 0) continue;
            const double s = std::log10(lin.major[i]);
            const double pixel = (s - s0) / (s1 - s0) * pixels;
            if (pixel - lastPixel < spacing * 0.8) continue;
            lastPixel = pixel;
            t.major.push_back(s);
            t.labels.push_back(lin.labels[i]);
        }
        for (double m : lin.minor)
            if (m > 0) t.minor.push_back(std::log10(m));
        return t;
    }
    const double perDecade = pixels / (s1 - s0);
    const int every = std::max(1, static_cast<int>(std::ceil(spacing / perDecade)));
    for (double d = std::floor(s0); d <= s1; d += 1) {
        if (d >= s0 - 1e-9 && static_cast<long long>(d) % every == 0) {
            t.major.push_back(d);
            t.labels.push_back(AxisLabel(std::pow(10.0, d), d < 0 ? static_cast<int>(-d) : 0));
        }
        if (every == 1 && perDecade > 40) {
            for (int m = 2; m <= 9; ++m) {
                const double p = d + std::log10(m);
                if (p >= s0 && p <= s1) t.minor.push_back(p);
            }
        }
    }
    return t;
}

// Pixel mapping of one series onto the plot.
struct Mapper {
    double x0, kx;  // column = round(left + (i - x0) * kx)
    double left;
    double y0, ky;  // row = round(bottom - (scaled - y0) * ky)
    double bottom;
    double multiplier;
    bool log;

    int Col(size_t i) const {
        const double c = left + (static_cast<double>(i) - x0) * kx;
        return static_cast<int>(std::lround(std::clamp(c, -kPixelLimit, kPixelLimit)));
    }
    int Row(double raw) const {
        const double v = raw * multiplier;
        double scaled;
        if (log) {
            // Non-positive values have no place on a logarithmic axis: they
            // are drawn on the floor of the plot.
            if (!(v > 0)) return static_cast<int>(std::lround(bottom));
            scaled = std::log10(v);
        } else {
            scaled = v;
        }
        const double r = bottom - (scaled - y0) * ky;
        if (std::isnan(r)) return static_cast<int>(std::lround(bottom));
        return static_cast<int>(std::lround(std::clamp(r, -kPixelLimit, kPixelLimit)));
    }
};

void Push(std::vector<QPoint>& out, QPoint p) {
    if (out.empty() || out.back() != p) out.push_back(p);
}

}  // namespace

ColumnSpans::ColumnSpans(const std::vector<QPoint>& points, int left, int right, int top, int bottom)
    : left_(left), top_(std::max(0, right - left + 1), std::numeric_limits<int>::max()),
      bottom_(top_.size(), std::numeric_limits<int>::min()) {
    auto cover = [&](int x, double y0, double y1) {
        if (x < left || x > right) return;
        int a = static_cast<int>(std::floor(std::min(y0, y1) + 0.5));
        int b = static_cast<int>(std::floor(std::max(y0, y1) + 0.5));
        a = std::clamp(a, top, bottom);
        b = std::clamp(b, top, bottom);
        top_[x - left] = std::min(top_[x - left], a);
        bottom_[x - left] = std::max(bottom_[x - left], b);
    };
    if (points.size() == 1) cover(points[0].x(), points[0].y(), points[0].y());
    for (size_t i = 1; i < points.size(); ++i) {
        const QPoint a = points[i - 1], b = points[i];
        if (a.x() == b.x()) {
            cover(a.x(), a.y(), b.y());
            continue;
        }
        // The part of the segment inside each column strip [x - 0.5, x + 0.5].
        const double slope = double(b.y() - a.y()) / (b.x() - a.x());
        const int x0 = std::max(a.x(), left), x1 = std::min(b.x(), right);
        for (int x = x0; x <= x1; ++x) {
            const double t0 = std::max(x - 0.5, double(a.x())), t1 = std::min(x + 0.5, double(b.x()));
            cover(x, a.y() + (t0 - a.x()) * slope, a.y() + (t1 - a.x()) * slope);
        }
    }
}

QString AxisLabel(double value, int decimals) {
    char buf[400];
    // Beyond 15 digits a fixed form only shows noise: use the exponent form.
    const bool huge = std::abs(value) >= 1e15;
    auto r = huge ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 3)
                  : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, std::clamp(decimals, 0, 20));
    if (r.ec != std::errc()) return QStringLiteral("?");
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == '.') c = ',';
    if (s.find_first_not_of("-0,") == std::string::npos && s[0] == '-') s.erase(0, 1);  // no "-0"
    return QString::fromStdString(s);
}

ChartViewport ChartRenderer::Viewport() const {
    return {chart_.ScaleRange(AxisBottom), chart_.ScaleRange(AxisLeft)};
}

std::vector<QPoint> ChartRenderer::SeriesPoints(int index, const QRect& plot, const ChartViewport& view,
                                                bool everyPoint) const {
    std::vector<QPoint> out;
    const ChartSeries& s = chart_.Series(index);
    const size_t n = s.Count();
    if (n == 0 || !(view.x.max > view.x.min) || !(view.y.max > view.y.min)) return out;
    Mapper m;
    m.x0 = view.x.min;
    m.left = plot.left();
    m.kx = (plot.width() - 1) / (view.x.max - view.x.min);
    m.y0 = view.y.min;
    m.bottom = plot.bottom();
    m.ky = (plot.height() - 1) / (view.y.max - view.y.min);
    m.multiplier = s.Multiplier();
    m.log = chart_.IsLog(AxisLeft);

    // The points in view and one beyond each side, for the lines that enter it.
    const double lastIndex = static_cast<double>(n - 1);
    const size_t first = static_cast<size_t>(std::clamp(std::ceil(view.x.min) - 1, 0.0, lastIndex));
    const size_t last = static_cast<size_t>(std::clamp(std::floor(view.x.max) + 1, 0.0, lastIndex));
    if (first > last) return out;
    const size_t count = last - first + 1;
    const std::vector<double>& y = s.Values();

    if (everyPoint || count <= static_cast<size_t>(2 * std::max(1, plot.width()))) {
        out.reserve(count);
        for (size_t i = first; i <= last; ++i) Push(out, QPoint(m.Col(i), m.Row(y[i])));
        return out;
    }
    // M4: per pixel column its first, lowest, highest and last point. Within
    // one column every point has the same x, so this covers exactly the
    // pixels that a line through every point covers.
    out.reserve(4 * static_cast<size_t>(plot.width()) + 8);
    size_t i = first;
    while (i <= last) {
        const int c = m.Col(i);
        // Last index of column c: estimated from the inverse map, then fixed
        // with the forward map so both drawings agree on every boundary.
        const double edge = m.x0 + (c + 0.5 - m.left) / m.kx;
        size_t b = edge >= lastIndex ? last : static_cast<size_t>(std::max(0.0, std::floor(edge)));
        b = std::clamp(b, i, last);
        while (b < last && m.Col(b + 1) == c) ++b;
        while (b > i && m.Col(b) != c) --b;
        double lo, hi;
        s.RawRange(i, b, lo, hi);
        Push(out, QPoint(c, m.Row(y[i])));
        Push(out, QPoint(c, m.Row(lo)));
        Push(out, QPoint(c, m.Row(hi)));
        Push(out, QPoint(c, m.Row(y[b])));
        i = b + 1;
    }
    return out;
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
    const Ticks ticks = chart_.IsLog(AxisLeft)
                            ? LogTicks(view.y.min, view.y.max, plotHeight - depthGuess, 2.5 * leftFm.height())
                            : LinearTicks(view.y.min, view.y.max, plotHeight - depthGuess, 2.5 * leftFm.height());
    int labelWidth = 0;
    for (const auto& l : ticks.labels) labelWidth = std::max(labelWidth, leftFm.horizontalAdvance(l));
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

void ChartRenderer::PaintScaled(QPainter& painter, const QRect& target, const QSize& logical, double maxScale) const {
    if (target.isEmpty() || logical.isEmpty()) return;
    const double scale =
        std::clamp(std::min(double(target.width()) / logical.width(), double(target.height()) / logical.height()), 1.0,
                   maxScale);
    QImage image((QSizeF(logical) * scale).toSize(), QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.scale(scale, scale);
        Paint(p, QRect(QPoint(0, 0), logical));
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, image);
    painter.restore();
}

void ChartRenderer::Paint(QPainter& p, const QRect& rect, const ChartViewport& view) const {
    p.save();
    // Panel: the start colour at the bottom, the end colour at the top.
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, ToQColor(chart_.PanelEndColor()));
    gradient.setColorAt(1, ToQColor(chart_.PanelStartColor()));
    p.fillRect(rect, gradient);
    const ChartGeometry g = Layout(rect, p.device(), view);
    PaintAxes(p, g, view);
    PaintSeries(p, g, view);
    PaintLegend(p, g);
    p.restore();
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

    const Ticks yTicks = chart_.IsLog(AxisLeft)
                             ? LogTicks(view.y.min, view.y.max, plot.height(), 2.5 * leftFm.height())
                             : LinearTicks(view.y.min, view.y.max, plot.height(), 2.5 * leftFm.height());
    const int maxLabel = std::max(bottomFm.horizontalAdvance(AxisLabel(view.x.max, 0)),
                                  bottomFm.horizontalAdvance(AxisLabel(view.x.min, 0)));
    // Point numbers are whole numbers: no label between two of them.
    const Ticks xTicks = LinearTicks(view.x.min, view.x.max, plot.width(), maxLabel + 3 * bottomFm.averageCharWidth(), 1);

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
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, yTicks.labels[i]);
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
        const int w = bottomFm.horizontalAdvance(xTicks.labels[i]);
        p.setPen(Qt::black);
        p.drawText(QRect(x - w, plot.bottom() + kMajorTick + 1, 2 * w, bottomFm.height()), Qt::AlignHCenter,
                   xTicks.labels[i]);
        p.setPen(QPen(kAxisBlue, 1));
    }
    for (double s : xTicks.minor) {
        const int x = static_cast<int>(std::lround(colOf(s)));
        p.drawLine(QPoint(x, plot.bottom() + 1), QPoint(x, plot.bottom() + kBottomMinorTick));
    }
}

void ChartRenderer::PaintSeries(QPainter& p, const ChartGeometry& g, const ChartViewport& view) const {
    std::vector<int> shown;
    for (int i = 0; i < chart_.SeriesCount(); ++i)
        if (chart_.Series(i).Shown()) shown.push_back(i);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    // In 3D every series has its own depth slot, the first at the front; the
    // back ones are drawn first.
    for (int k = static_cast<int>(shown.size()) - 1; k >= 0; --k) {
        const ChartSeries& s = chart_.Series(shown[k]);
        const int z = g.depth > 0 ? static_cast<int>(std::lround(g.depth * (k + 0.5) / shown.size())) : 0;
        const std::vector<QPoint> points = SeriesPoints(shown[k], g.plot, view, everyPoint_);
        if (points.empty()) continue;
        p.save();
        p.translate(z, -z);
        p.setClipRect(g.plot.adjusted(-1, -1, 1, 1));
        p.setBrush(ToQColor(s.LineColor()));
        // The line is 2 pixels wide: every pixel of its centre line becomes
        // a 2 x 2 block, drawn as one rectangle per run of equal columns.
        const ColumnSpans spans(points, g.plot.left() - 2, g.plot.right() + 2, g.plot.top() - 2, g.plot.bottom() + 2);
        int runStart = -1;
        auto flush = [&](int end) {
            if (runStart < 0) return;
            const int top = spans.Top(runStart), bottom = spans.Bottom(runStart);
            p.drawRect(QRect(spans.X(runStart) - 1, top - 1, end - runStart + 1, bottom - top + 2));
            runStart = -1;
        };
        for (int i = 0; i < spans.Count(); ++i) {
            // Dotted: two columns drawn, three left out.
            const bool on = spans.Covered(i) && (!s.Dotted() || (spans.X(i) - g.plot.left()) % 5 < 2);
            if (runStart >= 0 && (!on || spans.Top(i) != spans.Top(runStart) || spans.Bottom(i) != spans.Bottom(runStart)))
                flush(i - 1);
            if (on && runStart < 0) runStart = i;
        }
        flush(spans.Count() - 1);
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
