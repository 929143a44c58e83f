#pragma once
// Unattended logging: every row the decoder commits is appended at once to
// the data file of its kind for the current day, "<prefix>-yy-mm-dd.gas"
// (".tmpr", ".prd") in a folder. A new (or empty) file starts with the
// header line; a file of the day that exists already is continued. Lines
// have the data file layout: every cell followed by TAB, then CR LF, in
// Windows-1251 bytes. The file is opened, written, flushed and closed per
// row, so nothing is lost when the program is stopped and another program
// may read the file meanwhile.
#include <string>

namespace vornik {

class Clock;
class MainModel;
class ReplyDecoder;

class HeadlessLogger {
public:
    // `folder` and `prefix` are UTF-8. The clock dates the files.
    HeadlessLogger(const MainModel& model, const Clock& clock, std::string folder, std::string prefix);

    // Appends every row the decoder commits from now on. A row that cannot
    // be written reaches the decoder's error report.
    void Attach(ReplyDecoder& decoder);

    // The path (UTF-8) of today's file of the page.
    std::string FilePath(int page) const;

    // Appends row `row` of the page's table to today's file. Throws
    // VornikError "Ошибка записи данных!" with the path when the file cannot
    // be written.
    void AppendRow(int page, int row);

    // Rows written since construction.
    long long RowsWritten() const { return rowsWritten_; }

private:
    const MainModel& model_;
    const Clock& clock_;
    std::string folder_;
    std::string prefix_;
    long long rowsWritten_ = 0;
};

}  // namespace vornik
