// The logger as its users run it, unattended: the real vornik-log process on
// a real pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <numeric>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "ReplyBuilder.h"
#include "TestFiles.h"
#include "TestPty.h"

using namespace vornik::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// vornik-log with its log in a file.
struct Logger : ChildProcess {
    Logger(std::vector<std::string> args, const std::string& log)
        : ChildProcess(WithProgram(std::move(args)), log) {}
    static std::vector<std::string> WithProgram(std::vector<std::string> args) {
        args.insert(args.begin(), VORNIK_BINARY_DIR "/vornik-log");
        return args;
    }
};

std::string OnlyFile(const std::string& folder, const std::string& extension) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == extension) return entry.path();
    return "";
}

size_t RowCount(const std::string& file) {
    const std::string text = ReadAll(file);
    return text.empty() ? 0 : static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) - 1;
}

// The logger's name of today's file of a kind: "vornik-pc-yy-mm-dd.gas".
std::string DayFileName(const std::string& extension) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char name[64];
    std::strftime(name, sizeof name, "vornik-pc-%y-%m-%d", &local);
    return name + extension;
}

// The first cells ("<row>/<reply number>") of a day file's rows; a row that
// is not whole (20 cells, CR LF) is reported.
std::vector<std::string> RowStarts(const std::string& file) {
    std::istringstream lines(ReadAll(file));
    std::vector<std::string> starts;
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 20) << line;
        EXPECT_EQ(line.back(), '\r') << line;
        starts.push_back(line.substr(0, line.find('\t')));
    }
    return starts;
}

// The number after `before` in the last line of `log` that holds it.
long long NumberAfter(const std::string& log, const std::string& before) {
    const size_t at = log.rfind(before);
    return at == std::string::npos ? -1 : std::atoll(log.c_str() + at + before.size());
}

