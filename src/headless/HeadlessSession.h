#pragma once
// Listening without a window: the configured (or given) port is polled every
// 10 ms, replies are decoded exactly as in the window, and every row goes to
// the day's data file of its kind. Ends when `stop` becomes true.
//
// It runs unattended: a port that is not there yet is opened once it is, a
// data folder that cannot be written ends it at once, and a status line
// every few minutes shows in the log that it is alive.
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "core/Clock.h"
#include "device/PortHandling.h"

namespace vornik {

class StreamPrompt;

struct HeadlessOptions {
    std::string programPath;  // names the settings file and the data files
    std::string configFile;   // empty: the program's settings file
    std::string portName;     // empty: the configured PortName (UTF-8)
    std::string outFolder;    // empty: the proposed data-file folder
    int statusSeconds = 300;  // between status lines
};

// Exit codes besides 0.
constexpr int kExitUsage = 64;
constexpr int kExitCannotWrite = 73;

// Returns the process exit code.
int RunHeadless(const HeadlessOptions& options, StreamPrompt& prompt, const Clock& clock,
                PortHandling::DriverFactory makeDriver, const std::atomic<bool>& stop);

// The logger's command line, shared by `vornik-pc --headless` and
// `vornik-log`: [--port NAME] [--out DIR] [--status SECONDS]; the arguments in
// `skip` are ignored. Logs to standard error and ends on Ctrl+C or SIGTERM.
int HeadlessMain(int argc, char* argv[], const std::string& programPath, const std::string& skip);

// The usage line of the logger's options, and what they do (for --help).
extern const char* const kHeadlessUsage;
extern const char* const kHeadlessOptions;

// The path (UTF-8) of the running program's file.
std::string RunningProgramPath(const char* argv0);

}  // namespace vornik
