#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "tables/SeriesTracer.h"

using namespace vornik;

// Lines traced by the tracer, on two threads when the chart is big, are
// those traced one by one, each on its own plot and in the order given.
TEST(SeriesTracer, TracesEveryLineAsOnItsOwn) {
    std::vector<std::unique_ptr<ChartSeries>> series;
    for (int s = 0; s < 6; ++s) {
        series.push_back(std::make_unique<ChartSeries>("S", 0));
        for (int i = 0; i < 100000; ++i) series.back()->Add(50 + 40 * std::sin(i / (500.0 + 70 * s)) + (i * 7919 % 13));
    }
    const AxisRange x{1000, 90000}, y{0, 100};
    for (const size_t count : {size_t(1), series.size()}) {
        std::vector<SeriesTracer::Line> lines;
        for (size_t s = 0; s < count; ++s) {
            SeriesTracer::Line line;
            line.series = series[s].get();
            line.plot = PlotBounds{10 + int(s), 20 - int(s), 700 + int(s), 380 - int(s)};
            lines.push_back(std::move(line));
        }
        SeriesTracer tracer(std::move(lines), x, y, false, false);
        const auto& traced = tracer.Wait();
        ASSERT_EQ(traced.size(), count);
        for (size_t s = 0; s < count; ++s) {
            ColumnSpans alone;
            TraceSpans(*series[s], traced[s].plot, x, y, false, false, alone);
            EXPECT_EQ(traced[s].series, series[s].get());
            EXPECT_TRUE(traced[s].spans.SameCoverage(alone)) << "series " << s;
            EXPECT_GT(alone.Count(), 0);
        }
    }
}
