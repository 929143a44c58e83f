#include "tables/ChartDefs.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "config/Config.h"
#include "quantities/Pages.h"

namespace vornik {
namespace {

std::vector<SeriesDef> MakeSeriesDefs(int page) {
    std::vector<SeriesDef> defs;
    for (const SeriesDesc& s : SeriesOf(page)) defs.push_back({s.name, s.title, s.column, s.slot, s.dotted});
    return defs;
}

bool ByColumn(const SeriesDef& a, const SeriesDef& b) { return a.column < b.column; }

std::vector<int> FeedOrder(const std::vector<SeriesDef>& defs) {
    std::vector<int> order(defs.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return defs[a].column < defs[b].column; });
    return order;
}

}  // namespace

const std::vector<SeriesDef>& ChartSeriesDefs(int page) {
    static const std::vector<SeriesDef> defs[kPageCount] = {MakeSeriesDefs(PageGas), MakeSeriesDefs(PageTemp),
                                                            MakeSeriesDefs(PagePrd)};
    TableOf(page);  // checks the page
    return defs[page];
}

const std::vector<int>& ChartFeedOrder(int page) {
    static const std::vector<int> orders[kPageCount] = {
        FeedOrder(ChartSeriesDefs(PageGas)), FeedOrder(ChartSeriesDefs(PageTemp)), FeedOrder(ChartSeriesDefs(PagePrd))};
    ChartSeriesDefs(page);  // checks the page
    return orders[page];
}

const char* ChartName(int page) {
    static const char* const names[kPageCount] = {"ChartGaz", "ChartTemp", "ChartPrd"};
    ChartSeriesDefs(page);
    return names[page];
}

int ChartFirstColumn(int page) {
    const auto& defs = ChartSeriesDefs(page);
    return std::min_element(defs.begin(), defs.end(), ByColumn)->column;
}

int ChartLastColumn(int page) {
    const auto& defs = ChartSeriesDefs(page);
    return std::max_element(defs.begin(), defs.end(), ByColumn)->column;
}

ChartModel MakePageChart(int page) {
    ChartModel chart;
    const auto& defs = ChartSeriesDefs(page);
    const ChartView& defaults = DefaultChartView(page);
    for (size_t i = 0; i < defs.size(); ++i) {
        const SeriesView& look = defaults.series[defs[i].entry];
        ChartSeries s(defs[i].title, look.color, defs[i].dotted);
        s.SetShown(look.show);
        s.SetMultiplier(look.multiplier);
        s.SetAllAxes(i == 1);
        chart.AddSeries(std::move(s));
    }
    return chart;
}

const ChartView& DefaultChartView(int page) {
    static const std::array<ChartView, kPageCount> views = [] {
        TConfig defaults;
        defaults.LoadDefaults();
        std::array<ChartView, kPageCount> read;
        for (int p = 0; p < kPageCount; ++p) read[p] = ReadChartView(defaults.View(p));
        return read;
    }();
    ChartSeriesDefs(page);  // checks the page
    return views[page];
}

void ApplyChartView(ChartModel& chart, int page, const ChartView& view) {
    const auto& defs = ChartSeriesDefs(page);
    for (size_t i = 0; i < defs.size() && defs[i].entry < static_cast<int>(view.series.size()); ++i) {
        const SeriesView& s = view.series[defs[i].entry];
        chart.SetSeriesLook(static_cast<int>(i), s.show, s.multiplier, s.color);
    }
    chart.SetView3D(view.view3D);
    chart.SetLogarithmic(view.logarithmic);
    chart.SetPanelColors(view.panelStart, view.panelEnd);
}

}  // namespace vornik
