#include "shell/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <functional>
#include <map>

namespace vornik {
namespace {

// Every picture is drawn on a 24 x 24 grid and scaled to the size asked for.
using Drawer = std::function<void(QPainter&)>;

const QColor kInk(40, 40, 40);
const QColor kChartBlue(30, 90, 200);

void Pen(QPainter& p, QColor c, double w = 1.5) { p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)); }

void Folder(QPainter& p) {
    Pen(p, QColor(150, 110, 20), 1.2);
    p.setBrush(QColor(240, 200, 80));
    p.drawPolygon(QPolygonF({{2, 6}, {9, 6}, {11, 8}, {21, 8}, {21, 20}, {2, 20}}));
    p.setBrush(QColor(255, 225, 120));
    p.drawPolygon(QPolygonF({{2, 20}, {5, 11}, {23, 11}, {21, 20}}));
}

void Disk(QPainter& p) {
    Pen(p, QColor(20, 40, 110), 1.2);
    p.setBrush(QColor(50, 90, 190));
    p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 3, 12, 7));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(7, 14, 10, 7));
    p.setBrush(QColor(20, 40, 110));
    p.drawRect(QRectF(14, 4.5, 2, 4));
}

void Printer(QPainter& p) {
    Pen(p, kInk, 1.2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 2, 10, 8));
    p.setBrush(QColor(170, 170, 180));
    p.drawRoundedRect(QRectF(2, 9, 20, 9), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 15, 12, 7));
    Pen(p, QColor(120, 120, 120), 1);
    p.drawLine(QPointF(8, 18), QPointF(16, 18));
    p.drawLine(QPointF(8, 20), QPointF(14, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 180, 60));
    p.drawEllipse(QPointF(18.5, 12), 1.2, 1.2);
}

void Grid(QPainter& p, QRectF r) {
    Pen(p, kInk, 1);
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setBrush(QColor(190, 205, 230));
    p.drawRect(QRectF(r.left(), r.top(), r.width(), r.height() / 3));
    for (int i = 1; i < 3; ++i) {
        const double y = r.top() + r.height() * i / 3;
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    }
    for (int i = 1; i < 3; ++i) {
        const double x = r.left() + r.width() * i / 3;
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    }
}

void MiniChart(QPainter& p, QRectF r) {
    Pen(p, kInk, 1.2);
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    Pen(p, QColor(220, 30, 30), 1.8);
    const double w = r.width(), h = r.height();
    p.drawPolyline(QPolygonF({{r.left() + 1, r.bottom() - h * 0.3},
                              {r.left() + w * 0.3, r.bottom() - h * 0.7},
                              {r.left() + w * 0.55, r.bottom() - h * 0.45},
                              {r.left() + w * 0.8, r.bottom() - h * 0.85},
                              {r.right(), r.bottom() - h * 0.6}}));
}

void Arrow(QPainter& p, double angleDegrees) {
    p.translate(12, 12);
    p.rotate(angleDegrees);
    Pen(p, QColor(10, 60, 140), 1.2);
    p.setBrush(QColor(60, 130, 230));
    // Points right.
    p.drawPolygon(QPolygonF({{-9, -3.5}, {2, -3.5}, {2, -8}, {10, 0}, {2, 8}, {2, 3.5}, {-9, 3.5}}));
}

void Magnifier(QPainter& p, bool plus) {
    Pen(p, QColor(90, 60, 30), 3.5);
    p.drawLine(QPointF(15, 15), QPointF(21.5, 21.5));
    Pen(p, kInk, 1.6);
    p.setBrush(QColor(220, 238, 255));
    p.drawEllipse(QPointF(10, 10), 7, 7);
    Pen(p, QColor(20, 20, 20), 2);
    p.drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
    if (plus) p.drawLine(QPointF(10, 6.5), QPointF(10, 13.5));
}

