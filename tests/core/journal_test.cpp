#include <gtest/gtest.h>

#include <csignal>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "ReplyBuilder.h"
#include "ScriptedPrompt.h"
#include "core/Cp1251.h"
#include "core/Errors.h"
#include "datafiles/RecoveryJournal.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyGenerator.h"
#include "tables/MainModel.h"

#include "TestFiles.h"

using namespace vornik;
using namespace vornik::test;
namespace fs = std::filesystem;

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> Cells(const MeasurementTable& table, int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < table.ColumnCount(); ++c) cells.emplace_back(table.Cell(c, row));
    return cells;
}

std::vector<std::string_view> Views(const std::vector<std::string>& cells) {
    return {cells.begin(), cells.end()};
}

// The data rows of every page, page by page.
[[maybe_unused]] std::vector<JournalRow> TableRows(const MainModel& model) {
    std::vector<JournalRow> rows;
    for (int page = 0; page < kPageCount; ++page) {
        const MeasurementTable& table = model.Table(page);
        if (table.IsEmpty()) continue;
        for (int r = 1; r < table.RowCount(); ++r) rows.push_back({page, Cells(table, r)});
    }
    return rows;
}

// A reply stream that a run receives: mostly good replies, some damaged.
class Stream {
public:
    explicit Stream(uint64_t seed) : gen_(seed) {}
    std::string Next() {
        const int page = gen_.PickPage({5, 3, 2});
        std::string reply = gen_.Reply(page);
        if (gen_.Random().Chance(0.1))
            reply = gen_.Damage(reply, ReplyFault(gen_.Random().Below(kReplyFaultCount)));
        return reply;
    }

private:
    ReplyGenerator gen_;
};

// One program run: tables, decoder and a journal recording its rows.
struct ProgramRun {
    explicit ProgramRun(const std::string& path) : decoder(model, prompt, [](const std::string&) {}), journal(path) {
        model.GridsLayout(800);
    }
    MainModel model;
    ScriptedPrompt prompt;
    ReplyDecoder decoder;
    RecoveryJournal journal;
};

class JournalTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir / "vornik-pc.journal";
};

// A prompt whose questions arrive with rows from the line while they are open.
class ReceivingPrompt : public ScriptedPrompt {
public:
    ReceivingPrompt(ReplyDecoder& decoder, std::string bytes) : decoder_(decoder), bytes_(std::move(bytes)) {}
    bool AskYesNo(const std::string& text) override {
        decoder_.RecieveAll(bytes_);
        return ScriptedPrompt::AskYesNo(text);
    }

private:
    ReplyDecoder& decoder_;
    std::string bytes_;
};

TEST_F(JournalTest, PathLiesBesideTheSettingsFile) {
    EXPECT_EQ(JournalPathFor("/opt/meter/prog.ini"), "/opt/meter/prog.journal");
}

TEST_F(JournalTest, DecodedRowsComeBackInArrivalOrderUntilRetired) {
    ProgramRun run(path);
    ASSERT_TRUE(run.journal.Open());
    run.journal.Attach(run.decoder, run.model);
    run.decoder.RecieveAll(GasReply().Bytes() + TempReply().Bytes() + GasReply().Set(1, "18").Bytes() +
                           PrdReply().Bytes());

    const std::vector<JournalRow> expected = {
        {PageGas, Cells(run.model.Table(PageGas), 1)},
        {PageTemp, Cells(run.model.Table(PageTemp), 1)},
        {PageGas, Cells(run.model.Table(PageGas), 2)},
        {PagePrd, Cells(run.model.Table(PagePrd), 1)},
    };
    EXPECT_EQ(RecoveryJournal::ReadPending(path), expected);
    EXPECT_EQ(run.journal.PendingRows(PageGas), 2);

    run.journal.Retire(PageGas);
    EXPECT_EQ(RecoveryJournal::ReadPending(path), (std::vector<JournalRow>{expected[1], expected[3]}));

    // Rows after a retire are pending again.
    run.decoder.RecieveAll(GasReply().Set(1, "19").Bytes());
    EXPECT_EQ(RecoveryJournal::ReadPending(path).back().cells, Cells(run.model.Table(PageGas), 3));

    // With every page retired the file shrinks back to its header.
    for (int page = 0; page < kPageCount; ++page) run.journal.Retire(page);
    EXPECT_TRUE(RecoveryJournal::ReadPending(path).empty());
    EXPECT_EQ(fs::file_size(path), 8u);

    run.decoder.RecieveAll(TempReply().Bytes());
    EXPECT_EQ(RecoveryJournal::ReadPending(path).size(), 1u);

    run.journal.CloseCleanly();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(RecoveryJournal::ReadPending(path).empty());
}

