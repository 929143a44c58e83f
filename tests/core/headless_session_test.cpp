// The headless logger end to end: replies written into a pseudo-terminal
// come out as the day's data files, which load back into the tables.
#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "ReplyBuilder.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "core/StreamPrompt.h"
#include "datafiles/DataFile.h"
#include "device/NetworkPort.h"
#include "headless/HeadlessSession.h"
#include "tables/MainModel.h"

using namespace vornik;
using namespace vornik::test;

TEST(HeadlessSession, RepliesOnAPseudoTerminalBecomeLoadableDayFiles) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    TempDir dir;
    HeadlessOptions options;
    options.programPath = dir / "vornik-pc";
    options.configFile = dir / "absent.ini";
    options.portName = name;
    options.outFolder = dir.path();
    FixedClock clock(DateTime{2026, 12, 8, 12, 0, 0, 0});
    std::FILE* log = std::tmpfile();
    StreamPrompt prompt(log);
    std::atomic<bool> stop{false};
    int exitCode = -1;
    std::thread session([&] {
        exitCode = RunHeadless(options, prompt, clock, MakeDeviceCommDriver, stop);
    });

    const std::string gas = GasReply().Bytes();
    const std::string temp = TempReply().Lf().Bytes();
    std::string stream;
    for (int i = 0; i < 20; ++i) stream += i % 4 == 3 ? temp : gas;
    stream += ">G00garbage\r\n<";  // a failing reply adds nothing
    usleep(200 * 1000);            // the port is open and polled
    ASSERT_EQ(write(master, stream.data(), stream.size()), static_cast<ssize_t>(stream.size()));
    const std::string gasFile = dir / "vornik-pc-26-12-08.gas";
    for (int wait = 0; wait < 300; ++wait) {
        if (ReadAll(gasFile).find("15/") != std::string::npos) break;
        usleep(10 * 1000);
    }
    stop = true;
    session.join();
    EXPECT_EQ(exitCode, 0);

    ScriptedPrompt quiet;
    MainModel model;
    LoadInFile(model, gasFile, quiet);
    LoadInFile(model, dir / "vornik-pc-26-12-08.tmpr", quiet);
    EXPECT_TRUE(quiet.boxes().empty());
    EXPECT_EQ(model.Table(PageGas).RowCount(), 16);  // header and 15 gas rows
    EXPECT_EQ(model.Table(PageTemp).RowCount(), 6);
    EXPECT_EQ(model.Table(PageGas).Cell(0, 15).substr(0, 3), "15/");
    EXPECT_EQ(ReadAll(gasFile).substr(ReadAll(gasFile).size() - 3), "\t\r\n");
    close(master);
    close(slave);
    std::fclose(log);
}
