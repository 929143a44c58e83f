// Printing to a PDF file through QPrinter: the protocol and the chart as the
// program prints them, read back from the file.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "PdfCheck.h"
#include "PrintingSamples.h"
#include "printing/qt/PrintCommands.h"

namespace vornik {
namespace {

using namespace vornik::test;

class NoDialogs : public PrintDialogs {
public:
    bool PrinterSetup(QPrinter&) override { return false; }
    std::optional<QFont> ChooseFont(const QFont&) override { return std::nullopt; }
};

class PdfPrintTest : public ::testing::Test {
protected:
    PdfPrintTest() {
        config.LoadDefaults();
        model.GridsLayout(800);
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setPageSize(QPageSize(QPageSize::A4));
        commands = std::make_unique<PrintCommands>(model, config, nullptr, clock, dialogs, PaintSampleChart,
                                                   std::move(printer));
    }
    QString PrintTo(const char* name) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        commands->Printer().setOutputFileName(path);
        return path;
    }

    QTemporaryDir dir;
    MainModel model;
    TConfig config;
    FixedClock clock{DateTime{2024, 3, 5, 14, 7, 9, 0}};
    NoDialogs dialogs;
    std::unique_ptr<PrintCommands> commands;
    // The title's date and time follow the system's formats.
    const QString stamp = QString::fromStdString(LocaleDateTimeText(clock.Now(), QLocale::system()));
};

TEST_F(PdfPrintTest, GasProtocolOnLandscapePages) {
    FillGasRows(model.Table(PageGas), 120);
    const QString pdf = PrintTo("gas.pdf");
    commands->PrintProtocol();

    const int pages = PdfPageCount(pdf);
    EXPECT_GE(pages, 2);
    const auto sizes = PdfPageSizes(pdf);
    ASSERT_FALSE(sizes.empty());
    for (const QSizeF& size : sizes) EXPECT_GT(size.width(), size.height());
    EXPECT_EQ(commands->Printer().pageLayout().orientation(), QPageLayout::Landscape);

    if (const auto ink = PdfInk(pdf, pages)) {
        EXPECT_GT(*ink, 0.0) << "the last page is blank";
    }

    const auto text = PdfText(pdf);
    if (!text) GTEST_SKIP() << "pdftotext is not installed: text not checked";
    EXPECT_EQ(text->count(QStringLiteral("ПРОТОКОЛ ЗАМЕРОВ ГАЗОАНАЛИЗАТОРА VORNIK ") + stamp), 1);
    EXPECT_EQ(text->count(QStringLiteral("Номер")), 1);
    EXPECT_TRUE(text->contains(QStringLiteral("1/100")));
    EXPECT_TRUE(text->contains(QStringLiteral("120/219")));
    EXPECT_EQ(text->count(QStringLiteral("Котельная")), 120);
    // One line of fields per row: the last row keeps its columns together.
    EXPECT_TRUE(text->contains(QRegularExpression(QStringLiteral("120/219\\s+05\\.03\\.24\\s+14:"))));
}

TEST_F(PdfPrintTest, TemperatureProtocolOnPortraitPage) {
    FillTempRows(model.Table(PageTemp), 5);
    model.SetActivePage(PageTemp);
    commands->Printer().setPageOrientation(QPageLayout::Landscape);
    const QString pdf = PrintTo("temp.pdf");
    commands->PrintProtocol();
    EXPECT_EQ(PdfPageCount(pdf), 1);
    const auto sizes = PdfPageSizes(pdf);
    ASSERT_FALSE(sizes.empty());
    EXPECT_LT(sizes[0].width(), sizes[0].height());
    const auto text = PdfText(pdf);
    if (!text) GTEST_SKIP() << "pdftotext is not installed: text not checked";
    EXPECT_TRUE(text->contains(QStringLiteral("ПРОТОКОЛ ЗАМЕРОВ ТЕМПЕРАТУРЫ VORNIK ") + stamp));
    EXPECT_TRUE(text->contains(QStringLiteral("Tmax,*С")));
}

TEST_F(PdfPrintTest, EmptyTableProtocolHasTitleAndHeader) {
    model.SetActivePage(PagePrd);
    const QString pdf = PrintTo("empty.pdf");
    commands->PrintProtocol();
    EXPECT_EQ(PdfPageCount(pdf), 1);
    const auto text = PdfText(pdf);
    if (!text) GTEST_SKIP() << "pdftotext is not installed: text not checked";
    EXPECT_TRUE(text->contains(QStringLiteral("ПРОТОКОЛ ЗАМЕРОВ ДАВЛЕНИЯ/СКОРОСТИ VORNIK")));
    EXPECT_TRUE(text->contains(QStringLiteral("Qvg,m3/s")));
}

TEST_F(PdfPrintTest, ChartFillsOneLandscapePage) {
    FillTempRows(model.Table(PageTemp), 30);
    model.SetActivePage(PageTemp);
    const QString pdf = PrintTo("chart.pdf");
    commands->PrintChart();
    EXPECT_EQ(PdfPageCount(pdf), 1);
    const auto sizes = PdfPageSizes(pdf);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_GT(sizes[0].width(), sizes[0].height());
    EXPECT_EQ(commands->Printer().pageLayout().orientation(), QPageLayout::Portrait);
    const auto ink = PdfInk(pdf);
    if (!ink) GTEST_SKIP() << "pdftoppm is not installed: page not rendered";
    EXPECT_GT(*ink, 0.5);  // the gradient background covers the printable area
}

}  // namespace
}  // namespace vornik

