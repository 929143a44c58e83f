#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include "shell/ChartWidget.h"
#include "shell/MainWindow.h"
#include "shell/Toolbar.h"
#include "shell/ToolbarIcons.h"
#include "TestForm.h"

using namespace vornik;

namespace {

class ToolbarTest : public ::testing::Test {
protected:
    ToolbarTest() : form(Make(fixture)) {
        form.show();
        QApplication::processEvents();
    }
    QToolButton* Button(const char* name) { return form.findChild<QToolButton*>(name); }
    void Click(const char* name) {
        QToolButton* b = Button(name);
        ASSERT_NE(b, nullptr) << name;
        ASSERT_TRUE(b->isEnabled()) << name;
        b->click();
        QApplication::processEvents();
    }
    void AddRows(int page, int rows) {
        for (int i = 0; i < rows; ++i) {
            auto& table = form.model().Table(page);
            const int row = form.model().AppendRow(page);
            table.SetCell(0, row, "1/1");
            for (int c = 3; c < table.ColumnCount(); ++c) table.SetCell(c, row, std::to_string(i % 7 + c) + ",5");
            form.model().RowToChart(page, row);
        }
    }
    // Every button mirrors the core's enabled state.
    void ExpectMirrored() {
        const Navigation& nav = form.navigation();
        const MainModel& m = form.model();
        EXPECT_EQ(Button("BitBtnTab")->isEnabled(), nav.TabEnabled());
        EXPECT_EQ(Button("BitBtnGraph")->isEnabled(), nav.GraphEnabled());
        EXPECT_EQ(Button("BitBtnGraphTab")->isEnabled(), nav.GraphTabEnabled());
        EXPECT_EQ(Button("BitBtn3")->isEnabled(), m.AllDataButtonEnabled());
        EXPECT_EQ(Button("BitBtn4")->isEnabled(), m.Last50ButtonEnabled());
        EXPECT_EQ(Button("BitBtn9")->isEnabled(), m.SaveCommandEnabled());
        for (const char* b : {"BitBtn1", "BitBtn2"}) EXPECT_EQ(Button(b)->isEnabled(), nav.ZoomEnabled()) << b;
        for (const char* b : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4"})
            EXPECT_EQ(Button(b)->isEnabled(), nav.ShiftEnabled()) << b;
    }
    void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }

    static TForm1& Make(test::TestForm& f) {
        f.WriteDefaultSettings();
        return f.Create();
    }

    test::TestForm fixture;
    TForm1& form;
};

}  // namespace

TEST_F(ToolbarTest, ButtonsSitAtTheirPositionsWithTheirHints) {
    Toolbar* bar = form.toolbar();
    EXPECT_EQ(bar->height(), 36);
    const auto& defs = ToolbarButtons();
    ASSERT_EQ(defs.size(), 18u);
    for (size_t k = 0; k < defs.size(); ++k) {
        QToolButton* b = Button(defs[k].name);
        ASSERT_NE(b, nullptr) << defs[k].name;
        EXPECT_EQ(b->geometry().left(), int(33 * k)) << defs[k].name;
        EXPECT_EQ(b->size(), QSize(33, 34));
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(b->property("hint").toString(), QString::fromUtf8(defs[k].hint));
        EXPECT_EQ(b->toolTip().isEmpty(), !defs[k].tooltip) << defs[k].name;
        EXPECT_EQ(b->icon().isNull(), defs[k].spacer) << defs[k].name;
        if (defs[k].spacer) {
            EXPECT_FALSE(b->isEnabled());
        } else {
            // A disabled form of its own, not the normal picture.
            const QImage normal = ToolbarPicture(b->objectName(), 24, false);
            const QImage disabled = ToolbarPicture(b->objectName(), 24, true);
            EXPECT_NE(normal, disabled) << defs[k].name;
        }
    }
    EXPECT_TRUE(Button("BitBtn8")->toolTip().isEmpty());
    EXPECT_EQ(Button("BitBtn2")->toolTip(), QString::fromUtf8("Удалить график"));
    // Start: table-and-chart mode, all data shown, nothing to save.
    for (const char* b : {"BitBtn9", "BitBtnGraphTab", "BitBtn3"}) EXPECT_FALSE(Button(b)->isEnabled()) << b;
    for (const char* b : {"BitBtn10", "BitBtn8", "BitBtnTab", "BitBtnGraph", "BitBtn4", "BitBtn5"})
        EXPECT_TRUE(Button(b)->isEnabled()) << b;
    ExpectMirrored();
}

TEST_F(ToolbarTest, ModeButtonsShowAndHideTablesAndCharts) {
    Click("BitBtnTab");
    for (int page = 0; page < 3; ++page) {
        EXPECT_TRUE(form.chart(page)->isHidden());
        EXPECT_FALSE(form.grid(page)->isHidden());
    }
    EXPECT_GT(form.grid(0)->height(), 200);  // fills the page
    ExpectMirrored();
    Click("BitBtnGraph");
    EXPECT_TRUE(form.grid(0)->isHidden());
    EXPECT_TRUE(form.chart(0)->isVisible());
    ExpectMirrored();
    Click("BitBtnGraphTab");
    EXPECT_TRUE(form.chart(0)->isVisible());
    EXPECT_EQ(form.grid(0)->height(), 70);
    EXPECT_FALSE(Button("BitBtnGraphTab")->isEnabled());
    ExpectMirrored();
}

