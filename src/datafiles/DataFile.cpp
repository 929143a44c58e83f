#include "datafiles/DataFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "core/AtomicFile.h"
#include "core/Paths.h"

namespace vornik {

const char* const kDataWriteErrorText =
    "Ошибка записи данных!\r\nЗакройте лишние приложения или перезагрузите компьютер!";
const char* const kDataReadErrorText = "Файл слишком велик, заблокирован\r\nили содержит ошибки формата!";

namespace {

constexpr size_t kBlockSize = 4 << 20;  // read and write in blocks of 4 MiB

// Columns that feed the chart: 3..15 of the gas table, 3..7 of the others.
constexpr int kFirstChartColumn = 3;
int LastChartColumn(int page) { return page == PageGas ? 15 : 7; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the chart can take the cell: a text with any character besides
// digits, ',', '-' and '.' counts as 0; otherwise it must be a number written
// with a comma (optional leading '-', digits, at most one comma).
bool ChartCellValid(std::string_view text) {
    for (char c : text)
        if (!IsDigit(c) && c != ',' && c != '-' && c != '.') return true;
    size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    bool digit = false;
    bool comma = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            digit = true;
        } else if (text[i] == ',' && !comma) {
            comma = true;
        } else {
            return false;
        }
    }
    return digit;
}

// Fills one table from the lines of a file.
class Loader {
public:
    Loader(MainModel& model, int page)
        : model_(model), page_(page), table_(model.Table(page)), lastChart_(LastChartColumn(page)) {
        fields_.reserve(static_cast<size_t>(table_.ColumnCount()));
    }

    // Takes one line (without its LF). False when the line is not valid
    // data; the table then has no row for it.
    bool Line(const char* p, size_t length) {
        if (length > 0 && p[length - 1] == '\r') --length;
        // A CR that does not end the line is not part of it either.
        if (std::memchr(p, '\r', length)) {
            scratch_.assign(p, length);
            scratch_.erase(std::remove(scratch_.begin(), scratch_.end(), '\r'), scratch_.end());
            p = scratch_.data();
            length = scratch_.size();
        }
        Split(p, length);
        if (row_ > 0 && !ChartCellsValid()) return false;
        table_.SetRowCount(row_ + 1);
        table_.SetRowCells(row_, fields_);
        if (row_ > 0) {
            try {
                model_.RowToChart(page_, row_);
            } catch (...) {
                table_.SetRowCount(row_);  // a row the chart refuses leaves no row behind
                throw;
            }
            table_.SetCurrentRow(row_);
        }
        ++row_;
        return true;
    }

private:
    // Every TAB ends a field; text after the last TAB is not a field, and
    // fields past the last column are dropped.
    void Split(const char* p, size_t length) {
        fields_.clear();
        const char* end = p + length;
        const size_t columns = static_cast<size_t>(table_.ColumnCount());
        while (fields_.size() < columns) {
            const char* tab = static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
            if (!tab) break;
            fields_.emplace_back(p, static_cast<size_t>(tab - p));
            p = tab + 1;
        }
    }

    bool ChartCellsValid() const {
        for (int c = kFirstChartColumn; c <= lastChart_; ++c) {
            const std::string_view cell = c < static_cast<int>(fields_.size()) ? fields_[c] : std::string_view();
            if (!ChartCellValid(cell)) return false;
        }
        return true;
    }

    MainModel& model_;
    int page_;
    MeasurementTable& table_;
    int lastChart_;
    int row_ = 0;
    std::vector<std::string_view> fields_;
    std::string scratch_;
};

enum class ReadResult { Done, FormatError, ReadError, Cancelled };

// Feeds the file's lines to the loader, reading it in large blocks.
ReadResult ReadLines(std::FILE* file, Loader& loader, const ProgressFn& progress) {
    long long total = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) total = std::ftell(file);
    std::rewind(file);

