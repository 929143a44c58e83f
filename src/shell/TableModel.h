#pragma once
// Shows a MeasurementTable in a QTableView. While the table has its fixed
// row, row 0 is the horizontal header and table row r is view row r - 1;
// once the fixed row is gone, every table row is a view row.
#include <QAbstractTableModel>
#include <array>
#include <cmath>

#include "tables/MeasurementTable.h"

namespace vornik {

class TableModel : public QAbstractTableModel, public TableListener {
    Q_OBJECT
public:
    TableModel(MeasurementTable& table, QObject* parent = nullptr);
    ~TableModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Table row of a view row and back.
    int TableRow(int viewRow) const { return viewRow + (fixed_ ? 1 : 0); }
    int ViewRow(int tableRow) const { return tableRow - (fixed_ ? 1 : 0); }
    bool HasFixedRow() const { return fixed_; }

    void TableRowsChanged(int firstRow, int lastRow) override;
    void TableShapeChanged() override;

    // The widest text of column 0 in the cells (the record numbers) in the
    // font set here, in pixels; followed row by row as rows arrive.
    void SetRecordFont(const QFont& font);
    int RecordTextWidth() const { return static_cast<int>(std::ceil(widestRecord_)); }

signals:
    // The fixed-row state or the header texts changed.
    void headerChanged();
    // RecordTextWidth changed.
    void recordWidthChanged();

private:
    int ViewRowsOfTable() const;
    double RecordWidth(int row) const;
    // Widens to the records of rows first..last; from scratch when asked.
    void MeasureRecords(int first, int last, bool fromScratch);

    std::array<double, 256> charWidths_{};
    double widestRecord_ = 0;

    MeasurementTable& table_;
    int shownRows_;
    bool fixed_;
};

}  // namespace vornik
