#pragma once
// The measurement protocol: the printed form of one measurement table. A
// title line with the date and time, then every row of the table, header row
// included, as fixed-width right-aligned fields.
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "printing/PageSurface.h"
#include "tables/MeasurementTable.h"

namespace vornik {

struct ProtocolField {
    int column;
    int width;  // in characters
};

struct ProtocolKind {
    PageOrientation orientation;
    std::string title;  // UTF-8
    std::vector<ProtocolField> fields;
};

// The protocol kind of a page (0 gas, 1 temperature, 2 pressure).
const ProtocolKind& ProtocolKindOf(int page);

extern const char* const kProtocolJobName;

// The local date and time as the title shows them: short date, a space, long
// time ("05.03.2024 14:07:09"); only the date at exactly midnight.
std::string ProtocolDateTimeText(const DateTime& time);

// The date and time of a title as UTF-8 text; the system's formats in the
// program, ProtocolDateTimeText where none is given.
using DateTimeText = std::function<std::string(const DateTime&)>;

// The title line of the page's protocol, Windows-1251 bytes.
std::string ProtocolTitleLine(int page, const DateTime& time, const DateTimeText& dateTimeText = {});

// One printed line of a table row, Windows-1251 bytes: each field's cell
// right-aligned in its width, a longer cell whole.
std::string ProtocolLine(const MeasurementTable& table, int row, const ProtocolKind& kind);

// Told before each row is printed (row index, rows to print); it may throw
// PrintCancelled to give the job up.
using ProtocolProgress = std::function<void(int row, int rows)>;

// The user gave up a print job; not an error.
class PrintCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "print cancelled"; }
};

// Prints the page's protocol as one job: orientation by page (left so
// afterwards), the given font (a size of 0 or less is the default size),
// title, then the rows the table holds when the rows start. Errors are passed
// on; a job already started is ended first.
void PrintProtocol(const MeasurementTable& table, int page, ProtocolPrinter& printer,
                   const std::string& fontFace, int fontSize, const Clock& clock,
                   const DateTimeText& dateTimeText = {},
                   const ProtocolProgress& progress = {});

// The protocol of rows firstRow..lastRow only (row 0, the column headers,
// first), followed by an empty line and the statistics of those rows: the
// span line and a line per column of numbers (StatisticsLines). Otherwise
// printed as PrintProtocol prints.
void PrintProtocolWithTotals(const MeasurementTable& table, int page, int firstRow, int lastRow,
                             ProtocolPrinter& printer, const std::string& fontFace, int fontSize,
                             const Clock& clock, const DateTimeText& dateTimeText = {},
                             const ProtocolProgress& progress = {});
// The lines that follow those rows: an empty line, then the statistics.
std::vector<std::string> ProtocolTotalsLines(const MeasurementTable& table, int page, int firstRow, int lastRow);

}  // namespace vornik