TEST_F(ToolbarTest, NavigationButtonsRunTheirCommands) {
    AddRows(0, 120);
    ChartModel& chart = form.model().Chart(0);
    Click("BitBtn4");
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{70, 120}));
    ExpectMirrored();
    Click("BitBtn3");
    EXPECT_TRUE(chart.Axis(AxisBottom).Automatic());
    ExpectMirrored();
    Click("BitBtn1");
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{23.8, 95.2}));
    Click("BitBtn3");
    Click("BitBtn2");
    EXPECT_EQ(chart.ShownRange(AxisBottom), (AxisRange{-23.8, 142.8}));
    Click("BitBtn3");
    const AxisRange bottom = chart.ShownRange(AxisBottom), left = chart.ShownRange(AxisLeft);
    Click("SpeedButton1");
    EXPECT_GT(chart.Minimum(AxisBottom), bottom.min);
    Click("SpeedButton4");
    EXPECT_DOUBLE_EQ(chart.Minimum(AxisBottom), bottom.min);
    Click("SpeedButton3");
    EXPECT_GT(chart.Minimum(AxisLeft), left.min);
    Click("SpeedButton2");
    EXPECT_DOUBLE_EQ(chart.Minimum(AxisLeft), left.min);
    ExpectMirrored();
    Click("BitBtn5");
    EXPECT_TRUE(form.model().Table(0).IsEmpty());
    EXPECT_EQ(chart.Series(0).Count(), 0u);
    // Open and save run the data file commands (their dialogs cancelled here).
    fixture.dialogs.Answer(std::nullopt);
    Click("BitBtn10");
    ASSERT_EQ(fixture.dialogs.events().size(), 1u);
    EXPECT_EQ(fixture.dialogs.events()[0].kind, test::DialogEvent::Open);
    form.model().SetSaveCommandEnabled(true);
    QApplication::processEvents();
    Click("BitBtn9");  // nothing unsaved: no dialog
    Click("BitBtn8");
}

TEST_F(ToolbarTest, MouseZoomPanningAndDoubleClickReachTheWindow) {
    AddRows(0, 200);
    ChartWidget* w = form.chart(0);
    ChartModel& chart = form.model().Chart(0);
    const QRect plot = w->PlotRect();
    const QPoint a = plot.topLeft() + QPoint(plot.width() / 4, plot.height() / 4);
    const QPoint b = plot.topLeft() + QPoint(plot.width() / 2, plot.height() / 2);
    Mouse(w, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(chart.Zoomed());
    EXPECT_NEAR(chart.Minimum(AxisBottom), 199 * 0.25, 1.5);
    EXPECT_NEAR(chart.Maximum(AxisBottom), 199 * 0.5, 1.5);
    EXPECT_TRUE(Button("BitBtn3")->isEnabled());
    EXPECT_EQ(form.model().AllDataMode(0), 1);

    Mouse(w, QEvent::MouseButtonDblClick, b, Qt::LeftButton, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(chart.Zoomed());
    EXPECT_TRUE(chart.Axis(AxisBottom).Automatic());
    EXPECT_FALSE(Button("BitBtn3")->isEnabled());

    const double before = chart.Minimum(AxisBottom);
    Mouse(w, QEvent::MouseButtonPress, b, Qt::RightButton, Qt::RightButton);
    Mouse(w, QEvent::MouseMove, b - QPoint(plot.width() / 10, 0), Qt::NoButton, Qt::RightButton);
    Mouse(w, QEvent::MouseButtonRelease, b, Qt::RightButton, Qt::NoButton);
    EXPECT_GT(chart.Minimum(AxisBottom), before);  // dragged left: later points come into view
    EXPECT_FALSE(chart.Zoomed());
    EXPECT_TRUE(Button("BitBtn3")->isEnabled());
}

TEST_F(ToolbarTest, SelectingATabSavesAndRestoresTheModeBytes) {
    AddRows(1, 60);
    auto* pages = form.findChild<QTabWidget*>("PageControl1");
    Click("BitBtn4");  // gas page: last 50
    pages->setCurrentIndex(1);
    QApplication::processEvents();
    EXPECT_EQ(form.model().ActivePage(), 1);
    EXPECT_EQ(form.model().Last50Mode(0), 1);
    EXPECT_TRUE(Button("BitBtn4")->isEnabled());
    EXPECT_FALSE(Button("BitBtn3")->isEnabled());
    pages->setCurrentIndex(0);
    QApplication::processEvents();
    EXPECT_FALSE(Button("BitBtn4")->isEnabled());
    EXPECT_TRUE(Button("BitBtn3")->isEnabled());
    // A page brought to the front by the system keeps the buttons.
    form.model().SetActivePage(2);
    QApplication::processEvents();
    EXPECT_EQ(pages->currentIndex(), 2);
    EXPECT_FALSE(Button("BitBtn4")->isEnabled());
    EXPECT_EQ(form.model().Last50Mode(2), 2);
}
