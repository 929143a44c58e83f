#include "shell/TableCells.h"

#include <QApplication>
#include <QPainter>

namespace vornik {

QFont TableFont() {
    QFont font;
    // Metric substitutes of the face the layout was made for, narrowest
    // last (installed by scripts/install-deps).
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Arial Narrow")});
    font.setPixelSize(11);
    return font;
}

void TableCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    // Background, selection and focus as the style draws them, then the text.
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    painter->save();
    painter->setClipRect(opt.rect);
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(opt.rect.adjusted(kCellTextMargin, 0, -1, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
}

}  // namespace vornik
