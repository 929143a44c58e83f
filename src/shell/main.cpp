#include <cstring>
#include <string>

#include "reception/HeadlessSession.h"
#include "shell/Application.h"
#include "shell/DemoSimulator.h"
#include "shell/MainWindow.h"

namespace {

const std::string kUsage =
    std::string("Usage: vornik-pc [DATAFILE]              the program with its window\n"
                "       vornik-pc --demo [DATAFILE]       the same, listening to the built-in simulator\n"
                "       vornik-pc --headless ") + vornik::kHeadlessUsage;

}  // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        // No display needed; ends on Ctrl+C or SIGTERM.
        if (std::strcmp(argv[i], "--headless") == 0)
            return vornik::HeadlessMain(argc, argv, vornik::RunningProgramPath(argv[0]), "--headless");
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage.c_str(), stdout);
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
