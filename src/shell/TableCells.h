#pragma once
// How a measurement table draws its cells. The column widths follow a rule
// made for an 8-point (11-pixel) "MS Sans Serif"; where that face is missing,
// a narrow face of metrics close enough that dates, times and values fit
// those columns takes its place. A cell's text starts 2 pixels from its left
// edge and is cut at its right edge, never shortened to "...": the tooltip
// of the cell shows the whole text.
#include <QFont>
#include <QStyledItemDelegate>

namespace vornik {

QFont TableFont();

// The room a cell of `width` pixels gives its text.
constexpr int kCellTextMargin = 2;
inline int CellTextWidth(int width) { return width - kCellTextMargin - 1; }

class TableCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace vornik
