// Loading with a second thread gives exactly what one thread gives, and files
// that are no data files (pipes, devices, endless lines) cost no data.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>

#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "core/Conversion.h"
#include "core/PreparedMemory.h"
#include "datafiles/DataFile.h"
#include "tables/ChartDefs.h"
#include "tables/IntervalStatistics.h"

using namespace vornik;
using vornik::test::PromptEvent;
using vornik::test::ScriptedPrompt;
using vornik::test::TempDir;
using vornik::test::WriteAll;
namespace fs = std::filesystem;

namespace {

const PromptEvent kReadBox{PromptEvent::Error, "Error", kDataReadErrorText};

struct Loaded {
    MainModel model;
    ScriptedPrompt prompt;
    int progressCalls = 0;
    Loaded() { model.GridsLayout(800); }

    // Loads; a cancel is answered at progress call `cancelAt` (0: never).
    void Load(const std::string& file, LoadThreading threading, int cancelAt = 0) {
        LoadInFile(model, file, prompt, [&](double) { return ++progressCalls != cancelAt; }, threading);
    }
};

// Everything a load leaves behind must match: every cell, the current row,
// every point bit for bit, the page, the boxes shown.
void ExpectSameLoad(Loaded& a, Loaded& b, int page) {
    EXPECT_EQ(a.prompt.events(), b.prompt.events());
    EXPECT_EQ(a.model.ActivePage(), b.model.ActivePage());
    EXPECT_EQ(a.progressCalls, b.progressCalls);
    const auto& ta = a.model.Table(page);
    const auto& tb = b.model.Table(page);
    ASSERT_EQ(ta.RowCount(), tb.RowCount());
    EXPECT_EQ(ta.CurrentRow(), tb.CurrentRow());
    EXPECT_EQ(ta.HasFixedRow(), tb.HasFixedRow());
    for (int r = 0; r < ta.RowCount(); ++r)
        for (int c = 0; c < ta.ColumnCount(); ++c) ASSERT_EQ(ta.Cell(c, r), tb.Cell(c, r)) << r << "," << c;
    const auto& ca = a.model.Chart(page);
    const auto& cb = b.model.Chart(page);
    const auto& defs = ChartSeriesDefs(page);
    for (int s = 0; s < ca.SeriesCount(); ++s) {
        const ChartSeries& sa = ca.Series(s);
        const ChartSeries& sb = cb.Series(s);
        ASSERT_EQ(sa.Count(), sb.Count());
        // Every point bit for bit, and bit for bit the number its cell reads as.
        for (size_t i = 0; i < sa.Count(); ++i) {
            const double a = sa.Y(i), b = sb.Y(i);
            const double cell = CellValue(ta.Cell(defs[static_cast<size_t>(s)].column, static_cast<int>(i) + 1));
            ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << s << ":" << i;
            ASSERT_EQ(std::memcmp(&a, &cell, sizeof a), 0) << s << ":" << i;
        }
        double loA, hiA, loB, hiB;
        if (ca.Series(s).RawExtremes(loA, hiA) && cb.Series(s).RawExtremes(loB, hiB)) {
            EXPECT_EQ(loA, loB);
            EXPECT_EQ(hiA, hiB);
        }
    }
    // Each chart point belongs to a data row.
    if (ca.SeriesCount() > 0 && ta.RowCount() > 1 && !ta.IsEmpty()) {
        EXPECT_EQ(ca.Series(0).Count(), static_cast<size_t>(ta.RowCount() - 1));
    }
}

// A gas file of `rows` random rows over several read blocks, with the line-end
// variants files show; `badRow` (if not 0) has a chart cell that is no number.
std::string GasFile(int rows, int badRow, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> digits(0, 99999);
    std::string out = "N\tDate\tTime\tTg\tO2\tCO\tNO\tNO2\tSO2\tH2S\tCO2\tCH\tQa\tAlf\tNOx\tTa\tTi\tU\tObj\tFuel\t\r\n";
    for (int r = 1; r <= rows; ++r) {
        out += std::to_string(r) + "\t01.03.24\t10:00:00\t";
        for (int c = 3; c <= 16; ++c) {
            const int v = digits(rng);
            out += r == badRow && c == 9 ? "1.5" : (v % 7 == 0 ? "-" : "") + std::to_string(v / 100) + "," + std::to_string(v % 100);
            out += '\t';
        }
        out += r % 97 == 0 ? "a\rb\t" : "ppm\t";  // a stray CR inside a line
        out += "Obj\tFuel\t";
        out += r % 5 == 0 ? "\n" : r % 11 == 0 ? "extra\ttail\r\n" : "\r\n";
    }
    return out;
}

// The same file with value cells that are no numbers: a cell starting "1,"
// becomes "nd", one starting "2," other text (the chart reads both as 0).
std::string WithSkippedCells(const std::string& in) {
    std::string out;
    bool fieldStart = true;
    for (size_t i = 0; i < in.size(); ++i) {
        if (fieldStart && (in.compare(i, 2, "1,") == 0 || in.compare(i, 2, "2,") == 0)) {
            out += in[i] == '1' ? "nd" : "n/a";
            while (i < in.size() && in[i] != '\t' && in[i] != '\r' && in[i] != '\n') ++i;
            if (i == in.size()) break;
        }
        out += in[i];
        fieldStart = in[i] == '\t' || in[i] == '\n';
    }
    return out;
}

void ExpectSameStatistics(const IntervalSummary& a, const IntervalSummary& b) {
    EXPECT_EQ(a.rows, b.rows);
    ASSERT_EQ(a.columns.size(), b.columns.size());
    for (size_t c = 0; c < a.columns.size(); ++c) {
        SCOPED_TRACE(a.columns[c].column);
        const NumberSummary& x = a.columns[c].summary;
        const NumberSummary& y = b.columns[c].summary;
        EXPECT_EQ(x.numbers, y.numbers);
        EXPECT_EQ(x.skipped, y.skipped);
        EXPECT_EQ(x.decimals, y.decimals);
        // Bit for bit: both are sums of the same numbers in the same order.
        EXPECT_EQ(x.mean, y.mean);
        EXPECT_EQ(x.squares, y.squares);
        EXPECT_EQ(x.min, y.min);
        EXPECT_EQ(x.max, y.max);
    }
}

}  // namespace

