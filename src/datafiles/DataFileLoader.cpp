#include "datafiles/DataFileLoader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#define VORNIK_SSE2 1
#include <emmintrin.h>
#endif
#ifdef _MSC_VER
#include <intrin.h>
#endif

#include "core/Errors.h"
#include "core/Conversion.h"
#include "core/PreparedMemory.h"
#include "core/Processors.h"
#include "core/UninitialisedAllocator.h"
#include "tables/ChartDefs.h"
#include "tables/IntervalStatistics.h"
#include "tables/PackedValues.h"

namespace vornik {

namespace {

constexpr size_t kBlockSize = 1 << 20;  // read in blocks of 1 MiB
static_assert(kBlockSize > 2 * kMaxDataLineBytes, "a block holds a whole line");

// Files above this size are worth a second thread.
constexpr long long kParallelFileBytes = 2 * kBlockSize;

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

// Calls line(p, length) for every line of [begin, end) without its LF; bytes
// after the last LF are a line too.
template <class LineFn>
void ForEachLine(const char* begin, const char* end, LineFn&& line) {
    const char* p = begin;
    while (const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) {
        if (!line(p, static_cast<size_t>(lf - p))) return;
        p = lf + 1;
    }
    if (p != end) line(p, static_cast<size_t>(end - p));
}

size_t FieldsCharted(int page) {
    int last = 0;
    for (const auto& def : ChartSeriesDefs(page)) last = std::max(last, def.column);
    return static_cast<size_t>(last) + 1;
}

// The cells of a block's data lines that chart and statistics read, as the
// table's filler split them, so that no line is split twice. A cell is a place in the block or, for a
// line that held a CR and was split from a copy, in copies of its own.
class ChartCells {
public:
    explicit ChartCells(size_t width) : width_(width) {}

    void Clear(const char* block) {
        block_ = block;
        cells_.clear();
        copies_.clear();
    }
    // Adds a line's first `width` fields (empty past its last field).
    void Add(const std::vector<std::string_view>& fields, bool copied) {
        const size_t at = cells_.size();
        cells_.resize(at + width_);
        Place* place = cells_.data() + at;
        if (!copied && fields.size() >= width_) {
            // Nearly every line: every cell in the block.
            for (size_t c = 0; c < width_; ++c)
                place[c] = {static_cast<uint32_t>(fields[c].data() - block_), static_cast<uint32_t>(fields[c].size())};
            return;
        }
        for (size_t c = 0; c < width_; ++c) {
            const std::string_view field = c < fields.size() ? fields[c] : std::string_view();
            if (field.empty()) {
                place[c] = {0, 0};
            } else if (!copied) {
                place[c] = {static_cast<uint32_t>(field.data() - block_), static_cast<uint32_t>(field.size())};
            } else {
                place[c] = {kCopied | static_cast<uint32_t>(copies_.size()), static_cast<uint32_t>(field.size())};
                copies_.append(field);
            }
        }
    }
    size_t Lines() const { return cells_.size() / width_; }
    std::string_view Cell(size_t line, size_t column) const {
        const Place& place = cells_[line * width_ + column];
        if (place.length == 0) return std::string_view();
        const char* base = place.offset & kCopied ? copies_.data() : block_;
        return std::string_view(base + (place.offset & ~kCopied), place.length);
    }

private:
    // A block is at most a few MiB: its offsets leave the top bit free.
    static constexpr uint32_t kCopied = uint32_t(1) << 31;
    struct Place {
        uint32_t offset, length;
    };
    size_t width_;
    const char* block_ = nullptr;
    std::vector<Place, UninitialisedAllocator<Place>> cells_;  // width_ per line
    std::string copies_;
};

// The table's half of a load: every line becomes a row, the first the header;
// the chart cells of the others go into `charted`. The header row is summed
// here, before the chart's half sums the rows after it.
class TableFiller {
public:
    TableFiller(MeasurementTable& table, BlockSumsBuilder& sums)
        : table_(table), splitter_(static_cast<size_t>(table.ColumnCount())), sums_(sums) {}

