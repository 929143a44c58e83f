// Entry point of the widget tests: one QApplication for the whole run, made
// and destroyed inside main so that Qt's objects go before the runtime's.
#include <gtest/gtest.h>

#include "shell/Application.h"

int main(int argc, char** argv) {
    // Widget tests never need a display (test discovery runs them too).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nor a print spooler: pages go to PDF files or nowhere, never to the
    // machine's default printer (a socket that does not exist means none).
    qputenv("CUPS_SERVER", "/nonexistent/vornik-no-spooler");
    vornik::Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