TEST(DataFileLoad, StatisticsFromTheLoadsBlockSumsAreThoseOfItsRows) {
    // A load sums blocks of rows as it reads them, on both paths and also
    // where it stops early; the statistics then read no row of a whole block.
    TempDir dir;
    const std::string file = dir / "sums.gas";
    struct Case { int rows, badRow, cancelAt; };
    for (const Case& c : {Case{300, 0, 0}, Case{70000, 61234, 0}, Case{70000, 0, 2}, Case{70000, 0, 0}}) {
        WriteAll(file, WithSkippedCells(GasFile(c.rows, c.badRow, 3)));
        for (LoadThreading threading : {LoadThreading::Single, LoadThreading::Parallel}) {
            SCOPED_TRACE(c.rows + c.badRow + c.cancelAt + 1000000 * static_cast<int>(threading));
            Loaded loaded;
            loaded.Load(file, threading, c.cancelAt);
            const MeasurementTable& table = loaded.model.Table(PageGas);
            ASSERT_GT(table.RowCount(), std::min(c.rows, 1000));
            IntervalStatistics fromLoad(table, &loaded.model.LoadedStatistics(PageGas));
            IntervalStatistics fromRows(table);
            EXPECT_TRUE(fromLoad.Prepare(0));
            const int last = table.RowCount() - 1;
            for (auto [first, end] : {std::pair{0, last}, {1, last}, {300, last - 700}, {256, 511}}) {
                ExpectSameStatistics(fromLoad.Compute(first, end), fromRows.Compute(first, end));
            }
        }
    }

    // A row changed after the load is summed anew, not taken from the load's blocks.
    Loaded loaded;
    loaded.Load(file, LoadThreading::Single);
    MeasurementTable& table = loaded.model.Table(PageGas);
    table.SetCell(4, 1000, "12345,6");
    IntervalStatistics fromLoad(table, &loaded.model.LoadedStatistics(PageGas));
    IntervalStatistics fromRows(table);
    ExpectSameStatistics(fromLoad.Compute(1, table.RowCount() - 1), fromRows.Compute(1, table.RowCount() - 1));
}

