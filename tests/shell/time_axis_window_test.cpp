#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <climits>
#include <cmath>
#include <tuple>
#include <cstdlib>

#include "TestForm.h"
#include "config/ExtraSettings.h"
#include "core/Conversion.h"
#include "printing/qt/PrintCommands.h"
#include "shell/ChartWidget.h"
#include "shell/MainWindow.h"
#include "shell/TableModel.h"
#include "shell/ViewDialog.h"
#include "tables/TimePlacement.h"

using namespace vornik;
using vornik::test::ReadAll;

namespace {

std::string Clock(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

class TimeAxisWindowTest : public ::testing::Test {
protected:
    TimeAxisWindowTest() {
        fixture.WriteDefaultSettings();
        recordBytes = ReadAll(fixture.ConfigFile());
        fixture.Create();
        form().resize(800, 600);
        form().show();
        // Temperature rows every 5 s, a 20-minute pause after the 120th.
        for (int i = 0; i < 240; ++i) {
            const int seconds = 36000 + 5 * i + (i >= 120 ? 1200 : 0);
            const double tg = 300 + 80 * std::sin(i / 20.0);
            form().model().CommitRow(PageTemp, {"1", "09.12.26", Clock(seconds), FormatFixed(tg, 15, 1),
                                                FormatFixed(tg + 20, 15, 1), FormatFixed(tg - 25, 15, 1), "45,0",
                                                "120,0", "0", "Obj"});
        }
        form().model().SetActivePage(PageTemp);
        Settle();
    }
    TForm1& form() { return *fixture.form; }
    static void Settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    // "Температуры" with the time box set as asked, confirmed.
    // With `picture`, the dialog is saved there as it is confirmed.
    void SetTimeAxisInDialog(bool on, const QString& picture = {}) {
        QTimer::singleShot(0, [on, picture] {
            auto* dialog = qobject_cast<TViewDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            dialog->TimeAxisBox()->setChecked(on);
            if (!picture.isEmpty()) dialog->grab().save(picture);
            dialog->ApplyButton()->click();
        });
        form().N18Click();
        Settle();
    }
    double Seconds(int i) {
        double s = 0;
        EXPECT_TRUE(TimePlacement::ParseRowTime("09.12.26", Clock(36000 + 5 * i + (i >= 120 ? 1200 : 0)), s));
        return s;
    }
    // The readout's first line where the mouse rests over time `x`.
    QString ReadoutAt(double x) {
        ChartWidget* chart = form().chart(PageTemp);
        const QRect plot = chart->PlotRect();
        const AxisRange range = form().model().Chart(PageTemp).ShownRange(AxisBottom);
        const QPoint at(int(std::lround(plot.left() + (x - range.min) / (range.max - range.min) * (plot.width() - 1))),
                        plot.center().y());
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(chart->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(chart, &move);
        Settle();
        return QToolTip::text().section(QLatin1Char('\n'), 0, 0);
    }

    test::TestForm fixture;
    std::string recordBytes;
};

}  // namespace

TEST_F(TimeAxisWindowTest, TheViewDialogsTimeOptionPlacesPointsByTheirRowsTimes) {
    const ChartModel& chart = form().model().Chart(PageTemp);
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{0, 239}));
    SetTimeAxisInDialog(true);
    EXPECT_TRUE(ReadExtraSettings(ExtraSettingsFileName(fixture.ConfigFile())).timeAxis[PageTemp]);
    EXPECT_EQ(ReadAll(fixture.ConfigFile()), recordBytes) << "the 421-byte record is not touched";
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{Seconds(0), Seconds(239)}));
    EXPECT_FALSE(form().model().Chart(PageGas).TimeAxisSet());

    // The readout names the point at the mouse's time; the pause has none
    // nearer than its ends.
    EXPECT_TRUE(ReadoutAt(Seconds(60)).startsWith(QString::fromUtf8("Точка 60 ")));
    EXPECT_TRUE(ReadoutAt(Seconds(200)).startsWith(QString::fromUtf8("Точка 200 ")));
    EXPECT_TRUE(ReadoutAt(Seconds(119) + 100).startsWith(QString::fromUtf8("Точка 119 ")));

    // Zoom and its undo keep the time unit.
    form().BitBtn1Click();
    Settle();
    const AxisRange zoomed = chart.ShownRange(AxisBottom);
    EXPECT_GT(zoomed.min, Seconds(0));
    EXPECT_LT(zoomed.max, Seconds(239));
    form().BitBtn3Click();
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{Seconds(0), Seconds(239)}));

    // The next start keeps the option; switching it off gives point numbers.
    fixture.form.reset();
    fixture.Create();
    EXPECT_TRUE(form().model().Chart(PageTemp).TimeAxisSet());
    form().show();
    form().model().SetActivePage(PageTemp);
    SetTimeAxisInDialog(false);
    EXPECT_FALSE(form().model().Chart(PageTemp).TimeAxisSet());
    EXPECT_FALSE(ReadExtraSettings(ExtraSettingsFileName(fixture.ConfigFile())).timeAxis[PageTemp]);
}

