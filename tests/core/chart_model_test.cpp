#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "config/Config.h"
#include "core/Errors.h"
#include "tables/ChartDefs.h"
#include "tables/ChartModel.h"

using namespace vornik;

namespace {

// A chart with two series; the second is attached to all four axes.
ChartModel TwoSeries() {
    ChartModel chart;
    chart.AddSeries(ChartSeries("A", 0));
    ChartSeries b("B", 0);
    b.SetAllAxes(true);
    chart.AddSeries(std::move(b));
    return chart;
}

// Points 0..count-1 with value y(i) on series 0, and on series 1 if `both`.
void Fill(ChartModel& chart, int count, double (*y)(int), bool both = false) {
    for (int i = 0; i < count; ++i) {
        chart.Series(0).Add(y(i));
        if (both) chart.Series(1).Add(y(i));
    }
}

double Linear(int i) { return i; }

}  // namespace

TEST(MinMaxSummary, RangesMatchAWalkOverEveryPoint) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> value(-1000, 1000);
    ChartSeries one("S", 0), many("S", 0);
    const size_t count = 40000;  // three summary levels
    std::vector<double> values(count);
    for (double& v : values) v = value(rng);
    for (double v : values) one.Add(v);
    // The same points appended in runs of every length, as a load appends them.
    std::uniform_int_distribution<size_t> run(0, 100);
    for (size_t i = 0; i < count;) {
        const size_t n = std::min(count - i, run(rng));
        many.Append(values.data() + i, n);
        i += n;
    }
    std::uniform_int_distribution<size_t> index(0, count - 1);
    for (int trial = 0; trial < 4000; ++trial) {
        const ChartSeries& s = trial % 2 ? many : one;
        size_t a = index(rng), b = index(rng);
        if (trial % 4 == 0) b = std::min(count - 1, a + trial % 70);  // short ranges
        if (a > b) std::swap(a, b);
        double lo, hi;
        s.RawRange(a, b, lo, hi);
        double wantLo = s.Y(a), wantHi = s.Y(a);
        for (size_t i = a; i <= b; ++i) {
            wantLo = std::min(wantLo, s.Y(i));
            wantHi = std::max(wantHi, s.Y(i));
        }
        ASSERT_EQ(lo, wantLo) << a << ".." << b;
        ASSERT_EQ(hi, wantHi) << a << ".." << b;
    }
    ChartSeries& s = one;
    s.Clear();
    double lo, hi;
    EXPECT_FALSE(s.RawExtremes(lo, hi));
    s.Add(5);
    ASSERT_TRUE(s.RawExtremes(lo, hi));
    EXPECT_EQ(lo, 5);
    EXPECT_EQ(hi, 5);
}

TEST(ChartAxes, AutomaticRangesFollowShownSeriesWithMultipliers) {
    ChartModel chart = TwoSeries();
    chart.Series(0).Add(2);
    chart.Series(0).Add(-1);
    chart.Series(0).Add(4);
    chart.Series(1).Add(3);
    chart.Series(1).SetMultiplier(10);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{0, 2}));
    EXPECT_EQ(chart.ShownRange(AxisLeft), (AxisRange{-1, 30}));
    // Top and right follow the series attached to all axes only.
    EXPECT_EQ(chart.ShownRange(AxisRight), (AxisRange{29, 31}));  // one value, widened
    EXPECT_EQ(chart.ShownRange(AxisTop), (AxisRange{-1, 1}));

    // A hidden series does not count; a negative multiplier flips the range.
    chart.Series(1).SetShown(false);
    EXPECT_EQ(chart.ShownRange(AxisLeft), (AxisRange{-1, 4}));
    chart.Series(0).SetMultiplier(-2);
    EXPECT_EQ(chart.ShownRange(AxisLeft), (AxisRange{-8, 2}));
    // No data at all still gives a drawable range.
    ChartModel empty = TwoSeries();
    EXPECT_EQ(empty.ShownRange(AxisBottom), (AxisRange{-1, 1}));
}

TEST(ChartAxes, PercentZoomNarrowsAndWidensEveryAxis) {
    ChartModel chart = TwoSeries();
    Fill(chart, 101, Linear, true);  // bottom 0..100, left 0..100
    int zooms = 0;
    chart.SetZoomListener([&] { ++zooms; });
    chart.ZoomPercent(120);
    EXPECT_EQ(zooms, 1);
    EXPECT_TRUE(chart.Zoomed());
    for (int a = 0; a < kAxisCount; ++a) {
        EXPECT_EQ(chart.ShownRange(AxisId(a)), (AxisRange{20, 80})) << a;
        EXPECT_FALSE(chart.Axis(AxisId(a)).autoMin);
    }
    chart.UndoZoom();
    EXPECT_FALSE(chart.Zoomed());
    EXPECT_TRUE(chart.Axis(AxisBottom).Automatic());
    chart.ZoomPercent(80);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{-20, 120}));
    EXPECT_EQ(chart.ShownRange(AxisLeft), (AxisRange{-20, 120}));
}

