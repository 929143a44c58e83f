#include <gtest/gtest.h>

#include <string>

#include "config/Config.h"
#include "core/Errors.h"
#include "tables/ChartDefs.h"
#include "tables/MainModel.h"
#include "tables/Navigation.h"

using namespace vornik;

namespace {

std::array<ChartView, kPageCount> Defaults() {
    return {DefaultChartView(0), DefaultChartView(1), DefaultChartView(2)};
}

// The main model after start-up: tables laid out, charts initialised.
class NavigationTest : public ::testing::Test {
protected:
    NavigationTest() : nav(model) {
        model.GridsLayout(800);
        model.ChartsInit(Defaults());
    }

    // Appends a row whose charted cells all hold `value` and charts it, the
    // way the reception does.
    void Receive(int page, const std::string& value = "1,5") {
        MeasurementTable& table = model.Table(page);
        const int row = model.AppendRow(page);
        table.SetCell(0, row, std::to_string(row) + "/1");
        for (int c = 3; c < table.ColumnCount(); ++c) table.SetCell(c, row, value);
        model.RowToChart(page, row);
        model.FollowLast50(page);
    }
    void Receive(int page, int rows) {
        for (int i = 0; i < rows; ++i) Receive(page);
    }
    void SelectPage(int page) {
        nav.LeavePage();
        nav.EnterPage(page);
    }
    AxisRange Bottom(int page) { return model.Chart(page).ShownRange(AxisBottom); }

    MainModel model;
    Navigation nav;
};

}  // namespace

TEST_F(NavigationTest, StartUpState) {
    for (int page = 0; page < kPageCount; ++page) {
        EXPECT_EQ(model.AllDataMode(page), 1);
        EXPECT_EQ(model.Last50Mode(page), 2);
        EXPECT_TRUE(model.Chart(page).Axis(AxisBottom).Automatic());
        EXPECT_TRUE(model.Chart(page).Axis(AxisLeft).Automatic());
        EXPECT_TRUE(nav.TableDocked(page));
        EXPECT_TRUE(nav.ChartShown(page));
    }
    EXPECT_FALSE(model.AllDataButtonEnabled());
    EXPECT_TRUE(model.Last50ButtonEnabled());
    EXPECT_FALSE(nav.GraphTabEnabled());
    EXPECT_TRUE(nav.GraphEnabled() && nav.TabEnabled() && nav.ZoomEnabled() && nav.ShiftEnabled());
}

TEST_F(NavigationTest, RowsFeedTheSeriesOfTheirColumns) {
    MeasurementTable& gas = model.Table(0);
    const int row = model.AppendRow(0);
    for (int c = 3; c <= 16; ++c) gas.SetCell(c, row, std::to_string(c));
    gas.SetCell(4, row, "20,95");
    gas.SetCell(13, row, "1,35");
    gas.SetCell(9, row, "nd");
    model.GazRowToChart(row);
    const ChartModel& chart = model.Chart(0);
    const auto& defs = ChartSeriesDefs(0);
    for (int i = 0; i < chart.SeriesCount(); ++i) {
        ASSERT_EQ(chart.Series(i).Count(), 1u);
        if (defs[i].column != 4 && defs[i].column != 13 && defs[i].column != 9) {
            EXPECT_EQ(chart.Series(i).Y(0), defs[i].column) << defs[i].name;
        }
    }
    EXPECT_EQ(chart.Series(6).Y(0), 0);  // H2S "nd"
    // Drawn values: O2 ten times, Alf a hundred times its cell.
    EXPECT_DOUBLE_EQ(chart.Series(1).Y(0) * chart.Series(1).Multiplier(), 209.5);
    EXPECT_DOUBLE_EQ(chart.Series(10).Y(0) * chart.Series(10).Multiplier(), 135);
    EXPECT_EQ(chart.ShownRange(AxisLeft).max, 209.5);  // Tg, O2, CO, Alf, NOx shown
}

TEST_F(NavigationTest, ABadCellChartsNothingOfItsRow) {
    Receive(1, 3);
    MeasurementTable& temp = model.Table(1);
    const int row = model.AppendRow(1);
    temp.SetCell(3, row, "1,0");
    temp.SetCell(4, row, "2,0");
    temp.SetCell(5, row, "12.5");
    temp.SetCell(6, row, "3,0");
    temp.SetCell(7, row, "4,0");
    EXPECT_THROW(model.TempRowToChart(row), VornikError);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(model.Chart(1).Series(i).Count(), 3u);
}

