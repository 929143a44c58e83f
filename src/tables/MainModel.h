#pragma once
// The state of the main window that is not widgets: the three tables, the
// per-page bytes (NewData, AllDataMode, Last50Mode), the enabled state of the
// commands that depend on them and the active page. The window mirrors it.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tables/ChartDefs.h"
#include "tables/ChartModel.h"
#include "tables/MeasurementTable.h"
#include "quantities/Pages.h"

namespace vornik {

class TConfig;

class MainModel {
public:
    MainModel();

    MeasurementTable& Table(int page) { return tables_.at(page); }
    const MeasurementTable& Table(int page) const { return tables_.at(page); }

    // Column widths of the three tables from the window's client width, and
    // row 0 of each table rewritten with the headers.
    void GridsLayout(int clientWidth);

    // The row that the next measurement of the page is written into.
    int AppendRow(int page);

    // Empties the chosen pages: row count 2, row 1 empty, NewData false.
    void ChartClear(bool gaz, bool temp, bool prd);

    // Lands one received row whole: the row in the page's table, one point in
    // every series of its chart, the follow step of last-50 mode, NewData and
    // the save command. `cells` holds every column of the page; column 0 is the
    // instrument's number, which gets the row index and "/" put before it.
    // Everything that can fail is checked before the first change: a row of
    // the wrong width or with a chart cell that is not a number raises
    // VornikError and leaves the model as it was. Returns the row's index.
    int CommitRow(int page, std::vector<std::string> cells);

    // The chart of a page (ChartGaz, ChartTemp, ChartPrd).
    ChartModel& Chart(int page) { return charts_.at(page); }
    const ChartModel& Chart(int page) const { return charts_.at(page); }

    // Adds row `row` of the page's table as one point of every series of the
    // page's chart (GazRowToChart, TempRowToChart, PrdRowToChart). The cells
    // are all read before any point is added: a cell that is not a number
    // raises VornikError and the chart is left as it was.
    void RowToChart(int page, int row);
    void GazRowToChart(int row) { RowToChart(PageGas, row); }
    void TempRowToChart(int row) { RowToChart(PageTemp, row); }
    void PrdRowToChart(int row) { RowToChart(PagePrd, row); }
    // In last-50 mode (Last50Mode[page] == 1) puts the bottom axis' limits
    // on the last 50 points; an automatic axis shows no change. Never fails.
    void FollowLast50(int page);
    // "Ось X: время": the page's chart places its points by their rows' date
    // and time (on) or by their number (off). The bottom axis goes back to
    // the whole range, or the last 50 points in that mode.
    void SetTimeAxis(int page, bool on);

    // Applies the view blocks of the configuration record to the three
    // charts and sets every page to all data shown, last-50 mode off.
    void ChartsInit(TConfig& config);
    // The same from views already read (by page).
    void ChartsInit(const std::array<ChartView, kPageCount>& views);

    // The values of a page's mode bytes (AllDataMode, Last50Mode): the mode
    // is on and its button disabled, or off and its button enabled.
    // SetPageModes takes ModeKeep to leave a byte and its button as they are.
    enum ModeByte : uint8_t { ModeKeep = 0, ModeOn = 1, ModeOff = 2 };
    void SetPageModes(int page, int allData, int last50);

    bool NewData(int page) const { return newData_.at(page); }
    // Setting the flag also marks the page as holding unwritten rows.
    void SetNewData(int page, bool value);
    // True while the page's table holds received rows that no data file
    // holds: from a received (or restored) row until the table is written,
    // cleared or replaced by a loaded file. Unlike NewData, a cancelled save
    // dialog leaves it set.
    bool HoldsUnwrittenRows(int page) const { return unwritten_.at(page); }
    uint8_t AllDataMode(int page) const { return allDataMode_.at(page); }
    uint8_t Last50Mode(int page) const { return last50Mode_.at(page); }

    // Enabled state of the all-data (BitBtn3) and last-50 (BitBtn4) buttons.
    bool AllDataButtonEnabled() const { return allDataEnabled_; }
    bool Last50ButtonEnabled() const { return last50Enabled_; }
    // The buttons alone, bytes untouched (chart notifications, page change).
    void SetAllDataButtonEnabled(bool enabled);
    void SetLast50ButtonEnabled(bool enabled);

    // Enabled state of the save command (menu N8 and button BitBtn9).
    bool SaveCommandEnabled() const { return saveEnabled_; }
    void SetSaveCommandEnabled(bool enabled);

    int ActivePage() const { return activePage_; }
    void SetActivePage(int page);

    // Called after any change of the state above, so the window can mirror it.
    void SetStateListener(std::function<void()> listener) { stateListener_ = std::move(listener); }

    // Told of a page whose rows need no recovery any more: a data file now
    // holds them (RowsSaved), or they were cleared or replaced by a loaded
    // file (ChartClear). A save dialog that was cancelled tells nothing.
    using RowsSettledListener = std::function<void(int page)>;
    void AddRowsSettledListener(RowsSettledListener listener) { settledListeners_.push_back(std::move(listener)); }
    void RowsSaved(int page);

    // Many commits in a row (a journal restore): the state listener hears of
    // them once, at the end, not once per row.
    void BeginBulk() { ++bulkDepth_; }
    void EndBulk();

private:
    void StateChanged();
    void RowsSettled(int page);

    std::array<MeasurementTable, kPageCount> tables_;
    std::array<ChartModel, kPageCount> charts_;
    std::array<bool, kPageCount> newData_{};
    std::array<bool, kPageCount> unwritten_{};
    std::array<uint8_t, kPageCount> allDataMode_{};
    std::array<uint8_t, kPageCount> last50Mode_{};
    bool allDataEnabled_ = true;
    bool last50Enabled_ = true;
    bool saveEnabled_ = false;
    int activePage_ = PageGas;
    std::function<void()> stateListener_;
    std::vector<RowsSettledListener> settledListeners_;
    int bulkDepth_ = 0;
    bool changedInBulk_ = false;
};

// Width of the standard gas column and of the standard temperature/pressure
// column for a client width; exposed for tests.
int GasColumnWidth(int clientWidth);
int TempColumnWidth(int clientWidth);

}  // namespace vornik
