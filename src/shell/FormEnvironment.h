#pragma once
// What the main window needs from outside: the program's path and command
// line, and the modal and platform-bound services. The program passes the
// real ones; tests pass scripted ones.
#include <functional>
#include <memory>
#include <string>

#include "core/Clock.h"
#include "core/FileDialogs.h"
#include "core/Prompt.h"
#include "device/PortHandling.h"

namespace vornik {

class PrintDialogs;

struct FormEnvironment {
    // The program's full path: the settings file and the proposed data-file
    // names derive from it.
    std::string programPath;
    // The settings file; empty means the one that belongs to programPath.
    std::string configFileName;
    // The first command-line argument (a data file to open), or empty.
    std::string fileArgument;
    // When not empty, the port to listen to in this run instead of the
    // configured one; the configured name stays in the settings (--demo
    // listens to "DEMO").
    std::string portOverride;

    // Null means the Qt implementation (message boxes, file dialogs) or the
    // system's clock and serial driver.
    Prompt* prompt = nullptr;
    FileDialogs* fileDialogs = nullptr;
    PrintDialogs* printDialogs = nullptr;
    const Clock* clock = nullptr;
    PortHandling::DriverFactory makeDriver;
    // False in tests: no About box as a start-up splash.
    bool showSplash = true;
};

}  // namespace vornik