    // Returns the end of the lines taken: short of `end` at a line longer
    // than any row, which ends the load.
    const char* Fill(const char* begin, const char* end, ChartCells& charted) {
        const char* taken = begin;
        charted.Clear(begin);
        ForEachLine(begin, end, [&](const char* p, size_t length) {
            if (length > kMaxDataLineBytes) return false;
            const auto& fields = splitter_.Split(p, length);
            if (lines_ == 0) {
                // The row count passes through 1: the header row is no longer fixed.
                table_.SetRowCount(1);
                table_.SetRowCells(0, fields);
                AddRowCells(table_.Row(0), sums_.Columns());
                sums_.EndRow();
            } else {
                table_.AppendRowCells(fields);
                charted.Add(fields, splitter_.SplitFromCopy());
            }
            ++lines_;
            taken = std::min(end, p + length + 1);
            return true;
        });
        return taken;
    }

    long long Lines() const { return lines_; }

    // Tells the thread touching the table's pages ahead (if there is one)
    // how far the whole file will fill them, judged from the `fraction` of
    // it read so far.
    void ExpectRoom(double fraction) const {
        if (fraction <= 0) return;
        const double used = static_cast<double>(table_.UsedArenaBytes());
        ExpectPreparedMemoryUse(static_cast<size_t>(std::min(used / fraction, used + kTouchAhead)));
    }

private:
    // How far ahead of the rows written the pages are touched at most.
    static constexpr double kTouchAhead = 64.0 * (1 << 20);

    MeasurementTable& table_;
    LineSplitter splitter_;
    BlockSumsBuilder& sums_;
    long long lines_ = 0;
};

// The chart's half: the chart cells of every data line become one point per
// series, and its cells go into the statistics' block sums. The first line
// whose chart cells are not all numbers ends it, adding nothing.
class ChartFiller {
public:
    // `maxPoints`: at most the points the file can give (a small batch for a
    // small file).
    ChartFiller(ChartModel& chart, int page, size_t maxPoints, BlockSumsBuilder& sums)
        : chart_(chart), defs_(ChartSeriesDefs(page)),
          series_(std::min(defs_.size(), std::min(kBatchSeries, static_cast<size_t>(chart.SeriesCount())))),
          batchPoints_(std::clamp<size_t>(maxPoints, 1, kBatchPoints)), values_(new double[series_ * batchPoints_]),
          codes_(new uint32_t[series_ * batchPoints_]), sums_(sums) {
        std::vector<bool> charted(static_cast<size_t>(sums.TableColumns()));
        for (size_t i = 0; i < series_; ++i) {
            seriesSums_.push_back(&sums.Column(defs_[i].column));
            charted.at(static_cast<size_t>(defs_[i].column)) = true;
        }
        for (int c = kFirstValueColumn; c < sums.TableColumns(); ++c)
            if (!charted[static_cast<size_t>(c)]) otherColumns_.push_back(c);
    }

    void Fill(const ChartCells& cells) {
        if (failed_) return;
        for (size_t line = 0; line < cells.Lines(); ++line) {
            // Into the batch's next place; it counts only once every cell is a number.
            try {
                for (size_t i = 0; i < series_; ++i) {
                    const CellNumber n = ReadCellNumber(cells.Cell(line, static_cast<size_t>(defs_[i].column)));
                    // The digits as read, so that the series need not find them again.
                    const size_t at = i * batchPoints_ + batched_;
                    codes_[at] = n.decimals < 0 ? PackedValues::kUnpacked
                                                : PackedValues::PackDecimal(n.value, n.units, n.decimals);
                    values_[at] = n.value;
                    // A failing line leaves its block unfinished: the load ends at it.
                    if (n.decimals >= 0) {
                        seriesSums_[i]->AddNumber(n.value, n.decimals);
                    } else {
                        seriesSums_[i]->Skip();
                    }
                }
            } catch (const VornikError&) {
                failed_ = true;
                break;
            }
            for (int c : otherColumns_) sums_.Column(c).Add(cells.Cell(line, static_cast<size_t>(c)));
            sums_.EndRow();
            ++batched_;
            ++points_;
            if (batched_ == batchPoints_) Flush();
        }
        Flush();
    }

    bool Failed() const { return failed_; }
    long long Points() const { return points_; }

private:
    static constexpr size_t kBatchSeries = kMaxChartSeries;
    // Points parsed before they go to the series: few enough that the
    // batches cost little memory beside the series.
    static constexpr size_t kBatchPoints = 4096;