TEST(ChartAxes, ShiftMovesByATenthOfTheSpanWithoutUndo) {
    ChartModel chart = TwoSeries();
    Fill(chart, 101, [](int i) { return i / 2.0; });  // bottom 0..100, left 0..50
    chart.ShiftAxis(AxisBottom, 10);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{10, 110}));
    chart.ShiftAxis(AxisLeft, 10);
    EXPECT_EQ(chart.ShownRange(AxisLeft), (AxisRange{5, 55}));
    EXPECT_FALSE(chart.Axis(AxisLeft).Automatic());
    chart.ShiftAxis(AxisLeft, -10);
    EXPECT_EQ(chart.ShownRange(AxisLeft), (AxisRange{0, 50}));
    EXPECT_FALSE(chart.Zoomed());
    chart.UndoZoom();  // nothing remembered: the shifts stay
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{10, 110}));
}

TEST(ChartAxes, UndoRestoresTheStateBeforeTheFirstZoom) {
    ChartModel chart = TwoSeries();
    Fill(chart, 101, Linear, true);
    chart.ShiftAxis(AxisLeft, 10);  // fixed left [10, 110] before the zoom
    chart.ZoomPercent(120);
    chart.ShiftAxis(AxisBottom, 10);
    chart.ZoomToFractions(0.25, 0.75, 0, 0.5);  // a second zoom keeps the first memory
    chart.UndoZoom();
    EXPECT_EQ(chart.ShownRange(AxisLeft), (AxisRange{10, 110}));
    EXPECT_FALSE(chart.Axis(AxisLeft).autoMin);
    for (AxisId a : {AxisBottom, AxisTop, AxisRight}) EXPECT_TRUE(chart.Axis(a).Automatic()) << a;
}

TEST(ChartAxes, RectangleZoomUsesFractionsOfEachAxis) {
    ChartModel chart = TwoSeries();
    Fill(chart, 101, Linear);
    chart.Series(1).Add(0);
    chart.Series(1).Add(10);  // top 0..1, right 0..10
    chart.ZoomToFractions(0.1, 0.5, 0.5, 1.0);
    EXPECT_DOUBLE_EQ(chart.Minimum(AxisBottom), 10);
    EXPECT_DOUBLE_EQ(chart.Maximum(AxisBottom), 50);
    EXPECT_DOUBLE_EQ(chart.Minimum(AxisLeft), 50);
    EXPECT_DOUBLE_EQ(chart.Maximum(AxisRight), 10);
    EXPECT_DOUBLE_EQ(chart.Minimum(AxisRight), 5);
    EXPECT_DOUBLE_EQ(chart.Maximum(AxisTop), 0.5);
}

TEST(ChartAxes, PanningMovesAllAxesAndTellsTheScrollListener) {
    ChartModel chart = TwoSeries();
    Fill(chart, 101, Linear, true);
    int scrolls = 0, zooms = 0;
    chart.SetScrollListener([&] { ++scrolls; });
    chart.SetZoomListener([&] { ++zooms; });
    chart.Pan(0.1, -0.2);
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(zooms, 0);
    EXPECT_FALSE(chart.Zoomed());
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{10, 110}));
    EXPECT_EQ(chart.ShownRange(AxisLeft), (AxisRange{-20, 80}));
}

TEST(ChartAxes, WindowLimitsAreSetInTheOrderThatNeverCrosses) {
    ChartModel chart = TwoSeries();
    Fill(chart, 101, Linear);
    chart.SetMinMax(AxisBottom, -20, 30);
    // Setting the minimum first would put it above the maximum.
    EXPECT_THROW(chart.SetMinimum(AxisBottom, 50), VornikError);
    chart.SetWindow(AxisBottom, 50, 100);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{50, 100}));
    // And the other way round: the maximum first would fall below the minimum.
    EXPECT_THROW(chart.SetMaximum(AxisBottom, 20), VornikError);
    chart.SetWindow(AxisBottom, -10, 20);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{-10, 20}));
}

