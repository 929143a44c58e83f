// Draws the program's icon: the molecule of the About box's logo, on the
// logo's own band. A name ending in ".ico" gets a Windows icon holding the
// sizes Windows shows (each as PNG, which Windows reads since Vista); any
// other name a square 128-pixel PNG for the desktop entry.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QtEndian>

#include "shell/About.h"

namespace {

QPixmap Icon(int side) {
    const QPixmap logo = vornik::MakerLogo();
    // The square left of the name.
    const int square = logo.height() - 2;
    return logo.copy(0, 1, square, square).scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QByteArray Png(const QPixmap& pixmap) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pixmap.save(&buffer, "PNG");
    return bytes;
}

void Append16(QByteArray& out, quint16 value) {
    const quint16 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), 2);
}

void Append32(QByteArray& out, quint32 value) {
    const quint32 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), 4);
}

// An icon directory (reserved, type 1, count) and one 16-byte entry per
// image, then the images; a side of 256 is written as 0.
QByteArray WindowsIcon() {
    const int sides[] = {16, 24, 32, 48, 64, 256};
    QList<QByteArray> images;
    for (int side : sides) images.append(Png(Icon(side)));
    QByteArray out;
    Append16(out, 0);
    Append16(out, 1);
    Append16(out, static_cast<quint16>(images.size()));
    quint32 offset = 6 + 16 * images.size();
    for (int i = 0; i < images.size(); ++i) {
        const char side = static_cast<char>(sides[i] == 256 ? 0 : sides[i]);
        out.append(side).append(side).append('\0').append('\0');
        Append16(out, 1);   // colour planes
        Append16(out, 32);  // bits per pixel
        Append32(out, static_cast<quint32>(images[i].size()));
        Append32(out, offset);
        offset += images[i].size();
    }
    for (const QByteArray& image : images) out.append(image);
    return out;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) return 64;
    QGuiApplication app(argc, argv);
    const QString name = QString::fromLocal8Bit(argv[1]);
    if (!name.endsWith(".ico", Qt::CaseInsensitive)) return Icon(128).save(name, "PNG") ? 0 : 1;
    QFile file(name);
    const QByteArray icon = WindowsIcon();
    return file.open(QIODevice::WriteOnly) && file.write(icon) == icon.size() ? 0 : 1;
}
