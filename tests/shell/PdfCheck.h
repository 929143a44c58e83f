#pragma once
// Reads back PDF files that the print tests produce: page count and size
// from the file itself, text and ink through the poppler tools when they are
// installed.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <optional>
#include <vector>

namespace vornik::test {

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Page objects of an uncompressed page tree, as Qt writes it.
inline int PdfPageCount(const QString& path) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    return static_cast<int>(QString::fromLatin1(ReadAll(path)).count(page));
}

// Media boxes of the pages, in file order.
inline std::vector<QSizeF> PdfPageSizes(const QString& path) {
    static const QRegularExpression box(
        QStringLiteral("/MediaBox\\s*\\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s*\\]"));
    std::vector<QSizeF> sizes;
    auto it = box.globalMatch(QString::fromLatin1(ReadAll(path)));
    while (it.hasNext()) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(3).toDouble() - m.captured(1).toDouble(),
                           m.captured(4).toDouble() - m.captured(2).toDouble());
    }
    return sizes;
}

inline bool HaveTool(const QString& name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

// The text of the document, laid out as on the page; nothing without pdftotext.
inline std::optional<QString> PdfText(const QString& path) {
    if (!HaveTool(QStringLiteral("pdftotext"))) return std::nullopt;
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0) return QString();
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The share of pixels of a page that are not white; nothing without pdftoppm.
inline std::optional<double> PdfInk(const QString& path, int page = 1) {
    if (!HaveTool(QStringLiteral("pdftoppm"))) return std::nullopt;
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    QProcess tool;
    tool.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("20"),
                                            QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                            QString::number(page), QStringLiteral("-singlefile"), path, base});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0) return 0.0;
    const QImage image(base + QStringLiteral(".png"));
    if (image.isNull()) return 0.0;
    long inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) inked += image.pixelColor(x, y).lightness() < 250;
    return static_cast<double>(inked) / (image.width() * image.height());
}

}  // namespace vornik::test
