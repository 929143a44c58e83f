// The print commands: orientation handling, the two jobs of BitBtn8, errors,
// and the printer and font dialogs answered from a script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QFontInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QTemporaryDir>
#include <deque>
#include <stdexcept>

#include "PdfCheck.h"
#include "PrintingSamples.h"
#include "core/Errors.h"
#include "printing/qt/PrintCommands.h"
#include "printing/qt/PrintDialogs.h"
#include "printing/qt/QtProtocolPrinter.h"

namespace vornik {
namespace {

class ScriptedPrintDialogs : public PrintDialogs {
public:
    bool PrinterSetup(QPrinter& printer) override {
        ++setups;
        if (!setupChoice) return false;
        setupChoice(printer);
        return true;
    }
    std::optional<QFont> ChooseFont(const QFont& initial) override {
        presets.push_back(initial);
        if (fonts.empty()) return std::nullopt;
        const QFont font = fonts.front();
        fonts.pop_front();
        return font;
    }

    int setups = 0;
    std::function<void(QPrinter&)> setupChoice;
    std::vector<QFont> presets;
    std::deque<QFont> fonts;  // answers; an empty queue cancels
};

struct ChartCall {
    int page;
    QRectF rect;
    QPageLayout::Orientation orientation;
    QString docName;
};

class PrintCommandsTest : public ::testing::Test {
protected:
    PrintCommandsTest() {
        config.LoadDefaults();
        model.GridsLayout(800);
        auto pdfPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        pdfPrinter->setOutputFormat(QPrinter::PdfFormat);
        pdfPrinter->setOutputFileName(dir.filePath(QStringLiteral("out.pdf")));
        commands = std::make_unique<PrintCommands>(
            model, config, [this] { ++saves; }, clock, dialogs,
            [this](QPainter& painter, const QRectF& rect, int page) {
                QPrinter& p = commands->Printer();
                charts.push_back({page, rect, p.pageLayout().orientation(), p.docName()});
                if (chartFails) throw VornikError("Printer is not ready");
                test::PaintSampleChart(painter, rect, page);
            },
            std::move(pdfPrinter));
    }
    QPrinter& printer() { return commands->Printer(); }
    QString Output() const { return dir.filePath(QStringLiteral("out.pdf")); }

