#include <chrono>
#include <cstring>
#include <string>

#include "config/OptionDialogLogic.h"
#include "core/PreparedMemory.h"
#include "datafiles/DataFile.h"
#include "headless/HeadlessSession.h"
#include "shell/Application.h"
#include "shell/LoadAndQuit.h"
#include "shell/Translations.h"
#include "shell/MainWindow.h"

namespace {

const std::string kUsage =
    std::string("Usage: vornik-pc [DATAFILE]\n"
                "  or:  vornik-pc --demo [DATAFILE]\n"
                "  or:  vornik-pc --load-and-quit [DATAFILE]\n"
                "  or:  vornik-pc --headless ") + vornik::kHeadlessUsage +
    "Receives the measurements of the VORNIK gas analyser over a serial line,\n"
    "shows them in tables and charts, saves and prints them. DATAFILE (.gas,\n"
    ".tmpr or .prd) is opened at start-up.\n"
    "\n"
    "  --demo            listen to the simulated instrument (port DEMO)\n"
    "  --load-and-quit   a measurement: the window offscreen, painted once,\n"
    "                    DATAFILE opened and painted, times printed, then exit\n"
    "  --headless        no window: the logger, as vornik-log\n"
    "  --help            this text\n"
    "\n"
    "With --headless:\n\n" + vornik::kHeadlessOptions;

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

    // The table's storage for the data file made ready while the window starts.
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        if (vornik::DataFileKind(argv[i]) >= 0) vornik::PrepareMemoryForFile(argv[i]);
        break;
    }
    vornik::Application app(argc, argv);
    vornik::InstallQtTranslations(app, QLocale::system());
    vornik::FormEnvironment environment;
    environment.programPath = QCoreApplication::applicationFilePath().toStdString();
    const vornik::WindowArguments arguments = vornik::ParseWindowArguments(QCoreApplication::arguments().mid(1));
    environment.fileArgument = arguments.dataFile.toStdString();
    // The simulated instrument inside the program, for this run only.
    if (arguments.demo) environment.portOverride = vornik::kDemoPortName;

    vornik::TForm1 form(environment);  // opens the data file
    vornik::DropPreparedMemory();
    form.show();
    return app.exec();
}
