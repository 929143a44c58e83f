#pragma once
// For --demo: starts the instrument simulator on a pseudo-terminal beside the
// program and tells the device name, so a newcomer sees live data at once.
#include <QObject>
#include <QString>

class QProcess;

namespace vornik {

class DemoSimulator : public QObject {
    Q_OBJECT
public:
    explicit DemoSimulator(QObject* parent = nullptr);
    ~DemoSimulator() override;

    // Starts the simulator found beside the program and waits (at most a few
    // seconds) for its device name. Returns the name, or an empty text with
    // ErrorText() set.
    QString Start(const QStringList& extraArguments = {});
    QString ErrorText() const { return error_; }

private:
    QProcess* process_;
    QString error_;
};

}  // namespace vornik
