#pragma once
// Progress of a long print job with a cancel button. The window stays alive
// meanwhile (painting, port polling); the progress window is modal, so no
// other command can start inside the job.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace vornik {

extern const char* const kProtocolProgressText;
extern const char* const kCancelText;

class PrintProgress {
public:
    PrintProgress(QWidget* window, const QString& text, int total);
    ~PrintProgress();
    // Shows `done` (shown only when the job takes a while) and lets events
    // run now and then; false once the user has cancelled.
    bool Step(int done);

private:
    std::unique_ptr<QProgressDialog> dialog_;
    QElapsedTimer sinceEvents_;
};

}  // namespace vornik
