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

TEST(ChartRender, DecimationKeepsTheExtremesOfEveryColumn) {
    ChartModel chart;
    chart.AddSeries(ChartSeries("S", 0));
    for (int i = 0; i < 100000; ++i) chart.Series(0).Add(i == 54321 ? 1000 : (i == 7 ? -1000 : 0));
    ChartRenderer r(chart);
    const QRect plot(0, 0, 500, 201);
    const auto points = r.SeriesPoints(0, plot, r.Viewport(), false);
    EXPECT_LE(points.size(), 4u * 500);
    int top = 1000, bottom = -1000;
    for (const QPoint& p : points) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
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
}
