#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <random>

#include "shell/ChartRenderer.h"
#include "tables/ChartDefs.h"

using namespace vornik;

namespace {

// A gas chart with `count` rows of noisy signals with spikes and steps.
void FillGas(ChartModel& chart, int count, unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 1);
    for (int i = 0; i < count; ++i) {
        std::vector<double> row(chart.SeriesCount());
        for (int s = 0; s < chart.SeriesCount(); ++s) {
            double v = 20 + 5 * std::sin(i / (40.0 + s)) + s + noise(rng);
            if (i % 997 == s) v += 40;  // a spike now and then
            if (s == 2 && i > count / 2) v -= 15;
            row[s] = v;
        }
        chart.AppendPoints(row.data(), static_cast<int>(row.size()));
    }
}

QImage Render(const ChartModel& chart, bool everyPoint, QSize size = QSize(640, 360)) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    ChartRenderer r(chart);
    r.SetDrawEveryPoint(everyPoint);
    r.Paint(p, image.rect());
    return image;
}

int DifferentPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

}  // namespace

TEST(ChartRender, DecimatedDrawingMatchesDrawingEveryPoint) {
    ChartModel chart = MakePageChart(0);
    chart.SetView3D(false);
    for (int i = 0; i < chart.SeriesCount(); ++i) chart.Series(i).SetShown(i % 3 == 0 && i != 7);  // solid lines
    FillGas(chart, 6000);
    EXPECT_EQ(DifferentPixels(Render(chart, false), Render(chart, true)), 0);

    // Zoomed into the middle, with a negative multiplier and in 3D.
    chart.Series(3).SetMultiplier(-2);
    chart.ZoomToFractions(0.3, 0.8, 0.1, 0.9);
    chart.SetView3D(true);
    EXPECT_EQ(DifferentPixels(Render(chart, false), Render(chart, true)), 0);

    // Logarithmic, with values at and below zero.
    chart.UndoZoom();
    chart.Series(6).SetShown(true);
    for (int i = 0; i < 3000; ++i) {
        std::vector<double> row(chart.SeriesCount(), (i % 500) - 100.0);
        chart.AppendPoints(row.data(), static_cast<int>(row.size()));
    }
    chart.SetLogarithmic(true);
    EXPECT_EQ(DifferentPixels(Render(chart, false), Render(chart, true)), 0);
}

// A zoomed chart cuts its lines at the frame: the reference is the line
// through every point worked out per pixel column in plain arithmetic.
// Pixels of the line's colour on the frame's top and bottom rows appear only
// where the line really crosses them, never as a line along the edge.
TEST(ChartRender, LinesLeavingThePlotAreCutAtTheFrame) {
    ChartModel chart;
    chart.AddSeries(ChartSeries("S", RgbColor(255, 0, 0)));
    const auto value = [](int i) { return 50 + 80 * std::sin(i / 700.0) + (i % 2 ? 3 : -3); };
    for (int i = 0; i < 20000; ++i) chart.Series(0).Add(value(i));
    chart.SetMinMax(AxisLeft, 20, 80);      // the sine leaves above and below
    chart.SetMinMax(AxisBottom, 1000, 15000);
    for (bool log : {false, true}) {
        chart.SetLogarithmic(log);
        const QSize size(640, 360);
        const QImage decimated = Render(chart, false, size), every = Render(chart, true, size);
        EXPECT_EQ(DifferentPixels(decimated, every), 0);
        QImage probe(size, QImage::Format_ARGB32);
        ChartRenderer r(chart);
        const ChartViewport view = r.Viewport();
        const QRect plot = r.Layout(QRect(QPoint(0, 0), size), &probe, view).plot;
        const auto rowOf = [&](double v) {
            const double s = log ? (v > 0 ? std::log10(v) : -1e9) : v;  // below the floor
            return plot.bottom() - (s - view.y.min) / (view.y.max - view.y.min) * (plot.height() - 1);
        };
        int inside = 0, onEdge = 0;
        for (int x = plot.left() + 2; x < plot.right() - 2; ++x) {
            // The rows the line spans across this column, from every point in it.
            const double i0 = view.x.min + (x - 1.5 - plot.left()) / (plot.width() - 1) * (view.x.max - view.x.min);
            const double i1 = view.x.min + (x + 1.5 - plot.left()) / (plot.width() - 1) * (view.x.max - view.x.min);
            double lo = 1e9, hi = -1e9;
            for (int i = static_cast<int>(i0); i <= static_cast<int>(i1) + 1; ++i) {
                lo = std::min(lo, rowOf(value(i)));
                hi = std::max(hi, rowOf(value(i)));
            }
            const bool red = QColor(decimated.pixel(x, plot.top())) == Qt::red ||
                             QColor(decimated.pixel(x, plot.bottom())) == Qt::red;
            if (red) {
                ++onEdge;
                EXPECT_TRUE((lo <= plot.top() + 1 && hi >= plot.top() - 1) ||
                            (lo <= plot.bottom() + 1 && hi >= plot.bottom() - 1))
                    << "line drawn on the frame at column " << x << (log ? " (log)" : "");
            }
            if (lo > plot.top() + 3 && hi < plot.bottom() - 3) {
                ++inside;
                int found = 0;
                for (int y = static_cast<int>(lo) - 1; y <= static_cast<int>(hi) + 1; ++y)
                    found += QColor(decimated.pixel(x, y)) == Qt::red;
                EXPECT_GT(found, 0) << "line missing at column " << x;
            }
        }
        EXPECT_GT(inside, 50);
        EXPECT_GT(onEdge, 0);
        EXPECT_LT(onEdge, 60);
    }
}

