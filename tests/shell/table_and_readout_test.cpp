#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QTableView>
#include <QToolTip>

#include "shell/ChartWidget.h"
#include "shell/MainWindow.h"
#include "shell/TableCells.h"
#include "TestForm.h"

using namespace vornik;
using vornik::test::TestForm;

namespace {

void AddGasRow(MainModel& model, const std::vector<std::string>& cells) {
    auto& table = model.Table(PageGas);
    const int row = model.AppendRow(PageGas);
    for (size_t c = 0; c < cells.size(); ++c) table.SetCell(int(c), row, cells[c]);
    model.RowToChart(PageGas, row);
}

void MoveMouse(QWidget* w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

}  // namespace

// Hovering the chart reads the point off the table: number, date and time,
// every shown series' value as the table holds it, and the multiplier of the
// series that the chart draws scaled (O2 x10, Alf x100 by default).
TEST(ChartReadout, HoverShowsThePointsRowAsTheTableHoldsIt) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    form.show();
    MainModel& model = form.model();
    for (int i = 0; i < 3; ++i)
        AddGasRow(model, {std::to_string(i + 1) + "/7" + std::to_string(i), "08.12.26", "07:57:4" + std::to_string(i),
                          "160,3", "20,95", "12,0", "1,0", "2,0", "3,0", "4,0", "5,00", "6,0", "7,00", "1,35",
                          "8,0", "21,5"});
    ChartWidget* chart = form.chart(PageGas);
    QApplication::processEvents();
    const QRect plot = chart->PlotRect();
    // Point 1 sits in the middle of the plot's width.
    const QPoint middle(plot.center().x(), plot.center().y());
    EXPECT_EQ(chart->PointAt(middle), 1);
    MoveMouse(chart, middle);
    const QString text = QToolTip::text();
    EXPECT_TRUE(text.startsWith(QString::fromUtf8("Точка 1 (2/71)\n08.12.26 07:57:41\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("\nO2 20,95  ×10\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("\nAlf 1,35  ×100"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("\nTg 160,3\n"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QString::fromUtf8("SO2"))) << "hidden series listed";
    EXPECT_EQ(chart->HoveredPoint(), 1);

    // Beside the plot, or beyond the last point: no readout.
    MoveMouse(chart, QPoint(plot.left() - 20, middle.y()));
    EXPECT_EQ(chart->HoveredPoint(), -1);
    EXPECT_EQ(chart->PointAt(QPoint(plot.right() + 20, middle.y())), -1);
}

// The width rule of the tables was made for an 11-pixel "MS Sans Serif";
// with the substitute installed here the texts of a measurement fit their
// columns at both window widths, and a cell's tooltip holds its whole text.
TEST(TableCells, MeasurementTextsFitTheirColumnsAndTooltipsHoldTheWholeText) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    auto* grid = form.findChild<QTableView*>("StringGridGaz");
    ASSERT_NE(grid, nullptr);
    const QFontMetrics fm(grid->font());
    const auto fits = [&](const char* text, int page, int column) {
        return fm.horizontalAdvance(QString::fromUtf8(text)) <= CellTextWidth(form.model().Table(page).ColumnWidth(column));
    };
    for (int width : {792, 1280}) {
        SCOPED_TRACE(width);
        form.model().GridsLayout(width);
        EXPECT_TRUE(fits("08.12.26", PageGas, 1));
        EXPECT_TRUE(fits("07:57:41", PageGas, 2));
        EXPECT_TRUE(fits("-123,4", PageGas, 3));
        EXPECT_TRUE(fits("1234,5", PageGas, 14));
        for (int page : {PageTemp, PagePrd}) {
            EXPECT_TRUE(fits("1234/1234", page, 0));
            EXPECT_TRUE(fits("08.12.26", page, 1));
            EXPECT_TRUE(fits("07:57:41", page, 2));
            EXPECT_TRUE(fits("-123,4", page, 3));
        }
    }
    auto& table = form.model().Table(PageGas);
    table.SetCell(18, form.model().AppendRow(PageGas), "\xCA\xEE\xF2\xE5\xEB \xB9 7, \xF6\xE5\xF5 4");
    EXPECT_EQ(grid->model()->index(0, 18).data(Qt::ToolTipRole).toString(), QString::fromUtf8("Котел № 7, цех 4"));
    EXPECT_FALSE(grid->model()->index(0, 5).data(Qt::ToolTipRole).isValid());  // empty: the table's own tooltip
}
