#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>

#include "shell/MainWindow.h"
#include "shell/TableModel.h"

using namespace vornik;

TEST(MainWindow, HasThePagesAndTablesByName) {
    TForm1 form;
    EXPECT_EQ(form.windowTitle(), "VORNIK PC");
    EXPECT_EQ(form.size(), QSize(800, 600));
    auto* pages = form.findChild<QTabWidget*>("PageControl1");
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), QString::fromUtf8("Газоанализатор"));
    EXPECT_EQ(pages->tabText(1), QString::fromUtf8("Температура"));
    EXPECT_EQ(pages->tabText(2), QString::fromUtf8("Давление, скорость, расход"));
    for (const char* name : {"StringGridGaz", "StringGridTemp", "StringGridPrd", "TabSheet1", "TabSheet3"})
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
}

TEST(MainWindow, TableShowsCyrillicHeadersAndAppendedRows) {
    TForm1 form;
    auto* grid = form.findChild<QTableView*>("StringGridGaz");
    ASSERT_NE(grid, nullptr);
    auto* model = grid->model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("Номер"));
    EXPECT_EQ(model->headerData(11, Qt::Horizontal).toString(), QString::fromUtf8("СH"));
    EXPECT_EQ(model->rowCount(), 1);

    auto& table = form.model().Table(PageGas);
    table.SetRowCells(form.model().AppendRow(PageGas), {"1/4", "", "", "", "", "", "", "", "", "", "",
                                                        "", "", "", "", "", "", "", "\xCA\xEE\xF2"});
    table.SetCell(0, form.model().AppendRow(PageGas), "2/5");
    table.SetCell(0, form.model().AppendRow(PageGas), "3/6");
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(2, 0).data().toString(), "3/6");
    EXPECT_EQ(model->index(0, 18).data().toString(), QString::fromUtf8("Кот"));

    // A table that lost its fixed row shows row 0 as an ordinary row.
    table.SetRowCount(1);
    EXPECT_TRUE(grid->horizontalHeader()->isHidden());
    EXPECT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), QString::fromUtf8("Номер"));
}

TEST(MainWindow, ResizingAppliesTheWidthRule) {
    TForm1 form;
    form.show();
    form.resize(1280, 700);
    QApplication::processEvents();
    auto* grid = form.findChild<QTableView*>("StringGridTemp");
    EXPECT_EQ(grid->columnWidth(9), 3 * TempColumnWidth(1280));
    EXPECT_EQ(form.findChild<QTableView*>("StringGridGaz")->columnWidth(1), GasColumnWidth(1280) + 10);
}

TEST(MainWindow, ReceptionErrorsGoToTheStatusBarNotToBoxes) {
    TForm1 form;
    for (char c : std::string(">G\x30\x30" "12\r\n<")) form.Recieve(nullptr, static_cast<uint8_t>(c), false);
    EXPECT_EQ(form.model().Table(PageGas).RowCount(), 2);
    EXPECT_TRUE(form.model().Table(PageGas).IsEmpty());
    ASSERT_EQ(form.receptionErrors().Entries().size(), 1u);
    EXPECT_EQ(form.receptionErrors().Entries().back().text, "Range check error");
    auto* status = form.findChild<QLabel*>("ReceptionStatus");
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->text().contains("Range check error"));
}
