#pragma once
// A job for a printer of the system, painted whole into a temporary PDF file
// and handed to the spooler only once it is complete. Qt's engine for such a
// printer hands its file to the spooler when painting ends, whether the job
// was aborted or not: a protocol given up half way would still be printed.
// Where this build has no way to hand a file to the spooler, Available()
// is false and the printer is painted on directly.
#include <QPrinter>
#include <QString>
#include <QTemporaryDir>

namespace vornik {

class SpooledJob {
public:
    static bool Available(const QPrinter& printer);

    // A PDF printer with the page layout, resolution and margins of `target`.
    explicit SpooledJob(const QPrinter& target);
    ~SpooledJob();
    SpooledJob(const SpooledJob&) = delete;
    SpooledJob& operator=(const SpooledJob&) = delete;

    QPrinter& Printer() { return pdf_; }

    // Hands the finished file to the target's queue as one job named
    // `jobName`, with the copies, collation and sides chosen for the target.
    // False when the spooler does not take it.
    bool Submit(const QString& jobName);

private:
    const QPrinter& target_;
    QTemporaryDir folder_;
    QPrinter pdf_{QPrinter::HighResolution};
};

}  // namespace vornik