TEST(ChartAxes, LimitsOfAnAutomaticAxisShowNothingUntilItIsFixed) {
    ChartModel chart = TwoSeries();
    Fill(chart, 101, Linear);
    chart.SetWindow(AxisBottom, 51, 101);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{0, 100}));
    // Turning automatic off keeps what was shown, not the stored limits.
    chart.SetAutomatic(AxisBottom, false);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{0, 100}));
}

TEST(ChartAxes, LogarithmicLeftAxis) {
    ChartModel chart = TwoSeries();
    for (double v : {-5.0, 0.0, 10.0, 1000.0}) chart.Series(0).Add(v);
    chart.SetLogarithmic(true);
    ASSERT_TRUE(chart.IsLog(AxisLeft));
    EXPECT_FALSE(chart.IsLog(AxisRight));
    // Only positive values count for the automatic range.
    EXPECT_EQ(chart.ShownRange(AxisLeft), (AxisRange{10, 1000}));
    EXPECT_DOUBLE_EQ(chart.ScaleRange(AxisLeft).min, 1);
    EXPECT_DOUBLE_EQ(chart.ScaleRange(AxisLeft).max, 3);
    EXPECT_TRUE(std::isinf(chart.ToScale(AxisLeft, 0)));
    // Shifting works on the plain values; a range reaching below zero keeps
    // three decades under its top for drawing.
    chart.ShiftAxis(AxisLeft, -10);
    EXPECT_DOUBLE_EQ(chart.Minimum(AxisLeft), -89);
    EXPECT_DOUBLE_EQ(chart.ScaleRange(AxisLeft).max, std::log10(901));
    EXPECT_DOUBLE_EQ(chart.ScaleRange(AxisLeft).min, std::log10(0.901));
    // A rectangle zoom on a logarithmic axis splits it in decades.
    chart.SetAutomatic(AxisLeft, true);
    chart.ZoomToFractions(0, 1, 0.5, 1);
    EXPECT_NEAR(chart.Minimum(AxisLeft), 100, 1e-9);
}

TEST(ChartDefsTest, ViewEntriesMapByQuantity) {
    ChartModel gas = MakePageChart(0);
    ASSERT_EQ(gas.SeriesCount(), 13);
    EXPECT_EQ(gas.Series(11).Title(), "Ta");
    EXPECT_EQ(gas.Series(12).Title(), "NOx");
    EXPECT_TRUE(gas.Series(1).AllAxes());
    EXPECT_FALSE(gas.Series(0).AllAxes());
    EXPECT_TRUE(gas.Series(7).Dotted());  // CO2
    ChartView view = DefaultChartView(0);
    view.series[GasTa].show = true;
    view.series[GasNOx].multiplier = 5;
    view.series[GasAlf].color = RgbColor(1, 2, 3);
    view.logarithmic = true;
    ApplyChartView(gas, 0, view);
    EXPECT_TRUE(gas.Series(11).Shown());
    EXPECT_EQ(gas.Series(12).Multiplier(), 5);
    EXPECT_EQ(gas.Series(10).LineColor(), RgbColor(1, 2, 3));
    EXPECT_TRUE(gas.Logarithmic());
    EXPECT_TRUE(gas.View3D());
    // The temperature chart lists Tp before Tdif but feeds by column.
    EXPECT_EQ(ChartFeedOrder(1), (std::vector<int>{0, 1, 2, 4, 3}));
}

TEST(MinMaxSummary, RangesStayRightWhileBlocksFillUp) {
    // Blocks complete at every multiple of 32 and 1024; the ranges ending in
    // an unfinished block must still see its points.
    ChartSeries s("S", 0);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> value(-50, 50);
    double lo = 0, hi = 0, wantLo = 1e9, wantHi = -1e9;
    for (size_t n = 1; n <= 33000; ++n) {
        const double y = value(rng);
        s.Add(y);
        wantLo = std::min(wantLo, y);
        wantHi = std::max(wantHi, y);
        if (n % 32 <= 1 || n % 1024 <= 1 || n % 997 == 0) {
            ASSERT_TRUE(s.RawExtremes(lo, hi));
            ASSERT_EQ(lo, wantLo) << n;
            ASSERT_EQ(hi, wantHi) << n;
            s.RawRange(n / 2, n - 1, lo, hi);
            double tailLo = s.Y(n / 2), tailHi = s.Y(n / 2);
            for (size_t i = n / 2; i < n; ++i) tailLo = std::min(tailLo, s.Y(i)), tailHi = std::max(tailHi, s.Y(i));
            ASSERT_EQ(lo, tailLo) << n;
            ASSERT_EQ(hi, tailHi) << n;
        }
    }
}