// On a logarithmic axis a value at or below zero leaves a gap: nothing is
// drawn for it, neither on the floor nor in a line down to it.
TEST(ChartRender, NonPositiveValuesLeaveAGapOnALogarithmicAxis) {
    ChartModel chart;
    chart.AddSeries(ChartSeries("S", RgbColor(255, 0, 0)));
    for (int i = 0; i < 300; ++i) chart.Series(0).Add(i / 100 == 1 ? 0 : 50);
    chart.SetLogarithmic(true);
    chart.SetMinMax(AxisLeft, 1, 100);
    const QImage image = Render(chart, false);
    QImage probe(image.size(), QImage::Format_ARGB32);
    ChartRenderer r(chart);
    const QRect plot = r.Layout(image.rect(), &probe, r.Viewport()).plot;
    // Points 100 to 199 are zero: their columns lie between those of 99 and
    // 200 (a line is 2 pixels wide, to the left of its centre).
    const auto columnOf = [&](int i) { return plot.left() + i * (plot.width() - 1) / 299; };
    int before = 0, gap = 0, after = 0;
    for (int x = plot.left(); x <= plot.right(); ++x) {
        bool red = false;
        for (int y = plot.top(); y <= plot.bottom(); ++y) red |= QColor(image.pixel(x, y)) == Qt::red;
        (x <= columnOf(99) + 1 ? before : x < columnOf(200) - 2 ? gap : after) += red;
    }
    EXPECT_GE(before, columnOf(99) - plot.left());
    EXPECT_EQ(gap, 0);
    EXPECT_GE(after, plot.right() - columnOf(200));
    EXPECT_EQ(DifferentPixels(image, Render(chart, true)), 0);
}

TEST(ChartRender, DecimationKeepsTheExtremesOfEveryColumn) {
    ChartModel chart;
    chart.AddSeries(ChartSeries("S", 0));
    for (int i = 0; i < 100000; ++i) chart.Series(0).Add(i == 54321 ? 1000 : (i == 7 ? -1000 : 0));
    ChartRenderer r(chart);
    const QRect plot(0, 0, 500, 201);
    const auto points = r.SeriesPoints(0, plot, r.Viewport(), false);
    EXPECT_LE(points.size(), 4u * 500);
    double top = 1000, bottom = -1000;
    for (const TraceVertex& p : points) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    EXPECT_EQ(top, 0);       // the spike of 1000
    EXPECT_EQ(bottom, 200);  // the dip of -1000
}

