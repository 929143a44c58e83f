#pragma once
// Data files: one measurement table as text. A line per table row from the
// header row on; every cell is followed by a TAB and every line by CR LF.
// Cells are written and read as the Windows-1251 bytes they hold, unchanged.
// The file's kind (and so its table) is told by its extension alone.
#include <functional>
#include <string>

#include "core/Clock.h"
#include "core/Prompt.h"
#include "tables/MainModel.h"

namespace vornik {

// Told the fraction done (0 to 1) now and then during a long load or save;
// returning false cancels the operation.
using ProgressFn = std::function<bool(double fraction)>;

// Threads a load may use: Auto takes a second one for a large file; Single
// and Parallel force the choice (the result is the same either way).
enum class LoadThreading { Auto, Single, Parallel };

// Page of a data file by its extension: ".gas" 0, ".tmpr" 1, ".prd" 2,
// letter case exact; -1 for any other name.
int DataFileKind(const std::string& fileName);

// Writes the selected table (callers select exactly one) to the file. The old
// file is replaced only by a complete new one: a failure or a cancel leaves it
// as it was. A failure beeps and shows the write-error box. Table, chart and
// NewData are not changed. Returns true when the file was written.
bool SaveChartToFile(const MainModel& model, const std::string& fileName, bool gaz, bool temp, bool prd,
                     Prompt& prompt, const ProgressFn& progress = {});

// Writes rows firstRow..lastRow of a table as a data file of its kind, after
// row 0 (its header line) when the rows start later: the file opens as the
// table's own. Writing, failures and the box as in SaveChartToFile; nothing
// of the table changes.
bool SaveRowsToFile(const MeasurementTable& table, const std::string& fileName, int firstRow, int lastRow,
                    Prompt& prompt, const ProgressFn& progress = {});

// Refills the table of the file's kind from the file, charts its data rows and
// makes its page active; NewData of the page becomes false. A name of no known
// kind changes nothing and reports nothing. Only a regular file is read. A
// file that cannot be opened or read, whose header line holds a CR (CR-only
// line ends), or whose first data row is too long (longer than any row can
// be) or has chart cells that are not numbers, leaves the table as it was.
// A later line of that kind ends the load: the rows before it stay with
// their chart points, that line adds nothing. Every failure shows the
// read-error box (no beep). A cancel keeps the rows read.
void LoadInFile(MainModel& model, const std::string& fileName, Prompt& prompt, const ProgressFn& progress = {},
                LoadThreading threading = LoadThreading::Auto);
// The same without the box: false where LoadInFile shows it.
bool ReadDataFile(MainModel& model, const std::string& fileName, const ProgressFn& progress = {},
                  LoadThreading threading = LoadThreading::Auto);

// The extension of the page's data files: ".gas", ".tmpr", ".prd".
const char* DataFileExtension(int page);

// "<base>-yy-mm-dd<ext>": the name of the page's data file of that day.
std::string DatedDataFileName(const std::string& base, const DateTime& day, int page);

// The proposed name of a data file: the program's path without its extension,
// "-yy-mm-dd" of today and the kind's extension. When the program's folder
// cannot be written, the same name in `fallbackFolder` (the user's home).
std::string DefaultDataFileName(const std::string& programPath, const DateTime& today, int page,
                                const std::string& fallbackFolder);

// Texts of the two boxes (UTF-8).
extern const char* const kDataWriteErrorText;
extern const char* const kDataReadErrorText;

}  // namespace vornik