TEST_F(JournalTest, PagesRetireWhenTheirRowsAreSavedClearedOrReplaced) {
    ProgramRun run(path);
    ASSERT_TRUE(run.journal.Open());
    run.journal.Attach(run.decoder, run.model);
    run.decoder.RecieveAll(GasReply().Bytes() + TempReply().Bytes() + PrdReply().Bytes());
    EXPECT_EQ(RecoveryJournal::ReadPending(path).size(), 3u);

    // A cancelled save dialog clears the flag but writes nothing.
    run.model.SetNewData(PageGas, false);
    EXPECT_EQ(RecoveryJournal::ReadPending(path).size(), 3u);
    run.model.RowsSaved(PageGas);
    run.model.ChartClear(false, true, false);
    const auto pending = RecoveryJournal::ReadPending(path);
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].page, PagePrd);
    EXPECT_EQ(run.journal.PendingRows(PageGas), 0);
    EXPECT_EQ(run.journal.PendingRows(PagePrd), 1);
}

TEST_F(JournalTest, FileFollowsTheRowsNotYetSaved) {
    ProgramRun run(path);
    ASSERT_TRUE(run.journal.Open());
    run.journal.Attach(run.decoder, run.model);
    run.decoder.RecieveAll(GasReply().Bytes() + GasReply().Set(1, "18").Bytes());
    // Temperature rows saved every 500 rows; the two gas rows stay unsaved.
    for (int i = 1; i <= 8000; ++i) {
        run.decoder.RecieveAll(TempReply().Set(1, std::to_string(i)).Bytes());
        if (i % 500 == 0 && i < 8000) run.model.RowsSaved(PageTemp);
    }
    EXPECT_LT(fs::file_size(path), 400u << 10);  // 8,000 rows are about 1 MB
    const auto pending = RecoveryJournal::ReadPending(path);
    ASSERT_EQ(pending.size(), 502u);
    EXPECT_EQ(std::count_if(pending.begin(), pending.end(), [](const JournalRow& r) { return r.page == PageGas; }), 2);
    const MeasurementTable& temp = run.model.Table(PageTemp);
    EXPECT_EQ(pending.back().cells, Cells(temp, temp.RowCount() - 1));
    EXPECT_EQ(run.journal.PendingRows(PageTemp), 500);
}