TEST(ChartRender, GradientPanelAndLegend) {
    ChartModel chart = MakePageChart(1);
    chart.SetView3D(false);
    chart.SetPanelColors(RgbColor(255, 0, 0), RgbColor(0, 0, 255));  // red bottom, blue top
    const QImage image = Render(chart, false, QSize(400, 300));
    EXPECT_EQ(QColor(image.pixel(1, 0)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(image.pixel(1, 299)), QColor(255, 0, 0));

    ChartRenderer r(chart);
    const ChartGeometry g = r.Layout(QRect(0, 0, 400, 300), const_cast<QImage*>(&image), r.Viewport());
    EXPECT_EQ(g.legend.top(), 6);  // 2 % of 300
    EXPECT_GT(g.plot.width(), 200);
    for (int i = 0; i < chart.SeriesCount(); ++i) chart.Series(i).SetShown(false);
    EXPECT_TRUE(r.Layout(QRect(0, 0, 400, 300), const_cast<QImage*>(&image), r.Viewport()).legend.isEmpty());
}

// Values one rounding step apart (a data file can hold them) used to hang the
// window in the tick loop; extreme ranges paint too.
TEST(ChartRender, ExtremeRangesPaint) {
    for (const auto& values : std::vector<std::vector<double>>{
             {390614.14, 390614.1400000001}, {5e-324, 1e-323}, {-1.7e308, 1.7e308}, {1e300, 1e300}}) {
        ChartModel chart;
        chart.AddSeries(ChartSeries("S", RgbColor(255, 0, 0)));
        for (double v : values) chart.Series(0).Add(v);
        for (bool log : {false, true}) {
            chart.SetLogarithmic(log);
            const QImage image = Render(chart, false);
            EXPECT_EQ(DifferentPixels(image, Render(chart, true)), 0);
        }
    }
}

TEST(ChartRender, AxisLabelsUseAComma) {
    EXPECT_EQ(AxisLabel(12.5, 1), "12,5");
    EXPECT_EQ(AxisLabel(-0.25, 2), "-0,25");
    EXPECT_EQ(AxisLabel(-0.0, 1), "0,0");
    EXPECT_EQ(AxisLabel(1e6, 0), "1000000");
}

TEST(ChartRender, ScaledPaintFillsTheTargetAsTheScreenWouldShowIt) {
    ChartModel chart = MakePageChart(2);
    chart.SetView3D(false);
    for (int i = 0; i < 100; ++i) chart.Series(0).Add(i % 10);
    chart.SetPanelColors(RgbColor(255, 0, 0), RgbColor(0, 0, 255));
    // A "page" of 2000 x 1400 device pixels from a 1000 x 700 screen layout.
    QImage page(2100, 1500, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        ChartRenderer(chart).PaintScaled(p, QRect(50, 50, 2000, 1400), QSize(1000, 700));
    }
    EXPECT_EQ(QColor(page.pixel(10, 10)), QColor(Qt::white));  // outside the target
    EXPECT_EQ(QColor(page.pixel(52, 52)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(page.pixel(52, 1447)), QColor(255, 0, 0));
    // Same picture as the screen's, twice the size.
    const QImage screen = Render(chart, false, QSize(1000, 700));
    const QImage scaled = page.copy(50, 50, 2000, 1400).scaled(1000, 700);
    int differing = 0;
    for (int y = 0; y < 700; y += 7)
        for (int x = 0; x < 1000; x += 7) differing += qAbs(qGray(screen.pixel(x, y)) - qGray(scaled.pixel(x, y))) > 60;
    EXPECT_LT(differing, 100 * 143 / 50);  // under 2 % of the samples

    // A page of another shape than the screen: the chart fills it, and its
    // text and legend keep their shape (scaled alike in both directions).
    const auto whiteBox = [](const QImage& image) {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (QColor(image.pixel(x, y)) == Qt::white) box |= QRect(x, y, 1, 1);
        return box;
    };
    QImage wide(2400, 1000, QImage::Format_RGB32);
    {
        QPainter p(&wide);
        ChartRenderer(chart).PaintScaled(p, wide.rect(), QSize(1000, 700));
    }
    EXPECT_GT(qBlue(wide.pixel(2, 2)), 240);
    EXPECT_GT(qRed(wide.pixel(2397, 997)), 240);
    const QRect legend = whiteBox(screen), printed = whiteBox(wide);
    ASSERT_FALSE(legend.isEmpty());
    EXPECT_NEAR(printed.width(), 2.4 * legend.width(), 3);
    EXPECT_NEAR(printed.height(), 2.4 * legend.height(), 3);
}
