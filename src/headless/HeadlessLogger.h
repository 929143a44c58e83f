#pragma once
// Unattended logging: every row the decoder commits is appended at once to
// the data file of its kind for the current day, "<prefix>-yy-mm-dd.gas"
// (".tmpr", ".prd") in a folder. A new (or empty) file starts with the
// header line; a file of the day that exists already is continued, its row
// numbers going on from its last row, also where another logger appends to
// the same file (see DayFileAppend.h). Lines have the data file layout: every
// cell followed by TAB, then CR LF, in Windows-1251 bytes. The file is opened,
// written and closed per row, so nothing is lost when the program is stopped
// and another program may read the file meanwhile.
//
// A row that cannot be written (a full disk, a folder gone) is kept, with the
// file it belongs to, and written before any later row once writing works
// again, so the files keep the order of reception.
#include <deque>
#include <functional>
#include <set>
#include <string>

#include "quantities/Pages.h"

namespace vornik {

class Clock;
class MainModel;
class ReplyDecoder;

// The start of the text of a failed write.
constexpr const char* kWriteErrorText = "Ошибка записи данных!";

class HeadlessLogger {
public:
    // `folder` and `prefix` are UTF-8. The clock dates the files.
    HeadlessLogger(const MainModel& model, const Clock& clock, std::string folder, std::string prefix);

    // Appends every row the decoder commits from now on. A row that cannot
    // be written reaches the decoder's error report.
    void Attach(ReplyDecoder& decoder);

    // The path (UTF-8) of today's file of the page.
    std::string FilePath(int page) const;

    // Appends row `row` of the page's table to today's file, after the rows
    // kept from earlier failures. When that fails the row is kept too, and
    // the first failure after writing worked throws VornikError
    // "Ошибка записи данных!" with the path and the reason.
    void AppendRow(int page, int row);

    // Tries again to write the kept rows; returns how many were written.
    size_t WriteKeptRows();

    size_t KeptRows() const { return kept_.size(); }
    // Rows written since construction.
    long long RowsWritten() const { return rowsWritten_; }

    // Told once per day file whose rows go to a file of this user's own,
    // because another user's file stands under its name in a shared folder.
    std::function<void(const std::string& text)> OnNotice;

private:
    struct Pending {
        std::string path;
        int page;
        std::string line;  // from the "/" after the row number on
    };
    bool WriteKept(std::string& error);

    const MainModel& model_;
    const Clock& clock_;
    std::string folder_;
    std::string prefix_;
    long long rowsWritten_ = 0;
    std::deque<Pending> kept_;
    std::set<std::string> redirected_;
};

}  // namespace vornik
