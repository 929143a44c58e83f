#include "datafiles/DataFile.h"

#include "core/Errors.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#define VORNIK_SSE2 1
#include <emmintrin.h>
#endif
#ifdef _MSC_VER
#include <intrin.h>
#endif

#include "core/AtomicFile.h"
#include "core/Paths.h"

namespace vornik {

const char* const kDataWriteErrorText =
    "Ошибка записи данных!\r\nЗакройте лишние приложения или перезагрузите компьютер!";
const char* const kDataReadErrorText = "Файл слишком велик, заблокирован\r\nили содержит ошибки формата!";

namespace {

constexpr size_t kBlockSize = 4 << 20;  // read and write in blocks of 4 MiB

#ifdef VORNIK_SSE2
// Index of the lowest set bit of a non-zero mask.
inline int LowestBit(unsigned mask) {
#ifdef _MSC_VER
    unsigned long index;
    _BitScanForward(&index, mask);
    return static_cast<int>(index);
#else
    return __builtin_ctz(mask);
#endif
}
#endif


// Fills one table from the lines of a file.
class Loader {
public:
    Loader(MainModel& model, int page)
        : model_(model), page_(page), table_(model.Table(page)) {
        fields_.reserve(static_cast<size_t>(table_.ColumnCount()));
    }

    // Takes one line (without its LF). False when the line is not valid
    // data; the table then has no row for it.
    bool Line(const char* p, size_t length) {
        if (length > 0 && p[length - 1] == '\r') --length;
        if (!Split(p, length)) {
            // A CR that does not end the line is not part of it either.
            scratch_.assign(p, length);
            scratch_.erase(std::remove(scratch_.begin(), scratch_.end(), '\r'), scratch_.end());
            Split(scratch_.data(), scratch_.size());
        }
        if (row_ == 0) {
            // The row count passes through 1: the header row is no longer fixed.
            table_.SetRowCount(1);
            table_.SetRowCells(0, fields_);
        } else {
            table_.AppendRowCells(fields_);
            try {
                model_.RowToChart(page_, row_);
            } catch (const VornikError&) {
                // A chart cell that is not a number: the line is no data,
                // and leaves no row and no point behind.
                table_.SetRowCount(row_);
                return false;
            } catch (...) {
                table_.SetRowCount(row_);
                throw;
            }
            table_.SetCurrentRow(row_);
        }
        ++row_;
        return true;
    }

    // Room for the whole file, the row count estimated from the first block.
    void Reserve(const char* begin, const char* end, long long fileSize) {
        const long long lines = std::count(begin, end, '\n');
        if (lines < 2 || fileSize <= end - begin) return;
        const long long rows = fileSize / ((end - begin) / lines) + 16;
        if (rows < INT32_MAX) table_.Reserve(static_cast<int>(rows + rows / 32), static_cast<size_t>(fileSize));
    }

private:
    // Every TAB ends a field; text after the last TAB is not a field, and
    // fields past the last column are dropped. False (fields unusable) when
    // the line holds a CR.
    bool Split(const char* p, size_t length) {
        fields_.clear();
        const size_t columns = static_cast<size_t>(table_.ColumnCount());
        const char* fieldStart = p;
        size_t i = 0;
#ifdef VORNIK_SSE2
        // Sixteen bytes at a time: a bit mask of the TABs, any CR aborts.
        const __m128i tab = _mm_set1_epi8('\t');
        const __m128i cr = _mm_set1_epi8('\r');
        for (; i + 16 <= length; i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            unsigned tabs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, tab)));
            const unsigned crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, cr)));
            if (crs) return false;
            while (tabs) {
                const char* end = p + i + LowestBit(tabs);
                fields_.emplace_back(fieldStart, static_cast<size_t>(end - fieldStart));
                if (fields_.size() == columns) return true;
                fieldStart = end + 1;
                tabs &= tabs - 1;
            }
        }
#endif
        for (; i < length; ++i) {
            if (p[i] == '\t') {
                fields_.emplace_back(fieldStart, static_cast<size_t>(p + i - fieldStart));
                if (fields_.size() == columns) return true;
                fieldStart = p + i + 1;
            } else if (p[i] == '\r') {
                return false;
            }
        }
        return true;
    }


    MainModel& model_;
    int page_;
    MeasurementTable& table_;
    int row_ = 0;
    std::vector<std::string_view> fields_;
    std::string scratch_;
};

enum class ReadResult { Done, FormatError, ReadError, Cancelled };

// A file read in large blocks: the buffer holds an unfinished line from the
// previous block followed by the bytes just read.
class BlockReader {
public:
    explicit BlockReader(std::FILE* file) : file_(file) {
        if (std::fseek(file, 0, SEEK_END) == 0) total_ = std::ftell(file);
        std::rewind(file);
        // A small file needs no 4 MiB block (the size may be unknown: 0).
        const size_t expected = total_ > 0 ? static_cast<size_t>(total_) + 1 : kBlockSize;
        buffer_.resize(std::min(kBlockSize, std::max<size_t>(expected, 4096)));
    }