TEST_F(JournalTest, TornOrDamagedTailIsIgnored) {
    RecoveryJournal journal(path);
    ASSERT_TRUE(journal.Open());
    std::vector<size_t> ends;  // file size after each complete row record
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 3; ++i) {
        rows.push_back({std::to_string(i + 1) + "/7", "05.03.24", "", "12,5", "1,0", "2", "3", "4", "5", "\xCF\xE5\xF7\xFC"});
        journal.Append(PageTemp, Views(rows.back()));
        ends.push_back(fs::file_size(path));
    }
    const std::string whole = ReadAll(path);
    journal.CloseCleanly();

    // Every cut of the file gives exactly the rows whose records are whole.
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        WriteFile(path, whole.substr(0, cut));
        size_t whole_rows = 0;
        while (whole_rows < ends.size() && ends[whole_rows] <= cut) ++whole_rows;
        const auto pending = RecoveryJournal::ReadPending(path);
        ASSERT_EQ(pending.size(), whole_rows) << "cut at " << cut;
        for (size_t i = 0; i < pending.size(); ++i) EXPECT_EQ(pending[i].cells, rows[i]);
    }

    // A flipped bit costs only its record, also in the length or the
    // checksum; a zero-filled tail left by a power cut is a torn tail.
    for (size_t at : {ends[0] + 2, ends[0] + 5, ends[1] - 3}) {
        std::string flipped = whole;
        flipped[at] ^= 0x20;
        WriteFile(path, flipped);
        int damaged = 0;
        const auto pending = RecoveryJournal::ReadPending(path, &damaged);
        ASSERT_EQ(pending.size(), 2u) << at;
        EXPECT_EQ(pending[0].cells, rows[0]);
        EXPECT_EQ(pending[1].cells, rows[2]);
        EXPECT_EQ(damaged, 1);
    }
    {
        // The start-up question says what could not be read.
        ProgramRun next(path);  // (the last flip, in the second record)
        next.prompt.Answer(true);
        EXPECT_EQ(next.journal.OpenAndOfferRestore(next.model, next.prompt), 2);
        EXPECT_EQ(next.prompt.boxes().at(0).text,
                  "Работа программы была прервана.\r\nВосстановить несохранённые данные (строк: 2)?\r\n"
                  "Повреждённых записей журнала: 1, их строки не восстановить.");
    }  // (a taken journal refuses other writers on Windows)

    int damaged = 0;
    WriteFile(path, whole + std::string(4096, '\0'));
    EXPECT_EQ(RecoveryJournal::ReadPending(path, &damaged).size(), 3u);
    EXPECT_EQ(damaged, 0);

    // A file that is not a journal holds nothing.
    WriteFile(path, "Номер\tДата\t\r\n");
    EXPECT_TRUE(RecoveryJournal::ReadPending(path).empty());
}

TEST_F(JournalTest, RestoreAppendsRowsAsUnsaved) {
    ProgramRun before(path);
    ASSERT_TRUE(before.journal.Open());
    before.journal.Attach(before.decoder, before.model);
    before.decoder.RecieveAll(GasReply().Bytes() + TempReply().Bytes() + GasReply().Set(1, "18").Bytes());
    const std::vector<JournalRow> rows = RecoveryJournal::ReadPending(path);
    ASSERT_EQ(rows.size(), 3u);

    // The next run loaded a gas file first: restored rows follow its rows and
    // are numbered by the row they land in.
    ProgramRun after(path);
    after.model.AppendRow(PageGas);
    after.model.Table(PageGas).SetCell(0, 1, "1/5");

    std::vector<JournalRow> input = rows;
    input.push_back({PagePrd, {"too", "few"}});
    JournalRow notNumbers = rows[1];
    notNumbers.cells[3] = "12.5";
    input.push_back(notNumbers);
    EXPECT_EQ(RecoveryJournal::Restore(after.model, input), 3);

    const MeasurementTable& gas = after.model.Table(PageGas);
    ASSERT_EQ(gas.RowCount(), 4);
    EXPECT_EQ(gas.Cell(0, 2), "2/17");
    EXPECT_EQ(gas.Cell(0, 3), "3/18");
    for (int c = 1; c < gas.ColumnCount(); ++c) EXPECT_EQ(gas.Cell(c, 2), rows[0].cells[size_t(c)]);
    EXPECT_EQ(Cells(after.model.Table(PageTemp), 1), rows[1].cells);
    EXPECT_EQ(after.model.Table(PagePrd).RowCount(), 2);
    EXPECT_TRUE(after.model.Table(PagePrd).IsEmpty());

    EXPECT_TRUE(after.model.NewData(PageGas));
    EXPECT_TRUE(after.model.NewData(PageTemp));
    EXPECT_FALSE(after.model.NewData(PagePrd));
    EXPECT_TRUE(after.model.SaveCommandEnabled());
}

