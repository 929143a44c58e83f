#include "printing/Protocol.h"

#include <algorithm>
#include <stdexcept>

#include "config/Config.h"
#include "core/Cp1251.h"
#include "printing/TextChannel.h"
#include "quantities/Quantities.h"
#include "tables/IntervalStatistics.h"
#include "tables/StatisticsText.h"

namespace vornik {
namespace {

// The printed columns of a page, in table order.
std::vector<ProtocolField> PrintedFields(int page) {
    std::vector<ProtocolField> fields;
    for (const ColumnDesc& column : TableOf(page).columns)
        if (column.printWidth > 0) fields.push_back({column.column, column.printWidth});
    return fields;
}

void AppendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

}  // namespace

const char* const kProtocolJobName = "Печать базы данных";

const ProtocolKind& ProtocolKindOf(int page) {
    static const ProtocolKind kinds[kPageCount] = {
        {PageOrientation::Landscape, "     ПРОТОКОЛ ЗАМЕРОВ ГАЗОАНАЛИЗАТОРА VORNIK ", PrintedFields(PageGas)},
        {PageOrientation::Portrait, "     ПРОТОКОЛ ЗАМЕРОВ ТЕМПЕРАТУРЫ VORNIK ", PrintedFields(PageTemp)},
        {PageOrientation::Portrait, "     ПРОТОКОЛ ЗАМЕРОВ ДАВЛЕНИЯ/СКОРОСТИ VORNIK ", PrintedFields(PagePrd)},
    };
    if (page < 0 || page >= kPageCount) throw std::out_of_range("no such page");
    return kinds[page];
}

// The formats of a Russian system: dd.MM.yyyy and H:mm:ss.
std::string ProtocolDateTimeText(const DateTime& t) {
    std::string text;
    AppendTwoDigits(text, t.day);
    text += '.';
    AppendTwoDigits(text, t.month);
    text += '.';
    text += std::to_string(t.year);
    if (t.hour == 0 && t.minute == 0 && t.second == 0 && t.millisecond == 0) return text;
    text += ' ';
    text += std::to_string(t.hour);
    text += ':';
    AppendTwoDigits(text, t.minute);
    text += ':';
    AppendTwoDigits(text, t.second);
    return text;
}

std::string ProtocolTitleLine(int page, const DateTime& time, const DateTimeText& dateTimeText) {
    return Utf8ToCp1251(ProtocolKindOf(page).title + (dateTimeText ? dateTimeText(time) : ProtocolDateTimeText(time)));
}

std::string ProtocolLine(const MeasurementTable& table, int row, const ProtocolKind& kind) {
    std::string line;
    line.reserve(162);
    for (const ProtocolField& field : kind.fields) {
        const std::string_view cell = table.Cell(field.column, row);
        if (cell.size() < static_cast<size_t>(field.width)) line.append(field.width - cell.size(), ' ');
        line.append(cell);
    }
    return line;
}

namespace {

// One protocol job: the title, row 0, rows firstRow..lastRow (to the end of
// the table when lastRow is negative), then `closingLines`.
void PrintProtocolJob(const MeasurementTable& table, int page, int firstRow, int lastRow,
                      const std::vector<std::string>& closingLines, ProtocolPrinter& printer,
                      const std::string& fontFace, int fontSize, const Clock& clock, const DateTimeText& dateTimeText,
                      const ProtocolProgress& progress) {
    const ProtocolKind& kind = ProtocolKindOf(page);
    printer.SetOrientation(kind.orientation);
    printer.SetFont(fontFace, fontSize > 0 ? fontSize : TConfig::kDefaultPrintFontSize);
    TextChannel channel(printer);
    channel.Open(kProtocolJobName);
    try {
        channel.WriteLine(ProtocolTitleLine(page, clock.Now(), dateTimeText));
        const int end = lastRow < 0 ? table.RowCount() : std::min(lastRow + 1, table.RowCount());
        const int rows = end - firstRow + (firstRow > 0 ? 1 : 0);
        int printed = 0;
        if (firstRow > 0 && table.RowCount() > 0) {
            if (progress) progress(printed, rows);
            channel.WriteLine(ProtocolLine(table, 0, kind));
            ++printed;
        }
        // Events are processed at page breaks; a table cleared meanwhile
        // ends the protocol where its rows end.
        for (int row = firstRow; row < end && row < table.RowCount(); ++row, ++printed) {
            if (progress) progress(printed, rows);
            channel.WriteLine(ProtocolLine(table, row, kind));
        }
        for (const std::string& line : closingLines) channel.WriteLine(line);
    } catch (...) {
        // The lines printed so far still make a document; the first error
        // is the one the user sees.
        try {
            channel.Close();
        } catch (...) {
        }
        throw;
    }
    channel.Close();
}

}  // namespace

void PrintProtocol(const MeasurementTable& table, int page, ProtocolPrinter& printer,
                   const std::string& fontFace, int fontSize, const Clock& clock,
                   const DateTimeText& dateTimeText, const ProtocolProgress& progress) {
    PrintProtocolJob(table, page, 0, -1, {}, printer, fontFace, fontSize, clock, dateTimeText, progress);
}

std::vector<std::string> ProtocolTotalsLines(const MeasurementTable& table, int page, int firstRow, int lastRow) {
    IntervalStatistics statistics(table);
    std::vector<std::string> lines = {std::string()};
    for (std::string& line : StatisticsLines(statistics.Compute(firstRow, lastRow), page))
        lines.push_back(std::move(line));
    return lines;
}

void PrintProtocolWithTotals(const MeasurementTable& table, int page, int firstRow, int lastRow,
                             ProtocolPrinter& printer, const std::string& fontFace, int fontSize,
                             const Clock& clock, const DateTimeText& dateTimeText,
                             const ProtocolProgress& progress) {
    firstRow = std::max(firstRow, 1);
    PrintProtocolJob(table, page, firstRow, lastRow, ProtocolTotalsLines(table, page, firstRow, lastRow), printer,
                     fontFace, fontSize, clock, dateTimeText, progress);
}

}  // namespace vornik