TEST_F(NavigationTest, LastFiftyWindowAndFollowing) {
    Receive(0, 10);
    nav.ShowLast50();
    EXPECT_EQ(Bottom(0), (AxisRange{-40, 10}));
    EXPECT_EQ(model.AllDataMode(0), 2);
    EXPECT_EQ(model.Last50Mode(0), 1);
    EXPECT_TRUE(model.AllDataButtonEnabled());
    EXPECT_FALSE(model.Last50ButtonEnabled());

    SelectPage(1);
    Receive(1, 120);
    nav.ShowLast50();
    EXPECT_EQ(Bottom(1), (AxisRange{70, 120}));
    Receive(1);
    EXPECT_EQ(Bottom(1), (AxisRange{71, 121}));
    // A gas row moves the gas window (the gas page is in last-50 mode), not
    // the temperature one.
    Receive(0);
    EXPECT_EQ(Bottom(0), (AxisRange{-39, 11}));
    EXPECT_EQ(Bottom(1), (AxisRange{71, 121}));
    // The pressure page is not in last-50 mode: its automatic axis grows.
    Receive(2, 3);
    EXPECT_EQ(Bottom(2), (AxisRange{0, 2}));
}

TEST_F(NavigationTest, FollowingAnAutomaticBottomAxisChangesNothingVisible) {
    Receive(2, 60);
    SelectPage(2);
    nav.ShowTables();  // both buttons off; leaving the page stores 1 and 1
    SelectPage(0);
    EXPECT_EQ(model.Last50Mode(2), 1);
    EXPECT_EQ(model.AllDataMode(2), 1);
    Receive(2, 5);
    EXPECT_TRUE(model.Chart(2).Axis(AxisBottom).Automatic());
    EXPECT_EQ(Bottom(2), (AxisRange{0, 64}));
    // A fixed bottom window (after a shift) is moved to the last 50 points.
    SelectPage(2);
    nav.ShiftHorizAxes(10);
    Receive(2);
    EXPECT_EQ(Bottom(2), (AxisRange{16, 66}));
}

TEST_F(NavigationTest, ZoomAndShiftFromTheButtons) {
    Receive(0, 101);
    nav.ZoomIn();
    EXPECT_EQ(Bottom(0), (AxisRange{20, 80}));
    EXPECT_EQ(model.AllDataMode(0), 2);
    EXPECT_EQ(model.Last50Mode(0), 2);
    nav.ShowAllData();
    EXPECT_EQ(Bottom(0), (AxisRange{0, 100}));
    nav.ZoomOut();
    EXPECT_EQ(Bottom(0), (AxisRange{-20, 120}));
    nav.ShowAllData();
    nav.ShiftLeft();  // left
    EXPECT_EQ(Bottom(0), (AxisRange{10, 110}));
    nav.ShiftRight();  // right
    EXPECT_EQ(Bottom(0), (AxisRange{0, 100}));
    const AxisRange left = model.Chart(0).ShownRange(AxisLeft);
    nav.ShiftDown();  // down: the range moves up
    EXPECT_DOUBLE_EQ(model.Chart(0).ShownRange(AxisLeft).min, left.min + (left.max - left.min) / 10);
    EXPECT_TRUE(model.AllDataButtonEnabled());
}

TEST_F(NavigationTest, AllDataAfterShiftUpKeepsTheLeftAxis) {
    Receive(0, 30);
    nav.ShiftUp();  // up
    const AxisRange left = model.Chart(0).ShownRange(AxisLeft);
    nav.ShiftLeft();
    nav.ShowAllData();
    EXPECT_TRUE(model.Chart(0).Axis(AxisBottom).Automatic());
    EXPECT_EQ(Bottom(0), (AxisRange{0, 29}));
    EXPECT_EQ(model.Chart(0).ShownRange(AxisLeft), left);
    EXPECT_FALSE(model.Chart(0).Axis(AxisLeft).Automatic());
    EXPECT_EQ(model.AllDataMode(0), 1);
    EXPECT_EQ(model.Last50Mode(0), 2);
}

