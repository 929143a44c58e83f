#include "shell/TableModel.h"

#include <QFontMetricsF>

#include "core/qt/Text.h"

namespace vornik {

TableModel::TableModel(MeasurementTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table), shownRows_(0), fixed_(table.HasFixedRow()) {
    shownRows_ = ViewRowsOfTable();
    table_.SetListener(this);
}

TableModel::~TableModel() { table_.SetListener(nullptr); }

int TableModel::ViewRowsOfTable() const { return table_.RowCount() - (table_.HasFixedRow() ? 1 : 0); }

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.ColumnCount();
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid()) return {};
    const int row = TableRow(index.row());
    if (row >= table_.RowCount()) return {};
    const std::string_view cell = table_.Cell(index.column(), row);
    // An empty cell has no tooltip of its own: the table's shows instead.
    if (role == Qt::ToolTipRole && cell.empty()) return {};
    return FromCp1251(cell);
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || !fixed_) return {};
    if (section < 0 || section >= table_.ColumnCount()) return {};
    return FromCp1251(table_.Cell(section, 0));
}

void TableModel::SetRecordFont(const QFont& font) {
    // Per character: summing these is a scan of bytes, cheap enough for a
    // million rows, where measuring each text would not be.
    const QFontMetricsF metrics(font);
    for (int byte = 0x20; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        charWidths_[size_t(byte)] = metrics.horizontalAdvance(FromCp1251(std::string_view(&c, 1)));
    }
    MeasureRecords(0, table_.RowCount() - 1, true);
}

double TableModel::RecordWidth(int row) const {
    const std::string_view record = table_.Row(row).Cell(0);
    double width = 0;
    for (const char c : record) width += charWidths_[static_cast<unsigned char>(c)];
    return width;
}

void TableModel::MeasureRecords(int first, int last, bool fromScratch) {
    double widest = fromScratch ? 0 : widestRecord_;
    last = std::min(last, table_.RowCount() - 1);
    // A fixed row 0 is the header, drawn apart from the cells.
    for (int row = std::max(first, table_.HasFixedRow() ? 1 : 0); row <= last; ++row) widest = std::max(widest, RecordWidth(row));
    if (widest == widestRecord_) return;
    widestRecord_ = widest;
    emit recordWidthChanged();
}

void TableModel::TableRowsChanged(int firstRow, int lastRow) {
    MeasureRecords(firstRow, lastRow, false);
    if (fixed_ && firstRow == 0) emit headerDataChanged(Qt::Horizontal, 0, table_.ColumnCount() - 1);
    const int first = std::max(ViewRow(firstRow), 0);
    const int last = std::min(ViewRow(lastRow), shownRows_ - 1);
    if (first <= last) emit dataChanged(index(first, 0), index(last, table_.ColumnCount() - 1));
}

void TableModel::TableShapeChanged() {
    const int rows = ViewRowsOfTable();
    // Rows added at the end (reception, a load after a clear) are measured
    // alone, with row 0 and the row before them, which a first reply or a
    // load writes anew.
    const int tableRowsBefore = shownRows_ + (fixed_ ? 1 : 0);
    if (fixed_ == table_.HasFixedRow() && table_.RowCount() > tableRowsBefore) {
        MeasureRecords(0, 0, false);
        MeasureRecords(tableRowsBefore - 1, table_.RowCount() - 1, false);
    } else {
        MeasureRecords(0, table_.RowCount() - 1, true);
    }
    if (fixed_ != table_.HasFixedRow()) {
        beginResetModel();
        fixed_ = table_.HasFixedRow();
        shownRows_ = rows;
        endResetModel();
        emit headerChanged();
        return;
    }
    if (rows > shownRows_) {
        beginInsertRows(QModelIndex(), shownRows_, rows - 1);
        shownRows_ = rows;
        endInsertRows();
    } else if (rows < shownRows_) {
        beginRemoveRows(QModelIndex(), rows, shownRows_ - 1);
        shownRows_ = rows;
        endRemoveRows();
    }
    // Cell texts may have changed everywhere (a clear or a whole load).
    if (shownRows_ > 0) emit dataChanged(index(0, 0), index(shownRows_ - 1, table_.ColumnCount() - 1));
    emit headerDataChanged(Qt::Horizontal, 0, table_.ColumnCount() - 1);
}

}  // namespace vornik
