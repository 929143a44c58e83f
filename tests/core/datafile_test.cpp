#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "core/Cp1251.h"
#include "core/Paths.h"
#include "datafiles/DataFile.h"
#include "tables/Headers.h"

using namespace vornik;
using vornik::test::PromptEvent;
using vornik::test::ReadAll;
using vornik::test::ScriptedPrompt;
using vornik::test::TempDir;
using vornik::test::WriteAll;
namespace fs = std::filesystem;

namespace {

const std::string kData = std::string(VORNIK_TEST_DATA) + "/datafiles/";
const PromptEvent kReadBox{PromptEvent::Error, "Error", kDataReadErrorText};
const PromptEvent kWriteBox{PromptEvent::Error, "Error", kDataWriteErrorText};

// A model with the headers laid out, as after start-up.
struct Fixture {
    MainModel model;
    ScriptedPrompt prompt;
    TempDir dir;
    Fixture() { model.GridsLayout(800); }

    // Appends a received row whose cells are "<row>.<column>" except for the
    // chart columns, which hold numbers.
    void Receive(int page, int rows = 1) {
        auto& table = model.Table(page);
        for (int i = 0; i < rows; ++i) {
            const int row = table.AppendRow();
            std::vector<std::string> cells;
            for (int c = 0; c < table.ColumnCount(); ++c)
                cells.push_back(c >= 3 && c <= 7 ? std::to_string(row) + ",5" : std::to_string(row) + "." + std::to_string(c));
            table.SetRowCells(row, std::vector<std::string_view>(cells.begin(), cells.end()));
        }
        model.SetNewData(page, true);
    }
};

std::string Row(const MeasurementTable& t, int row) {
    std::string s;
    for (int c = 0; c < t.ColumnCount(); ++c) (s += t.Cell(c, row)) += '|';
    return s;
}

}  // namespace

TEST(DataFileKind, ExactExtensionOfTheLastComponent) {
    EXPECT_EQ(DataFileKind("/a/b.gas"), PageGas);
    EXPECT_EQ(DataFileKind("b.tmpr"), PageTemp);
    EXPECT_EQ(DataFileKind("C:\\x\\b.c.prd"), PagePrd);
    EXPECT_EQ(DataFileKind("/a/DATA.GAS"), -1);
    EXPECT_EQ(DataFileKind("/a/data"), -1);
    EXPECT_EQ(DataFileKind("/a.gas/data"), -1);
    EXPECT_EQ(DataFileKind("/a/b.gas.bak"), -1);
}

TEST(DataFileWrite, LayoutIsTabAfterEveryCellAndCrLf) {
    Fixture f;
    // An empty table: the header line and one line of TABs.
    ASSERT_TRUE(SaveChartToFile(f.model, f.dir / "e.tmpr", false, true, false, f.prompt));
    std::string expected;
    for (const auto& h : HeaderTexts(PageTemp)) expected += h + "\t";
    expected += "\r\n" + std::string(10, '\t') + "\r\n";
    EXPECT_EQ(ReadAll(f.dir / "e.tmpr"), expected);

    f.Receive(PageGas, 3);
    f.model.Table(PageGas).SetCell(18, 2, Utf8ToCp1251("Котёл №1"));
    ASSERT_TRUE(SaveChartToFile(f.model, f.dir / "g.gas", true, false, false, f.prompt));
    const std::string file = ReadAll(f.dir / "g.gas");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 4);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\t'), 80);
    EXPECT_NE(file.find("\t\xCA\xEE\xF2\xB8\xEB \xB9" "1\t"), std::string::npos);  // CP1251 as stored
    EXPECT_EQ(file.substr(file.size() - 3), "\t\r\n");
    EXPECT_TRUE(f.prompt.events().empty());
    EXPECT_TRUE(f.model.NewData(PageGas));  // the file operation leaves the flag alone
}

TEST(DataFileRead, ValidFilesRoundTripByteForByte) {
    for (const char* name : {"gas3.gas", "temp2.tmpr", "prd2.prd", "header_only.tmpr"}) {
        SCOPED_TRACE(name);
        Fixture f;
        LoadInFile(f.model, kData + name, f.prompt);
        EXPECT_TRUE(f.prompt.events().empty());
        const int page = DataFileKind(name);
        const std::string out = f.dir / ("copy-" + std::string(name));
        ASSERT_TRUE(SaveChartToFile(f.model, out, page == 0, page == 1, page == 2, f.prompt));
        EXPECT_EQ(ReadAll(out), ReadAll(kData + name));
    }
}