TEST_F(NavigationTest, AllDataAfterZoomAndShiftRestoresAllFourAxes) {
    Receive(0, 30);
    nav.ZoomIn();
    nav.ShiftUp();
    nav.ShiftRight();
    nav.ShowAllData();
    for (int a = 0; a < kAxisCount; ++a) EXPECT_TRUE(model.Chart(0).Axis(AxisId(a)).Automatic()) << a;
    EXPECT_FALSE(model.Chart(0).Zoomed());
}

TEST_F(NavigationTest, ChartNotificationsEnableTheAllDataButtonOnly) {
    Receive(0, 30);
    model.Chart(0).ZoomToFractions(0.2, 0.4, 0.2, 0.4);  // a mouse zoom
    EXPECT_TRUE(model.AllDataButtonEnabled());
    EXPECT_EQ(model.AllDataMode(0), 1);  // the byte lags until the page is left
    SelectPage(1);
    EXPECT_EQ(model.AllDataMode(0), 2);
    EXPECT_FALSE(model.AllDataButtonEnabled());  // temperature page: all data
    SelectPage(0);
    EXPECT_TRUE(model.AllDataButtonEnabled());
    nav.ShowAllData();
    model.Chart(0).Pan(0.1, 0);
    EXPECT_TRUE(model.AllDataButtonEnabled());
}

TEST_F(NavigationTest, DisplayModes) {
    nav.ShowTables();
    for (int page = 0; page < kPageCount; ++page) {
        EXPECT_TRUE(nav.TableShown(page));
        EXPECT_FALSE(nav.ChartShown(page));
        EXPECT_FALSE(nav.TableDocked(page));
    }
    EXPECT_FALSE(nav.TabEnabled());
    EXPECT_TRUE(nav.GraphEnabled() && nav.GraphTabEnabled());
    EXPECT_FALSE(nav.ZoomEnabled() || nav.ShiftEnabled());
    EXPECT_FALSE(model.AllDataButtonEnabled() || model.Last50ButtonEnabled());
    // Table mode leaves the bytes; a page change restores the buttons from them.
    EXPECT_EQ(model.Last50Mode(0), 2);
    model.SetPageModes(1, 2, 1);
    model.SetAllDataButtonEnabled(false);
    model.SetLast50ButtonEnabled(false);
    SelectPage(1);
    EXPECT_TRUE(model.AllDataButtonEnabled());
    EXPECT_FALSE(model.Last50ButtonEnabled());
    EXPECT_EQ(model.Last50Mode(0), 1);

    Receive(1, 80);
    nav.ShowCharts();  // runs the all-data command on the active page
    for (int page = 0; page < kPageCount; ++page) {
        EXPECT_FALSE(nav.TableShown(page));
        EXPECT_TRUE(nav.ChartShown(page));
    }
    EXPECT_FALSE(nav.GraphEnabled());
    EXPECT_TRUE(nav.TabEnabled() && nav.GraphTabEnabled() && nav.ZoomEnabled() && nav.ShiftEnabled());
    EXPECT_EQ(model.AllDataMode(1), 1);
    EXPECT_EQ(model.Last50Mode(1), 2);
    EXPECT_TRUE(model.Last50ButtonEnabled());
    EXPECT_TRUE(model.Chart(1).Axis(AxisBottom).Automatic());
    nav.ShowTable(1);  // a file loaded in chart mode shows its table
    EXPECT_TRUE(nav.TableShown(1));
    EXPECT_FALSE(nav.TableShown(0));

    nav.ShowTablesAndCharts();
    EXPECT_TRUE(nav.TableDocked(2));
    EXPECT_FALSE(nav.GraphTabEnabled());
}

TEST_F(NavigationTest, ChartsInitStopsFollowingButLeavesTheWindow) {
    Receive(0, 60);
    nav.ShowLast50();
    ChartView view = DefaultChartView(0);
    view.series[GasNO].show = true;
    model.ChartsInit({view, DefaultChartView(1), DefaultChartView(2)});
    EXPECT_TRUE(model.Chart(0).Series(3).Shown());
    EXPECT_EQ(Bottom(0), (AxisRange{10, 60}));
    EXPECT_FALSE(model.AllDataButtonEnabled());
    EXPECT_EQ(model.Last50Mode(0), 2);
    Receive(0);
    EXPECT_EQ(Bottom(0), (AxisRange{10, 60}));
    nav.ShowAllData();  // a double click still runs all data
    EXPECT_EQ(Bottom(0), (AxisRange{0, 60}));
}

