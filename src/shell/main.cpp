#include <QApplication>

#include "shell/MainWindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    vornik::TForm1 form;
    form.show();
    return app.exec();
}
