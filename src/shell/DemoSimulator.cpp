#include "shell/DemoSimulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace vornik {

DemoSimulator::DemoSimulator(QObject* parent) : QObject(parent), process_(new QProcess(this)) {}

DemoSimulator::~DemoSimulator() {
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(2000)) process_->kill();
    }
}

QString DemoSimulator::Start(const QStringList& extraArguments) {
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vornik-sim"));
    if (!QFileInfo(program).isExecutable()) {
        error_ = QStringLiteral("The simulator was not found: %1").arg(program);
        return {};
    }
    QStringList arguments = {QStringLiteral("--pty"), QStringLiteral("--quiet"),
                             QStringLiteral("--exit-with-parent")};
    arguments += extraArguments;
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->start(program, arguments);
    if (!process_->waitForStarted(3000)) {
        error_ = QStringLiteral("The simulator did not start: %1").arg(process_->errorString());
        return {};
    }
    while (!process_->canReadLine()) {
        if (!process_->waitForReadyRead(5000)) {
            error_ = QStringLiteral("The simulator did not name its device.");
            return {};
        }
    }
    return QString::fromLocal8Bit(process_->readLine()).trimmed();
}

}  // namespace vornik
