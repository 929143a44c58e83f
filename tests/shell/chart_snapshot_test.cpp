// Renders pictures of the charts for a person to look at. Runs only when
// VORNIK_SNAPSHOT_DIR names a folder; the pictures go there as PNG files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTabWidget>
#include "shell/Toolbar.h"
#include <QThread>
#include <QPrinter>
#include <QToolTip>
#include <QMouseEvent>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "printing/qt/PrintCommands.h"
#include "shell/ChartRenderer.h"
#include "shell/ChartWidget.h"
#include "shell/MainWindow.h"
#include "tables/ChartDefs.h"
#include "tables/Navigation.h"
#include "TestForm.h"

using namespace vornik;

namespace {

QString SnapshotDir() {
    const char* dir = std::getenv("VORNIK_SNAPSHOT_DIR");
    return dir ? QString::fromLocal8Bit(dir) : QString();
}

std::string Comma(double v, int decimals) { return AxisLabel(v, decimals).toStdString(); }

// Writes `rows` plausible rows into each table and charts them.
void Feed(MainModel& model, int rows) {
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0, 1);
    for (int i = 0; i < rows; ++i) {
        const double t = i / 30.0;
        {
            auto& table = model.Table(PageGas);
            const int row = model.AppendRow(PageGas);
            table.SetCell(0, row, std::to_string(row) + "/" + std::to_string(100 + row));
            table.SetCell(1, row, "08.12.26");
            char time[16];
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", 7 + i / 3600, i / 60 % 60, i % 60);
            table.SetCell(2, row, time);
            table.SetCell(17, row, "mg>O2");
            table.SetCell(18, row, "\xCA\xEE\xF2\xE5\xEB \xB9 2");
            const double values[] = {160 + 15 * std::sin(t) + noise(rng), 5.5 + 0.8 * std::sin(t / 2),
                                     90 + 40 * std::sin(t * 1.7) + 4 * noise(rng), 60 + 5 * noise(rng),
                                     3 + 0.3 * noise(rng), 12 + noise(rng), 2 + 0.2 * noise(rng),
                                     11.8 - 0.6 * std::sin(t / 2), 40 + 3 * noise(rng), 8 + 0.5 * std::sin(t),
                                     1.35 + 0.08 * std::sin(t / 2), 95 + 8 * noise(rng), 21 + 0.3 * noise(rng)};
            const int decimals[] = {1, 2, 1, 1, 1, 1, 1, 2, 1, 2, 2, 1, 1};
            for (int c = 0; c < 13; ++c) table.SetCell(3 + c, row, Comma(values[c], decimals[c]));
            model.RowToChart(PageGas, row);
            model.FollowLast50(PageGas);
        }
        {
            auto& table = model.Table(PageTemp);
            const int row = model.AppendRow(PageTemp);
            table.SetCell(0, row, std::to_string(row) + "/1");
            const double tg = 300 + 80 * std::sin(t / 3) + 5 * noise(rng);
            const double values[] = {tg, tg + 20, tg - 25, 45 + 3 * noise(rng), 120 + 10 * std::sin(t)};
            for (int c = 0; c < 5; ++c) table.SetCell(3 + c, row, Comma(values[c], 1));
            model.RowToChart(PageTemp, row);
        }
        {
            auto& table = model.Table(PagePrd);
            const int row = model.AppendRow(PagePrd);
            table.SetCell(0, row, std::to_string(row) + "/1");
            const double values[] = {0.045 + 0.01 * std::sin(t), 99.8 + 0.3 * noise(rng), 8 + std::sin(t / 2),
                                     7.5 + std::sin(t / 2), 2.4 + 0.3 * std::sin(t / 2)};
            const int decimals[] = {4, 2, 2, 2, 3};
            for (int c = 0; c < 5; ++c) table.SetCell(3 + c, row, Comma(values[c], decimals[c]));
            model.RowToChart(PagePrd, row);
        }
    }
}

