#include "printing/qt/PrintCommands.h"

#include <cmath>

#include "printing/Protocol.h"
#include "printing/qt/QtProtocolPrinter.h"
#include "core/qt/Text.h"

namespace vornik {

const char* const kChartJobName = "Печать графика";

namespace {

// Puts the printer's orientation back when it goes out of scope.
class OrientationKeeper {
public:
    explicit OrientationKeeper(QPrinter& printer)
        : printer_(printer), saved_(printer.pageLayout().orientation()) {}
    ~OrientationKeeper() { printer_.setPageOrientation(saved_); }

private:
    QPrinter& printer_;
    QPageLayout::Orientation saved_;
};

}  // namespace

void PrintChart(QPrinter& printer, int page, const ChartPainter& paint) {
    CheckPrinter(printer);
    OrientationKeeper keeper(printer);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    BeginPrinterJob(painter, printer, FromUtf8(kChartJobName));
    // Margins 0, not proportional: the whole printable area.
    const QRectF area = printer.pageRect(QPrinter::DevicePixel);
    try {
        if (paint) paint(painter, QRectF(0, 0, area.width(), area.height()), page);
    } catch (...) {
        printer.abort();
        painter.end();
        throw;
    }
    EndPrinterJob(painter, printer);
    LetEventsRun();
}

PrintCommands::PrintCommands(MainModel& model, TConfig& config, std::function<void()> saveConfig,
                             const Clock& clock, PrintDialogs& dialogs, ChartPainter paintChart,
                             std::unique_ptr<QPrinter> printer)
    : model_(model),
      config_(config),
      saveConfig_(std::move(saveConfig)),
      clock_(clock),
      dialogs_(dialogs),
      paintChart_(std::move(paintChart)),
      printer_(printer ? std::move(printer) : std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

PrintCommands::~PrintCommands() = default;

void PrintCommands::N13Click() { PrintChart(*printer_, model_.ActivePage(), paintChart_); }

void PrintCommands::N14Click() {
    const int page = model_.ActivePage();
    QtProtocolPrinter printer(*printer_);
    PrintProtocol(model_.Table(page), page, printer, config_.PrintFontName(), config_.PrintFontSize(), clock_);
}

void PrintCommands::BitBtn8Click() {
    N13Click();
    N14Click();
}

void PrintCommands::N16Click() { dialogs_.PrinterSetup(*printer_); }

void PrintCommands::N17Click() {
    QFont initial(FromCp1251(config_.PrintFontName()));
    if (config_.PrintFontSize() > 0) initial.setPointSize(config_.PrintFontSize());
    const std::optional<QFont> chosen = dialogs_.ChooseFont(initial);
    if (!chosen) return;
    std::string face = ToCp1251(chosen->family());
    if (face.size() > static_cast<size_t>(TConfig::kMaxText)) face.resize(TConfig::kMaxText);
    // Only face and size are kept; a size given in pixels is converted.
    int size = chosen->pointSize();
    if (size <= 0) size = static_cast<int>(std::lround(chosen->pointSizeF()));
    config_.SetPrintFontName(face);
    if (size > 0) config_.SetPrintFontSize(size);
    if (saveConfig_) saveConfig_();
}

}  // namespace vornik
