// The main menu of the main window.
#include <QMenuBar>

#include "shell/MainWindow.h"

namespace vornik {

QAction* TForm1::AddMenuItem(QMenu* menu, const char* name, const char* text) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void TForm1::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QString::fromUtf8("Файл"));
    file->setObjectName(QStringLiteral("N1"));
    saveAction_ = AddMenuItem(file, "N8", "Сохранить");
    saveAction_->setEnabled(false);
    connect(saveAction_, &QAction::triggered, this, &TForm1::SaveCharDialog);
    connect(AddMenuItem(file, "N9", "Открыть"), &QAction::triggered, this, &TForm1::N9Click);
    file->addSeparator();
    QMenu* print = file->addMenu(QString::fromUtf8("Печать"));
    print->setObjectName(QStringLiteral("N12"));
    connect(AddMenuItem(print, "N13", "Графика"), &QAction::triggered, this, &TForm1::N13Click);
    connect(AddMenuItem(print, "N14", "Таблицы"), &QAction::triggered, this, &TForm1::N14Click);
    QMenu* printSetup = file->addMenu(QString::fromUtf8("Установки печати"));
    printSetup->setObjectName(QStringLiteral("N15"));
    connect(AddMenuItem(printSetup, "N16", "Выбор принтера"), &QAction::triggered, this, &TForm1::N16Click);
    connect(AddMenuItem(printSetup, "N17", "Выбор шрифта"), &QAction::triggered, this, &TForm1::N17Click);
    file->addSeparator();
    connect(AddMenuItem(file, "N4", "Выход"), &QAction::triggered, this, &TForm1::N4Click);

    QMenu* service = bar->addMenu(QString::fromUtf8("Сервис"));
    service->setObjectName(QStringLiteral("N5"));
    connect(AddMenuItem(service, "N6", "Опции"), &QAction::triggered, this, &TForm1::N6Click);
    QMenu* views = service->addMenu(QString::fromUtf8("Параметры просмотра "));
    views->setObjectName(QStringLiteral("N3"));
    connect(AddMenuItem(views, "N7", "Газоанализатора"), &QAction::triggered, this, &TForm1::N7Click);
    connect(AddMenuItem(views, "N18", "Температуры"), &QAction::triggered, this, &TForm1::N18Click);
    connect(AddMenuItem(views, "N19", "Давления"), &QAction::triggered, this, &TForm1::N19Click);

    QAction* about = bar->addAction(QString::fromUtf8("О программе"));
    about->setObjectName(QStringLiteral("N2"));
    connect(about, &QAction::triggered, this, &TForm1::N2Click);
}

}  // namespace vornik
