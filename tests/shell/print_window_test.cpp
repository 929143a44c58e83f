// The window's chart print with the real chart renderer, into a PDF file.
#include <gtest/gtest.h>

#include <QPrinter>
#include <QTableView>

#include "PdfCheck.h"
#include "ReplyBuilder.h"
#include "TestForm.h"
#include "printing/qt/PrintCommands.h"
#include "shell/ChartWidget.h"

using namespace vornik;
using namespace vornik::test;

TEST(PrintWindow, TheShownChartTakesTheFocusAndPrintsOnOneLandscapePage) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    form.show();
    form.decoder().RecieveAll(TempReply().Bytes());
    form.decoder().RecieveAll(TempReply().Bytes());
    form.grid(PageTemp)->setFocus();
    QPrinter& printer = form.printCommands().Printer();
    const QString pdf = QString::fromStdString(fixture.dir / "temp-chart.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    form.N13Click();
    EXPECT_EQ(form.focusWidget(), form.chart(PageTemp));
    EXPECT_TRUE(fixture.prompt.boxes().empty());
    const auto sizes = PdfPageSizes(pdf);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_GT(sizes[0].width(), sizes[0].height());
}

TEST(PrintWindow, TheChartPrintsAsDisplayedEvenInTableOnlyMode) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    form.show();
    for (int i = 0; i < 60; ++i)
        fixture.device->Receive(GasReply().Set(5, std::to_string(1500 + 10 * (i % 7))).Bytes());
    for (int tick = 0; tick < 3; ++tick) form.port().TimerReadPortTimer();
    ASSERT_EQ(form.model().Chart(PageGas).Series(0).Count(), 60u);
    form.navigation().ShowTables();  // table only: the chart is hidden

    QPrinter& printer = form.printCommands().Printer();
    const QString pdf = QString::fromStdString(fixture.dir / "chart.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    form.N13Click();

    EXPECT_TRUE(fixture.prompt.boxes().empty());
    ASSERT_EQ(PdfPageCount(pdf), 1);
    const auto sizes = PdfPageSizes(pdf);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_GT(sizes[0].width(), sizes[0].height());  // landscape
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);  // restored
    if (const auto ink = PdfInk(pdf)) {
        EXPECT_GT(*ink, 0.3);  // the gradient panel and the lines
    }
    if (const char* keep = std::getenv("VORNIK_KEEP_PDF")) QFile::copy(pdf, QString::fromUtf8(keep));
}