    // Reads the next block; false at the end of the file or on a read error.
    bool Read() {
        if (kept_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);  // a very long line
        got_ = std::fread(buffer_.data() + kept_, 1, buffer_.size() - kept_, file_);
        done_ += static_cast<long long>(got_);
        return got_ > 0;
    }
    bool Failed() const { return std::ferror(file_) != 0; }

    const char* begin() const { return buffer_.data(); }
    const char* end() const { return buffer_.data() + kept_ + got_; }
    // Keeps the bytes from `from` on for the next block.
    void Keep(const char* from) {
        kept_ = static_cast<size_t>(end() - from);
        std::memmove(buffer_.data(), from, kept_);
        got_ = 0;
    }
    long long total() const { return total_; }
    double Fraction() const { return total_ > 0 ? static_cast<double>(done_) / static_cast<double>(total_) : 1.0; }
    bool First() const { return done_ == static_cast<long long>(got_); }

private:
    std::FILE* file_;
    std::vector<char> buffer_;
    size_t kept_ = 0;
    size_t got_ = 0;
    long long total_ = 0;
    long long done_ = 0;
};

// Feeds the file's lines to the loader; the reader holds its first block.
ReadResult ReadLines(BlockReader& reader, Loader& loader, const ProgressFn& progress) {
    do {
        const char* p = reader.begin();
        const char* end = reader.end();
        if (reader.First()) loader.Reserve(p, end, reader.total());
        while (const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) {
            if (!loader.Line(p, static_cast<size_t>(lf - p))) return ReadResult::FormatError;
            p = lf + 1;
        }
        reader.Keep(p);
        if (progress && !progress(reader.Fraction())) return ReadResult::Cancelled;
    } while (reader.Read());
    if (reader.Failed()) return ReadResult::ReadError;
    // The last line may end without LF.
    if (reader.begin() != reader.end() && !loader.Line(reader.begin(), static_cast<size_t>(reader.end() - reader.begin())))
        return ReadResult::FormatError;
    return ReadResult::Done;
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

namespace {

// Writes the table's lines into the writer in large blocks.
class LineWriter {
public:
    explicit LineWriter(AtomicFileWriter& writer) : writer_(writer), buffer_(kBlockSize) {}

    // Appends row `r` as a line: every cell followed by TAB, then CR LF.
    bool Row(const MeasurementTable& table, int r) {
        const MeasurementTable::RowView row = table.Row(r);
        const size_t columns = static_cast<size_t>(table.ColumnCount());
        const size_t size = row.cellEnd[columns - 1] + columns + 2;
        if (used_ + size > buffer_.size()) {
            if (!Flush()) return false;
            if (size > buffer_.size()) buffer_.resize(size);
        }
        char* out = buffer_.data() + used_;
        uint32_t begin = 0;
        for (size_t c = 0; c < columns; ++c) {
            const uint32_t end = row.cellEnd[c];
            std::memcpy(out, row.text + begin, end - begin);
            out += end - begin;
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
    const int rows = table.RowCount();

    AtomicFileWriter writer(fileName);
    bool ok = writer.Open();
    LineWriter lines(writer);
    for (int r = 0; ok && r < rows; ++r) {
        ok = lines.Row(table, r);
        // Progress is told about once per block written.
        if (ok && progress && lines.Full()) {
            ok = lines.Flush();
            if (ok && !progress(static_cast<double>(r + 1) / rows)) {
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

void LoadInFile(MainModel& model, const std::string& fileName, Prompt& prompt, const ProgressFn& progress) {
    const int page = DataFileKind(fileName);
    if (page < 0) return;

    // The file is opened and its first block read before the table is
    // cleared, so a file that cannot be read costs no data.
    std::FILE* file = OpenFile(fileName, "rb");
    if (!file) {
        prompt.ShowError(kDataReadErrorText);
        return;
    }
    ReadResult result = ReadResult::ReadError;
    try {
        BlockReader reader(file);
        if (reader.Read() || !reader.Failed()) {
            model.ChartClear(page == PageGas, page == PageTemp, page == PagePrd);
            MeasurementTable& table = model.Table(page);
            table.BeginUpdate();
            try {
                Loader loader(model, page);
                result = ReadLines(reader, loader, progress);
            } catch (const std::exception&) {
                // Exhausted memory, or a row the chart refused.
                result = ReadResult::ReadError;
            }
            table.EndUpdate();
        }
    } catch (const std::bad_alloc&) {
        result = ReadResult::ReadError;
    }
    std::fclose(file);

    if (result == ReadResult::FormatError || result == ReadResult::ReadError) {
        prompt.ShowError(kDataReadErrorText);
        return;
    }
    model.SetActivePage(page);
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
    if (fallbackFolder.empty() || FolderWritable(FolderOf(programPath))) return name;
    return JoinPath(fallbackFolder, FileNameOf(name));
}

}  // namespace vornik
