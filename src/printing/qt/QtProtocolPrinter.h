#pragma once
// The protocol printer on a QPrinter: orientation and font of the printer,
// and the page surface of the text channel in printer pixels.
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <memory>
#include <optional>

#include "printing/PageSurface.h"
#include "printing/qt/SpooledJob.h"

namespace vornik {

// Texts of the printing errors the program detects itself.
extern const char* const kNoPrinterText;
extern const char* const kInvalidPrinterText;
extern const char* const kPrintFailedText;

// Throws VornikError when the printer has nowhere to print to.
void CheckPrinter(const QPrinter& printer);

// Starts a job on the printer; throws VornikError when it cannot start.
void BeginPrinterJob(QPainter& painter, QPrinter& printer, const QString& jobName);

// Ends the job; throws VornikError when the printer reports a failure.
void EndPrinterJob(QPainter& painter, QPrinter& printer);

class QtProtocolPrinter : public ProtocolPrinter {
public:
    explicit QtProtocolPrinter(QPrinter& printer) : printer_(printer) {}
    ~QtProtocolPrinter() override;

    PageOrientation Orientation() override;
    void SetOrientation(PageOrientation orientation) override;
    void SetFont(const std::string& face, int pointSize) override;

    int PageWidth() override;
    int PageHeight() override;
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    int CharHeight() override;

    void BeginDoc(const std::string& jobName) override;
    void NewPage() override;
    void EndDoc() override;
    void DrawText(int x, int y, std::string_view text) override;

    const QFont& Font() const { return font_; }
    // The job started is dropped at its end instead of printed: nothing of
    // it reaches a system printer's queue.
    void Abandon() { abandoned_ = true; }

private:
    const QFontMetrics& Metrics();
    // Ends painting without printing anything.
    void Drop();

    QPrinter& printer_;
    // Where a system printer's job is painted until it is complete.
    std::unique_ptr<SpooledJob> spooled_;
    QString jobName_;
    QFont font_;
    std::optional<QFontMetrics> metrics_;
    std::unique_ptr<QPainter> painter_;
    bool abandoned_ = false;
};

// Lets timers (port polling) run while a job is handed over; user input
// waits, so no second print can start inside this one.
void LetEventsRun();

}  // namespace vornik
