#include "printing/qt/QtProtocolPrinter.h"

#include <QCoreApplication>
#include <QFile>
#include <QPrinterInfo>

#include "core/Errors.h"
#include "core/qt/Text.h"

namespace vornik {

const char* const kNoPrinterText = "There is no default printer currently selected";
const char* const kInvalidPrinterText = "Printer selected is not valid";
const char* const kPrintFailedText = "Printer is not ready";

namespace {

// A printer of the system that the spooler no longer knows (removed, or the
// spooler stopped): Qt would take the job and lose it without a word.
bool PrinterGone(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::NativeFormat &&
           QPrinterInfo::printerInfo(printer.printerName()).isNull();
}

}  // namespace

void CheckPrinter(const QPrinter& printer) {
    // Without a printer Qt falls back to a PDF file, but names none.
    if (printer.printerName().isEmpty() && printer.outputFileName().isEmpty()) throw VornikError(kNoPrinterText);
    if (PrinterGone(printer)) throw VornikError(kInvalidPrinterText);
}

void BeginPrinterJob(QPainter& painter, QPrinter& printer, const QString& jobName) {
    CheckPrinter(printer);
    printer.setDocName(jobName);
    if (!painter.begin(&printer)) throw VornikError(kInvalidPrinterText);
}

void EndPrinterJob(QPainter& painter, QPrinter& printer) {
    const bool ended = painter.end();
    if (!ended || printer.printerState() == QPrinter::Error || PrinterGone(printer))
        throw VornikError(kPrintFailedText);
}

void LetEventsRun() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QtProtocolPrinter::~QtProtocolPrinter() {
    // A job left unfinished (cancelled, or an error) is not printed.
    if (painter_ && painter_->isActive()) Drop();
}

void QtProtocolPrinter::Drop() {
    auto painter = std::move(painter_);
    if (spooled_) {
        painter->end();
        spooled_.reset();
        return;
    }
    printer_.abort();
    painter->end();
    // A job printed to a file leaves no half-written file behind.
    if (!printer_.outputFileName().isEmpty()) QFile::remove(printer_.outputFileName());
}

PageOrientation QtProtocolPrinter::Orientation() {
    return printer_.pageLayout().orientation() == QPageLayout::Landscape ? PageOrientation::Landscape
                                                                         : PageOrientation::Portrait;
}

void QtProtocolPrinter::SetOrientation(PageOrientation orientation) {
    CheckPrinter(printer_);
    printer_.setPageOrientation(orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                          : QPageLayout::Portrait);
}

void QtProtocolPrinter::SetFont(const std::string& face, int pointSize) {
    // A plain regular font; a size that is no size falls back to the default.
    QFont font(FromCp1251(face));
    if (pointSize > 0) font.setPointSize(pointSize);
    font.setStyleHint(QFont::TypeWriter);
    font_ = font;
    metrics_.reset();
}

const QFontMetrics& QtProtocolPrinter::Metrics() {
    if (!metrics_) metrics_.emplace(font_, &printer_);
    return *metrics_;
}

int QtProtocolPrinter::PageWidth() { return printer_.pageRect(QPrinter::DevicePixel).toRect().width(); }

int QtProtocolPrinter::PageHeight() { return printer_.pageRect(QPrinter::DevicePixel).toRect().height(); }

int QtProtocolPrinter::TextWidth(std::string_view text) { return Metrics().horizontalAdvance(FromCp1251(text)); }

int QtProtocolPrinter::TextHeight(std::string_view) { return Metrics().height(); }

int QtProtocolPrinter::CharHeight() { return Metrics().height(); }

void QtProtocolPrinter::BeginDoc(const std::string& jobName) {
    painter_ = std::make_unique<QPainter>();
    jobName_ = FromUtf8(jobName);
    if (SpooledJob::Available(printer_)) {
        CheckPrinter(printer_);
        spooled_ = std::make_unique<SpooledJob>(printer_);
        BeginPrinterJob(*painter_, spooled_->Printer(), jobName_);
    } else {
        BeginPrinterJob(*painter_, printer_, jobName_);
    }
    painter_->setFont(font_);
    painter_->setPen(Qt::black);
    metrics_.reset();
}

void QtProtocolPrinter::NewPage() {
    if (!(spooled_ ? spooled_->Printer() : printer_).newPage()) throw VornikError(kPrintFailedText);
    LetEventsRun();
}

void QtProtocolPrinter::EndDoc() {
    if (abandoned_) return Drop();
    auto painter = std::move(painter_);
    if (spooled_) {
        const auto spooled = std::move(spooled_);
        EndPrinterJob(*painter, spooled->Printer());
        if (!spooled->Submit(jobName_)) throw VornikError(kPrintFailedText);
    } else {
        EndPrinterJob(*painter, printer_);
    }
    LetEventsRun();
}

void QtProtocolPrinter::DrawText(int x, int y, std::string_view text) {
    painter_->drawText(QPoint(x, y + Metrics().ascent()), FromCp1251(text));
}

}  // namespace vornik
