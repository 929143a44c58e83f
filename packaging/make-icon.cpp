// Draws the program's icon for the desktop entry: the molecule of the About
// box's logo, on the logo's own band, as a square PNG.
#include <QGuiApplication>
#include <QPixmap>

#include "shell/About.h"

int main(int argc, char* argv[]) {
    if (argc != 2) return 64;
    QGuiApplication app(argc, argv);
    const QPixmap logo = vornik::MakerLogo();
    // The square left of the name.
    const int side = logo.height() - 2;
    const QPixmap icon = logo.copy(0, 1, side, side).scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return icon.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
