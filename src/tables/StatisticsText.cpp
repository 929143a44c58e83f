#include "tables/StatisticsText.h"

#include "core/Cp1251.h"
#include "tables/Headers.h"

namespace vornik {

std::vector<StatisticsEntry> StatisticsEntries(const IntervalSummary& summary, int page) {
    const std::vector<std::string>& headers = HeaderTexts(page);
    std::vector<StatisticsEntry> entries;
    for (const ColumnStatistics& column : summary.columns) {
        const NumberSummary& s = column.summary;
        if (s.numbers == 0) continue;
        StatisticsEntry entry;
        if (column.column < static_cast<int>(headers.size())) entry.header = headers[column.column];
        entry.mean = FormatStatistic(s.mean, s.decimals);
        entry.min = FormatStatistic(s.min, s.decimals);
        entry.max = FormatStatistic(s.max, s.decimals);
        entry.deviation = FormatStatistic(s.Deviation(), s.decimals);
        entry.numbers = s.numbers;
        entry.skipped = s.skipped;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string StatisticsSpanLine(const IntervalSummary& summary) {
    return Utf8ToCp1251("Строк: " + std::to_string(summary.rows) + ", с ") + summary.firstDate + " " +
           summary.firstTime + Utf8ToCp1251(" по ") + summary.lastDate + " " + summary.lastTime;
}

std::vector<std::string> StatisticsLines(const IntervalSummary& summary, int page) {
    std::vector<std::string> lines = {StatisticsSpanLine(summary)};
    for (const StatisticsEntry& e : StatisticsEntries(summary, page)) {
        std::string line = e.header + Utf8ToCp1251(": среднее ") + e.mean + Utf8ToCp1251("; мин. ") + e.min +
                           Utf8ToCp1251("; макс. ") + e.max + Utf8ToCp1251("; СКО ") + e.deviation;
        if (e.skipped > 0) line += Utf8ToCp1251("; пропущено " + std::to_string(e.skipped));
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace vornik