TEST(DataFileLoad, ParallelLoadMatchesOneThread) {
    // The corpus of small files, each forced through both paths.
    for (const auto& entry : fs::directory_iterator(std::string(VORNIK_TEST_DATA) + "/datafiles")) {
        const std::string file = entry.path().string();
        const int page = DataFileKind(file);
        if (page < 0) continue;
        SCOPED_TRACE(file);
        Loaded one, two;
        one.Load(file, LoadThreading::Single);
        two.Load(file, LoadThreading::Parallel);
        ExpectSameLoad(one, two, page);
    }

    // Generated files of several blocks: whole, with a bad chart cell in a
    // late block, with a cancel in the middle, and without a last LF.
    TempDir dir;
    struct Case { int rows, badRow, cancelAt; bool cutLastLf; };
    for (const Case& c : {Case{70000, 0, 0, false}, Case{70000, 61234, 0, false}, Case{70000, 0, 2, false},
                          Case{40000, 0, 0, true}}) {
        SCOPED_TRACE(c.rows + c.badRow + c.cancelAt);
        std::string content = GasFile(c.rows, c.badRow, static_cast<unsigned>(c.rows + c.badRow));
        if (c.cutLastLf) content.resize(content.size() - 2);
        const std::string file = dir / "big.gas";
        WriteAll(file, content);
        Loaded one, two, automatic;
        one.Load(file, LoadThreading::Single, c.cancelAt);
        two.Load(file, LoadThreading::Parallel, c.cancelAt);
        automatic.Load(file, LoadThreading::Auto, c.cancelAt);
        ExpectSameLoad(one, two, PageGas);
        ExpectSameLoad(one, automatic, PageGas);
        const int rows = one.model.Table(PageGas).RowCount();
        if (c.badRow) {
            EXPECT_EQ(rows, c.badRow);
        } else if (c.cancelAt) {
            EXPECT_LT(rows, c.rows);
        } else {
            EXPECT_EQ(rows, c.rows + 1);
        }
    }
}