TEST(DataFileRead, LoadedTableReplacesOldRowsAndCountsAsSaved) {
    Fixture f;
    f.Receive(PageGas, 5);
    f.Receive(PageTemp, 2);
    f.model.SetActivePage(PageTemp);
    LoadInFile(f.model, kData + "gas3.gas", f.prompt);

    const auto& t = f.model.Table(PageGas);
    EXPECT_EQ(t.RowCount(), 4);
    EXPECT_EQ(t.Cell(0, 0), Utf8ToCp1251("Номер"));
    EXPECT_EQ(t.Cell(18, 3), Utf8ToCp1251("Котёл №1"));
    EXPECT_EQ(t.Cell(9, 2), "nd");
    EXPECT_EQ(t.Cell(3, 1), "123,4");
    EXPECT_EQ(t.CurrentRow(), 3);
    EXPECT_FALSE(t.HasFixedRow());
    EXPECT_FALSE(f.model.NewData(PageGas));
    EXPECT_EQ(f.model.ActivePage(), PageGas);
    // The other tables are untouched.
    EXPECT_EQ(f.model.Table(PageTemp).RowCount(), 3);
    EXPECT_TRUE(f.model.NewData(PageTemp));
}

TEST(DataFileRead, LineEndVariantsLoadAlike) {
    Fixture a, b, c, d;
    LoadInFile(a.model, kData + "temp2.tmpr", a.prompt);
    LoadInFile(b.model, kData + "lf_only.tmpr", b.prompt);
    LoadInFile(c.model, kData + "lone_cr.tmpr", c.prompt);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(Row(a.model.Table(PageTemp), row), Row(b.model.Table(PageTemp), row));
    EXPECT_EQ(Row(a.model.Table(PageTemp), 1), Row(c.model.Table(PageTemp), 1));

    LoadInFile(d.model, kData + "no_final_newline.prd", d.prompt);
    EXPECT_EQ(d.model.Table(PagePrd).RowCount(), 3);
    EXPECT_EQ(d.model.Table(PagePrd).Cell(9, 2), Utf8ToCp1251("Труба"));
    for (auto* f : {&a, &b, &c, &d}) EXPECT_TRUE(f->prompt.events().empty());
}

TEST(DataFileRead, ShortAndLongLines) {
    Fixture f;
    LoadInFile(f.model, kData + "short_trailing.gas", f.prompt);
    const auto& t = f.model.Table(PageGas);
    ASSERT_EQ(t.RowCount(), 3);
    EXPECT_EQ(t.Cell(15, 1), "21,5");
    EXPECT_EQ(t.Cell(16, 1), "");
    EXPECT_EQ(t.Cell(19, 1), "");
    EXPECT_EQ(t.Cell(19, 2), Utf8ToCp1251("Газ"));

    // Extra fields are dropped; so is text after the last TAB.
    LoadInFile(f.model, kData + "long_lines.gas", f.prompt);
    ASSERT_EQ(t.RowCount(), 3);
    EXPECT_EQ(t.Cell(19, 1), Utf8ToCp1251("Газ"));
    EXPECT_EQ(t.Cell(19, 2), Utf8ToCp1251("Газ"));
    ASSERT_TRUE(SaveChartToFile(f.model, f.dir / "again.gas", true, false, false, f.prompt));
    const std::string saved = ReadAll(f.dir / "again.gas");
    EXPECT_EQ(saved.find("x1"), std::string::npos);
    EXPECT_EQ(saved.find("tail"), std::string::npos);
    EXPECT_TRUE(f.prompt.events().empty());
}

TEST(DataFileRead, TextInChartColumnsIsNoError) {
    Fixture f;
    LoadInFile(f.model, kData + "letters.gas", f.prompt);
    EXPECT_TRUE(f.prompt.events().empty());
    const auto& t = f.model.Table(PageGas);
    ASSERT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.Cell(13, 1), "abc");
    // A blank first line stores nothing: row 0 keeps its texts.
    EXPECT_EQ(t.Cell(0, 0), Utf8ToCp1251("Номер"));
}

