// Charts and the configuration record (ReadChartView, MainModel::ChartsInit), in a unit of its own so
// that users of MainModel link the record only when they apply it.
#include "config/Config.h"
#include "tables/MainModel.h"

namespace vornik {

ChartView ReadChartView(const TViewParams& block) {
    ChartView view;
    view.logarithmic = block.Logarithmic();
    view.view3D = block.View3D();
    view.panelStart = block.PanelStartColor();
    view.panelEnd = block.PanelEndColor();
    view.series.resize(block.SeriesCount());
    for (int i = 0; i < block.SeriesCount(); ++i) {
        const TSeriesParams p = block.Series(i);
        view.series[i] = {p.Show, p.Multiplier, block.SeriesColor(i)};
    }
    return view;
}


void MainModel::ChartsInit(TConfig& config) {
    std::array<ChartView, kPageCount> views;
    for (int page = 0; page < kPageCount; ++page) views[page] = ReadChartView(config.View(page));
    ChartsInit(views);
}

}  // namespace vornik
