// Cost of the measurement protocol: the layout of the lines, the text channel
// over a surface that only measures, and a whole gas protocol printed to a PDF
// file through QPrinter.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include "../tests/shell/PrintingSamples.h"
#include "printing/Protocol.h"
#include "printing/TextChannel.h"
#include "printing/qt/QtProtocolPrinter.h"

using namespace vornik;

namespace {

// Fixed-pitch metrics, nothing drawn.
class CountingSurface : public ProtocolPrinter {
public:
    PageOrientation Orientation() override { return PageOrientation::Landscape; }
    void SetOrientation(PageOrientation) override {}
    void SetFont(const std::string&, int) override {}
    int PageWidth() override { return 13000; }
    int PageHeight() override { return 9000; }
    int TextWidth(std::string_view text) override { return static_cast<int>(text.size()) * 80; }
    int TextHeight(std::string_view) override { return 160; }
    int CharHeight() override { return 160; }
    void BeginDoc(const std::string&) override {}
    void NewPage() override { ++pages; }
    void EndDoc() override {}
    void DrawText(int, int, std::string_view text) override { chars += text.size(); }
    long pages = 0;
    size_t chars = 0;
};

const MainModel& GasModel(int rows) {
    static MainModel model;
    static int filled = 0;
    if (filled != rows) {
        model.ChartClear(true, false, false);
        model.GridsLayout(1024);
        test::FillGasRows(model.Table(PageGas), rows);
        filled = rows;
    }
    return model;
}

void BM_ProtocolThroughChannel(benchmark::State& state) {
    const MainModel& model = GasModel(static_cast<int>(state.range(0)));
    FixedClock clock(DateTime{2024, 3, 5, 14, 7, 9, 0});
    for (auto _ : state) {
        CountingSurface surface;
        PrintProtocol(model.Table(PageGas), PageGas, surface, "Courier New", 8, clock);
        benchmark::DoNotOptimize(surface.chars);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ProtocolThroughChannel)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_GasProtocolToPdf(benchmark::State& state) {
    const MainModel& model = GasModel(static_cast<int>(state.range(0)));
    FixedClock clock(DateTime{2024, 3, 5, 14, 7, 9, 0});
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("gas.pdf")));
    for (auto _ : state) {
        QtProtocolPrinter protocolPrinter(printer);
        PrintProtocol(model.Table(PageGas), PageGas, protocolPrinter, "Courier New", 8, clock);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GasProtocolToPdf)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
