#pragma once
// Traces the lines of a chart's series into their column spans. A big chart
// is traced on two threads: a helper starts at once, so the caller can paint
// the rest of the chart meanwhile, and joins in when it asks for the spans.
#include <atomic>
#include <thread>
#include <vector>

#include "tables/ChartTrace.h"

namespace vornik {

class SeriesTracer {
public:
    struct Line {
        const ChartSeries* series = nullptr;
        PlotBounds plot;
        ColumnSpans spans;
    };

    // The series must stay unchanged until Wait returns.
    SeriesTracer(std::vector<Line> lines, const AxisRange& x, const AxisRange& y, bool logarithmic, bool everyPoint,
                 const TimePlacement* time = nullptr);
    ~SeriesTracer();
    SeriesTracer(const SeriesTracer&) = delete;
    SeriesTracer& operator=(const SeriesTracer&) = delete;

    // The lines in the order given, every one traced.
    const std::vector<Line>& Wait();

private:
    void Work();

    std::vector<Line> lines_;
    AxisRange x_, y_;
    bool logarithmic_, everyPoint_;
    const TimePlacement* time_;
    std::atomic<size_t> next_{0};
    std::thread helper_;
};

}  // namespace vornik