// A span dragged with Shift held selects the rows of its points, by number
// or by time; a drag without Shift still zooms.
TEST_F(TimeAxisWindowTest, ShiftDragSelectsTheRowsOfItsSpan) {
    ChartWidget* chart = form().chart(PageTemp);
    QTableView* grid = form().grid(PageTemp);
    const TableModel* rows = form().tableModel(PageTemp);
    const auto pixelOf = [&](double x) {
        const QRect plot = chart->PlotRect();
        const AxisRange range = form().model().Chart(PageTemp).ShownRange(AxisBottom);
        return int(std::lround(plot.left() + (x - range.min) / (range.max - range.min) * (plot.width() - 1)));
    };
    const auto drag = [&](int x0, int x1, Qt::KeyboardModifiers modifiers) {
        const int y = chart->PlotRect().center().y();
        for (auto [type, x, buttons] : {std::tuple{QEvent::MouseButtonPress, x0, Qt::MouseButtons(Qt::LeftButton)},
                                        std::tuple{QEvent::MouseMove, x1, Qt::MouseButtons(Qt::LeftButton)},
                                        std::tuple{QEvent::MouseButtonRelease, x1, Qt::MouseButtons(Qt::NoButton)}}) {
            const int at = type == QEvent::MouseButtonPress ? y - 40 : y + 40;  // a band tall enough to zoom
            QMouseEvent event(type, QPointF(x, at), QPointF(chart->mapToGlobal(QPoint(x, at))),
                              type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, modifiers);
            QApplication::sendEvent(chart, &event);
        }
        Settle();
    };
    const auto selected = [&] {
        int lo = INT_MAX, hi = -1;
        for (const QModelIndex& i : grid->selectionModel()->selectedIndexes()) {
            lo = std::min(lo, rows->TableRow(i.row()));
            hi = std::max(hi, rows->TableRow(i.row()));
        }
        return std::pair{lo, hi};
    };
    // Point numbers: points 40..80 are rows 41..81.
    drag(pixelOf(39.6), pixelOf(80.4), Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::pair{41, 81}));
    EXPECT_FALSE(form().model().Chart(PageTemp).Zoomed());

    // Time: from within the pause to the 150th point's time.
    SetTimeAxisInDialog(true);
    drag(pixelOf(Seconds(119) + 300), pixelOf(Seconds(150) + 2.5), Qt::ShiftModifier);
    EXPECT_EQ(selected(), (std::pair{121, 151}));
    EXPECT_FALSE(form().model().Chart(PageTemp).Zoomed());
    drag(pixelOf(Seconds(10)), pixelOf(Seconds(100)), Qt::NoModifier);
    EXPECT_TRUE(form().model().Chart(PageTemp).Zoomed());
}

// With VORNIK_SNAPSHOT_DIR: the window with a time axis (time-axis.png) and
// the chart printed in that mode (time-axis-print.pdf), and with the header
// line (time-axis-print-header.pdf).
TEST_F(TimeAxisWindowTest, TimeAxisSnapshot) {
    const char* dir = std::getenv("VORNIK_SNAPSHOT_DIR");
    if (!dir) GTEST_SKIP() << "VORNIK_SNAPSHOT_DIR not set";
    SetTimeAxisInDialog(true, QString::fromLocal8Bit(dir) + "/time-axis-dialog.png");
    for (int i = 0; i < 50; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    ReadoutAt(Seconds(200));
    for (int i = 0; i < 50; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    QPixmap window = form().grab();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || !w->inherits("QTipLabel")) continue;
        QPainter p(&window);
        p.drawPixmap(form().mapFromGlobal(w->pos()), w->grab());
    }
    ASSERT_TRUE(window.save(QString::fromLocal8Bit(dir) + "/time-axis.png"));
    QToolTip::hideText();
    QPrinter& printer = form().printCommands().Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromLocal8Bit(dir) + "/time-axis-print.pdf");
    form().N13Click();
    // The same with the header line asked for in the print settings.
    form().findChild<QAction*>(QStringLiteral("PrintChartHeaderAction"))->trigger();
    printer.setOutputFileName(QString::fromLocal8Bit(dir) + "/time-axis-print-header.pdf");
    form().N13Click();
}