    void Flush() {
        for (size_t i = 0; i < series_; ++i)
            chart_.Series(static_cast<int>(i))
                .Append(values_.get() + i * batchPoints_, batched_, codes_.get() + i * batchPoints_);
        batched_ = 0;
    }

    ChartModel& chart_;
    const std::vector<SeriesDef>& defs_;
    size_t series_;
    // The batch: per series batchPoints_ values and their codes, left unset
    // (filled before they are read).
    size_t batchPoints_;
    std::unique_ptr<double[]> values_;
    std::unique_ptr<uint32_t[]> codes_;
    size_t batched_ = 0;  // points in the batch
    // The statistics' sums of the line's value cells: those of the chart's
    // columns as the chart reads them (a cell that is no short number is
    // skipped), the others read from their text.
    BlockSumsBuilder& sums_;
    std::vector<ColumnSums*> seriesSums_;  // by series
    std::vector<int> otherColumns_;
    bool failed_ = false;
    long long points_ = 0;
};

// Runs the chart filler on the blocks the table has taken, on a second thread
// when asked. One block at a time: Submit needs the previous one waited for.
class ChartPipeline {
public:
    ChartPipeline(ChartFiller& filler, bool threaded) : filler_(filler) {
        if (threaded) thread_ = std::thread([this] { Run(); });
    }
    ~ChartPipeline() {
        if (!thread_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    void Submit(const ChartCells& cells) {
        if (!thread_.joinable()) {
            filler_.Fill(cells);
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            cells_ = &cells;
            pending_ = true;
        }
        changed_.notify_all();
    }

    // Waits until the submitted block is charted; rethrows what the thread threw.
    void Wait() {
        if (!thread_.joinable()) return;
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !pending_; });
        if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    }

private:
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return pending_ || stop_; });
            if (!pending_) return;
            lock.unlock();
            std::exception_ptr error;
            try {
                filler_.Fill(*cells_);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            error_ = error;
            pending_ = false;
            changed_.notify_all();
        }
    }

    ChartFiller& filler_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const ChartCells* cells_ = nullptr;
    bool pending_ = false;
    bool stop_ = false;
    std::exception_ptr error_;
};

// A file read in large blocks. A block starts with the unfinished line of the
// block before. With two buffers they take turns, so that the chart can still
// read one block while the next is read into the other.
class BlockReader {
public:
    BlockReader(std::FILE* file, long long size) : file_(file), buffers_(1), total_(size) {
        // A small file needs no 4 MiB block (the size may be unknown: -1).
        const size_t expected = total_ >= 0 ? static_cast<size_t>(total_) + 1 : kBlockSize;
        buffers_[0].resize(std::min(kBlockSize, std::max<size_t>(expected, 64)));
    }
    // A second buffer, for the blocks to take turns in.
    void AddBuffer() { buffers_.push_back(std::vector<char>(buffers_[0].size())); }

    // Reads the next block; false at the end of the file or on a read error.
    bool Read() {
        std::vector<char>& buffer = buffers_[current_];
        // Only a line that outgrew a small file's buffer (the file grew) gets here.
        if (kept_ == buffer.size()) buffer.resize(buffer.size() * 2);
        got_ = std::fread(buffer.data() + kept_, 1, buffer.size() - kept_, file_);
        done_ += static_cast<long long>(got_);
        return got_ > 0;
    }
    bool Failed() const { return std::ferror(file_) != 0; }

    const char* begin() const { return buffers_[current_].data(); }
    const char* end() const { return begin() + kept_ + got_; }
    // The end of the last whole line held (begin() when there is none).
    const char* LinesEnd() const {
        for (const char* p = end(); p != begin(); --p)
            if (p[-1] == '\n') return p;
        return begin();
    }
    // Keeps the bytes from `from` on for the next block, in the next buffer.
    void Keep(const char* from) {
        const size_t next = (current_ + 1) % buffers_.size();
        kept_ = static_cast<size_t>(end() - from);
        std::memmove(buffers_[next].data(), from, kept_);
        current_ = next;
        got_ = 0;
    }
    long long Total() const { return total_; }
    double Fraction() const { return total_ > 0 ? static_cast<double>(done_) / static_cast<double>(total_) : 1.0; }

