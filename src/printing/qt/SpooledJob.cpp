#include "printing/qt/SpooledJob.h"

#include <QFile>
#include <QPrintEngine>
#include <QStringList>

#ifdef VORNIK_CUPS
#include <cups/cups.h>
#endif

namespace vornik {
namespace {

#ifdef VORNIK_CUPS
// The options the printer dialog chose for the queue, name and value in
// turn (a property of Qt's engine for such printers).
const auto kQueueOptionsProperty = QPrintEngine::PrintEnginePropertyKey(0xfe00);

const char* Sides(const QPrinter& printer) {
    switch (printer.duplex()) {
        case QPrinter::DuplexLongSide: return "two-sided-long-edge";
        case QPrinter::DuplexShortSide: return "two-sided-short-edge";
        case QPrinter::DuplexAuto:
            return printer.pageLayout().orientation() == QPageLayout::Portrait ? "two-sided-long-edge"
                                                                                : "two-sided-short-edge";
        case QPrinter::DuplexNone: break;
    }
    return "one-sided";
}
#endif

}  // namespace

bool SpooledJob::Available(const QPrinter& printer) {
#ifdef VORNIK_CUPS
    return printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();
#else
    (void)printer;
    return false;
#endif
}

SpooledJob::SpooledJob(const QPrinter& target) : target_(target) {
    pdf_.setOutputFormat(QPrinter::PdfFormat);
    pdf_.setOutputFileName(folder_.filePath(QStringLiteral("job.pdf")));
    pdf_.setResolution(target.resolution());
    pdf_.setFullPage(target.fullPage());
    pdf_.setPageLayout(target.pageLayout());
    pdf_.setColorMode(target.colorMode());
}

SpooledJob::~SpooledJob() { QFile::remove(pdf_.outputFileName()); }

bool SpooledJob::Submit(const QString& jobName) {
#ifdef VORNIK_CUPS
    QList<QByteArray> values;  // the option texts live until the call
    int count = 0;
    cups_option_t* options = nullptr;
    const auto add = [&](const QByteArray& name, const QByteArray& value) {
        count = cupsAddOption(name.constData(), value.constData(), count, &options);
    };
    add("media", target_.pageLayout().pageSize().key().toUtf8());
    if (target_.copyCount() > 1) add("copies", QByteArray::number(target_.copyCount()));
    if (target_.copyCount() > 1 && target_.collateCopies()) add("Collate", "True");
    add("sides", Sides(target_));
    auto* engine = const_cast<QPrinter&>(target_).printEngine();
    const QStringList chosen = engine ? engine->property(kQueueOptionsProperty).toStringList() : QStringList();
    for (int i = 0; i + 1 < chosen.size(); i += 2) add(chosen[i].toUtf8(), chosen[i + 1].toUtf8());
    const int job = cupsPrintFile(target_.printerName().toUtf8().constData(),
                                  QFile::encodeName(pdf_.outputFileName()).constData(), jobName.toUtf8().constData(),
                                  count, options);
    cupsFreeOptions(count, options);
    return job > 0;
#else
    (void)jobName;
    return false;
#endif
}

}  // namespace vornik