TEST(DataFileRead, FormatErrorKeepsTheRowsBeforeTheFailingLine) {
    struct Case { const char* name; int page; int rowsKept; };
    for (const Case& c : {Case{"short_chart.gas", PageGas, 2}, Case{"blank_line.tmpr", PageTemp, 2},
                          Case{"lone_minus.prd", PagePrd, 2}, Case{"dot_decimal.gas", PageGas, 3}}) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.model.SetActivePage((c.page + 1) % kPageCount);
        LoadInFile(f.model, kData + c.name, f.prompt);
        EXPECT_EQ(f.prompt.events(), std::vector<PromptEvent>{kReadBox});  // no beep
        const auto& t = f.model.Table(c.page);
        EXPECT_EQ(t.RowCount(), c.rowsKept);  // the failing line added no row
        EXPECT_EQ(t.CurrentRow(), c.rowsKept - 1);
        EXPECT_FALSE(t.Cell(0, c.rowsKept - 1).empty());
        EXPECT_EQ(f.model.ActivePage(), (c.page + 1) % kPageCount);
        EXPECT_FALSE(f.model.NewData(c.page));
    }
}

TEST(DataFileRead, IgnoredAndMissingFilesLeaveTheTable) {
    Fixture f;
    f.Receive(PageGas, 2);
    const std::string before = Row(f.model.Table(PageGas), 2);

    LoadInFile(f.model, kData + "DATA.GAS", f.prompt);
    LoadInFile(f.model, kData + "noext", f.prompt);
    EXPECT_TRUE(f.prompt.events().empty());

    LoadInFile(f.model, f.dir / "missing.gas", f.prompt);
    EXPECT_EQ(f.prompt.events(), std::vector<PromptEvent>{kReadBox});
    EXPECT_EQ(f.model.Table(PageGas).RowCount(), 3);
    EXPECT_EQ(Row(f.model.Table(PageGas), 2), before);
    EXPECT_TRUE(f.model.NewData(PageGas));
}

TEST(DataFileRead, EmptyFileClearsTheTable) {
    Fixture f;
    f.Receive(PagePrd, 3);
    LoadInFile(f.model, kData + "empty.gas", f.prompt);  // another kind: prd untouched
    f.Receive(PageGas, 3);
    f.model.SetActivePage(PagePrd);
    LoadInFile(f.model, kData + "empty.gas", f.prompt);
    EXPECT_TRUE(f.prompt.events().empty());
    const auto& t = f.model.Table(PageGas);
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(f.model.ActivePage(), PageGas);
    EXPECT_EQ(f.model.Table(PagePrd).RowCount(), 4);

    LoadInFile(f.model, kData + "header_only.tmpr", f.prompt);
    EXPECT_EQ(f.model.Table(PageTemp).RowCount(), 1);
}

TEST(DataFileWrite, FailureKeepsTheOldFileAndReports) {
    Fixture f;
    f.Receive(PageGas, 200);
    const std::string target = f.dir / "old.gas";
    const std::string old = "previous content\r\n";
    WriteAll(target, old);

    // The write fails part way: a file size limit well below the table's size.
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &limited);
    const bool written = SaveChartToFile(f.model, target, true, false, false, f.prompt);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(f.prompt.beeps(), 1u);
    EXPECT_EQ(f.prompt.boxes(), std::vector<PromptEvent>{kWriteBox});
    EXPECT_EQ(f.prompt.events()[0].kind, PromptEvent::Beep);
    EXPECT_EQ(ReadAll(target), old);
    EXPECT_EQ(f.dir.EntryCount(), 1u);
    EXPECT_EQ(f.model.Table(PageGas).RowCount(), 201);

    // A read-only file and a folder in the way fail the same way.
    chmod(target.c_str(), 0444);
    EXPECT_FALSE(SaveChartToFile(f.model, target, true, false, false, f.prompt));
    EXPECT_EQ(ReadAll(target), old);
    fs::create_directory(f.dir / "dir.gas");
    EXPECT_FALSE(SaveChartToFile(f.model, f.dir / "dir.gas", true, false, false, f.prompt));
    EXPECT_EQ(f.prompt.beeps(), 3u);
}

