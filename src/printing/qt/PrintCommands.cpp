#include "printing/qt/PrintCommands.h"

#include <QDateTime>
#include <QFontInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "printing/Protocol.h"
#include "printing/qt/PrintProgress.h"
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

std::string LocaleDateTimeText(const DateTime& t, const QLocale& locale) {
    const QDate date(t.year, t.month, t.day);
    QString text = locale.toString(date, locale.dateFormat(QLocale::ShortFormat));
    if (t.hour == 0 && t.minute == 0 && t.second == 0 && t.millisecond == 0) return text.toStdString();
    // The long format may name the time zone ("t"), which the title does not show.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*\\(?\\bt+\\b\\)?")));
    text += QLatin1Char(' ') + locale.toString(QTime(t.hour, t.minute, t.second, t.millisecond), timeFormat.trimmed());
    return text.toStdString();
}

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

void PrintCommands::PrintChart() { vornik::PrintChart(*printer_, model_.ActivePage(), paintChart_); }

void PrintCommands::PrintProtocol() { PrintProtocolJob(0, -1); }

void PrintCommands::ProtocolWithTotals(int firstRow, int lastRow) { PrintProtocolJob(std::max(firstRow, 1), lastRow); }

void PrintCommands::PrintProtocolJob(int firstRow, int lastRow) {
    const int page = model_.ActivePage();
    const MeasurementTable& table = model_.Table(page);
    const bool totals = firstRow > 0;
    const int rows = totals ? std::min(lastRow, table.RowCount() - 1) - firstRow + 2 : table.RowCount();
    QtProtocolPrinter printer(*printer_);
    PrintProgress progress(window_, QString::fromUtf8(kProtocolProgressText), rows);
    const auto step = [&](int row, int) {
        if (progress.Step(row)) return;
        printer.Abandon();
        throw PrintCancelled();
    };
    const auto dateTime = [](const DateTime& time) { return LocaleDateTimeText(time, QLocale::system()); };
    try {
        if (totals)
            PrintProtocolWithTotals(table, page, firstRow, lastRow, printer, config_.PrintFontName(),
                                    config_.PrintFontSize(), clock_, dateTime, step);
        else
            vornik::PrintProtocol(table, page, printer, config_.PrintFontName(), config_.PrintFontSize(), clock_,
                                  dateTime, step);
    } catch (const PrintCancelled&) {
        // Given up by the user: the job is dropped, nothing to report.
    }
}

void PrintCommands::PrintChartAndProtocol() {
    PrintChart();
    PrintProtocol();
}

void PrintCommands::SetUpPrinter() { dialogs_.PrinterSetup(*printer_); }

void PrintCommands::ChooseProtocolFont() {
    // The dialog starts on the face that really prints: a face missing here
    // ("Courier New") is printed in its installed substitute.
    QFont stored(FromCp1251(config_.PrintFontName()));
    stored.setStyleHint(QFont::TypeWriter);
    const QString printedFace = QFontInfo(stored).family();
    QFont initial(printedFace);
    initial.setPointSize(config_.PrintFontSize() > 0 ? config_.PrintFontSize() : TConfig::kDefaultPrintFontSize);
    const std::optional<QFont> chosen = dialogs_.ChooseFont(initial);
    if (!chosen) return;
    // The substitute chosen back keeps the stored name, which other
    // computers have.
    std::string face = chosen->family() == printedFace ? config_.PrintFontName() : ToCp1251(chosen->family());
    if (face.size() > static_cast<size_t>(TConfig::kMaxText)) face.resize(TConfig::kMaxText);
    // Only face and size are kept; a size given in pixels is converted.
    int size = chosen->pointSize();
    if (size <= 0) size = static_cast<int>(std::lround(chosen->pointSizeF()));
    config_.SetPrintFontName(face);
    if (size > 0) config_.SetPrintFontSize(size);
    if (saveConfig_) saveConfig_();
}

}  // namespace vornik
