// The logger as its users run it, unattended: the real vornik-log process on
// a real pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
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

}  // namespace