TEST(DataFileProgress, CancelledLoadKeepsRowsAndCancelledSaveKeepsFile) {
    Fixture f;
    // About 9 MB of rows: more than one read block.
    f.Receive(PageTemp, 60000);
    const std::string big = f.dir / "big.tmpr";
    ASSERT_TRUE(SaveChartToFile(f.model, big, false, true, false, f.prompt));
    const std::string content = ReadAll(big);
    ASSERT_GT(content.size(), 4u << 20);

    std::vector<double> seen;
    Fixture g;
    LoadInFile(g.model, big, g.prompt, [&](double fraction) {
        seen.push_back(fraction);
        return false;
    });
    EXPECT_EQ(seen.size(), 1u);
    const auto& t = g.model.Table(PageTemp);
    EXPECT_GT(t.RowCount(), 2);
    EXPECT_LT(t.RowCount(), 60001);
    EXPECT_EQ(Row(t, t.RowCount() - 1), Row(f.model.Table(PageTemp), t.RowCount() - 1));
    EXPECT_TRUE(g.prompt.events().empty());

    // Uncancelled: fractions rise to 1 and everything loads.
    seen.clear();
    LoadInFile(g.model, big, g.prompt, [&](double fraction) {
        seen.push_back(fraction);
        return true;
    });
    EXPECT_EQ(t.RowCount(), 60001);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_DOUBLE_EQ(seen.back(), 1.0);

    f.Receive(PageTemp, 1);
    EXPECT_FALSE(SaveChartToFile(f.model, big, false, true, false, f.prompt, [](double) { return false; }));
    EXPECT_EQ(ReadAll(big), content);
    EXPECT_EQ(f.dir.EntryCount(), 1u);
    EXPECT_TRUE(f.prompt.events().empty());
}

TEST(DefaultDataFileName, DatedNameBesideTheProgramOrInHome) {
    TempDir dir;
    const DateTime day{2024, 3, 5, 23, 59, 59, 0};
    EXPECT_EQ(DefaultDataFileName(dir / "analyser.exe", day, PageGas, "/home/u"), dir / "analyser-24-03-05.gas");
    EXPECT_EQ(DefaultDataFileName(dir / "analyser", day, PageTemp, "/home/u"), dir / "analyser-24-03-05.tmpr");
    EXPECT_EQ(DefaultDataFileName("/nonexistent-vornik/bin/vornik-pc", DateTime{2031, 12, 24}, PagePrd, "/home/u"),
              "/home/u/vornik-pc-31-12-24.prd");
    WriteAll(dir / kInstalledMarkerName, "");  // an installer's folder holds no data files
    EXPECT_EQ(DefaultDataFileName(dir / "analyser", day, PageGas, "/home/u"), "/home/u/analyser-24-03-05.gas");
}

TEST(DataFileRead, WhichChartCellsAreNumbers) {
    // One data line per case, the cell in the first chart column.
    const std::pair<const char*, bool> cases[] = {
        {"-5", true},   {",5", true},  {"5,", true},  {"-,5", true},  {"0,0450", true},
        {"nd", true},   {"1a", true},  {" 5", true},  {"", false},    {"-", false},
        {",", false},   {"12.5", false}, {"1-2", false}, {"--1", false}, {"1,,2", false}};
    for (const auto& [cell, loads] : cases) {
        SCOPED_TRACE(cell);
        Fixture f;
        const std::string file = f.dir / "c.tmpr";
        WriteAll(file, "h\t\r\n1\t2\t3\t" + std::string(cell) + "\t1\t1\t1\t1\tn\to\t\r\n");
        LoadInFile(f.model, file, f.prompt);
        EXPECT_EQ(f.prompt.events().empty(), loads);
        // A first row that cannot load leaves the table as it was: empty.
        EXPECT_EQ(f.model.Table(PageTemp).RowCount(), 2);
        EXPECT_EQ(f.model.Table(PageTemp).Cell(0, 1), loads ? "1" : "");
    }
}

TEST(DataFileRead, UnreadableFileLeavesTheTable) {
    Fixture f;
    f.Receive(PageTemp, 2);
    fs::create_directory(f.dir / "folder.tmpr");  // opens, but cannot be read
    LoadInFile(f.model, f.dir / "folder.tmpr", f.prompt);
    EXPECT_EQ(f.prompt.events(), std::vector<PromptEvent>{kReadBox});
    EXPECT_EQ(f.model.Table(PageTemp).RowCount(), 3);
    EXPECT_TRUE(f.model.NewData(PageTemp));
}
