#include "shell/ColorBox.h"

#include <QPainter>
#include <QAbstractItemView>
#include <QPixmap>

#include "core/qt/Text.h"

namespace vornik {
namespace {

QColor ToQColor(Color c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

QIcon Swatch(Color c) {
    QPixmap pixmap(14, 10);
    pixmap.fill(ToQColor(c));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

// "#RRGGBB"; a value with a non-zero fourth byte is shown whole, as stored.
QString ExtraName(Color c) {
    if (c >> 24) return QStringLiteral("$%1").arg(c, 8, 16, QLatin1Char('0')).toUpper();
    return ToQColor(c).name(QColor::HexRgb).toUpper();
}

}  // namespace

ColorBox::ColorBox(const std::vector<NamedColor>& colors, QWidget* parent) : QComboBox(parent) {
    setIconSize(QSize(14, 10));
    // A steady width whatever the names; a long name is cut at the edge.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    for (const NamedColor& entry : colors) AddColor(entry.color, FromUtf8(entry.name));
    listCount_ = count();
    // The open list shows every name whole, even where the box is narrow.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 8);
}

void ColorBox::AddColor(Color color, const QString& name) {
    addItem(Swatch(color), name, QVariant::fromValue<uint>(color));
}

void ColorBox::SetSelected(Color color) {
    while (count() > listCount_) removeItem(count() - 1);
    int index = findData(QVariant::fromValue<uint>(color));
    if (index < 0) {
        AddColor(color, ExtraName(color));
        index = count() - 1;
    }
    setCurrentIndex(index);
}

Color ColorBox::Selected() const { return currentData().toUInt(); }

}  // namespace vornik
