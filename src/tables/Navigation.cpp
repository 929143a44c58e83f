#include "tables/Navigation.h"

namespace vornik {

Navigation::Navigation(MainModel& model) : model_(model) {
    for (int page = 0; page < kPageCount; ++page) {
        model_.Chart(page).SetZoomListener([this] { ChartZoom(); });
        model_.Chart(page).SetScrollListener([this] { ChartScroll(); });
    }
}

Navigation::~Navigation() {
    for (int page = 0; page < kPageCount; ++page) {
        model_.Chart(page).SetZoomListener(nullptr);
        model_.Chart(page).SetScrollListener(nullptr);
    }
}

void Navigation::ShowTable(int page) {
    tableShown_.at(page) = true;
    Changed();
}

void Navigation::SetPages(bool table, bool chart) {
    tableShown_.fill(table);
    chartShown_.fill(chart);
}

void Navigation::ShowTables() {
    SetPages(true, false);
    graphTabEnabled_ = true;
    graphEnabled_ = true;
    tabEnabled_ = false;
    zoomEnabled_ = false;
    shiftEnabled_ = false;
    model_.SetAllDataButtonEnabled(false);
    model_.SetLast50ButtonEnabled(false);
    Changed();
}

void Navigation::ShowCharts() { EnterChartMode(false); }

void Navigation::ShowTablesAndCharts() { EnterChartMode(true); }

void Navigation::EnterChartMode(bool withTables) {
    SetPages(withTables, true);
    graphTabEnabled_ = !withTables;
    graphEnabled_ = withTables;
    tabEnabled_ = true;
    zoomEnabled_ = true;
    ShowAllData();
    model_.SetLast50ButtonEnabled(true);
    shiftEnabled_ = true;
    Changed();
}

void Navigation::ShowAllData() {
    const int page = model_.ActivePage();
    ChartModel& chart = model_.Chart(page);
    chart.UndoZoom();
    chart.SetAutomatic(AxisBottom, true);
    model_.SetPageModes(page, MainModel::ModeOn, MainModel::ModeOff);
}

void Navigation::ShowLast50() {
    const int page = model_.ActivePage();
    ChartModel& chart = model_.Chart(page);
    const double n = static_cast<double>(chart.Series(0).Count());
    chart.SetAutomatic(AxisBottom, false);
    chart.SetWindow(AxisBottom, chart.PointX(n - 50), chart.PointX(n));
    model_.SetPageModes(page, MainModel::ModeOff, MainModel::ModeOn);
}

void Navigation::ZoomIn() {
    model_.Chart(model_.ActivePage()).ZoomPercent(120);
    model_.SetPageModes(model_.ActivePage(), MainModel::ModeOff, MainModel::ModeKeep);
}

void Navigation::ZoomOut() {
    model_.Chart(model_.ActivePage()).ZoomPercent(80);
    model_.SetPageModes(model_.ActivePage(), MainModel::ModeOff, MainModel::ModeKeep);
}

void Navigation::ShiftHorizAxes(double percent) {
    ChartModel& chart = model_.Chart(model_.ActivePage());
    chart.ShiftAxis(AxisTop, percent);
    chart.ShiftAxis(AxisBottom, percent);
    model_.SetPageModes(model_.ActivePage(), MainModel::ModeOff, MainModel::ModeKeep);
}

void Navigation::ShiftVertAxes(double percent) {
    ChartModel& chart = model_.Chart(model_.ActivePage());
    chart.ShiftAxis(AxisLeft, percent);
    chart.ShiftAxis(AxisRight, percent);
    model_.SetPageModes(model_.ActivePage(), MainModel::ModeOff, MainModel::ModeKeep);
}

void Navigation::DeleteAllData() {
    const int page = model_.ActivePage();
    model_.ChartClear(page == PageGas, page == PageTemp, page == PagePrd);
}

void Navigation::ChartScroll() { model_.SetAllDataButtonEnabled(true); }

void Navigation::ChartZoom() { model_.SetAllDataButtonEnabled(true); }

void Navigation::LeavePage() {
    const int old = model_.ActivePage();
    model_.SetPageModes(old, model_.AllDataButtonEnabled() ? MainModel::ModeOff : MainModel::ModeOn,
                        model_.Last50ButtonEnabled() ? MainModel::ModeOff : MainModel::ModeOn);
}

void Navigation::EnterPage(int page) {
    model_.SetActivePage(page);
    model_.SetAllDataButtonEnabled(model_.AllDataMode(page) == MainModel::ModeOff);
    model_.SetLast50ButtonEnabled(model_.Last50Mode(page) == MainModel::ModeOff);
}

void Navigation::Changed() {
    if (listener_) listener_();
}

}  // namespace vornik
