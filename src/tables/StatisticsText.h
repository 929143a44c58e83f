#pragma once
// The statistics of an interval as the panel and the printed protocol show
// them: one entry per column that held numbers, its header and its figures in
// the table's own writing. Texts are Windows-1251 bytes, like the cells.
#include <string>
#include <vector>

#include "tables/IntervalStatistics.h"

namespace vornik {

struct StatisticsEntry {
    std::string header;  // the column's header
    std::string mean, min, max, deviation;
    int64_t numbers = 0;
    int64_t skipped = 0;
};

// Columns without a single number in the interval (units, object, fuel) are
// left out.
std::vector<StatisticsEntry> StatisticsEntries(const IntervalSummary& summary, int page);

// "Строк: 120, с 09.12.26 10:00:00 по 09.12.26 12:00:00"
std::string StatisticsSpanLine(const IntervalSummary& summary);

// The span line, then one line per entry:
// "O2,%: среднее 20,95; мин. 20,90; макс. 21,00; СКО 0,03; пропущено 2"
// (the skipped count only where cells were skipped).
std::vector<std::string> StatisticsLines(const IntervalSummary& summary, int page);

}  // namespace vornik
