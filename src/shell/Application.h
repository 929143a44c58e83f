#pragma once
// The application object. Every error that escapes an event handler ends up
// here, once for all handlers: it is shown in the general error box and the
// program goes on.
#include <QApplication>

#include "core/Prompt.h"

namespace vornik {

// The window program's command line (without the program itself): "--demo"
// anywhere asks for the built-in simulator; of the other arguments only the
// first is read, a data file to open when it is not empty.
struct WindowArguments {
    bool demo = false;
    QString dataFile;
};
WindowArguments ParseWindowArguments(const QStringList& arguments);

class Application : public QApplication {
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Where escaped errors are reported; the Qt message box when not set.
    void SetErrorPrompt(Prompt* prompt) { errorPrompt_ = prompt; }

    // Shows an escaped error the way notify does (also for code that runs
    // outside the event loop, such as the window's creation).
    void ReportError(const std::string& text);

private:
    Prompt* errorPrompt_ = nullptr;
};

}  // namespace vornik
