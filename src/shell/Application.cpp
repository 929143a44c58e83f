#include "shell/Application.h"

#include <exception>

#include "shell/QtPrompt.h"

namespace vornik {

WindowArguments ParseWindowArguments(const QStringList& arguments) {
    WindowArguments parsed;
    QStringList rest = arguments;
    parsed.demo = rest.removeAll(QStringLiteral("--demo")) > 0;
    if (!rest.isEmpty()) parsed.dataFile = rest.first();
    return parsed;
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // The title of the general error box. No display name is set: the
    // window system would show it after every window's caption.
    setApplicationName(QStringLiteral("VORNIK PC"));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportError(e.what());
    } catch (...) {
        ReportError("Unknown error");
    }
    return false;
}

void Application::ReportError(const std::string& text) {
    if (errorPrompt_) {
        errorPrompt_->ShowGeneralError(text);
        return;
    }
    QtPrompt prompt(activeWindow());
    prompt.ShowGeneralError(text);
}

}  // namespace vornik
