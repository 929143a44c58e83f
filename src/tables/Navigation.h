#pragma once
// Display modes (table, chart, both) and chart navigation of the main window:
// the commands of the toolbar's mode, view, zoom, shift and delete buttons,
// the page-change save and restore of the mode bytes and the charts' zoom and
// panning notifications. The enabled states of the buttons live here (the
// all-data and last-50 buttons in MainModel); the window mirrors them.
#include <array>
#include <functional>

#include "tables/MainModel.h"

namespace vornik {

class Navigation {
public:
    explicit Navigation(MainModel& model);
    ~Navigation();
    Navigation(const Navigation&) = delete;
    Navigation& operator=(const Navigation&) = delete;

    // What each page shows. In table-and-chart mode the table is docked at the
    // bottom, 70 pixels high; otherwise a shown table fills the page.
    bool TableShown(int page) const { return tableShown_.at(page); }
    bool ChartShown(int page) const { return chartShown_.at(page); }
    bool TableDocked(int page) const { return tableShown_.at(page) && chartShown_.at(page); }
    // Shows a page's table again (a data file has been loaded into it).
    void ShowTable(int page);

    // Enabled states of the buttons.
    bool TabEnabled() const { return tabEnabled_; }            // BitBtnTab
    bool GraphEnabled() const { return graphEnabled_; }        // BitBtnGraph
    bool GraphTabEnabled() const { return graphTabEnabled_; }  // BitBtnGraphTab
    bool ZoomEnabled() const { return zoomEnabled_; }          // BitBtn1, BitBtn2
    bool ShiftEnabled() const { return shiftEnabled_; }        // SpeedButton1..4

    // Display modes.
    void ShowTables();
    void ShowCharts();
    void ShowTablesAndCharts();
    // All data (also a double click on a chart) and last 50, active page.
    void ShowAllData();
    void ShowLast50();
    // Zoom in (120 %) and out (80 %), active page.
    void ZoomIn();
    void ZoomOut();
    // Shifts: left, down, up, right.
    void ShiftLeft() { ShiftHorizAxes(10); }
    void ShiftDown() { ShiftVertAxes(10); }
    void ShiftUp() { ShiftVertAxes(-10); }
    void ShiftRight() { ShiftHorizAxes(-10); }
    // Delete all data of the active page, without a question (the window
    // asks about unwritten rows first).
    void DeleteAllData();

    // The charts' panning and zoom notifications.
    void ChartScroll();
    void ChartZoom();

    // The user leaves the active page / has selected `page`.
    void LeavePage();
    void EnterPage(int page);

    void ShiftHorizAxes(double percent);
    void ShiftVertAxes(double percent);

    // Called after any change of the state above.
    void SetStateListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    // Chart-only or table-and-chart mode: the charts show all data.
    void EnterChartMode(bool withTables);
    void SetPages(bool table, bool chart);
    void Changed();

    MainModel& model_;
    std::array<bool, kPageCount> tableShown_{true, true, true};
    std::array<bool, kPageCount> chartShown_{true, true, true};
    bool tabEnabled_ = true;
    bool graphEnabled_ = true;
    bool graphTabEnabled_ = false;
    bool zoomEnabled_ = true;
    bool shiftEnabled_ = true;
    std::function<void()> listener_;
};

}  // namespace vornik