TEST_F(JournalTest, StartUpAsksOnlyWhenRowsWereLeftBehind) {
    {
        ProgramRun clean(path);
        clean.journal.OpenAndOfferRestore(clean.model, clean.prompt);
        EXPECT_TRUE(clean.prompt.boxes().empty());
        clean.journal.Attach(clean.decoder, clean.model);
        clean.decoder.RecieveAll(GasReply().Bytes() + TempReply().Bytes());
        // Ends without CloseCleanly: an abnormal end.
    }
    {
        ProgramRun declined(path);
        declined.prompt.Answer(false);
        EXPECT_EQ(declined.journal.OpenAndOfferRestore(declined.model, declined.prompt), 0);
        ASSERT_EQ(declined.prompt.boxes().size(), 1u);
        EXPECT_EQ(declined.prompt.boxes()[0].kind, PromptEvent::Question);
        EXPECT_EQ(declined.prompt.boxes()[0].text,
                  "Работа программы была прервана.\r\nВосстановить несохранённые данные (строк: 2)?");
        EXPECT_TRUE(declined.model.Table(PageGas).IsEmpty());
        // Declined rows are given up for good.
        EXPECT_TRUE(RecoveryJournal::ReadPending(path).empty());
        declined.journal.Attach(declined.decoder, declined.model);
        declined.decoder.RecieveAll(PrdReply().Bytes());
    }
    ProgramRun accepted(path);
    accepted.prompt.Answer(true);
    EXPECT_EQ(accepted.journal.OpenAndOfferRestore(accepted.model, accepted.prompt), 1);
    EXPECT_EQ(accepted.model.Table(PagePrd).Cell(0, 1), "1/5");
    EXPECT_TRUE(accepted.model.NewData(PagePrd));
    // The restored rows are unsaved again, so another crash keeps them.
    EXPECT_EQ(RecoveryJournal::ReadPending(path).size(), 1u);
}

TEST_F(JournalTest, RowsReceivedWhileTheQuestionIsOpenAreRecorded) {
    {
        ProgramRun crashed(path);
        ASSERT_TRUE(crashed.journal.Open());
        crashed.journal.Attach(crashed.decoder, crashed.model);
        crashed.decoder.RecieveAll(GasReply().Set(1, "1").Bytes() + TempReply().Bytes());
    }
    const std::string crashed = ReadAll(path);
    for (bool restore : {true, false}) {
        WriteFile(path, crashed);
        ProgramRun next(path);
        ReceivingPrompt prompt(next.decoder, GasReply().Set(1, "2").Bytes() + GasReply().Set(1, "3").Bytes());
        prompt.Answer(restore);
        ASSERT_EQ(next.journal.Take(), JournalFile::TakeResult::Taken);
        next.journal.Attach(next.decoder, next.model);
        EXPECT_EQ(next.journal.OfferRestore(next.model, prompt), restore ? 2 : 0);

        // Rows of the line come first in the table, the restored ones after.
        const MeasurementTable& gas = next.model.Table(PageGas);
        ASSERT_EQ(gas.RowCount(), restore ? 4 : 3);
        EXPECT_EQ(gas.Cell(0, 1), "1/2");
        if (restore) {
            EXPECT_EQ(gas.Cell(0, 3), "3/1");
        }
        // Whatever the answer, a crash now keeps every row of the tables.
        EXPECT_EQ(RecoveryJournal::ReadPending(path).size(), restore ? 4u : 2u);
    }
}

