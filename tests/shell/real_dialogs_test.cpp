// The real message boxes and file dialogs, as the program shows them (not
// their scripted stand-ins), and the start-up splash of the real window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <functional>

#include "ReplyBuilder.h"
#include "TestForm.h"
#include "shell/About.h"
#include "shell/QtFileDialogs.h"
#include "shell/QtPrompt.h"

using namespace vornik;
using namespace vornik::test;

namespace {

// Runs `answer` on the next modal window once it is shown; `answer` closes it.
void OnNextModal(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        answer(modal);
    });
    poll->start(5);
}

struct BoxSeen {
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QStringList buttons;
    int width = 0;
};

// Notes what the next message box shows and presses its button `press`.
void AnswerBox(BoxSeen& seen, const QString& press) {
    OnNextModal([&seen, press](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen.title = box->windowHandle() ? box->windowHandle()->title() : box->windowTitle();
        seen.icon = box->icon();
        seen.text = box->text();
        seen.width = box->width();
        for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == press) return button->click();
        box->reject();
    });
}

// Processes events until `done` or `milliseconds` have passed.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

}  // namespace

TEST(RealMessageBoxes, CaptionsIconsAndButtons) {
    QtPrompt prompt;
    BoxSeen error;
    AnswerBox(error, "OK");
    prompt.ShowError("Файл слишком велик, заблокирован\r\nили содержит ошибки формата!");
    EXPECT_EQ(error.title, "Error");
    EXPECT_EQ(error.icon, QMessageBox::Critical);
    EXPECT_EQ(error.text, QString::fromUtf8("Файл слишком велик, заблокирован\nили содержит ошибки формата!"));
    EXPECT_EQ(error.buttons, QStringList{"OK"});

    BoxSeen question;
    AnswerBox(question, "&No");
    EXPECT_FALSE(prompt.AskYesNo("Программа будет закрыта?"));
    EXPECT_EQ(question.title, "Confirm");
    EXPECT_EQ(question.icon, QMessageBox::Question);
    EXPECT_EQ(question.buttons, (QStringList{"&Yes", "&No"}));
    AnswerBox(question, "&Yes");
    EXPECT_TRUE(prompt.AskYesNo("Программа будет закрыта?"));

    BoxSeen device;
    AnswerBox(device, "OK");
    prompt.ShowDeviceMessage("Не могу открыть порт", "COM3");
    EXPECT_EQ(device.title, QString::fromUtf8("Не могу открыть порт"));
    EXPECT_EQ(device.text, "COM3");
    EXPECT_EQ(device.icon, QMessageBox::NoIcon);
    EXPECT_EQ(device.buttons, QStringList{"OK"});
    // Wide enough for its caption, which holds the message.
    EXPECT_GE(device.width, DeviceMessageWidth(device.title));

    BoxSeen general;
    AnswerBox(general, "OK");
    prompt.ShowGeneralError("Printer is not ready");
    EXPECT_EQ(general.title, "VORNIK PC");
    EXPECT_EQ(general.icon, QMessageBox::Critical);
    EXPECT_EQ(general.text, "Printer is not ready.");
}

TEST(RealFileDialogs, SaveKeepsTheTypedNameAndNeverAsksToReplace) {
    TempDir dir;
    WriteAll(dir / "typed", "old");
    QtFileDialogs dialogs;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_TRUE(dialog->defaultSuffix().isEmpty());
        EXPECT_EQ(dialog->nameFilters(), QStringList{QString::fromUtf8("Данные газоанализатора (*.gas)")});
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(QString::fromStdString(dir.path())).canonicalPath());
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), "vornik-pc-26-12-08.gas");
        name->setText("typed");  // an existing file, without extension
        static_cast<QDialog*>(dialog)->accept();  // as the Save button does
    });
    const auto chosen =
        dialogs.AskSaveFileName("Данные газоанализатора (*.gas)|*.gas", dir / "vornik-pc-26-12-08.gas");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(QString::fromStdString(*chosen)).fileName(), "typed");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // no replace question
}

TEST(RealFileDialogs, OpenOffersExistingFilesWithThePageFilterChosen) {
    QtFileDialogs dialogs;
    OnNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(dialog->nameFilters().size(), 3);
        EXPECT_EQ(dialog->selectedNameFilter(), "T (*.tmpr)");
        dialog->reject();
    });
    EXPECT_FALSE(dialogs.AskOpenFileName("G|*.gas|T|*.tmpr|P|*.prd", 2).has_value());
}

namespace {

// Counts the showings of a window and runs `whileShown` in each.
struct ShowingWatch : QObject {
    int shown = 0;
    std::function<void()> whileShown;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            ++shown;
            QTimer::singleShot(0, this, [this] { whileShown(); });
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

TEST(StartUp, MissingSettingsBoxThenOneSplashWhileThePortIsPolled) {
    TestForm fixture;  // no settings file
    FormEnvironment env = fixture.Environment();
    env.showSplash = true;
    fixture.form = std::make_unique<TForm1>(env);
    TForm1& form = *fixture.form;
    TAboutBox& splash = *form.aboutBox();
    // The box came while the window was being created, before any showing.
    ASSERT_FALSE(fixture.prompt.boxes().empty());
    EXPECT_EQ(fixture.prompt.boxes()[0].text, "Файл конфигурации отсутствует!\r\nСброс конфигурации!");

    ShowingWatch watch;
    watch.whileShown = [&] {
        if (watch.shown == 1) fixture.device->Receive(GasReply().Bytes());
    };
    splash.installEventFilter(&watch);
    // Closes the splash once the reply is in the table, or after 3 s.
    bool rowsWhileSplash = false;
    bool modal = false;
    QElapsedTimer since;
    since.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (!splash.isVisible()) return;
        modal = QApplication::activeModalWidget() == &splash;
        rowsWhileSplash = !form.model().Table(PageGas).IsEmpty();
        if (rowsWhileSplash || since.elapsed() > 3000) splash.SpeedButton1Click();
    });
    check.start(10);
    form.show();
    ASSERT_TRUE(WaitFor([&] { return watch.shown == 1 && !splash.isVisible(); }));
    check.stop();
    EXPECT_TRUE(modal);
    EXPECT_TRUE(rowsWhileSplash);

    // Later showings and activations of the window bring no second splash.
    form.hide();
    form.show();
    form.activateWindow();
    watch.whileShown = [&] { splash.SpeedButton1Click(); };
    WaitFor([&] { return watch.shown > 1; }, 300);
    EXPECT_EQ(watch.shown, 1);
    splash.removeEventFilter(&watch);
}
