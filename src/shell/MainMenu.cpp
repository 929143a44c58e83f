// The main menu of the main window.
#include <QKeySequence>
#include <QMenuBar>

#include "shell/MainWindow.h"

namespace vornik {

namespace {

// The platform's key for a standard command, or `fallback` where it has none.
QKeySequence Key(QKeySequence::StandardKey key, const char* fallback) {
    const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    return keys.isEmpty() ? QKeySequence(QString::fromLatin1(fallback)) : keys.first();
}

}  // namespace

QAction* TForm1::AddMenuItem(QMenu* menu, const char* name, const char* text, const QKeySequence& shortcut) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromLatin1(name));
    // Shown beside the text in the menu; works while the menu is closed.
    action->setShortcut(shortcut);
    return action;
}

void TForm1::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QString::fromUtf8("Файл"));
    file->setObjectName(QStringLiteral("N1"));
    saveAction_ = AddMenuItem(file, "N8", "Сохранить", Key(QKeySequence::Save, "Ctrl+S"));
    saveAction_->setEnabled(false);
    connect(saveAction_, &QAction::triggered, this, &TForm1::SaveCharDialog);
    connect(AddMenuItem(file, "N9", "Открыть", Key(QKeySequence::Open, "Ctrl+O")), &QAction::triggered, this, &TForm1::N9Click);
    file->addSeparator();
    QMenu* print = file->addMenu(QString::fromUtf8("Печать"));
    print->setObjectName(QStringLiteral("N12"));
    connect(AddMenuItem(print, "N13", "Графика", Key(QKeySequence::Print, "Ctrl+P")), &QAction::triggered, this, &TForm1::N13Click);
    connect(AddMenuItem(print, "N14", "Таблицы", QKeySequence(QStringLiteral("Ctrl+Shift+P"))), &QAction::triggered, this, &TForm1::N14Click);
    QMenu* printSetup = file->addMenu(QString::fromUtf8("Установки печати"));
    printSetup->setObjectName(QStringLiteral("N15"));
    connect(AddMenuItem(printSetup, "N16", "Выбор принтера"), &QAction::triggered, this, &TForm1::N16Click);
    connect(AddMenuItem(printSetup, "N17", "Выбор шрифта"), &QAction::triggered, this, &TForm1::N17Click);
    file->addSeparator();
    connect(AddMenuItem(file, "N4", "Выход", Key(QKeySequence::Quit, "Alt+F4")), &QAction::triggered, this, &TForm1::N4Click);

    QMenu* service = bar->addMenu(QString::fromUtf8("Сервис"));
    service->setObjectName(QStringLiteral("N5"));
    connect(AddMenuItem(service, "N6", "Опции", Key(QKeySequence::Preferences, "Ctrl+,")), &QAction::triggered, this, &TForm1::N6Click);
    QMenu* views = service->addMenu(QString::fromUtf8("Параметры просмотра "));
    views->setObjectName(QStringLiteral("N3"));
    connect(AddMenuItem(views, "N7", "Газоанализатора", QKeySequence(QStringLiteral("Ctrl+1"))), &QAction::triggered, this, &TForm1::N7Click);
    connect(AddMenuItem(views, "N18", "Температуры", QKeySequence(QStringLiteral("Ctrl+2"))), &QAction::triggered, this, &TForm1::N18Click);
    connect(AddMenuItem(views, "N19", "Давления", QKeySequence(QStringLiteral("Ctrl+3"))), &QAction::triggered, this, &TForm1::N19Click);

    QAction* about = bar->addAction(QString::fromUtf8("О программе"));
    about->setObjectName(QStringLiteral("N2"));
    connect(about, &QAction::triggered, this, &TForm1::N2Click);
}

}  // namespace vornik
