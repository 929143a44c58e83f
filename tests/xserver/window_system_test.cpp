// What a real X server receives from the program: the windows' captions as
// its title property holds them (the toolkit may add to what the widget was
// given) and where the main window opens. Runs on a private Xvfb server;
// skipped (exit 77) where Xvfb or the X property tools are not installed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestForm.h"
#include "config/ViewDialogLogic.h"
#include "shell/About.h"
#include "shell/Application.h"
#include "shell/QtPrompt.h"
#include "shell/SetGView.h"
#include "shell/SetOption.h"

using namespace vornik;
using namespace vornik::test;

namespace {

QString RunTool(const QString& tool, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    process.setProcessEnvironment(env);
    process.start(tool, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

QString WindowId(QWidget* window) { return QStringLiteral("0x") + QString::number(window->winId(), 16); }

// The title the X server holds for a shown window (UTF-8).
std::string ServerTitle(QWidget* window) {
    WaitFor([window] { return window->windowHandle() && window->windowHandle()->isExposed(); });
    const QString out = RunTool("xprop", {"-id", WindowId(window), "_NET_WM_NAME"});
    const int first = out.indexOf('"');
    const int last = out.lastIndexOf('"');
    return (first >= 0 && last > first ? out.mid(first + 1, last - first - 1) : "(no title: " + out + ")")
        .toStdString();
}

QRect ServerGeometry(QWidget* window) {
    const QString out = RunTool("xwininfo", {"-id", WindowId(window)});
    const auto number = [&out](const char* label) {
        const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s*(-?\\d+)"));
        return re.match(out).captured(1).toInt();
    };
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                 number("Height"));
}

// The title of the next message box, read while it is up; then it is closed.
void ReadNextBoxTitle(std::string& title) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, &title] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        title = ServerTitle(box);
        box->buttons().last()->click();
    });
    poll->start(10);
}

}  // namespace

TEST(WindowSystem, MainWindowOpensCentredUnderItsOwnCaption) {
    TestForm fixture;
    TConfig config;
    config.LoadDefaults();
    config.SetWindowWidth(640);
    config.SetWindowHeight(480);
    config.SetWindowTop(500);
    config.SetWindowLeft(700);
    WriteAll(fixture.ConfigFile(), std::string(config.Bytes().begin(), config.Bytes().end()));
    TForm1& form = fixture.Create();
    form.show();
    EXPECT_EQ(ServerTitle(&form), "VORNIK PC");
    EXPECT_EQ(ServerGeometry(&form), QRect(320, 272, 640, 480));  // on 1280 x 1024, no frame
}

TEST(WindowSystem, DialogAndMessageBoxCaptionsAreExactlyTheirOwn) {
    TConfig config;
    config.LoadDefaults();
    TFormOption option;
    option.Fill(config);
    option.show();
    EXPECT_EQ(ServerTitle(&option), "Опции");
    TFormSetGView gas;
    gas.Fill(ReadViewValues(config.GasView()));
    gas.show();
    EXPECT_EQ(ServerTitle(&gas), "Параметры просмотра");
    TAboutBox about;
    about.show();
    EXPECT_EQ(ServerTitle(&about), "About");
    about.Timer1().SetEnabled(false);

    QtPrompt prompt;
    std::string title;
    ReadNextBoxTitle(title);
    prompt.ShowError("Ошибка доступа к диску!\r\nПерезагрузите компьютер!");
    EXPECT_EQ(title, "Error");
    ReadNextBoxTitle(title);
    prompt.AskYesNo("Программа будет закрыта?");
    EXPECT_EQ(title, "Confirm");
    ReadNextBoxTitle(title);
    prompt.ShowDeviceMessage("Не могу открыть порт", "COM3");
    EXPECT_EQ(title, "Не могу открыть порт");
    ReadNextBoxTitle(title);
    prompt.ShowGeneralError("Printer is not ready");
    EXPECT_EQ(title, "VORNIK PC");
}

// The X platform plugin's D-Bus library keeps a buffer until the process
// ends; the leak checker of sanitized builds is not to count it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace {

// A private X server for this run on a display number nobody uses; its
// number once it accepts connections, or -1.
int StartXServer(pid_t& pid) {
    for (int display = 90 + getpid() % 50; display < 400; display += 7) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
        const std::string lock = "/tmp/.X" + std::to_string(display) + "-lock";
        if (access(socket.c_str(), F_OK) == 0 || access(lock.c_str(), F_OK) == 0) continue;
        pid = fork();
        if (pid == 0) {
            const std::string name = ":" + std::to_string(display);
            execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid < 0) return -1;
        for (int wait = 0; wait < 100; ++wait) {
            if (access(socket.c_str(), F_OK) == 0) return display;
            if (waitpid(pid, nullptr, WNOHANG) == pid) break;  // it gave up (display taken meanwhile)
            usleep(50000);
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (const char* tool : {"Xvfb", "xprop", "xwininfo"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            std::printf("%s is not installed: skipped\n", tool);
            return 77;
        }
    }
    pid_t server = -1;
    const int display = StartXServer(server);
    if (display < 0) {
        std::printf("Xvfb did not start: skipped\n");
        if (server > 0) kill(server, SIGTERM);
        return 77;
    }
    setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int result = 0;
    {
        Application app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return result;
}
