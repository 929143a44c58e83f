#pragma once
// The print commands of the main window: chart (N13), protocol (N14), chart
// then protocol (BitBtn8), printer choice (N16) and protocol font (N17).
//
// Printing goes straight to the program's printer, which lives as long as
// this object, so a printer chosen in the setup dialog holds until exit.
// Errors of the printing system are thrown as VornikError with the text the
// user is to see; the caller shows it in the general error box.
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QRectF>
#include <functional>
#include <memory>

class QWidget;

#include "config/Config.h"
#include "core/Clock.h"
#include "printing/qt/PrintDialogs.h"
#include "tables/MainModel.h"

namespace vornik {

// Paints the chart of a page, as currently displayed, into a rectangle.
using ChartPainter = std::function<void(QPainter& painter, const QRectF& rect, int page)>;

extern const char* const kChartJobName;

// A protocol title's date and time in the locale's formats: the short date,
// a space and the long time (without a time zone; no time at exactly
// midnight). UTF-8.
std::string LocaleDateTimeText(const DateTime& time, const QLocale& locale);

// Prints one landscape page with the chart of `page` stretched over the whole
// printable area, as its own job. The orientation is restored afterwards,
// also when printing fails.
void PrintChart(QPrinter& printer, int page, const ChartPainter& paint);

class PrintCommands {
public:
    PrintCommands(MainModel& model, TConfig& config, std::function<void()> saveConfig, const Clock& clock,
                  PrintDialogs& dialogs, ChartPainter paintChart,
                  std::unique_ptr<QPrinter> printer = nullptr);
    ~PrintCommands();

    // Chart of the active page (also in the table-only display mode).
    void PrintChart();
    // Measurement protocol of the active page.
    void PrintProtocol();
    // The protocol of rows firstRow..lastRow of the active page, followed by
    // their statistics ("Протокол с итогами").
    void ProtocolWithTotals(int firstRow, int lastRow);
    // Chart, then protocol, as two jobs; a failing chart stops the protocol.
    void PrintChartAndProtocol();
    // Printer setup dialog.
    void SetUpPrinter();
    // Font dialog preset with the protocol font; a confirmed choice is stored
    // and the configuration saved.
    void ChooseProtocolFont();

    QPrinter& Printer() { return *printer_; }
    // The window that a long job's progress belongs to.
    void SetWindow(QWidget* window) { window_ = window; }

private:
    // The protocol of the whole table (firstRow 0) or, with totals, of rows
    // firstRow..lastRow.
    void PrintProtocolJob(int firstRow, int lastRow);

    MainModel& model_;
    TConfig& config_;
    std::function<void()> saveConfig_;
    const Clock& clock_;
    PrintDialogs& dialogs_;
    ChartPainter paintChart_;
    std::unique_ptr<QPrinter> printer_;
    QWidget* window_ = nullptr;
};

}  // namespace vornik