TEST(HeadlessProcess, APortNotThereAtStartOrHeldByAnotherIsOpenedOnceItIsFree) {
    TempDir dir;
    TestPty pty;
    const std::string port = dir / "ttyUSB0";  // the adapter is not plugged in yet
    const std::string out = dir / "out";
    Logger logger({"--port", port, "--out", out, "--status", "1"}, dir / "log");
    std::this_thread::sleep_for(1500ms);

    // Plugged in, but still held exclusively by a program that did not let go.
    fs::create_symlink(pty.path, port);
    const int holder = open(pty.path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(Count(logger.Log(), "недоступен"), 1u) << logger.Log();
    EXPECT_EQ(Count(logger.Log(), "приём"), 0u);

    close(holder);
    ASSERT_TRUE(WaitFor([&] { return Count(logger.Log(), "приём") == 1; })) << logger.Log();
    pty.Send(GasReply().Bytes() + GasReply().Set(1, "18").Bytes() + TempReply().Bytes());
    ASSERT_TRUE(WaitFor([&] { return Count(logger.Log(), "status: rows gas 2, temperature 1") > 0; }))
        << logger.Log();
    EXPECT_EQ(RowCount(OnlyFile(out, ".gas")), 2u);
    EXPECT_EQ(RowCount(OnlyFile(out, ".tmpr")), 1u);
    EXPECT_EQ(logger.Stop(), 0);
    EXPECT_NE(logger.Log().find("stopped; rows written: 3"), std::string::npos);
}

TEST(HeadlessProcess, AnOutFolderThatCannotBeMadeEndsTheStartBeforeThePort) {
    TempDir dir;
    TestPty pty;
    WriteAll(dir / "file", "x");
    Logger logger({"--port", pty.path, "--out", dir / "file/out"}, dir / "log");
    EXPECT_EQ(logger.Wait(), 73);
    EXPECT_NE(logger.Log().find("cannot write data files: the folder " + dir / "file/out"), std::string::npos);
    EXPECT_EQ(logger.Log().find("listening"), std::string::npos);
}

TEST(HeadlessProcess, ARunStartedAgainOnTheSameDayNumbersOnInTheDayFile) {
    TempDir dir;
    for (int run = 0; run < 2; ++run) {
        TestPty pty;
        Logger logger({"--port", pty.path, "--out", dir.path()}, dir / "log");
        ASSERT_TRUE(WaitFor([&] { return Count(logger.Log(), "приём") == size_t(run + 1); }));
        pty.Send(GasReply().Bytes() + GasReply().Bytes());
        ASSERT_TRUE(WaitFor([&] { return RowCount(OnlyFile(dir.path(), ".gas")) == size_t(2 * run + 2); }));
        EXPECT_EQ(logger.Stop(), 0);
    }
    const std::string day = ReadAll(OnlyFile(dir.path(), ".gas"));
    for (const char* row : {"\n1/17\t", "\n2/17\t", "\n3/17\t", "\n4/17\t"})
        EXPECT_NE(day.find(row), std::string::npos) << row;
}

TEST(HeadlessProcess, TwoLoggersInOneFolderNeitherLoseNorRepeatRowsAndAFailingOneTakesNoneBack) {
    TempDir dir;
    const std::string out = dir / "out";
    TestPty a, b;
    Logger first({"--port", a.path, "--out", out}, dir / "a.log");
    // The second may write no file beyond 40 kB: its appends start failing
    // while the first goes on, and each failed one is taken back.
    ChildProcess second({"/bin/sh", "-c",
                         "trap '' XFSZ; exec prlimit --fsize=40000 " VORNIK_BINARY_DIR "/vornik-log --port " +
                             b.path + " --out " + out + " --status 1"},
                        dir / "b.log");
    ASSERT_TRUE(WaitFor([&] { return Count(first.Log() + second.Log(), "приём") == 2; }));

    constexpr int kRows = 600;
    for (int i = 0; i < kRows; ++i) {
        a.Send(GasReply().Set(1, std::to_string(10000 + i)).Bytes());
        b.Send(GasReply().Set(1, std::to_string(20000 + i)).Bytes());
    }
    const std::string day = out + "/" + DayFileName(".gas");
    ASSERT_TRUE(WaitFor([&] { return Count(second.Log(), "status: rows gas " + std::to_string(kRows)) > 0; }));
    ASSERT_TRUE(WaitFor([&] { return Count(ReadAll(day), "/1") >= size_t(kRows); }));
    EXPECT_EQ(first.Stop(), 0);
    EXPECT_EQ(second.Stop(), 0);
    const long long written = NumberAfter(second.Log(), "stopped; rows written: ");
    EXPECT_GT(written, 0);
    EXPECT_LT(written, kRows);
    EXPECT_EQ(NumberAfter(second.Log(), "rows that could not be written: "), kRows - written);

    // Every row once, numbered 1, 2, 3... in the file's order; each logger's
    // rows in the order received.
    const std::vector<std::string> starts = RowStarts(day);
    ASSERT_EQ(starts.size(), size_t(kRows + written));
    std::vector<int> replies[2], expected[2] = {std::vector<int>(kRows), std::vector<int>(size_t(written))};
    for (size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(starts[i].substr(0, starts[i].find('/')), std::to_string(i + 1));
        const int reply = std::atoi(starts[i].c_str() + starts[i].find('/') + 1);
        replies[reply >= 20000].push_back(reply);
    }
    std::iota(expected[0].begin(), expected[0].end(), 10000);
    std::iota(expected[1].begin(), expected[1].end(), 20000);
    EXPECT_EQ(replies[0], expected[0]);
    EXPECT_EQ(replies[1], expected[1]);
}

TEST(HeadlessProcess, AFifoUnderADayFileNameIsRefusedAtOnceAndItsRowsWaitForTheFile) {
    TempDir dir;
    TestPty pty;
    const std::string today = dir / DayFileName(".gas");
    ASSERT_EQ(mkfifo(today.c_str(), 0644), 0);
    Logger logger({"--port", pty.path, "--out", dir.path(), "--status", "1"}, dir / "log");
    ASSERT_TRUE(WaitFor([&] { return Count(logger.Log(), "приём") == 1; }));

    pty.Send(GasReply().Bytes() + GasReply().Set(1, "18").Bytes() + TempReply().Bytes());
    ASSERT_TRUE(WaitFor([&] { return Count(logger.Log(), "rows waiting to be written 3") > 0; })) << logger.Log();
    EXPECT_EQ(Count(logger.Log(), today + ": not a regular file"), 1u) << logger.Log();

    fs::remove(today);
    ASSERT_TRUE(WaitFor([&] { return Count(logger.Log(), "every kept row is written") == 1; })) << logger.Log();
    EXPECT_EQ(RowStarts(today), (std::vector<std::string>{"1/17", "2/18"}));
    EXPECT_EQ(RowCount(dir / DayFileName(".tmpr")), 1u);
    EXPECT_EQ(logger.Stop(), 0);
}

TEST(HeadlessProcess, AnotherUsersDayFileInASharedFolderIsLeftAloneForAFileOfOurOwn) {
    if (geteuid() != 0) GTEST_SKIP() << "a file of another user can only be made as root";
    TempDir dir;
    const std::string shared = dir / "shared";
    fs::create_directory(shared);
    chmod(shared.c_str(), 01777);  // like /tmp
    // The day file and the first name of our own are another user's.
    const std::string uid = "-uid" + std::to_string(geteuid());
    const std::string day = shared + "/" + DayFileName(".gas");
    const std::string ownFirst = shared + "/" + DayFileName(uid + ".gas");
    for (const std::string& planted : {day, ownFirst}) {
        WriteAll(planted, "planted\r\n");
        ASSERT_EQ(chown(planted.c_str(), 65534, 65534), 0);
    }

    TestPty pty;
    Logger logger({"--port", pty.path, "--out", shared}, dir / "log");
    ASSERT_TRUE(WaitFor([&] { return Count(logger.Log(), "приём") == 1; }));
    pty.Send(GasReply().Bytes() + GasReply().Set(1, "18").Bytes() + GasReply().Set(1, "19").Bytes());
    const std::string own = shared + "/" + DayFileName(uid + "-2.gas");
    ASSERT_TRUE(WaitFor([&] { return RowCount(own) == 3; })) << logger.Log();
    EXPECT_EQ(RowStarts(own), (std::vector<std::string>{"1/17", "2/18", "3/19"}));
    EXPECT_EQ(ReadAll(day), "planted\r\n");
    EXPECT_EQ(ReadAll(ownFirst), "planted\r\n");
    EXPECT_EQ(Count(logger.Log(), "the day file " + day + " belongs to another user in a shared folder; "
                                  "its rows go to " + own), 1u) << logger.Log();
    EXPECT_EQ(logger.Stop(), 0);
}

TEST(HeadlessProcess, UnderLineNoiseAnErrorIsLoggedOnceWithTheCountOfItsRepeats) {
    TempDir dir;
    TestPty pty;
    Logger logger({"--port", pty.path, "--out", dir.path(), "--status", "1"}, dir / "log");
    ASSERT_TRUE(WaitFor([&] { return Count(logger.Log(), "приём") == 1; }));
    std::string noise;
    {
        std::FILE* sim = popen(VORNIK_BINARY_DIR "/vornik-sim --stdout --rate 0 --count 3000 --mix 1:0:0 "
                                                 "--noise 1 --faults number,line --quiet",
                               "r");
        ASSERT_NE(sim, nullptr);
        char chunk[65536];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, sim)) > 0;) noise.append(chunk, n);
        pclose(sim);
    }
    pty.Send(noise + TempReply().Bytes());  // the temperature row marks the end
    ASSERT_TRUE(WaitFor([&] { return Count(logger.Log(), ", temperature 1, ") > 0; })) << logger.Log();
    const long long errors = NumberAfter(logger.Log(), "reception errors ");
    EXPECT_EQ(logger.Stop(), 0);
    EXPECT_GT(errors, 1000);

    // Each kind of error once, and once more with its count at the end:
    // together they account for every error.
    std::istringstream lines(logger.Log());
    long long accounted = 0;
    size_t errorLines = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find(" reception: ") == std::string::npos) continue;
        ++errorLines;
        const size_t count = line.rfind(" (", line.rfind(" more like it since the last such line)"));
        accounted += count == std::string::npos ? 1 : std::atoll(line.c_str() + count + 2);
    }
    EXPECT_LE(errorLines, 10u) << logger.Log();
    EXPECT_EQ(accounted, errors) << logger.Log();
}

}  // namespace