void Save(TForm1& w, const QString& name) {
    // Let a zoom animation finish first.
    for (int i = 0; i < 200 && w.chart(w.model().ActivePage())->Animating(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    ASSERT_TRUE(w.grab().save(SnapshotDir() + "/" + name + ".png")) << name.toStdString();
}

}  // namespace

TEST(ChartSnapshot, MainWindowPictures) {
    if (SnapshotDir().isEmpty()) GTEST_SKIP() << "VORNIK_SNAPSHOT_DIR not set";
    test::TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    form.resize(1100, 700);
    form.show();
    MainModel& model = form.model();
    std::array<ChartView, kPageCount> views = {DefaultChartView(0), DefaultChartView(1), DefaultChartView(2)};
    model.ChartsInit(views);
    Feed(model, 400);
    QApplication::processEvents();
    Save(form, "gas-3d");

    views[0].view3D = false;
    model.ChartsInit(views);
    QApplication::processEvents();
    Save(form, "gas-flat");

    form.navigation().ShowLast50();
    QApplication::processEvents();
    Save(form, "gas-last50");

    form.navigation().ShowAllData();
    form.navigation().ZoomIn();
    form.navigation().ZoomIn();
    form.navigation().ShiftLeft();

    Save(form, "gas-zoomed");

    views[0].logarithmic = true;
    views[0].view3D = true;
    model.ChartsInit(views);
    form.navigation().ShowAllData();
    QApplication::processEvents();
    Save(form, "gas-log-3d");

    form.navigation().LeavePage();
    form.navigation().EnterPage(PageTemp);
    QApplication::processEvents();
    Save(form, "temp-3d");
    form.navigation().LeavePage();
    form.navigation().EnterPage(PagePrd);
    form.navigation().ShowCharts();
    QApplication::processEvents();
    Save(form, "prd-chart-mode");

    // Pressures over several decades on a logarithmic axis, flat.
    views[2].logarithmic = true;
    views[2].view3D = false;
    model.ChartsInit(views);
    QApplication::processEvents();
    Save(form, "prd-log-flat");

    // The toolbar, three times enlarged.
    const QPixmap bar = form.toolbar()->grab();
    ASSERT_TRUE(bar.scaled(bar.size() * 3).save(SnapshotDir() + "/toolbar-x3.png"));
}

// The pictures of the README, at 800 x 600: a zoomed gas chart whose lines
// leave and re-enter the plot, the value readout, the table, and a chart
// printed to PDF (rendered to PNG outside the test).
TEST(ChartSnapshot, ReadmePictures) {
    if (SnapshotDir().isEmpty()) GTEST_SKIP() << "VORNIK_SNAPSHOT_DIR not set";
    test::TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    form.resize(800, 600);
    form.show();
    MainModel& model = form.model();
    std::array<ChartView, kPageCount> views = {DefaultChartView(0), DefaultChartView(1), DefaultChartView(2)};
    views[0].view3D = false;
    model.ChartsInit(views);
    Feed(model, 400);
    QApplication::processEvents();
    form.navigation().ZoomIn();
    form.navigation().ZoomIn();
    form.navigation().ShiftUp();
    QApplication::processEvents();
    Save(form, "zoomed-gas-chart");

    // The readout: the tooltip is a window of its own, painted onto the grab.
    ChartWidget* chart = form.chart(PageGas);
    const QRect plot = chart->PlotRect();
    const QPoint at(plot.left() + plot.width() * 2 / 3, plot.top() + plot.height() / 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(chart->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    for (int i = 0; i < 50; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    QPixmap window = form.grab();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || !w->inherits("QTipLabel")) continue;
        QPainter p(&window);
        p.drawPixmap(form.mapFromGlobal(w->pos()), w->grab());
    }
    ASSERT_TRUE(window.save(SnapshotDir() + "/chart-value-readout.png"));
    QToolTip::hideText();

    form.navigation().ShowTables();
    QApplication::processEvents();
    Save(form, "gas-table");
    form.navigation().ShowTablesAndCharts();
    QApplication::processEvents();

    // The zoomed chart printed to a PDF file.
    QPrinter& printer = form.printCommands().Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(SnapshotDir() + "/printed-chart.pdf");
    form.navigation().ZoomIn();
    form.printCommands().PrintChart();
}
