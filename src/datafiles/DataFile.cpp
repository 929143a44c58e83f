#include "datafiles/DataFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "core/AtomicFile.h"
#include "core/Paths.h"
#include "core/RegularFile.h"
#include "datafiles/DataFileLoader.h"

namespace vornik {

const char* const kDataWriteErrorText =
    "Ошибка записи данных!\r\nЗакройте лишние приложения или перезагрузите компьютер!";
const char* const kDataReadErrorText = "Файл слишком велик, заблокирован\r\nили содержит ошибки формата!";

int DataFileKind(const std::string& fileName) {
    const std::string name = FileNameOf(fileName);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return -1;
    const std::string_view extension = std::string_view(name).substr(dot);
    for (int page = 0; page < kPageCount; ++page)
        if (extension == DataFileExtension(page)) return page;
    return -1;
}

namespace {

constexpr size_t kBlockSize = 4 << 20;  // write in blocks of 4 MiB

// The bytes of the table as a file, counted up to `limit` (a table's rows
// are spread over its whole storage: counting them all costs a pass over it).
size_t FileBytesUpTo(const MeasurementTable& table, size_t limit) {
    const size_t columns = static_cast<size_t>(table.ColumnCount());
    size_t bytes = 0;
    for (int r = 0; r < table.RowCount() && bytes < limit; ++r) bytes += table.Row(r).length + columns + 2;
    return bytes;
}

// Writes the table's lines into the writer in large blocks; a small table
// needs no more than its own size.
class LineWriter {
public:
    LineWriter(AtomicFileWriter& writer, const MeasurementTable& table)
        : writer_(writer), buffer_(std::min(kBlockSize, FileBytesUpTo(table, kBlockSize))) {}

    // Appends row `r` as a line: every cell followed by TAB, then CR LF.
    bool Row(const MeasurementTable& table, int r) {
        const MeasurementTable::RowView row = table.Row(r);
        const size_t columns = static_cast<size_t>(table.ColumnCount());
        const size_t size = row.length + columns + 2;
        if (used_ + size > buffer_.size()) {
            if (!Flush()) return false;
            if (size > buffer_.size()) buffer_.resize(size);
        }
        char* out = buffer_.data() + used_;
        size_t begin = 0;
        for (size_t c = 0; c < columns; ++c) {
            const size_t end = begin + row.CellLength(c);
            // Not memcpy: knowing short lengths, the compiler turns it into
            // an inline string move that is slow for cells this short.
            const char* text = row.TextAt(begin);
            out = std::copy(text, text + (end - begin), out);
            *out++ = '\t';
            begin = end;
        }
        *out++ = '\r';
        *out++ = '\n';
        used_ = static_cast<size_t>(out - buffer_.data());
        return true;
    }

    bool Flush() {
        const bool ok = writer_.Write(buffer_.data(), used_);
        used_ = 0;
        return ok;
    }

    bool Full() const { return used_ >= buffer_.size() / 2; }

private:
    AtomicFileWriter& writer_;
    std::vector<char> buffer_;
    size_t used_ = 0;
};

}  // namespace

bool SaveChartToFile(const MainModel& model, const std::string& fileName, bool gaz, bool temp, bool prd,
                     Prompt& prompt, const ProgressFn& progress) {
    const int page = gaz ? PageGas : temp ? PageTemp : prd ? PagePrd : -1;
    if (page < 0) return false;
    const MeasurementTable& table = model.Table(page);
    return SaveRowsToFile(table, fileName, 0, table.RowCount() - 1, prompt, progress);
}

bool SaveRowsToFile(const MeasurementTable& table, const std::string& fileName, int firstRow, int lastRow,
                    Prompt& prompt, const ProgressFn& progress) {
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, table.RowCount() - 1);
    // Row 0 leads the file also when only later rows are chosen.
    const bool header = firstRow > 0;
    const int rows = lastRow - firstRow + 1 + (header ? 1 : 0);

    AtomicFileWriter writer(fileName);
    bool ok = writer.Open();
    LineWriter lines(writer, table);
    for (int i = 0; ok && i < rows; ++i) {
        ok = lines.Row(table, header ? (i == 0 ? 0 : firstRow + i - 1) : firstRow + i);
        // Progress is told about once per block written.
        if (ok && progress && lines.Full()) {
            ok = lines.Flush();
            if (ok && !progress(static_cast<double>(i + 1) / rows)) {
                writer.Discard();
                return false;
            }
        }
    }
    ok = ok && lines.Flush() && writer.Commit();
    if (!ok) {
        prompt.Beep();
        prompt.ShowError(kDataWriteErrorText);
    }
    return ok;
}

void LoadInFile(MainModel& model, const std::string& fileName, Prompt& prompt, const ProgressFn& progress,
                LoadThreading threading) {
    if (!ReadDataFile(model, fileName, progress, threading)) prompt.ShowError(kDataReadErrorText);
}

bool ReadDataFile(MainModel& model, const std::string& fileName, const ProgressFn& progress,
                  LoadThreading threading) {
    const int page = DataFileKind(fileName);
    if (page < 0) return true;

    // Only a regular file is read: a pipe or a device could block or never end.
    // LoadTable checks the header and the first row before it clears the
    // table, so a file that cannot be read costs no data.
    std::FILE* file = OpenRegularFile(fileName);
    if (!file) return false;
    LoadResult result = LoadResult::ReadError;
    try {
        result = LoadTable(model, page, file, progress, threading);
    } catch (const std::bad_alloc&) {
        result = LoadResult::ReadError;
    }
    std::fclose(file);

    if (result == LoadResult::FormatError || result == LoadResult::ReadError) return false;
    model.SetActivePage(page);
    return true;
}

const char* DataFileExtension(int page) {
    switch (page) {
        case PageGas: return ".gas";
        case PageTemp: return ".tmpr";
        case PagePrd: return ".prd";
    }
    return "";
}

std::string DatedDataFileName(const std::string& base, const DateTime& day, int page) {
    char date[16];
    std::snprintf(date, sizeof date, "-%02d-%02d-%02d", day.year % 100, day.month, day.day);
    return base + date + DataFileExtension(page);
}

std::string DefaultDataFileName(const std::string& programPath, const DateTime& today, int page,
                                const std::string& fallbackFolder) {
    const std::string name = DatedDataFileName(WithoutExtension(programPath), today, page);
    if (fallbackFolder.empty() || ProgramFolderKeepsUserFiles(programPath)) return name;
    return JoinPath(fallbackFolder, FileNameOf(name));
}

}  // namespace vornik
