#include "shell/TableModel.h"

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
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const int row = TableRow(index.row());
    if (row >= table_.RowCount()) return {};
    return FromCp1251(table_.Cell(index.column(), row));
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || !fixed_) return {};
    if (section < 0 || section >= table_.ColumnCount()) return {};
    return FromCp1251(table_.Cell(section, 0));
}

void TableModel::TableRowsChanged(int firstRow, int lastRow) {
    if (fixed_ && firstRow == 0) emit headerDataChanged(Qt::Horizontal, 0, table_.ColumnCount() - 1);
    const int first = std::max(ViewRow(firstRow), 0);
    const int last = std::min(ViewRow(lastRow), shownRows_ - 1);
    if (first <= last) emit dataChanged(index(first, 0), index(last, table_.ColumnCount() - 1));
}

void TableModel::TableShapeChanged() {
    const int rows = ViewRowsOfTable();
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