TEST_F(NavigationTest, DeleteAllDataTouchesTheActivePageOnly) {
    for (int page = 0; page < kPageCount; ++page) {
        Receive(page, 5);
        model.SetNewData(page, true);
    }
    SelectPage(2);
    nav.ShowLast50();
    nav.DeleteAllData();
    EXPECT_EQ(model.Chart(2).Series(0).Count(), 0u);
    EXPECT_TRUE(model.Table(2).IsEmpty());
    EXPECT_FALSE(model.NewData(2));
    EXPECT_EQ(model.Last50Mode(2), 1);  // modes and axes stay
    EXPECT_EQ(Bottom(2), (AxisRange{-45, 5}));
    for (int page : {0, 1}) {
        EXPECT_EQ(model.Chart(page).Series(0).Count(), 5u);
        EXPECT_TRUE(model.NewData(page));
    }
    Receive(2);  // the first row after clearing is point 0 again
    EXPECT_EQ(model.Chart(2).Series(4).Count(), 1u);
    EXPECT_EQ(Bottom(2), (AxisRange{-49, 1}));
}

TEST_F(NavigationTest, SystemPageChangeKeepsTheButtons) {
    SelectPage(0);
    nav.ShowLast50();  // gas: all-data on, last-50 off
    model.SetActivePage(2);  // a pressure reply brings its page to the front
    EXPECT_TRUE(model.AllDataButtonEnabled());
    EXPECT_EQ(model.AllDataMode(2), 1);
    SelectPage(1);  // the user leaves: the buttons become the pressure bytes
    EXPECT_EQ(model.AllDataMode(2), 2);
    EXPECT_EQ(model.Last50Mode(2), 1);
    EXPECT_EQ(model.Last50Mode(0), 1);
}

TEST(PageModes, SetPageModesTouchesOnlyWhatItIsGiven) {
    MainModel model;
    model.SetPageModes(1, 2, 0);
    EXPECT_EQ(model.AllDataMode(1), 2);
    EXPECT_TRUE(model.AllDataButtonEnabled());
    EXPECT_EQ(model.Last50Mode(1), 0);
    model.SetLast50ButtonEnabled(false);
    model.SetPageModes(0, 0, 0);
    EXPECT_FALSE(model.Last50ButtonEnabled());
    EXPECT_EQ(model.AllDataMode(0), 0);
}

TEST(ChartsInitFromRecord, ViewBlocksApplyByQuantity) {
    TConfig config;
    config.LoadDefaults();
    TViewParams gas = config.GasView();
    gas.SetSeries(GasNOx, {false, 1});
    gas.SetSeries(GasTa, {true, 2.5});
    gas.SetSeriesColor(GasTa, RgbColor(1, 2, 3));
    gas.SetLogarithmic(true);
    TViewParams temp = config.TempView();
    temp.SetView3D(false);
    temp.SetSeries(TempTp, {true, 1});
    temp.SetPanelEndColor(RgbColor(9, 9, 9));

    MainModel model;
    model.ChartsInit(config);
    const ChartModel& g = model.Chart(0);
    EXPECT_FALSE(g.Series(12).Shown());  // NOx, last in the chart
    EXPECT_TRUE(g.Series(11).Shown());   // Ta
    EXPECT_EQ(g.Series(11).Multiplier(), 2.5);
    EXPECT_EQ(g.Series(11).LineColor(), RgbColor(1, 2, 3));
    EXPECT_EQ(g.Series(10).Multiplier(), 100);  // Alf
    EXPECT_TRUE(g.Logarithmic());
    EXPECT_TRUE(g.View3D());
    const ChartModel& t = model.Chart(1);
    EXPECT_TRUE(t.Series(3).Shown());  // Tp, fourth in the chart
    EXPECT_FALSE(t.View3D());
    EXPECT_EQ(t.PanelEndColor(), RgbColor(9, 9, 9));
    EXPECT_EQ(t.PanelStartColor(), RgbColor(255, 255, 255));
    for (int page = 0; page < kPageCount; ++page) {
        EXPECT_EQ(model.AllDataMode(page), 1);
        EXPECT_EQ(model.Last50Mode(page), 2);
    }
}
