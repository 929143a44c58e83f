#pragma once
// The three charts of the main window: their series (names, titles, table
// columns, view-block entries, default looks) and the view settings that the
// configuration record applies to them.
#include <string>
#include <vector>

#include "core/Color.h"
#include "quantities/Quantities.h"
#include "tables/ChartModel.h"

namespace vornik {

class TViewParams;

struct SeriesDef {
    const char* name;   // GSeriesTg ...
    const char* title;  // legend text
    int column;         // table column charted
    int entry;          // index in the page's view block, which holds its look
    bool dotted;
};

// The series of a page's chart, in chart (legend) order, as the page's
// quantities describe them.
const std::vector<SeriesDef>& ChartSeriesDefs(int page);
// Series indices of a page's chart in increasing table-column order: the
// order in which a row's cells are read.
const std::vector<int>& ChartFeedOrder(int page);
// The lowest and highest table column charted on a page; every column
// between is charted too. A reply stores its row only when all of them hold
// numbers.
int ChartFirstColumn(int page);
int ChartLastColumn(int page);
// Qt objectName of a page's chart: ChartGaz, ChartTemp, ChartPrd.
const char* ChartName(int page);

// A chart with the page's series and their design-time look (defaults);
// the second series is attached to all four axes.
ChartModel MakePageChart(int page);

// The settings of one view block, by entry (record order).
struct SeriesView {
    bool show = false;
    double multiplier = 1;
    Color color = 0;
};
struct ChartView {
    bool logarithmic = false;
    bool view3D = true;
    Color panelStart = kChartPanelStart;
    Color panelEnd = kChartPanelEnd;
    std::vector<SeriesView> series;  // by entry
};

// The defaults of a page's view block, as the default settings record holds them.
const ChartView& DefaultChartView(int page);
// Reads a view block of the configuration record (in MainModelConfig.cpp).
ChartView ReadChartView(const TViewParams& view);
// Applies a view to the page's chart: visibility, multiplier and colour of
// every series, 3D, logarithmic left axis, panel colours. Points and axis
// ranges are not touched.
void ApplyChartView(ChartModel& chart, int page, const ChartView& view);

}  // namespace vornik