void AllData(QPainter& p) {
    MiniChart(p, QRectF(4, 5, 16, 13));
    Pen(p, kChartBlue, 1.5);
    // Arrows to both ends: the whole range.
    p.drawLine(QPointF(3, 21.5), QPointF(21, 21.5));
    p.drawLine(QPointF(3, 21.5), QPointF(6, 19.5));
    p.drawLine(QPointF(3, 21.5), QPointF(6, 23.5));
    p.drawLine(QPointF(21, 21.5), QPointF(18, 19.5));
    p.drawLine(QPointF(21, 21.5), QPointF(18, 23.5));
}

void Last50(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 120));
    p.drawRect(QRectF(12, 3, 10, 15));
    MiniChart(p, QRectF(3, 3, 19, 15));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(8);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRectF(10, 16, 14, 8), Qt::AlignCenter, QStringLiteral("50"));
}

void Delete(QPainter& p) {
    Grid(p, QRectF(3, 3, 15, 15));
    Pen(p, QColor(200, 20, 20), 3);
    p.drawLine(QPointF(10, 10), QPointF(21, 21));
    p.drawLine(QPointF(21, 10), QPointF(10, 21));
}

const std::map<QString, Drawer>& Drawers() {
    static const std::map<QString, Drawer> drawers = {
        {QStringLiteral("BitBtn10"), [](QPainter& p) { Folder(p); }},
        {QStringLiteral("BitBtn9"), [](QPainter& p) { Disk(p); }},
        {QStringLiteral("BitBtn8"), [](QPainter& p) { Printer(p); }},
        {QStringLiteral("BitBtnTab"), [](QPainter& p) { Grid(p, QRectF(2.5, 4.5, 19, 15)); }},
        {QStringLiteral("BitBtnGraph"), [](QPainter& p) { MiniChart(p, QRectF(3, 3, 18, 18)); }},
        {QStringLiteral("BitBtnGraphTab"),
         [](QPainter& p) {
             MiniChart(p, QRectF(3, 2, 18, 10));
             Grid(p, QRectF(2.5, 14.5, 19, 8));
         }},
        {QStringLiteral("BitBtn3"), [](QPainter& p) { AllData(p); }},
        {QStringLiteral("BitBtn4"), [](QPainter& p) { Last50(p); }},
        {QStringLiteral("BitBtn2"), [](QPainter& p) { Magnifier(p, false); }},
        {QStringLiteral("BitBtn1"), [](QPainter& p) { Magnifier(p, true); }},
        {QStringLiteral("SpeedButton1"), [](QPainter& p) { Arrow(p, 180); }},
        {QStringLiteral("SpeedButton3"), [](QPainter& p) { Arrow(p, 90); }},
        {QStringLiteral("SpeedButton2"), [](QPainter& p) { Arrow(p, -90); }},
        {QStringLiteral("SpeedButton4"), [](QPainter& p) { Arrow(p, 0); }},
        {QStringLiteral("BitBtn5"), [](QPainter& p) { Delete(p); }},
    };
    return drawers;
}

// The disabled form: grey, lighter, with a white emboss like the classic one.
QImage Disabled(const QImage& picture) {
    QImage grey(picture.size(), QImage::Format_ARGB32_Premultiplied);
    grey.fill(Qt::transparent);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.alpha() == 0) continue;
            const int g = 120 + qGray(c.rgb()) / 3;
            grey.setPixelColor(x, y, QColor(g, g, g, c.alpha() * 3 / 4));
        }
    }
    return grey;
}

}  // namespace

QImage ToolbarPicture(const QString& buttonName, int size, bool disabled) {
    const auto& drawers = Drawers();
    const auto it = drawers.find(buttonName);
    if (it == drawers.end()) return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(size / 24.0, size / 24.0);
        it->second(p);
    }
    return disabled ? Disabled(image) : image;
}

QIcon ToolbarIcon(const QString& buttonName) {
    if (Drawers().count(buttonName) == 0) return {};
    QIcon icon;
    for (int size : {24, 48}) {
        icon.addPixmap(QPixmap::fromImage(ToolbarPicture(buttonName, size, false)), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(ToolbarPicture(buttonName, size, true)), QIcon::Disabled);
    }
    return icon;
}

}  // namespace vornik
