#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tables/ChartDefs.h"
#include "tables/ChartTrace.h"
#include "tables/MainModel.h"
#include "tables/Navigation.h"
#include "tables/TimePlacement.h"

using namespace vornik;

namespace {

// "hh:mm:ss" of `seconds` after midnight.
std::string Clock(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

// A gas table whose data rows carry the given dates and times.
MeasurementTable TableOf(const std::vector<std::pair<std::string, std::string>>& times) {
    MeasurementTable table(21);
    table.SetRowCount(1 + int(times.size()));
    for (size_t i = 0; i < times.size(); ++i)
        table.SetRowCells(int(i) + 1, {std::to_string(i + 1) + "/1", times[i].first, times[i].second});
    return table;
}

}  // namespace

TEST(TimePlacement, ReadsRowTimesAndNeverGoesBack) {
    double a = 0, b = 0;
    ASSERT_TRUE(TimePlacement::ParseRowTime("05.03.24", "10:01:00", a));
    ASSERT_TRUE(TimePlacement::ParseRowTime("06.03.24", "00:00:05", b));
    EXPECT_EQ(b - a, 14 * 3600 - 60 + 5);
    ASSERT_TRUE(TimePlacement::ParseRowTime("01.01.00", "00:00:00", a));
    EXPECT_EQ(a, 0);
    ASSERT_TRUE(TimePlacement::ParseRowTime("01.03.24", "00:00:00", a));
    ASSERT_TRUE(TimePlacement::ParseRowTime("29.02.24", "00:00:00", b));  // a leap day
    EXPECT_EQ(a - b, 86400);
    for (auto [date, time] : std::vector<std::pair<const char*, const char*>>{
             {"31.02.24", "10:00:00"}, {"05.13.24", "10:00:00"}, {"5.3.24", "10:00:00"}, {"05.03.24", "24:00:00"},
             {"05.03.24", "10:60:00"}, {"nd", "10:00:00"}, {"05.03.24", ""}, {"05-03-24", "10:00:00"}})
        EXPECT_FALSE(TimePlacement::ParseRowTime(date, time, a)) << date << ' ' << time;
    EXPECT_EQ(TimePlacement::Label(b + 3723, 600), "01:02:03");
    EXPECT_EQ(TimePlacement::Label(b + 3723, 2 * 86400), "29.02.24 01:02");

    // Unreadable leading rows take the first readable time; a row that is
    // unreadable or goes back stays at the time of the row above.
    const MeasurementTable table = TableOf({{"", ""},
                                            {"05.03.24", "10:00:00"},
                                            {"05.03.24", "10:00:02"},
                                            {"05.03.24", "09:59:00"},
                                            {"nd", "nd"},
                                            {"05.03.24", "10:00:04"}});
    TimePlacement place;
    place.Sync(table, 6);
    ASSERT_EQ(place.Count(), 6u);
    ASSERT_TRUE(TimePlacement::ParseRowTime("05.03.24", "10:00:00", a));
    const double expected[] = {0, 0, 2, 2, 2, 4};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(place.X(i), a + expected[i]) << i;
    EXPECT_EQ(place.Fallbacks(), 3u);
    EXPECT_EQ(place.Nearest(a + 2.9), 2u);
    EXPECT_EQ(place.Nearest(a + 3.1), 5u);
    for (double x = a - 1; x < a + 6; x += 0.5)
        for (size_t from = 0; from <= place.UpperBound(x); ++from)
            EXPECT_EQ(place.UpperBoundFrom(from, x), place.UpperBound(x)) << x << " from " << from;

    // No readable time at all: no time axis.
    TimePlacement none;
    none.Sync(TableOf({{"x", "y"}, {"", ""}}), 2);
    EXPECT_FALSE(none.Valid());
}

// A pause breaks the line when it is longer than five times the median
// spacing: rows every 2 s, so 10 s joins and 11 s breaks.
TEST(TimePlacement, PausesLongerThanFiveMediansBreakTheLine) {
    std::vector<std::pair<std::string, std::string>> rows;
    int t = 36000;
    const int spacing[] = {2, 2, 2, 10, 2, 2, 11, 2, 2, 2, 3600, 2, 2};
    rows.push_back({"05.03.24", Clock(t)});
    for (int s : spacing) rows.push_back({"05.03.24", Clock(t += s)});
    MeasurementTable table = TableOf(rows);
    TimePlacement place;
    place.Sync(table, rows.size());
    EXPECT_EQ(place.GapThreshold(), 10);
    for (size_t i = 0; i + 1 < place.Count(); ++i) EXPECT_EQ(place.GapAfter(i), spacing[i] > 10) << i;

    // Many rows in the same second: the median counts as one second.
    TimePlacement dense;
    dense.Sync(TableOf({{"05.03.24", "10:00:00"}, {"05.03.24", "10:00:00"}, {"05.03.24", "10:00:00"},
                        {"05.03.24", "10:00:06"}}),
               4);
    EXPECT_EQ(dense.GapThreshold(), 5);
    EXPECT_TRUE(dense.GapAfter(2));

    // A rewritten row makes the placement start over.
    table.SetCell(2, 1, Clock(36001 - 3600));
    place.Sync(table, rows.size());
    double first = 0;
    ASSERT_TRUE(TimePlacement::ParseRowTime("05.03.24", Clock(36001 - 3600), first));
    EXPECT_EQ(place.X(0), first);
}

// On a time axis a point's column is its time's; the decimated line covers
// the pixels of the line through every point, and a pause leaves its
// columns empty.
TEST(TimeTrace, PointsSitAtTheirTimesAndPausesBreakTheLine) {
    TimePlacement place;
    ChartSeries series("S", 0);
    double t = 0;
    for (int i = 0; i < 20000; ++i) {
        t += (i % 4000 == 3999) ? 1000 : (i % 3 == 0 ? 0 : 1);  // a pause after every 4000th point
        place.Append(true, t);
        series.Add(50 + 40 * std::sin(i / 300.0) + (i * 7919 % 11));
    }
    const PlotBounds plot{0, 0, 199, 99};
    const AxisRange x{place.X(0), place.X(place.Count() - 1)}, y{0, 100};
    const auto every = SeriesTrace(series, plot, x, y, false, true, &place);
    ColumnSpans decimated, all;
    TraceSpans(series, plot, x, y, false, false, decimated, &place);
    TraceSpans(series, plot, x, y, false, true, all, &place);
    EXPECT_TRUE(decimated.SameCoverage(all));
    const double kx = (plot.Width() - 1) / (x.max - x.min);
    size_t gaps = 0;
    for (size_t i = 0, v = 0; v < every.size(); ++v) {
        if (every[v].Gap()) {
            ++gaps;
            continue;
        }
        while (i < place.Count() && std::round((place.X(i) - x.min) * kx) != every[v].x) ++i;
        ASSERT_LT(i, place.Count()) << "vertex " << v << " at no point's time";
    }
    EXPECT_EQ(gaps, 5u);
    // The columns inside a pause stay empty.
    const int pauseColumn = int(std::round((place.X(3998) + 500 - x.min) * kx));
    EXPECT_FALSE(all.Covered(pauseColumn));
    EXPECT_FALSE(decimated.Covered(pauseColumn));
}

// The page's option: the bottom axis shows the rows' times, the last 50
// points are those of the last 50 rows, and switching back shows numbers.
TEST(TimeAxisOption, BottomAxisFollowsTheRowsTimes) {
    MainModel model;
    Navigation nav(model);
    model.GridsLayout(800);
    model.ChartsInit({DefaultChartView(0), DefaultChartView(1), DefaultChartView(2)});
    MeasurementTable& table = model.Table(1);
    auto receive = [&](int seconds) {
        const int row = model.AppendRow(1);
        table.SetRowCells(row, {std::to_string(row) + "/2", "05.03.24", Clock(seconds)});
        for (int c = 3; c < table.ColumnCount(); ++c) table.SetCell(c, row, "1,5");
        model.RowToChart(1, row);
        model.FollowLast50(1);
    };
    for (int i = 0; i < 80; ++i) receive(36000 + 3 * i);
    double start = 0;
    ASSERT_TRUE(TimePlacement::ParseRowTime("05.03.24", Clock(36000), start));
    model.SetTimeAxis(1, true);
    ChartModel& chart = model.Chart(1);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{start, start + 3 * 79}));
    EXPECT_EQ(chart.PointNear(start + 3 * 10 + 1), 10);

    nav.LeavePage();
    nav.EnterPage(1);
    nav.ShowLast50();
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{start + 3 * 30, start + 3 * 79}));
    receive(36000 + 3 * 80);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{start + 3 * 31, start + 3 * 80}));

    // Back to point numbers: the last-50 window in numbers again.
    model.SetTimeAxis(1, false);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{31, 81}));
    EXPECT_EQ(chart.PointNear(10.2), 10);
}
