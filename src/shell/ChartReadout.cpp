#include "shell/ChartReadout.h"

#include <QStringList>

#include "core/qt/Text.h"
#include "tables/ChartDefs.h"
#include "tables/IntervalStatistics.h"
#include "tables/MainModel.h"

namespace vornik {
namespace {

QString Multiplier(double m) { return QString::number(m, 'g', 10).replace(QLatin1Char('.'), QLatin1Char(',')); }

}  // namespace

QString ChartReadoutText(const MainModel& model, int page, size_t point) {
    const MeasurementTable& table = model.Table(page);
    // Point k of every series belongs to data row k + 1.
    if (table.IsEmpty() || point + 1 >= static_cast<size_t>(table.RowCount())) return {};
    const int row = static_cast<int>(point + 1);
    QStringList lines;
    lines << QString::fromUtf8("Точка %1 (%2)").arg(point).arg(FromCp1251(table.Cell(0, row)));
    lines << FromCp1251(table.Cell(kDateColumn, row)) + QLatin1Char(' ') + FromCp1251(table.Cell(kTimeColumn, row));
    const ChartModel& chart = model.Chart(page);
    const auto& defs = ChartSeriesDefs(page);
    for (int i = 0; i < chart.SeriesCount() && i < static_cast<int>(defs.size()); ++i) {
        const ChartSeries& s = chart.Series(i);
        if (!s.Shown()) continue;
        QString line = QString::fromUtf8(defs[i].title) + QLatin1Char(' ') + FromCp1251(table.Cell(defs[i].column, row));
        if (s.Multiplier() != 1) line += QString::fromUtf8("  ×") + Multiplier(s.Multiplier());
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace vornik
