// Prints through the program's print commands from the command line, for the
// spooler test and for looking at the output:
//   printing_spooler_driver spooler      gas protocol, then temperature chart,
//                                        on the default printer
//   printing_spooler_driver pdf DIR      the same (and the temperature
//                                        protocol) as PDF files in DIR
//   printing_spooler_driver removed Q    removes queue Q, the default printer,
//                                        then prints: must fail with the
//                                        printer error
//   printing_spooler_driver cancel [Q]   a long gas protocol on queue Q (the
//                                        default printer), cancelled with
//                                        the progress window's "Отмена" at
//                                        a quarter; prints the share reached
// Rows are sample rows; the chart is a stand-in painting.
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

#include "../shell/PrintingSamples.h"
#include "core/Errors.h"
#include "printing/qt/PrintCommands.h"
#include "printing/qt/QtProtocolPrinter.h"

using namespace vornik;

namespace {

class NoDialogs : public PrintDialogs {
public:
    bool PrinterSetup(QPrinter&) override { return false; }
    std::optional<QFont> ChooseFont(const QFont&) override { return std::nullopt; }
};

// The print commands over sample gas and temperature rows, with no dialogs.
struct PrintSetup {
    PrintSetup(int gasRows, int tempRows) {
        model.GridsLayout(1024);
        test::FillGasRows(model.Table(PageGas), gasRows);
        if (tempRows > 0) test::FillTempRows(model.Table(PageTemp), tempRows);
        config.LoadDefaults();
        commands = std::make_unique<PrintCommands>(model, config, nullptr, clock, dialogs, test::PaintSampleChart);
    }
    MainModel model;
    TConfig config;
    SystemClock clock;
    NoDialogs dialogs;
    std::unique_ptr<PrintCommands> commands;
};

// Presses "Отмена" in the print progress window once a quarter is done.
int PrintAndCancel(const char* queue) {
    PrintSetup setup(4000, 0);
    PrintCommands& commands = *setup.commands;
    if (queue) commands.Printer().setPrinterName(QString::fromLocal8Bit(queue));
    double reached = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(widget);
            if (!progress || progress->wasCanceled() || progress->value() < progress->maximum() / 4) continue;
            reached = double(progress->value()) / progress->maximum();
            progress->cancel();
        }
    });
    watch.start(10);
    setup.model.SetActivePage(PageGas);
    try {
        commands.PrintProtocol();
    } catch (const VornikError& e) {
        std::fprintf(stderr, "printing failed: %s\n", e.what());
        return 1;
    }
    if (reached == 0) {
        std::fprintf(stderr, "the protocol was printed before it could be cancelled\n");
        return 1;
    }
    std::printf("cancelled at %.0f%%\n", 100 * reached);
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: printing_spooler_driver spooler | pdf DIR | removed QUEUE | cancel [QUEUE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool toPdf = argc == 3 && std::strcmp(argv[1], "pdf") == 0;
    const bool removed = argc == 3 && std::strcmp(argv[1], "removed") == 0;
    const bool cancel = argc >= 2 && std::strcmp(argv[1], "cancel") == 0;
    if (!toPdf && !removed && !cancel && !(argc == 2 && std::strcmp(argv[1], "spooler") == 0)) return Usage();
    if (cancel) return PrintAndCancel(argc == 3 ? argv[2] : nullptr);

    PrintSetup setup(120, 60);
    MainModel& model = setup.model;
    PrintCommands& commands = *setup.commands;
    QPrinter& printer = commands.Printer();
    const QDir dir(toPdf ? QString::fromLocal8Bit(argv[2]) : QString());
    auto target = [&](const char* name) {
        if (!toPdf) return;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QString::fromLatin1(name)));
    };
    if (removed) {
        // The printer was chosen while it existed; it goes before the print.
        if (QProcess::execute(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QString::fromLocal8Bit(argv[2])}) != 0)
            return 1;
        try {
            commands.PrintProtocol();
        } catch (const VornikError& e) {
            std::printf("printing failed as it should: %s\n", e.what());
            return std::strcmp(e.what(), kInvalidPrinterText) == 0 ? 0 : 1;
        }
        std::fprintf(stderr, "printing to a removed printer reported no error\n");
        return 1;
    }
    try {
        model.SetActivePage(PageGas);
        target("gas-protocol.pdf");
        commands.PrintProtocol();
        model.SetActivePage(PageTemp);
        target("temp-chart.pdf");
        commands.PrintChart();
        if (toPdf) {
            target("temp-protocol.pdf");
            commands.PrintProtocol();
        }
    } catch (const VornikError& e) {
        std::fprintf(stderr, "printing failed: %s\n", e.what());
        return 1;
    }
    std::printf("printed on %s\n", qPrintable(toPdf ? dir.path() : printer.printerName()));
    return 0;
}
