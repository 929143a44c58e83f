#include "tables/MainModel.h"

#include <cmath>
#include <stdexcept>

#include "core/Conversion.h"
#include "core/Errors.h"
#include "tables/Headers.h"

namespace vornik {
namespace {

// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5) return static_cast<int>(floor) + 1;
    if (fraction < 0.5) return static_cast<int>(floor);
    const int f = static_cast<int>(floor);
    return f % 2 == 0 ? f : f + 1;
}

void CheckPage(int page) {
    if (page < 0 || page >= kPageCount) throw std::out_of_range("no such page");
}

// The values of a row's charted cells, by series; `cellAt(column)` gives a
// cell's text. Raises VornikError for a cell that is not a number.
template <typename CellAt>
std::array<double, kMaxChartSeries> ChartValues(int page, CellAt cellAt) {
    const auto& defs = ChartSeriesDefs(page);
    std::array<double, kMaxChartSeries> values{};
    for (int i : ChartFeedOrder(page)) values.at(i) = CellValue(cellAt(defs[i].column));
    return values;
}

}  // namespace

int GasColumnWidth(int clientWidth) {
    const int columns = kGasColumns;
    const int f = RoundHalfEven(double(clientWidth - columns) / (columns + 4) - 2);
    return f < 40 ? 40 : f;
}

int TempColumnWidth(int clientWidth) {
    const int columns = kTempColumns;
    const int v = RoundHalfEven(double(clientWidth - columns) / (columns + 2) - 3);
    return v < 40 ? 40 : v;
}

MainModel::MainModel()
    : tables_{MeasurementTable(kGasColumns), MeasurementTable(kTempColumns), MeasurementTable(kPrdColumns)},
      charts_{MakePageChart(PageGas), MakePageChart(PageTemp), MakePageChart(PagePrd)} {}

void MainModel::GridsLayout(int clientWidth) {
    const int f = GasColumnWidth(clientWidth);
    auto& gas = tables_[PageGas];
    gas.SetColumnWidth(GasColumn::Number, f - 10);
    gas.SetColumnWidth(GasColumn::Date, f + 10);
    for (int c = GasColumn::Time; c <= GasColumn::Unit; ++c) gas.SetColumnWidth(c, f);
    gas.SetColumnWidth(GasColumn::Object, 3 * f);
    gas.SetColumnWidth(GasColumn::Fuel, 3 * f);

    const int v = TempColumnWidth(clientWidth);
    for (int page : {PageTemp, PagePrd}) {
        auto& table = tables_[page];
        const int object = page == PageTemp ? int(TempColumn::Object) : int(PrdColumn::Object);
        for (int c = 0; c < PageColumns(page); ++c) table.SetColumnWidth(c, c == object ? 3 * v : v);
    }

    for (int page = 0; page < kPageCount; ++page) {
        const auto& headers = HeaderTexts(page);
        std::vector<std::string_view> cells(headers.begin(), headers.end());
        tables_[page].SetRowCells(0, cells);
    }
}

int MainModel::AppendRow(int page) {
    CheckPage(page);
    return tables_[page].AppendRow();
}

void MainModel::ChartClear(bool gaz, bool temp, bool prd) {
    const bool chosen[kPageCount] = {gaz, temp, prd};
    for (int page = 0; page < kPageCount; ++page) {
        if (!chosen[page]) continue;
        charts_[page].ClearPoints();
        tables_[page].Clear();
        newData_[page] = false;
        RowsSettled(page);
    }
    StateChanged();
}

int MainModel::CommitRow(int page, std::vector<std::string> cells) {
    CheckPage(page);
    MeasurementTable& table = tables_[page];
    if (static_cast<int>(cells.size()) != table.ColumnCount()) throw VornikError("Row does not fit its table");
    const auto values = ChartValues(page, [&](int column) -> std::string_view { return cells[size_t(column)]; });
    const int row = table.NextAppendRow();
    cells[0] = std::to_string(row) + "/" + cells[0];
    const std::vector<std::string_view> views(cells.begin(), cells.end());

    // Nothing below fails: the row lands whole.
    table.AppendRow();
    table.SetRowCells(row, views);
    charts_[page].AppendPoints(values.data(), static_cast<int>(ChartSeriesDefs(page).size()));
    FollowLast50(page);
    newData_[page] = true;
    unwritten_[page] = true;
    saveEnabled_ = true;
    StateChanged();
    return row;
}

void MainModel::RowToChart(int page, int row) {
    CheckPage(page);
    // Every cell first, so that a bad cell leaves all series of equal length.
    const MeasurementTable& table = tables_[page];
    const auto values = ChartValues(page, [&](int column) { return table.Cell(column, row); });
    charts_[page].AppendPoints(values.data(), static_cast<int>(ChartSeriesDefs(page).size()));
}

void MainModel::FollowLast50(int page) {
    CheckPage(page);
    if (last50Mode_[page] != ModeOn) return;
    ChartModel& chart = charts_[page];
    const double n = static_cast<double>(chart.Series(0).Count());
    chart.FollowWindow(AxisBottom, chart.PointX(n - 50), chart.PointX(n));
}

void MainModel::ChartsInit(const std::array<ChartView, kPageCount>& views) {
    for (int page = 0; page < kPageCount; ++page) {
        ApplyChartView(charts_[page], page, views[page]);
        SetPageModes(page, ModeOn, ModeOff);
    }
}

void MainModel::SetPageModes(int page, int allData, int last50) {
    CheckPage(page);
    if (allData == ModeOn || allData == ModeOff) {
        allDataMode_[page] = static_cast<uint8_t>(allData);
        allDataEnabled_ = allData == ModeOff;
    }
    if (last50 == ModeOn || last50 == ModeOff) {
        last50Mode_[page] = static_cast<uint8_t>(last50);
        last50Enabled_ = last50 == ModeOff;
    }
    StateChanged();
}

void MainModel::SetAllDataButtonEnabled(bool enabled) {
    allDataEnabled_ = enabled;
    StateChanged();
}

void MainModel::SetLast50ButtonEnabled(bool enabled) {
    last50Enabled_ = enabled;
    StateChanged();
}

void MainModel::SetNewData(int page, bool value) {
    CheckPage(page);
    newData_[page] = value;
    if (value) unwritten_[page] = true;
    StateChanged();
}

void MainModel::SetSaveCommandEnabled(bool enabled) {
    saveEnabled_ = enabled;
    StateChanged();
}

void MainModel::SetActivePage(int page) {
    CheckPage(page);
    activePage_ = page;
    StateChanged();
}

void MainModel::RowsSaved(int page) {
    CheckPage(page);
    RowsSettled(page);
}

void MainModel::RowsSettled(int page) {
    unwritten_[page] = false;
    for (const auto& listener : settledListeners_) listener(page);
}

void MainModel::EndBulk() {
    if (bulkDepth_ > 0 && --bulkDepth_ == 0 && changedInBulk_) {
        changedInBulk_ = false;
        StateChanged();
    }
}

void MainModel::StateChanged() {
    if (bulkDepth_ > 0) {
        changedInBulk_ = true;
        return;
    }
    if (stateListener_) stateListener_();
}

}  // namespace vornik