    std::vector<char> buffer(kBlockSize);
    size_t kept = 0;  // bytes of an unfinished line at the start of the buffer
    long long done = 0;
    for (;;) {
        if (kept == buffer.size()) buffer.resize(buffer.size() * 2);  // a very long line
        const size_t got = std::fread(buffer.data() + kept, 1, buffer.size() - kept, file);
        if (got == 0) {
            if (std::ferror(file)) return ReadResult::ReadError;
            // The last line may end without LF.
            if (kept > 0 && !loader.Line(buffer.data(), kept)) return ReadResult::FormatError;
            return ReadResult::Done;
        }
        done += static_cast<long long>(got);
        const char* p = buffer.data();
        const char* end = p + kept + got;
        while (const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) {
            if (!loader.Line(p, static_cast<size_t>(lf - p))) return ReadResult::FormatError;
            p = lf + 1;
        }
        kept = static_cast<size_t>(end - p);
        std::memmove(buffer.data(), p, kept);
        if (progress && total > 0 && !progress(static_cast<double>(done) / static_cast<double>(total)))
            return ReadResult::Cancelled;
    }
}

}  // namespace

int DataFileKind(const std::string& fileName) {
    const std::string name = FileNameOf(fileName);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return -1;
    const std::string_view extension = std::string_view(name).substr(dot);
    for (int page = 0; page < kPageCount; ++page)
        if (extension == DataFileExtension(page)) return page;
    return -1;
}

const char* DataFileExtension(int page) {
    switch (page) {
        case PageGas: return ".gas";
        case PageTemp: return ".tmpr";
        case PagePrd: return ".prd";
    }
    return "";
}

bool SaveChartToFile(const MainModel& model, const std::string& fileName, bool gaz, bool temp, bool prd,
                     Prompt& prompt, const ProgressFn& progress) {
    const int page = gaz ? PageGas : temp ? PageTemp : prd ? PagePrd : -1;
    if (page < 0) return false;
    const MeasurementTable& table = model.Table(page);
    const int rows = table.RowCount();
    const int columns = table.ColumnCount();

    AtomicFileWriter writer(fileName);
    bool ok = writer.Open();
    std::string block;
    block.reserve(kBlockSize + (64 << 10));
    for (int r = 0; ok && r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            block += table.Cell(c, r);
            block += '\t';
        }
        block += "\r\n";
        if (block.size() >= kBlockSize) {
            ok = writer.Write(block);
            block.clear();
            if (ok && progress && !progress(static_cast<double>(r + 1) / rows)) {
                writer.Discard();
                return false;
            }
        }
    }
    ok = ok && writer.Write(block) && writer.Commit();
    if (!ok) {
        prompt.Beep();
        prompt.ShowError(kDataWriteErrorText);
    }
    return ok;
}

void LoadInFile(MainModel& model, const std::string& fileName, Prompt& prompt, const ProgressFn& progress) {
    const int page = DataFileKind(fileName);
    if (page < 0) return;

    // Opened before the table is cleared, so a file that cannot be opened
    // costs no data.
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) {
        prompt.ShowError(kDataReadErrorText);
        return;
    }
    model.ChartClear(page == PageGas, page == PageTemp, page == PagePrd);

    MeasurementTable& table = model.Table(page);
    table.BeginUpdate();
    ReadResult result;
    try {
        Loader loader(model, page);
        result = ReadLines(file, loader, progress);
    } catch (const std::exception&) {
        // Exhausted memory, or a row the chart refused.
        result = ReadResult::ReadError;
    }
    std::fclose(file);
    table.EndUpdate();

    if (result == ReadResult::FormatError || result == ReadResult::ReadError) {
        prompt.ShowError(kDataReadErrorText);
        return;
    }
    model.SetActivePage(page);
}

std::string DefaultDataFileName(const std::string& programPath, const DateTime& today, int page,
                                const std::string& fallbackFolder) {
    char date[16];
    std::snprintf(date, sizeof date, "-%02d-%02d-%02d", today.year % 100, today.month, today.day);
    const std::string name = WithoutExtension(programPath) + date + DataFileExtension(page);
    if (fallbackFolder.empty() || FolderWritable(FolderOf(programPath))) return name;
    return JoinPath(fallbackFolder, FileNameOf(name));
}

}  // namespace vornik
