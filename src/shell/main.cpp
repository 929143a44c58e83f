#include <csignal>
#include <cstring>
#include <string>

#include "core/StreamPrompt.h"
#include "headless/HeadlessSession.h"
#include "shell/Application.h"
#include "shell/DemoSimulator.h"
#include "shell/MainWindow.h"

namespace {

std::atomic<bool> stopRequested{false};

void RequestStop(int) { stopRequested.store(true); }

const char* const kUsage =
    "Usage: vornik-pc [DATAFILE]              the program with its window\n"
    "       vornik-pc --demo [DATAFILE]       the same, listening to the built-in simulator\n"
    "       vornik-pc --headless [--port NAME] [--out DIR]\n"
    "                                         no window: every received row is appended to\n"
    "                                         the day's data file of its kind in DIR\n";

// vornik-pc --headless: no display needed; ends on SIGINT or SIGTERM.
int RunWithoutWindow(int argc, char* argv[]) {
    vornik::HeadlessOptions options;
    options.programPath = argv[0];
    char resolved[4096];
    if (realpath("/proc/self/exe", resolved)) options.programPath = resolved;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--headless") continue;
        if ((arg == "--port" || arg == "--out") && i + 1 < argc) {
            (arg == "--port" ? options.portName : options.outFolder) = argv[++i];
            continue;
        }
        std::fprintf(stderr, "unknown argument %s\n%s", arg.c_str(), kUsage);
        return 64;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    vornik::StreamPrompt prompt;
    vornik::SystemClock clock;
    return vornik::RunHeadless(options, prompt, clock, [] { return vornik::MakePlatformCommDriver(); },
                               stopRequested);
}

}  // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) return RunWithoutWindow(argc, argv);
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }

    vornik::Application app(argc, argv);
    vornik::FormEnvironment environment;
    environment.programPath = QCoreApplication::applicationFilePath().toStdString();
    bool demo = false;
    for (const QString& argument : QCoreApplication::arguments().mid(1)) {
        if (argument == QStringLiteral("--demo"))
            demo = true;
        else if (environment.fileArgument.empty() && !argument.isEmpty())
            environment.fileArgument = argument.toStdString();
    }

    vornik::DemoSimulator simulator;
    if (demo) {
        const QString device = simulator.Start({QStringLiteral("--rate"), QStringLiteral("2")});
        if (device.isEmpty()) {
            app.ReportError(simulator.ErrorText().toStdString());
            return 1;
        }
        environment.portOverride = device.toStdString();
    }

    vornik::TForm1 form(environment);
    form.show();
    return app.exec();
}
