#include "tables/ChartDefs.h"

#include <algorithm>
#include <stdexcept>

#include "config/Config.h"
#include "tables/Pages.h"

namespace vornik {
namespace {

constexpr Color kRed = RgbColor(0xFF, 0, 0);
constexpr Color kAqua = RgbColor(0, 0xFF, 0xFF);
constexpr Color kYellow = RgbColor(0xFF, 0xFF, 0);
constexpr Color kFuchsia = RgbColor(0xFF, 0, 0xFF);
constexpr Color kBlack = RgbColor(0, 0, 0);
constexpr Color kMaroon = RgbColor(0x80, 0, 0);
constexpr Color kOlive = RgbColor(0x80, 0x80, 0);
constexpr Color kLime = RgbColor(0, 0xFF, 0);
constexpr Color kSilver = RgbColor(0xC0, 0xC0, 0xC0);
constexpr Color kTeal = RgbColor(0, 0x80, 0x80);
constexpr Color kBlue = RgbColor(0, 0, 0xFF);
constexpr Color kPurple = RgbColor(0x80, 0, 0x80);

const std::vector<SeriesDef> kGas = {
    {"GSeriesTg", "Tg", 3, GasTg, kRed, true, 1, false},
    {"GSeriesO2", "O2", 4, GasO2, kAqua, true, 10, false},
    {"GSeriesCO", "CO", 5, GasCO, kYellow, true, 1, false},
    {"GSeriesNO", "NO", 6, GasNO, kFuchsia, false, 1, false},
    {"GSeriesNO2", "NO2", 7, GasNO2, kBlack, false, 10, false},
    {"GSeriesSO2", "SO2", 8, GasSO2, kMaroon, false, 1, false},
    {"GSeriesH2S", "H2S", 9, GasH2S, kOlive, false, 1, false},
    {"GSeriesCO2", "CO2", 10, GasCO2, kLime, false, 1, true},
    {"GSeriesCH", "CH", 11, GasCH, kSilver, false, 1, false},
    {"GSeriesQa", "Qa", 12, GasQa, kTeal, false, 1, false},
    {"GSeriesAlf", "Alf", 13, GasAlf, kBlue, true, 100, false},
    {"GSeriesTa", "Ta", 15, GasTa, kPurple, false, 1, false},
    {"GSeriesNOx", "NOx", 14, GasNOx, kFuchsia, true, 1, false},
};

const std::vector<SeriesDef> kTemp = {
    {"TSeriesTg", "Tg", 3, TempTg, kRed, true, 1, false},
    {"TSeriesTmax", "Tmax", 4, TempTmax, kPurple, true, 1, false},
    {"TSeriesTmin", "Tmin", 5, TempTmin, kAqua, true, 1, false},
    {"TSeriesTp", "Tp", 7, TempTp, kFuchsia, false, 1, false},
    {"TSeriesTdif", "Tdif", 6, TempTdif, kYellow, true, 1, false},
};

const std::vector<SeriesDef> kPrd = {
    {"PSeriesPd", "Pd", 3, PressPd, kRed, true, 1, false},
    {"PSeriesPa", "Pa", 4, PressPa, kAqua, true, 1, false},
    {"PSeriesV", "v", 5, PressV, kPurple, true, 1, false},
    {"PSeriesVp", "vp", 6, PressVp, kYellow, false, 1, false},
    {"PSeriesQv", "Qv", 7, PressQv, kFuchsia, false, 1, false},
};

std::vector<int> FeedOrder(const std::vector<SeriesDef>& defs) {
    std::vector<int> order(defs.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return defs[a].column < defs[b].column; });
    return order;
}

}  // namespace

const std::vector<SeriesDef>& ChartSeriesDefs(int page) {
    switch (page) {
        case PageGas: return kGas;
        case PageTemp: return kTemp;
        case PagePrd: return kPrd;
    }
    throw std::out_of_range("no such page");
}

const std::vector<int>& ChartFeedOrder(int page) {
    static const std::vector<int> orders[kPageCount] = {FeedOrder(kGas), FeedOrder(kTemp), FeedOrder(kPrd)};
    ChartSeriesDefs(page);  // checks the page
    return orders[page];
}

const char* ChartName(int page) {
    static const char* const names[kPageCount] = {"ChartGaz", "ChartTemp", "ChartPrd"};
    ChartSeriesDefs(page);
    return names[page];
}

ChartModel MakePageChart(int page) {
    ChartModel chart;
    const auto& defs = ChartSeriesDefs(page);
    for (size_t i = 0; i < defs.size(); ++i) {
        ChartSeries s(defs[i].title, defs[i].color, defs[i].dotted);
        s.SetShown(defs[i].shown);
        s.SetMultiplier(defs[i].multiplier);
        s.SetAllAxes(i == 1);
        chart.AddSeries(std::move(s));
    }
    return chart;
}

ChartView DefaultChartView(int page) {
    ChartView view;
    const auto& defs = ChartSeriesDefs(page);
    view.series.resize(defs.size());
    for (const auto& d : defs) view.series[d.entry] = {d.shown, d.multiplier, d.color};
    return view;
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
