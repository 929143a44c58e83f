#include "shell/LoadAndQuit.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <cstring>
#include <fstream>
#include <string>

#include "core/PreparedMemory.h"
#include "core/StreamPrompt.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"

namespace vornik {

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A memory figure of the process status ("VmHWM:" the peak resident
// memory, "VmRSS:" the current one), in MiB (0 where unknown).
double StatusMiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::strlen(field))) / 1024.0;
    return 0;
}

}  // namespace

int RunLoadAndQuit(int argc, char* argv[], std::chrono::steady_clock::time_point started) {
    std::string file;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--load-and-quit") != 0) file = argv[i];
    // The table's storage made ready while the window starts.
    if (!file.empty()) PrepareMemoryForFile(file);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    Application app(argc, argv);
    StreamPrompt prompt;
    app.SetErrorPrompt(&prompt);
    QTemporaryDir settings;
    FormEnvironment environment;
    environment.programPath = QCoreApplication::applicationFilePath().toStdString();
    environment.configFileName = settings.filePath(QStringLiteral("vornik-pc.cfg")).toStdString();
    environment.prompt = &prompt;
    environment.showSplash = false;

    TForm1 form(environment);
    form.show();
    form.grab();
    const double firstPaint = SecondsSince(started);
    std::printf("start to first paint: %.3f s\nresident memory at first paint: %.0f MiB\n", firstPaint,
                StatusMiB("VmRSS:"));
    if (file.empty()) return 0;

    const auto loadStart = std::chrono::steady_clock::now();
    const std::clock_t loadCpuStart = std::clock();
    form.fileCommands().Open(file);
    DropPreparedMemory();
    const double load = SecondsSince(loadStart);
    // Processor time of all threads (on a busy machine the wall time above
    // also counts the waits for a processor).
    const double loadCpu = static_cast<double>(std::clock() - loadCpuStart) / CLOCKS_PER_SEC;
    const auto paintStart = std::chrono::steady_clock::now();
    form.grab();
    const double paint = SecondsSince(paintStart);
    std::printf("load: %.3f s\nload processor time: %.3f s\npaint after load: %.3f s\npeak resident memory: %.0f MiB\n"
                "resident memory after load: %.0f MiB\n",
                load, loadCpu, paint, StatusMiB("VmHWM:"), StatusMiB("VmRSS:"));
    return 0;
}

}  // namespace vornik