TEST_F(JournalTest, JournalThatCannotBeCreatedAtTheStartIsCreatedOnceItCanBe) {
    // The folder of the journal is missing at the start, as an unwritable
    // settings folder would make it.
    const fs::path later = fs::path(path).parent_path() / "later";
    const std::string laterPath = (later / "x.journal").string();
    ProgramRun run(laterPath);
    EXPECT_FALSE(run.journal.Open());
    EXPECT_FALSE(run.journal.IsOpen());
    run.journal.Attach(run.decoder, run.model);
    EXPECT_NE(run.journal.StatusText().find(laterPath), std::string::npos);
    EXPECT_EQ(run.journal.ShortStatusText().rfind(kJournalShortErrorText, 0), 0u);
    for (int i = 0; i < 3; ++i) EXPECT_NO_THROW(run.decoder.RecieveAll(GasReply().Set(1, std::to_string(i)).Bytes()));
    EXPECT_FALSE(run.journal.Retry());

    // Writable now: the rows received meanwhile are protected, and so is
    // every row after them.
    fs::create_directory(later);
    EXPECT_TRUE(run.journal.Retry());
    EXPECT_TRUE(run.journal.IsOpen());
    EXPECT_EQ(run.journal.StatusText(), "");
    EXPECT_EQ(RecoveryJournal::ReadPending(laterPath), TableRows(run.model));
    run.decoder.RecieveAll(GasReply().Bytes());
    EXPECT_EQ(RecoveryJournal::ReadPending(laterPath).size(), 4u);
    run.journal.Retire(PageGas);
    EXPECT_TRUE(RecoveryJournal::ReadPending(laterPath).empty());
}

#ifndef _WIN32
// (The file size limit that stands in for a full disk is POSIX only.)
TEST_F(JournalTest, WriteFailureStaysReportedUntilWritingWorksAgain) {
    // A file size limit makes the journal's writes fail part way, as a full
    // disk would.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ProgramRun run(path);
    std::vector<std::string> errors;
    run.decoder.SetErrorReport([&](const std::string& t) { errors.push_back(t); });
    ASSERT_TRUE(run.journal.Open());
    run.journal.Attach(run.decoder, run.model);
    int statusChanges = 0;
    run.journal.SetStatusListener([&] { ++statusChanges; });
    rlimit small = old;
    small.rlim_cur = 1500;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    for (int i = 0; i < 20; ++i) run.decoder.RecieveAll(GasReply().Set(1, std::to_string(i)).Bytes());
    EXPECT_FALSE(run.journal.Retry());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(statusChanges, 1);
    EXPECT_EQ(run.journal.StatusText().rfind(kJournalWriteErrorText + path, 0), 0u) << run.journal.StatusText();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(run.model.Table(PageGas).RowCount(), 21);
    const auto written = RecoveryJournal::ReadPending(path);
    EXPECT_GT(written.size(), 0u);
    EXPECT_LT(written.size(), 20u);

    // Space again: every unsaved row is in the journal.
    EXPECT_TRUE(run.journal.Retry());
    EXPECT_EQ(statusChanges, 2);
    EXPECT_EQ(run.journal.StatusText(), "");
    EXPECT_EQ(RecoveryJournal::ReadPending(path), TableRows(run.model));
    run.decoder.RecieveAll(GasReply().Bytes());
    EXPECT_EQ(RecoveryJournal::ReadPending(path).size(), 21u);
}

#endif

TEST_F(JournalTest, EveryRunningCopyOwnsItsJournal) {
    const std::string settings = dir / "vornik-pc.ini";
    EXPECT_EQ(JournalPathFor(settings, 2), dir / "vornik-pc-2.journal");
    int copyA = 0, copyB = 0;
    auto a = TakeJournal(settings, copyA);
    ProgramRun runA(a->Path());
    a->Attach(runA.decoder, runA.model);
    runA.decoder.RecieveAll(GasReply().Bytes() + GasReply().Bytes());

    // A second copy neither offers, retires nor removes the first one's rows.
    auto b = TakeJournal(settings, copyB);
    EXPECT_EQ(copyA, 1);
    EXPECT_EQ(copyB, 2);
    EXPECT_NE(b->Path(), a->Path());
    EXPECT_EQ(b->Leftover().rows, 0);
    RecoveryJournal intruder(a->Path());
    EXPECT_EQ(intruder.Take(), JournalFile::TakeResult::Busy);
    EXPECT_FALSE(intruder.Open());
    b->CloseCleanly();
    runA.decoder.RecieveAll(GasReply().Bytes());
    EXPECT_EQ(RecoveryJournal::ReadPending(a->Path()).size(), 3u);

    // The first copy dies: the next start takes its journal with its rows...
    a.reset();
    auto c = TakeJournal(settings, copyA);
    EXPECT_EQ(copyA, 1);
    EXPECT_EQ(c->Leftover().rows, 3);
    c.reset();
    // ... also when the copy that died had a higher number.
    fs::rename(dir / "vornik-pc.journal", dir / "vornik-pc-3.journal");
    c = TakeJournal(settings, copyA);
    EXPECT_EQ(copyA, 3);
    EXPECT_EQ(c->Leftover().rows, 3);
}