    QTemporaryDir dir;
    MainModel model;
    TConfig config;
    FixedClock clock{DateTime{2024, 3, 5, 14, 7, 9, 0}};
    ScriptedPrintDialogs dialogs;
    std::unique_ptr<PrintCommands> commands;
    std::vector<ChartCall> charts;
    bool chartFails = false;
    int saves = 0;
};

TEST_F(PrintCommandsTest, ChartPrintsActivePageLandscapeOverThePrintableAreaAndRestoresPortrait) {
    model.SetActivePage(PageTemp);
    printer().setPageOrientation(QPageLayout::Portrait);
    commands->PrintChart();
    ASSERT_EQ(charts.size(), 1u);
    EXPECT_EQ(charts[0].page, PageTemp);
    EXPECT_EQ(charts[0].orientation, QPageLayout::Landscape);
    EXPECT_EQ(charts[0].docName, QStringLiteral("Печать графика"));
    const QRectF area = printer().pageLayout().paintRectPixels(printer().resolution());
    EXPECT_EQ(charts[0].rect.topLeft(), QPointF(0, 0));
    EXPECT_GT(charts[0].rect.width(), charts[0].rect.height());
    EXPECT_NEAR(charts[0].rect.width(), std::max(area.width(), area.height()), 2);
    EXPECT_EQ(printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(test::PdfPageCount(Output()), 1);
}

TEST_F(PrintCommandsTest, FailingChartRestoresOrientationAndStopsTheProtocol) {
    chartFails = true;
    printer().setPageOrientation(QPageLayout::Portrait);
    try {
        commands->PrintChartAndProtocol();
        FAIL() << "no error";
    } catch (const VornikError& e) {
        EXPECT_STREQ(e.what(), "Printer is not ready");
    }
    EXPECT_EQ(charts.size(), 1u);
    EXPECT_EQ(printer().pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(printer().docName(), QStringLiteral("Печать графика"));  // no protocol job began

    // The printer is usable again afterwards.
    chartFails = false;
    commands->PrintChartAndProtocol();
    EXPECT_EQ(charts.size(), 2u);
}

TEST_F(PrintCommandsTest, PrintDataIsChartThenProtocolAndLeavesTheProtocolOrientation) {
    test::FillGasRows(model.Table(PageGas), 3);
    commands->PrintChartAndProtocol();
    ASSERT_EQ(charts.size(), 1u);
    EXPECT_EQ(charts[0].page, PageGas);
    EXPECT_EQ(printer().docName(), QStringLiteral("Печать базы данных"));  // the later job
    EXPECT_EQ(printer().pageLayout().orientation(), QPageLayout::Landscape);

    model.SetActivePage(PagePrd);
    commands->PrintChartAndProtocol();
    EXPECT_EQ(charts.back().page, PagePrd);
    EXPECT_EQ(charts.back().orientation, QPageLayout::Landscape);
    EXPECT_EQ(printer().pageLayout().orientation(), QPageLayout::Portrait);
}

TEST_F(PrintCommandsTest, WithoutPrinterTheErrorTextReachesTheCaller) {
    printer().setOutputFileName(QString());  // no printer and no file: nowhere to print
    printer().setPageOrientation(QPageLayout::Portrait);
    for (auto command : {&PrintCommands::PrintChart, &PrintCommands::PrintProtocol, &PrintCommands::PrintChartAndProtocol}) {
        try {
            ((*commands).*command)();
            ADD_FAILURE() << "no error";
        } catch (const VornikError& e) {
            EXPECT_STREQ(e.what(), kNoPrinterText);
        }
    }
    EXPECT_TRUE(charts.empty());
    EXPECT_EQ(printer().pageLayout().orientation(), QPageLayout::Portrait);
}

TEST_F(PrintCommandsTest, PrinterChosenInSetupHoldsForLaterPrints) {
    const QString chosen = dir.filePath(QStringLiteral("chosen.pdf"));
    dialogs.setupChoice = [&](QPrinter& p) { p.setOutputFileName(chosen); };
    commands->SetUpPrinter();
    EXPECT_EQ(dialogs.setups, 1);
    commands->PrintProtocol();
    commands->PrintChart();
    EXPECT_EQ(test::PdfPageCount(chosen), 1);
    EXPECT_FALSE(QFileInfo::exists(Output()));
}

TEST_F(PrintCommandsTest, FontDialogPresetFromTheRecordStoresFaceAndSizeOnly) {
    config.SetPrintFontName("Liberation Mono");
    config.SetPrintFontSize(9);

    commands->ChooseProtocolFont();  // cancelled
    ASSERT_EQ(dialogs.presets.size(), 1u);
    EXPECT_EQ(dialogs.presets[0].family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(dialogs.presets[0].pointSize(), 9);
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(config.PrintFontName(), "Liberation Mono");

    QFont bold(QStringLiteral("Моноширинный шрифт с очень длинным именем"), 12);
    bold.setBold(true);
    bold.setItalic(true);
    dialogs.fonts.push_back(bold);
    commands->ChooseProtocolFont();
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(Cp1251ToUtf8(config.PrintFontName()), "Моноширинный шрифт с очень дли");
    EXPECT_EQ(config.PrintFontSize(), 12);
}

// A face missing here prints in its installed monospaced substitute; the
// dialog starts on that face, and choosing it keeps the stored name.
TEST_F(PrintCommandsTest, FontDialogStartsOnTheFaceThatPrints) {
    commands->ChooseProtocolFont();  // the default "Courier New", cancelled
    ASSERT_EQ(dialogs.presets.size(), 1u);
    const QFontInfo preset(dialogs.presets[0]);
    EXPECT_EQ(preset.family(), dialogs.presets[0].family()) << "preselected face is not installed";
    EXPECT_TRUE(preset.fixedPitch()) << preset.family().toStdString();
    QtProtocolPrinter protocolPrinter(printer());
    protocolPrinter.SetFont("Courier New", 8);
    EXPECT_EQ(QFontInfo(protocolPrinter.Font()).family(), preset.family());

    dialogs.fonts.push_back(dialogs.presets[0]);
    commands->ChooseProtocolFont();
    EXPECT_EQ(config.PrintFontName(), "Courier New");
    EXPECT_EQ(saves, 1);
}

// A long protocol shows its progress and lets events run; cancelling drops
// the job without a word and without a document.
TEST_F(PrintCommandsTest, LongProtocolCanBeCancelled) {
    test::FillGasRows(model.Table(PageGas), 20000);
    int ticks = 0;
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, [&] { ++ticks; });
    repaint.start(1);
    QTimer::singleShot(200, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(w)) progress->cancel();
    });
    commands->PrintProtocol();
    EXPECT_GT(ticks, 0);
    EXPECT_FALSE(QFileInfo(Output()).exists() && QFileInfo(Output()).size() > 0);
    EXPECT_NE(printer().printerState(), QPrinter::Active);
}

TEST_F(PrintCommandsTest, StoredFontSizeOfZeroIsTheDefaultSizeInTheFontDialog) {
    config.SetPrintFontSize(0);
    commands->ChooseProtocolFont();
    ASSERT_EQ(dialogs.presets.size(), 1u);
    EXPECT_EQ(dialogs.presets[0].pointSize(), 8);
}

TEST(ProtocolTitle, DateAndTimeInTheSystemFormats) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    EXPECT_EQ(LocaleDateTimeText({2024, 3, 5, 14, 7, 9, 0}, russian), "05.03.2024 14:07:09");
    EXPECT_EQ(LocaleDateTimeText({2024, 3, 5, 0, 0, 0, 0}, russian), "05.03.2024");  // midnight: no time
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    // The space before PM differs between versions of the locale data; no time zone follows.
    const QString us = QString::fromStdString(LocaleDateTimeText({2024, 3, 5, 14, 7, 9, 0}, american));
    EXPECT_TRUE(us.startsWith("3/5/24 2:07:09") && us.endsWith("PM")) << us.toStdString();
    EXPECT_EQ(LocaleDateTimeText({2024, 3, 5, 14, 7, 9, 0}, QLocale(QLocale::German, QLocale::Germany)),
              "05.03.24 14:07:09");
}

TEST(PrinterChoice, ListsThePrintersAndConfirmingSetsOnlyTheName) {
    PrinterChoiceDialog dialog({"Office", "Lab"}, "Lab");
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Выбор принтера"));
    EXPECT_EQ(dialog.ChosenPrinter(), "Lab");
    const auto buttons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 2);
    for (QPushButton* button : buttons)
        EXPECT_NE(button->text().remove('&').toLower(), "print");  // nothing is printed here
    PrinterChoiceDialog unknown({"Office", "Lab"}, "Gone");
    EXPECT_EQ(unknown.ChosenPrinter(), "Office");
    PrinterChoiceDialog none({}, "");
    EXPECT_FALSE(none.findChild<QPushButton*>("BitBtn1")->isEnabled());
}

TEST(QtProtocolPrinterTest, ProtocolFontIsPlainWhateverWasChosenBefore) {
    QPrinter printer(QPrinter::HighResolution);
    QtProtocolPrinter protocolPrinter(printer);
    protocolPrinter.SetFont("Courier New", 10);
    EXPECT_EQ(protocolPrinter.Font().family(), QStringLiteral("Courier New"));
    EXPECT_EQ(protocolPrinter.Font().pointSize(), 10);
    EXPECT_FALSE(protocolPrinter.Font().bold());
    EXPECT_FALSE(protocolPrinter.Font().italic());
    protocolPrinter.SetFont("Courier New", 0);  // no size: the default size
    EXPECT_GT(protocolPrinter.Font().pointSize(), 0);
}

}  // namespace
}  // namespace vornik