    // True when the bytes held start with a line longer than any row.
    bool StartsWithOverlongLine() const {
        const size_t held = kept_ + got_;
        return held > kMaxDataLineBytes && !std::memchr(begin(), '\n', kMaxDataLineBytes + 1);
    }

private:
    std::FILE* file_;
    std::vector<std::vector<char>> buffers_;
    size_t current_ = 0;
    size_t kept_ = 0;
    size_t got_ = 0;
    long long total_;
    long long done_ = 0;
};

// Room for the whole file in table and chart, the row count estimated from
// the first block.
void Reserve(MeasurementTable& table, ChartModel& chart, const char* begin, const char* end, long long fileSize) {
    const long long lines = std::count(begin, end, '\n');
    if (lines < 2 || fileSize <= end - begin) return;
    const long long rows = fileSize / ((end - begin) / lines) + 16;
    if (rows >= INT32_MAX) return;
    const long long room = rows + rows / 32;
    table.Reserve(static_cast<int>(room), static_cast<size_t>(fileSize));
    for (int i = 0; i < chart.SeriesCount(); ++i) chart.Series(i).Reserve(static_cast<size_t>(room));
}

// Whether the file's first block starts as a data file the table may be
// replaced with: a header line without a CR inside (CR alone ends no line: a
// file of CR-only line ends would load as a header and nothing else) and,
// when more follows, a whole first row of at most kMaxDataLineBytes whose
// chart cells are numbers. A file failing here leaves the old table whole.
bool FirstLinesLoad(const char* begin, const char* end, int page) {
    const char* headerEnd = static_cast<const char*>(std::memchr(begin, '\n', static_cast<size_t>(end - begin)));
    const char* header = headerEnd ? headerEnd : end;
    const size_t headerLength = static_cast<size_t>(header - begin) - (header != begin && header[-1] == '\r');
    if (std::memchr(begin, '\r', headerLength)) return false;
    if (!headerEnd || headerEnd + 1 == end) return true;

    const char* row = headerEnd + 1;
    const char* rowEnd = static_cast<const char*>(std::memchr(row, '\n', static_cast<size_t>(end - row)));
    const size_t length = static_cast<size_t>((rowEnd ? rowEnd : end) - row);
    if (length > kMaxDataLineBytes) return false;
    LineSplitter splitter(FieldsCharted(page));
    splitter.Split(row, length);
    try {
        for (const auto& def : ChartSeriesDefs(page)) ReadCellNumber(splitter.Field(static_cast<size_t>(def.column)));
    } catch (const VornikError&) {
        return false;
    }
    return true;
}

// The chart cells of the block the table fills and of the one the chart may
// still read: they take turns, as the reader's buffers do.
class ChartCellsPair {
public:
    explicit ChartCellsPair(size_t width) : cells_{ChartCells(width), ChartCells(width)} {}
    ChartCells& Next() { return cells_[next_ ^= 1]; }

private:
    std::array<ChartCells, 2> cells_;
    int next_ = 0;
};

// Feeds the file's blocks to table and chart; the reader holds the first.
LoadResult ReadBlocks(BlockReader& reader, TableFiller& table, ChartPipeline& chart, const ChartFiller& charted,
                      ChartCellsPair& cells, const ProgressFn& progress) {
    do {
        ChartCells& blockCells = cells.Next();
        const char* linesEnd = reader.LinesEnd();
        const char* taken = table.Fill(reader.begin(), linesEnd, blockCells);
        table.ExpectRoom(reader.Fraction());
        chart.Wait();  // the block before is charted: the chart is still now
        if (charted.Failed()) return LoadResult::FormatError;
        const bool goOn = taken == linesEnd && (!progress || progress(reader.Fraction()));
        chart.Submit(blockCells);
        if (taken != linesEnd) return LoadResult::FormatError;
        if (!goOn) return LoadResult::Cancelled;
        reader.Keep(linesEnd);
        if (reader.StartsWithOverlongLine()) return LoadResult::FormatError;
    } while (reader.Read());
    if (reader.Failed()) return LoadResult::ReadError;
    // The last line may end without LF.
    ChartCells& blockCells = cells.Next();
    const char* taken = table.Fill(reader.begin(), reader.end(), blockCells);
    chart.Wait();
    chart.Submit(blockCells);
    return taken == reader.end() ? LoadResult::Done : LoadResult::FormatError;
}

}  // namespace

