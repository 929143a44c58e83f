#include <chrono>
#include <cstring>
#include <string>

#include "headless/HeadlessSession.h"
#include "shell/Application.h"
#include "shell/DemoSimulator.h"
#include "shell/LoadAndQuit.h"
#include "shell/Translations.h"
#include "shell/MainWindow.h"

namespace {

const std::string kUsage =
    std::string("Usage: vornik-pc [DATAFILE]              the program with its window\n"
                "       vornik-pc --demo [DATAFILE]       the same, listening to the built-in simulator\n"
                "       vornik-pc --load-and-quit [DATAFILE]\n"
                "                                         measures: the window offscreen, painted once, the\n"
                "                                         file opened and painted, times printed, then exit\n"
                "       vornik-pc --headless ") + vornik::kHeadlessUsage;

}  // namespace

int main(int argc, char* argv[]) {
    const auto started = std::chrono::steady_clock::now();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--load-and-quit") == 0) return vornik::RunLoadAndQuit(argc, argv, started);
        // No display needed; ends on Ctrl+C or SIGTERM.
        if (std::strcmp(argv[i], "--headless") == 0)
            return vornik::HeadlessMain(argc, argv, vornik::RunningProgramPath(argv[0]), "--headless");
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage.c_str(), stdout);
            return 0;
        }
    }

    vornik::Application app(argc, argv);
    vornik::InstallQtTranslations(app, QLocale::system());
    vornik::FormEnvironment environment;
    environment.programPath = QCoreApplication::applicationFilePath().toStdString();
    const vornik::WindowArguments arguments = vornik::ParseWindowArguments(QCoreApplication::arguments().mid(1));
    const bool demo = arguments.demo;
    environment.fileArgument = arguments.dataFile.toStdString();

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
