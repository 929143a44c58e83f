#include "printing/qt/PrintProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace vornik {

const char* const kProtocolProgressText = "Печать протокола...";
const char* const kCancelText = "Отмена";

namespace {
constexpr int kShowAfterMs = 400;
constexpr int kEventsEveryMs = 40;
}  // namespace

PrintProgress::PrintProgress(QWidget* window, const QString& text, int total)
    : dialog_(std::make_unique<QProgressDialog>(text, QString::fromUtf8(kCancelText), 0, std::max(total, 1), window)) {
    dialog_->setObjectName(QStringLiteral("PrintProgress"));
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(kShowAfterMs);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
    sinceEvents_.start();
}

PrintProgress::~PrintProgress() = default;

bool PrintProgress::Step(int done) {
    if (sinceEvents_.elapsed() >= kEventsEveryMs) {
        dialog_->setValue(done);
        QCoreApplication::processEvents();
        sinceEvents_.restart();
    }
    return !dialog_->wasCanceled();
}

}  // namespace vornik
