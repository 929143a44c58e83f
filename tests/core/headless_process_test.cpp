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

#include "ReplyBuilder.h"
#include "TestFiles.h"
#include "TestPty.h"

using namespace vornik::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (done()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return done();
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// vornik-log with its log in a file.
class Logger {
public:
    Logger(const std::vector<std::string>& args, const std::string& log) : log_(log) {
        pid_ = fork();
        if (pid_ == 0) {
            const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            dup2(fd, 2);
            // The test's own terminals must close when the test closes them,
            // and the program must not outlive a test that ends early.
            for (int other = 3; other < 1024; ++other) close(other);
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            std::vector<char*> argv{const_cast<char*>(VORNIK_BINARY_DIR "/vornik-log")};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~Logger() {
        if (pid_ > 0) Stop();
    }
    // SIGTERM, then the exit status (-1 when it did not end in time).
    int Stop() {
        kill(pid_, SIGTERM);
        return Wait();
    }
    int Wait() {
        int status = 0;
        const bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
        if (!ended) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
        return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Log() const { return ReadAll(log_); }

private:
    std::string log_;
    pid_t pid_ = -1;
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
