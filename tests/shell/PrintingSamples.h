#pragma once
// Sample tables and a stand-in chart painter for the print tests and the
// spooler test driver.
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QRectF>
#include <cmath>
#include <string>

#include "core/Cp1251.h"
#include "tables/MainModel.h"

namespace vornik::test {

inline std::string Decimal(int tenths) {
    std::string sign = tenths < 0 ? "-" : "";
    tenths = std::abs(tenths);
    return sign + std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

// Gas rows as the reception writes them.
inline void FillGasRows(MeasurementTable& table, int count) {
    for (int i = 0; i < count; ++i) {
        const int row = table.AppendRow();
        table.SetCell(0, row, std::to_string(row) + "/" + std::to_string(100 + i));
        table.SetCell(1, row, "05.03.24");
        table.SetCell(2, row, "14:" + std::to_string(10 + i % 50) + ":00");
        for (int c = 3; c <= 16; ++c) table.SetCell(c, row, Decimal(100 + c * 7 + i % 13));
        table.SetCell(17, row, "ppm>O2");
        table.SetCell(18, row, Utf8ToCp1251("Котельная №" + std::to_string(1 + i % 3)));
        table.SetCell(19, row, Utf8ToCp1251("Природный газ"));
    }
}

inline void FillTempRows(MeasurementTable& table, int count) {
    for (int i = 0; i < count; ++i) {
        const int row = table.AppendRow();
        table.SetCell(0, row, std::to_string(row) + "/" + std::to_string(i));
        table.SetCell(1, row, "05.03.24");
        table.SetCell(2, row, "15:00:" + std::to_string(10 + i % 50));
        for (int c = 3; c <= 7; ++c)
            table.SetCell(c, row, Decimal(static_cast<int>(200 + c * 40 + 60 * std::sin(i * 0.2 + c))));
        table.SetCell(8, row, std::to_string(i));
        table.SetCell(9, row, Utf8ToCp1251("Печь"));
    }
}

// Stands in for the chart renderer: a gradient background, a frame, grid
// lines and one line of points, filling the rectangle.
inline void PaintSampleChart(QPainter& painter, const QRectF& rect, int page) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, QColor(230, 240, 255));
    gradient.setColorAt(1, Qt::white);
    painter.fillRect(rect, gradient);
    const double pen = rect.width() / 1000;
    painter.setPen(QPen(Qt::black, pen));
    const QRectF plot = rect.adjusted(rect.width() * 0.05, rect.height() * 0.05, -rect.width() * 0.05,
                                      -rect.height() * 0.1);
    painter.drawRect(plot);
    for (int i = 1; i < 5; ++i) {
        const double y = plot.top() + plot.height() * i / 5;
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    QPolygonF line;
    for (int i = 0; i <= 50; ++i)
        line << QPointF(plot.left() + plot.width() * i / 50,
                        plot.center().y() - plot.height() * 0.4 * std::sin(i * 0.3 + page));
    painter.setPen(QPen(Qt::red, pen * 3));
    painter.drawPolyline(line);
}

}  // namespace vornik::test
