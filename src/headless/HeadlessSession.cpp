#include "headless/HeadlessSession.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include <climits>
#include <cstdlib>
#endif

#include "config/Config.h"
#include "config/ConfigFile.h"
#include "core/IntervalTimer.h"
#include "core/Cp1251.h"
#include "core/Paths.h"
#include "core/StreamPrompt.h"
#include "device/PortHandling.h"
#include "headless/HeadlessLogger.h"
#include "headless/ThrottledLog.h"
#include "ports/PortDrivers.h"
#include "reception/ReplyDecoder.h"
#include "tables/MainModel.h"

namespace vornik {
namespace {

using SteadyClock = std::chrono::steady_clock;

std::string PortNameOf(const HeadlessOptions& options) {
    if (!options.portName.empty()) return Utf8ToCp1251(options.portName);
    TConfig config;
    config.LoadDefaults();
    const bool ownFile = options.configFile.empty();
    StreamPrompt quiet;
    ConfigStore store(ownFile ? ConfigFileName(options.programPath) : options.configFile, quiet,
                      ownFile ? ConfigFileBesideProgram(options.programPath) : "");
    store.Read(config);  // a missing file leaves the defaults
    return config.PortName();
}

std::string OutFolderOf(const HeadlessOptions& options) {
    if (!options.outFolder.empty()) return options.outFolder;
    return ProgramFolderKeepsUserFiles(options.programPath) ? FolderOf(options.programPath) : HomeFolder();
}

bool SameDay(const DateTime& a, const DateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

// What the log shows every few minutes.
struct Counts {
    long long rows[kPageCount] = {};
    long long receptionErrors = 0;
};

std::string StatusLine(const Counts& counts, const HeadlessLogger& logger) {
    std::string line = "status: rows gas " + std::to_string(counts.rows[PageGas]) + ", temperature " +
                       std::to_string(counts.rows[PageTemp]) + ", pressure " +
                       std::to_string(counts.rows[PagePrd]) + "; reception errors " +
                       std::to_string(counts.receptionErrors);
    if (logger.KeptRows() > 0) line += "; rows waiting to be written " + std::to_string(logger.KeptRows());
    return line;
}

std::atomic<bool> stopRequested{false};

void RequestStop(int) { stopRequested.store(true); }

// The arguments as UTF-8 (on Windows the narrow ones are in the ANSI code page).
std::vector<std::string> Utf8Arguments(int argc, char* argv[]) {
#ifdef _WIN32
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> arguments;
        for (int i = 0; i < count; ++i) arguments.push_back(std::filesystem::path(wide[i]).u8string());
        LocalFree(wide);
        return arguments;
    }
#endif
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace

const char* const kHeadlessUsage = "[--port NAME] [--out DIR] [--status SECONDS]\n";

const char* const kHeadlessOptions =
    "Every received row is appended to the day's data file of its kind (.gas,\n"
    ".tmpr, .prd); no window is needed. Logs to standard error and ends on\n"
    "Ctrl+C or SIGTERM.\n"
    "\n"
    "  --port NAME       the serial port (default: the window program's setting);\n"
    "                    a port not there yet is opened once it is\n"
    "  --out DIR         the folder of the data files (default: the program's\n"
    "                    folder when it is writable, else the home folder)\n"
    "  --status SECONDS  a status line every SECONDS (default 300)\n";

int RunHeadless(const HeadlessOptions& options, StreamPrompt& prompt, const Clock& clock,
                PortHandling::DriverFactory makeDriver, const std::atomic<bool>& stop) {
    // Before the port: a logger that cannot write must not look as if it runs.
    const std::string folder = OutFolderOf(options);
    if (!MakeFolders(folder) || !FolderWritable(folder)) {
        prompt.Line("cannot write data files: the folder " + folder + " cannot be created or written");
        return kExitCannotWrite;
    }

    MainModel model;
    model.GridsLayout(0);
    Counts counts;
    ThrottledLog errors([&prompt](const std::string& text) { prompt.Line("reception: " + text); });
    ReplyDecoder decoder(model, prompt, [&](const std::string& text) {
        if (text.rfind(kWriteErrorText, 0) != 0) ++counts.receptionErrors;
        errors.Add(text, SteadyClock::now());
    });
    decoder.AddRowListener([&counts](int page, int) { ++counts.rows[page]; });
    HeadlessLogger logger(model, clock, folder, FileNameOf(WithoutExtension(options.programPath)));
    logger.OnNotice = [&prompt](const std::string& text) { prompt.Line(text); };
    logger.Attach(decoder);

    ManualTimer timer;
    PortHandling port(prompt, timer, std::move(makeDriver),
                      [&decoder](uint8_t value, bool lineError) { decoder.Recieve(nullptr, value, lineError); });
    port.OnStateChange = [&](PortState state) {
        if (state == PortState::Lost) decoder.DropReply();
        if (!port.StatusText().empty()) prompt.Line(port.StatusText());
    };
    const std::string portName = PortNameOf(options);
    prompt.Line("listening to " + Cp1251ToUtf8(portName) + ", writing to " + folder);
    port.CreatePortWhenAvailable(portName);

    DateTime day = clock.Now();
    const auto statusInterval = std::chrono::seconds(std::max(1, options.statusSeconds));
    auto nextStatus = SteadyClock::now() + statusInterval;
    auto nextRetry = SteadyClock::now();
    bool waiting = false;  // rows are kept after a write error
    while (!stop.load()) {
        timer.Advance(PortHandling::kPollInterval);
        std::this_thread::sleep_for(std::chrono::milliseconds(PortHandling::kPollInterval));
        // Each day's rows are in that day's files: the tables start afresh,
        // so memory does not grow over weeks and row numbers follow the file.
        const DateTime now = clock.Now();
        if (!SameDay(now, day)) {
            model.ChartClear(true, true, true);
            day = now;
        }
        const auto tick = SteadyClock::now();
        errors.Flush(tick);
        if (logger.KeptRows() > 0 && tick >= nextRetry) {
            nextRetry = tick + std::chrono::seconds(1);
            logger.WriteKeptRows();
        }
        if (waiting && logger.KeptRows() == 0) prompt.Line("writing works again; every kept row is written");
        waiting = logger.KeptRows() > 0;
        if (tick >= nextStatus) {
            nextStatus = tick + statusInterval;
            prompt.Line(StatusLine(counts, logger));
        }
    }
    port.DestoryPort();
    errors.Flush(SteadyClock::now(), true);
    std::string last = "stopped; rows written: " + std::to_string(logger.RowsWritten());
    if (logger.KeptRows() > 0) last += "; rows that could not be written: " + std::to_string(logger.KeptRows());
    prompt.Line(last);
    return 0;
}

int HeadlessMain(int argc, char* argv[], const std::string& programPath, const std::string& skip) {
    const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
    HeadlessOptions options;
    options.programPath = programPath;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg == skip) continue;
        const bool hasValue = i + 1 < arguments.size();
        if ((arg == "--port" || arg == "--out") && hasValue) {
            (arg == "--port" ? options.portName : options.outFolder) = arguments[++i];
            continue;
        }
        if (arg == "--status" && hasValue) {
            options.statusSeconds = std::atoi(arguments[++i].c_str());
            if (options.statusSeconds > 0) continue;
        }
        std::fprintf(stderr, "unknown argument %s\noptions: %s", arg.c_str(), kHeadlessUsage);
        return kExitUsage;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    StreamPrompt prompt;
    SystemClock clock;
    return RunHeadless(options, prompt, clock, MakeCommDriver, stopRequested);
}

std::string RunningProgramPath(const char* argv0) {
#ifdef _WIN32
    wchar_t path[32768];
    const DWORD n = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
    if (n > 0 && n < sizeof path / sizeof path[0]) return std::filesystem::path(path).u8string();
#else
    char resolved[PATH_MAX];
    if (realpath("/proc/self/exe", resolved)) return resolved;
#endif
    return argv0 ? argv0 : "";
}

}  // namespace vornik
