#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <QLabel>
#include <QStatusBar>
#include <QTranslator>

#include "device/posix/PosixCommDriver.h"
#include "shell/MainWindow.h"
#include "shell/Translations.h"
#include "shell/SetOption.h"
#include "TestForm.h"

using namespace vornik;
using vornik::test::TestForm;

// The menu commands have the platform's keys, shown in the menus, and the
// keys work while the menus are closed.
TEST(MainMenu, CommandsHaveThePlatformsShortcuts) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    form.show();
    const auto key = [&](const char* name) {
        QAction* action = form.findChild<QAction*>(QString::fromLatin1(name));
        return action ? action->shortcut() : QKeySequence();
    };
    EXPECT_EQ(key("N8"), QKeySequence(QKeySequence::Save));
    EXPECT_EQ(key("N9"), QKeySequence(QKeySequence::Open));
    EXPECT_EQ(key("N13"), QKeySequence(QKeySequence::Print));
    EXPECT_FALSE(key("N4").isEmpty());
    for (const char* name : {"N14", "N6", "N7", "N18", "N19"}) EXPECT_FALSE(key(name).isEmpty()) << name;
    // Every key is given once.
    QList<QKeySequence> all;
    for (QAction* a : form.findChildren<QAction*>())
        if (!a->shortcut().isEmpty()) all << a->shortcut();
    for (const QKeySequence& k : all) EXPECT_EQ(all.count(k), 1) << k.toString().toStdString();

    // The temperature view command opens its dialog.
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    QAction* n18 = form.findChild<QAction*>(QStringLiteral("N18"));
    ASSERT_NE(n18, nullptr);
    n18->trigger();
    EXPECT_TRUE(opened);
}

// In the demo the options dialog shows the simulator's port; confirming it
// keeps listening there and leaves the configured name in the settings.
TEST(DemoOptions, OptionsShowTheSimulatorsPort) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    FormEnvironment env = fixture.Environment();
    env.portOverride = "/dev/pts/77";
    fixture.form = std::make_unique<TForm1>(env);
    TForm1& form = *fixture.form;
    const std::string configured = form.config().PortName();
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TFormOption*>(QApplication::activeModalWidget());
        if (!dialog) return;
        shown = dialog->ComboBoxPort()->currentText();
        dialog->BitBtn1()->click();
    });
    form.N6Click();
    EXPECT_EQ(shown, QStringLiteral("/dev/pts/77"));
    EXPECT_EQ(form.config().PortName(), configured);
    EXPECT_NE(configured, "/dev/pts/77");
}

// A port that cannot be opened says why in the status bar and the list of
// reception errors; the box keeps its caption and the device name.
TEST(PortFailure, StatusBarAndErrorListSayWhy) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    FormEnvironment env = fixture.Environment();
    env.makeDriver = [](const std::string&) { return std::make_unique<PosixCommDriver>(); };
    env.portOverride = fixture.dir / "no-such-device";
    fixture.form = std::make_unique<TForm1>(env);
    TForm1& form = *fixture.form;
    const auto boxes = fixture.prompt.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, test::PromptEvent::Device);
    EXPECT_EQ(boxes[0].text, fixture.dir / "no-such-device");
    bool said = false;
    for (QLabel* label : form.statusBar()->findChildren<QLabel*>())
        said |= label->text().contains(QString::fromUtf8("не открыт: нет такого устройства"));
    EXPECT_TRUE(said);
    ASSERT_EQ(form.receptionErrors().Total(), 1);
}

// Qt's dialogs speak the system's language, Russian where Qt has none for
// it; the program's own texts stay as they are.
TEST(Translations, QtDialogsInTheSystemsLanguageOrRussian) {
    for (const QLocale& system : {QLocale::c(), QLocale(QLocale::Russian), QLocale(QLocale::Tamil)}) {
        QTranslator* t = InstallQtTranslations(*QCoreApplication::instance(), system);
        ASSERT_NE(t, nullptr) << "no Qt translations installed";
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("Отмена"));
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    QTranslator* german = InstallQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::German));
    ASSERT_NE(german, nullptr);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    QCoreApplication::removeTranslator(german);
    delete german;
}