// A FIFO, or on Windows a device name, where the journal would be.
TEST_F(JournalTest, SpecialFilesAreNotJournals) {
#ifdef _WIN32
    const std::string settings = dir / "nul.ini";  // "nul.journal" is the null device
#else
    const std::string settings = dir / "vornik-pc.ini";
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
#endif
    int copy = 0;
    auto journal = TakeJournal(settings, copy);  // must not block
    EXPECT_FALSE(journal->IsOpen());
    EXPECT_NE(journal->StatusText().find("not a regular file"), std::string::npos);
    EXPECT_TRUE(RecoveryJournal::ReadPending(JournalPathFor(settings)).empty());
}

// (fork and kill: POSIX only.)
#ifndef _WIN32
// A child process decodes an endless reply stream with the journal attached
// and tells the parent of every committed row; the parent kills it mid-stream.
// Every row the child reported must come back from the journal, exactly as
// a decoder fed the same stream produces it.
TEST_F(JournalTest, RowsDecodedBeforeAKillComeBack) {
    constexpr uint64_t kSeed = 42;
    constexpr int kRowsBeforeKill = 400;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        ProgramRun run(path);
        if (!run.journal.Open()) _exit(2);
        run.journal.Attach(run.decoder, run.model);
        run.decoder.AddRowListener([&](int, int) {
            const char tick = 1;
            if (write(fds[1], &tick, 1) != 1) _exit(3);
        });
        Stream stream(kSeed);
        for (;;)
            for (char c : stream.Next()) run.decoder.Recieve(nullptr, uint8_t(c), false);
    }
    close(fds[1]);
    int reported = 0;
    char ticks[256];
    while (reported < kRowsBeforeKill) {
        const ssize_t n = read(fds[0], ticks, sizeof ticks);
        ASSERT_GT(n, 0) << "child ended early";
        reported += int(n);
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    for (ssize_t n; (n = read(fds[0], ticks, sizeof ticks)) > 0;) reported += int(n);
    close(fds[0]);

    const std::vector<JournalRow> pending = RecoveryJournal::ReadPending(path);
    // The kill may fall between a row's journal record and its report.
    ASSERT_GE(int(pending.size()), reported);
    ASSERT_LE(int(pending.size()), reported + 1);

    // The same stream into a fresh decoder, up to the same number of rows.
    MainModel reference;
    ScriptedPrompt prompt;
    ReplyDecoder decoder(reference, prompt, [](const std::string&) {});
    int committed = 0;
    decoder.AddRowListener([&](int, int) { ++committed; });
    Stream stream(kSeed);
    while (committed < int(pending.size()))
        for (char c : stream.Next()) {
            decoder.Recieve(nullptr, uint8_t(c), false);
            if (committed == int(pending.size())) break;
        }

    ProgramRun restored(path);
    restored.prompt.Answer(true);
    EXPECT_EQ(restored.journal.OpenAndOfferRestore(restored.model, restored.prompt), int(pending.size()));
    EXPECT_EQ(TableRows(restored.model), TableRows(reference));
    for (int page = 0; page < kPageCount; ++page)
        EXPECT_EQ(restored.model.NewData(page), !reference.Table(page).IsEmpty());
}

#endif  // _WIN32

}  // namespace