LineSplitter::LineSplitter(size_t maxFields) : maxFields_(maxFields) { fields_.reserve(maxFields); }

const std::vector<std::string_view>& LineSplitter::Split(const char* line, size_t length) {
    if (length > 0 && line[length - 1] == '\r') --length;
    fromCopy_ = !SplitWithoutCr(line, length);
    if (fromCopy_) {
        scratch_.assign(line, length);
        scratch_.erase(std::remove(scratch_.begin(), scratch_.end(), '\r'), scratch_.end());
        SplitWithoutCr(scratch_.data(), scratch_.size());
    }
    return fields_;
}

// False (fields unusable) when a CR comes before the last field wanted.
bool LineSplitter::SplitWithoutCr(const char* p, size_t length) {
    fields_.clear();
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
        // A CR after the last field wanted does not matter.
        const unsigned beforeCr = crs ? (1u << LowestBit(crs)) - 1 : 0xFFFFu;
        tabs &= beforeCr;
        while (tabs) {
            const char* end = p + i + LowestBit(tabs);
            fields_.emplace_back(fieldStart, static_cast<size_t>(end - fieldStart));
            if (fields_.size() == maxFields_) return true;
            fieldStart = end + 1;
            tabs &= tabs - 1;
        }
        if (crs) return false;
    }
#endif
    for (; i < length; ++i) {
        if (p[i] == '\t') {
            fields_.emplace_back(fieldStart, static_cast<size_t>(p + i - fieldStart));
            if (fields_.size() == maxFields_) return true;
            fieldStart = p + i + 1;
        } else if (p[i] == '\r') {
            return false;
        }
    }
    return true;
}

LoadResult LoadTable(MainModel& model, int page, std::FILE* file, const ProgressFn& progress,
                     LoadThreading threading) {
    long long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::rewind(file);
    BlockReader reader(file, size);
    if (!reader.Read() && reader.Failed()) return LoadResult::ReadError;
    if (reader.StartsWithOverlongLine() || !FirstLinesLoad(reader.begin(), reader.end(), page))
        return LoadResult::FormatError;

    model.ChartClear(page == PageGas, page == PageTemp, page == PagePrd);
    MeasurementTable& table = model.Table(page);
    ChartModel& chart = model.Chart(page);
    try {
        Reserve(table, chart, reader.begin(), reader.end(), reader.Total());
    } catch (const std::bad_alloc&) {
        // Room reserved ahead only saves time; the rows still load one by one.
    }
    // Decided once the table holds its room: a thread still touching the
    // table's pages ahead of it is no reason for one thread only.
    const bool parallel =
        threading == LoadThreading::Parallel ||
        (threading == LoadThreading::Auto && size > kParallelFileBytes && SecondProcessorFree(PreparingMemory() ? 1 : 0));
    if (parallel) reader.AddBuffer();
    table.BeginUpdate();
    BlockSumsBuilder sums(table.ColumnCount());
    TableFiller tableFiller(table, sums);
    // A file the first block holds whole gives at most a point per line.
    const bool whole = size >= 0 && size <= reader.end() - reader.begin();
    ChartFiller chartFiller(chart, page,
                            whole ? static_cast<size_t>(std::count(reader.begin(), reader.end(), '\n')) + 1 : SIZE_MAX,
                            sums);
    ChartCellsPair cells(static_cast<size_t>(table.ColumnCount()));
    LoadResult result = LoadResult::ReadError;
    {
        ChartPipeline pipeline(chartFiller, parallel);
        try {
            result = ReadBlocks(reader, tableFiller, pipeline, chartFiller, cells, progress);
            pipeline.Wait();
        } catch (const std::exception&) {
            // Exhausted memory, or a row the table refused.
            result = LoadResult::ReadError;
        }
    }
    if (chartFiller.Failed() && result != LoadResult::ReadError) result = LoadResult::FormatError;
    // A row stays only with its points: the table may have run ahead.
    const long long kept = 1 + chartFiller.Points();
    if (tableFiller.Lines() > kept) table.SetRowCount(static_cast<int>(kept));
    if (chartFiller.Points() > 0) table.SetCurrentRow(static_cast<int>(kept - 1));
    sums.Seal(table, model.LoadedStatistics(page));
    table.EndUpdate();
    chart.PointsAdded();
    return result;
}

}  // namespace vornik
