// The Windows serial driver end to end: vornik-log.exe under wine listens to
// a COM port that is a pseudo-terminal, the Linux vornik-log to another one,
// and both get the same generated traffic (damaged replies, an unplug in the
// middle of a reply, the device's return). Their day files must be the same
// bytes; at the instrument's own rate the Windows logger keeps up. Run by
// ./test --windows, which names the programs and the prefix in
// VORNIK_WINE, VORNIK_WINE_LOGGER, VORNIK_LINUX_LOGGER and WINEPREFIX.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "TestFiles.h"
#include "TestPty.h"
#include "reception/ReplyGenerator.h"

using namespace vornik;
using namespace vornik::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The day files of a folder, by name.
std::vector<std::pair<std::string, std::string>> DayFiles(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.emplace_back(entry.path().filename(), ReadAll(entry.path()));
    std::sort(files.begin(), files.end());
    return files;
}

class WineSerial : public ::testing::Test {
protected:
    void SetUp() override {
        if (Env("VORNIK_WINE_LOGGER").empty() || Env("WINEPREFIX").empty())
            GTEST_SKIP() << "run by ./test --windows";
        fs::create_directories(dir / "linux");
        fs::create_directories(dir / "wine");
    }

    // Both ports (re)appear as new pseudo-terminals.
    void PlugIn() {
        linuxPty = std::make_unique<TestPty>();
        winePty = std::make_unique<TestPty>();
        const fs::path com = fs::path(Env("WINEPREFIX")) / "dosdevices" / "com12";
        fs::remove(com);
        fs::create_symlink(winePty->path, com);
        fs::remove(dir / "port");
        fs::create_symlink(linuxPty->path, dir / "port");
    }
    void Unplug() {
        linuxPty.reset();
        winePty.reset();
    }
    void Send(const std::string& bytes) {
        linuxPty->Send(bytes);
        winePty->Send(bytes);
    }
    // Until both loggers have written the same rows and nothing more comes.
    bool SameFiles() {
        return WaitFor(
            [&] {
                const auto before = DayFiles(dir / "linux");
                std::this_thread::sleep_for(300ms);
                return !before.empty() && before == DayFiles(dir / "linux") && before == DayFiles(dir / "wine");
            },
            60s);
    }

    // Both loggers started and listening.
    void StartLoggers() {
        PlugIn();
        linuxLogger = std::make_unique<ChildProcess>(
            std::vector<std::string>{Env("VORNIK_LINUX_LOGGER"), "--port", dir / "port", "--out", dir / "linux"},
            dir / "linux.log");
        wineLogger = std::make_unique<ChildProcess>(
            std::vector<std::string>{Env("VORNIK_WINE"), Env("VORNIK_WINE_LOGGER"), "--port", "COM12", "--out",
                                     "Z:" + dir / "wine"},
            dir / "wine.log");
        ASSERT_TRUE(WaitFor([&] { return Listening(1); }, 60s)) << linuxLogger->Log() << wineLogger->Log();
    }
    bool Listening(size_t times) {
        return Count(linuxLogger->Log(), "приём") == times && Count(wineLogger->Log(), "приём") == times;
    }

    TempDir dir;
    std::unique_ptr<TestPty> linuxPty, winePty;
    std::unique_ptr<ChildProcess> linuxLogger, wineLogger;
};

TEST_F(WineSerial, TheWindowsLoggerWritesTheSameDayFilesAsTheLinuxOne) {
    StartLoggers();
    ChildProcess& linuxLogger = *this->linuxLogger;
    ChildProcess& wineLogger = *this->wineLogger;
    const auto listening = [&](size_t times) { return Listening(times); };

    ReplyGenerator generator(20261208);
    const std::array<int, 3> mix{6, 2, 2};
    const auto traffic = [&](int replies) {
        for (int i = 0; i < replies; ++i) {
            std::string reply = generator.Reply(generator.PickPage(mix), i % 7 != 3);
            if (generator.Random().Chance(0.2))
                reply = generator.Damage(reply, ReplyFault(generator.Random().Below(kReplyFaultCount)));
            Send(reply);
            std::this_thread::sleep_for(5ms);
        }
    };
    traffic(40);
    ASSERT_TRUE(SameFiles()) << wineLogger.Log();

    // Unplugged in the middle of a reply: its start is dropped on both.
    const std::string cut = generator.Reply(0);
    Send(cut.substr(0, cut.size() / 2));
    std::this_thread::sleep_for(300ms);
    Unplug();
    ASSERT_TRUE(WaitFor([&] { return Count(linuxLogger.Log(), "недоступен") == 1 &&
                                     Count(wineLogger.Log(), "недоступен") == 1; }, 30s))
        << linuxLogger.Log() << wineLogger.Log();
    PlugIn();
    ASSERT_TRUE(WaitFor([&] { return listening(2); }, 30s)) << linuxLogger.Log() << wineLogger.Log();
    Send(cut.substr(cut.size() / 2));
    traffic(40);
    ASSERT_TRUE(SameFiles()) << wineLogger.Log();

    const auto files = DayFiles(dir / "linux");
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(files, DayFiles(dir / "wine"));
    EXPECT_GT(Count(files[0].second, "\r\n"), 20u);  // the gas file holds most rows
    EXPECT_EQ(Count(wineLogger.Log(), "reception: "), Count(linuxLogger.Log(), "reception: "));
}

// 9600 baud, 8N1: ten bit times a byte. The stream is written to both
// terminals on the schedule of the line, so a reader that falls behind shows
// as rows missing when the stream ends (and as a writer held back once the
// terminal's buffer is full).
TEST_F(WineSerial, TheWindowsLoggerKeepsUpWithTheLineRate) {
    StartLoggers();
    constexpr double kBytesPerSecond = 960;
    ReplyGenerator generator(20261209);
    const std::array<int, 3> mix{6, 2, 2};
    std::string stream;
    while (stream.size() < 31 * kBytesPerSecond) stream += generator.Reply(generator.PickPage(mix));

    const auto start = std::chrono::steady_clock::now();
    for (size_t sent = 0; sent < stream.size();) {
        const double due = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const size_t until = std::min(stream.size(), static_cast<size_t>(due * kBytesPerSecond) + 1);
        if (until > sent) Send(stream.substr(sent, until - sent));
        sent = std::max(sent, until);
        std::this_thread::sleep_for(10ms);
    }
    const auto ended = std::chrono::steady_clock::now();
    const double lineTime = stream.size() / kBytesPerSecond;
    EXPECT_LT(std::chrono::duration<double>(ended - start).count(), lineTime + 2) << "the writer was held back";

    const size_t rows = Count(stream, "<");  // one row per reply
    const auto rowsIn = [&](const std::string& folder) {
        size_t lines = 0;
        for (const auto& file : DayFiles(folder)) lines += Count(file.second, "\r\n") - 1;  // the header
        return lines;
    };
    const bool complete = WaitFor([&] { return rowsIn(dir / "wine") == rows; }, 1s);
    const double late = std::chrono::duration<double>(std::chrono::steady_clock::now() - ended).count();
    EXPECT_TRUE(complete) << rowsIn(dir / "wine") << " of " << rows << " rows " << late << " s after the end";
    ASSERT_TRUE(WaitFor([&] { return rowsIn(dir / "linux") == rows; }, 5s));
    EXPECT_EQ(DayFiles(dir / "linux"), DayFiles(dir / "wine"));
}

}  // namespace
