#include <QTimer>

#include "shell/Application.h"
#include "shell/DemoSimulator.h"
#include "shell/MainWindow.h"

int main(int argc, char* argv[]) {
    vornik::Application app(argc, argv);

    vornik::FormEnvironment environment;
    environment.programPath = QCoreApplication::applicationFilePath().toStdString();
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    bool demo = false;
    for (const QString& argument : arguments) {
        if (argument == QStringLiteral("--demo"))
            demo = true;
        else if (environment.fileArgument.empty() && !argument.startsWith(QStringLiteral("--")))
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
