// Entry point of the widget tests: one QApplication for the whole run, made
// and destroyed inside main so that Qt's objects go before the runtime's.
#include <gtest/gtest.h>

#include "shell/Application.h"

int main(int argc, char** argv) {
    // Widget tests never need a display (test discovery runs them too).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vornik::Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
