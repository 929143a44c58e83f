#include "shell/Application.h"

#include <exception>

#include "shell/QtPrompt.h"

namespace vornik {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("VORNIK PC"));
    setApplicationDisplayName(QStringLiteral("VORNIK PC"));
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
