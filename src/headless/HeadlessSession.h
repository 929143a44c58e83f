#pragma once
// Listening without a window: the configured (or given) port is polled every
// 10 ms, replies are decoded exactly as in the window, and every row goes to
// the day's data file of its kind. Ends when `stop` becomes true.
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "core/Clock.h"
#include "device/CommDriver.h"

namespace vornik {

class StreamPrompt;

struct HeadlessOptions {
    std::string programPath;  // names the settings file and the data files
    std::string configFile;   // empty: the program's settings file
    std::string portName;     // empty: the configured PortName (UTF-8)
    std::string outFolder;    // empty: the proposed data-file folder
};

// Returns the process exit code.
int RunHeadless(const HeadlessOptions& options, StreamPrompt& prompt, const Clock& clock,
                std::function<std::unique_ptr<CommDriver>()> makeDriver, const std::atomic<bool>& stop);

}  // namespace vornik