TEST(DataFileLoad, FilesThatAreNoDataFilesLeaveTheTable) {
    TempDir dir;
    const std::string good = dir / "good.gas";
    WriteAll(good, GasFile(3, 0, 1));
    ASSERT_EQ(mkfifo((dir / "pipe.gas").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero.gas");
    WriteAll(dir / "line.gas", std::string(1 << 20, '7'));  // one endless line
    {
        // Four gigabytes of nothing: a sparse file.
        std::FILE* f = std::fopen((dir / "sparse.gas").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(ftruncate(fileno(f), 4LL << 30), 0);
        std::fclose(f);
    }
    for (const char* name : {"pipe.gas", "zero.gas", "line.gas", "sparse.gas"}) {
        SCOPED_TRACE(name);
        for (LoadThreading threading : {LoadThreading::Single, LoadThreading::Auto}) {
            Loaded f;
            f.Load(good, threading);
            const auto started = std::chrono::steady_clock::now();
            f.Load(dir / name, threading);
            // Not a timing figure: a blocked open or a read to the end would take minutes.
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
            EXPECT_EQ(f.prompt.events(), std::vector<PromptEvent>{kReadBox});
            EXPECT_EQ(f.model.Table(PageGas).RowCount(), 4);
            EXPECT_EQ(f.model.Chart(PageGas).Series(0).Count(), 3u);
        }
    }

    // An endless line after good rows, past the first block: the rows before it stay.
    std::string rows = GasFile(40000, 0, 2);
    const size_t kept = static_cast<size_t>(std::count(rows.begin(), rows.end(), '\n'));
    WriteAll(dir / "tail.gas", rows + std::string(200000, 'x') + "\r\n" + GasFile(2, 0, 3));
    for (LoadThreading threading : {LoadThreading::Single, LoadThreading::Parallel}) {
        Loaded f;
        f.Load(dir / "tail.gas", threading);
        EXPECT_EQ(f.prompt.events(), std::vector<PromptEvent>{kReadBox});
        EXPECT_EQ(f.model.Table(PageGas).RowCount(), static_cast<int>(kept));
        EXPECT_EQ(f.model.Chart(PageGas).Series(0).Count(), kept - 1);
    }
}

// A file that fails before its first data row has loaded does not touch the
// table: its rows, its unsaved state and its journal rows stay. A file of
// CR-only line ends is such a file, not an empty table.
TEST(DataFileLoad, AFileFailingBeforeItsFirstRowLeavesTheTable) {
    TempDir dir;
    const std::string header = "N\tDate\tTime\tTg\tTmax\tTmin\tTdif\tTp\tn\tObj\t\r\n";
    const std::string row = "1/1\t05.03.24\t11:01:00\t450,1\t460,0\t440,2\t20,0\t-3,5\t7\tPech\t";
    const std::pair<const char*, std::string> files[] = {
        // The line cap is far below this: a line without end after the header.
        {"endless.tmpr", header + std::string(200000, '7')},
        {"long_row.tmpr", header + std::string(100000, '7') + "\r\n" + row + "\r\n"},
        {"cr_only.tmpr", header.substr(0, header.size() - 1) + row + "\r" + row + "\r"},
        {"blank_row.tmpr", header + "\r\n" + row + "\r\n"},
        {"dot.tmpr", header + "1/1\t05.03.24\t11:01:00\t450.1\t1\t1\t1\t1\t7\tPech\t\r\n"}};
    for (const auto& [name, content] : files) {
        SCOPED_TRACE(name);
        WriteAll(dir / name, content);
        Loaded f;
        std::vector<int> settled;
        f.model.AddRowsSettledListener([&](int page) { settled.push_back(page); });
        f.model.CommitRow(PageTemp, {"5", "d", "t", "1,5", "2", "3", "4", "5", "n", "o"});
        f.Load(dir / name, LoadThreading::Auto);
        EXPECT_EQ(f.prompt.events(), std::vector<PromptEvent>{kReadBox});
        EXPECT_EQ(f.model.Table(PageTemp).RowCount(), 2);
        EXPECT_EQ(f.model.Table(PageTemp).Cell(0, 1), "1/5");
        EXPECT_EQ(f.model.Chart(PageTemp).Series(0).Count(), 1u);
        EXPECT_TRUE(f.model.NewData(PageTemp));
        EXPECT_TRUE(f.model.HoldsUnwrittenRows(PageTemp));
        EXPECT_TRUE(settled.empty());
    }
    // The same row after a good first row: the rows before it load.
    WriteAll(dir / "late.tmpr", header + row + "\r\n" + std::string(100000, '7'));
    Loaded f;
    f.Load(dir / "late.tmpr", LoadThreading::Auto);
    EXPECT_EQ(f.prompt.events(), std::vector<PromptEvent>{kReadBox});
    EXPECT_EQ(f.model.Table(PageTemp).RowCount(), 2);
    EXPECT_EQ(f.model.Table(PageTemp).Cell(0, 1), "1/1");
}

TEST(DataFileLoad, ChartReadsTheCellsTheTableSplit) {
    // Every line is split once, for table and chart alike. Lines with a CR
    // inside a charted cell are split from a copy; a line too short for the
    // chart's cells ends the load there, after the lines before it.
    std::string content = GasFile(30000, 0, 7);
    std::vector<size_t> lineStarts{0};
    for (size_t i = 0; i + 1 < content.size(); ++i)
        if (content[i] == '\n') lineStarts.push_back(i + 1);
    // From the last line back, so that earlier positions stay valid.
    std::vector<int> withCr;
    for (int row = 29990; row > 0; row -= 1234) {
        content.insert(lineStarts[static_cast<size_t>(row)] + std::to_string(row).size() + 20, "\r");
        withCr.push_back(row);  // Tg, column 3, gets a CR after its first character
    }
    content += "30001\t01.03.24\t10:00:00\t1,5\t\r\n";  // no O2 cell and no further ones
    TempDir dir;
    const std::string file = dir / "cr.gas";
    WriteAll(file, content);

    Loaded one, two;
    one.Load(file, LoadThreading::Single);
    two.Load(file, LoadThreading::Parallel);
    ExpectSameLoad(one, two, PageGas);
    EXPECT_EQ(one.prompt.events(), std::vector<PromptEvent>{kReadBox});
    const MeasurementTable& table = one.model.Table(PageGas);
    ASSERT_EQ(table.RowCount(), 30001);
    for (int row : withCr) {
        const std::string_view cell = table.Cell(3, row);
        EXPECT_EQ(cell.find('\r'), std::string_view::npos) << row;
        EXPECT_EQ(one.model.Chart(PageGas).Series(0).Y(static_cast<size_t>(row - 1)), CellValue(cell)) << row;
    }
}

TEST(DataFileLoad, MemoryPreparedAtStartHoldsTheSameLoad) {
    // A block made ready before the load becomes the table's storage: the
    // load is the same as without it, and a block prepared for another size,
    // or one a failed load left, is not taken.
    TempDir dir;
    const std::string file = dir / "prepared.gas";
    WriteAll(file, GasFile(70000, 0, 11));
    const size_t size = static_cast<size_t>(fs::file_size(file));
    Loaded plain, prepared;
    plain.Load(file, LoadThreading::Single);
    PrepareMemory(size);
    prepared.Load(file, LoadThreading::Single);
    ExpectSameLoad(plain, prepared, PageGas);
    EXPECT_EQ(TakePreparedMemory(size).capacity(), 0u);  // the table took it

    PrepareMemory(size / 2);
    EXPECT_EQ(TakePreparedMemory(size).capacity(), 0u);
    EXPECT_EQ(TakePreparedMemory(size / 4).capacity(), 0u);
    EXPECT_GE(TakePreparedMemory(size / 2).capacity(), size / 2);

    // Rows already held move into the block with their cells.
    MeasurementTable table(4);
    table.SetRowCount(3);
    table.SetRowCells(1, {"a", "bb", "", "dddd"});
    table.SetRowCells(2, {"e"});
    PrepareMemory(1 << 20);
    table.Reserve(100, 1 << 20);
    EXPECT_GE(table.MemoryBytes(), size_t(1) << 20);
    EXPECT_EQ(TakePreparedMemory(1 << 20).capacity(), 0u);
    EXPECT_EQ(table.Cell(1, 1), "bb");
    EXPECT_EQ(table.Cell(3, 1), "dddd");
    EXPECT_EQ(table.Cell(0, 2), "e");
    EXPECT_EQ(table.Cell(3, 2), "");

    // A file that does not load leaves the block to be dropped.
    WriteAll(dir / "bad.gas", "N\tDate\r\n1\t2\t3,5.1\t\r\n");
    PrepareMemory(size);
    Loaded bad;
    bad.Load(dir / "bad.gas", LoadThreading::Single);
    EXPECT_EQ(bad.prompt.events(), std::vector<PromptEvent>{kReadBox});
    DropPreparedMemory();
    EXPECT_EQ(TakePreparedMemory(size).capacity(), 0u);

    // The block may be taken, and freed, while its pages are still being
    // touched; a drop then stops the thread.
    PrepareMemory(size_t(64) << 20);
    ExpectPreparedMemoryUse(size_t(64) << 20);
    PreparedBytes early = TakePreparedMemory(size_t(64) << 20);
    EXPECT_GE(early.capacity(), size_t(64) << 20);
    PreparedBytes().swap(early);
    DropPreparedMemory();
    EXPECT_FALSE(PreparingMemory());
}
