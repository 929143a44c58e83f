// The port "DEMO": the simulated instrument inside the program, through the
// port object as the window polls it, on a clock the test moves.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ScriptedPrompt.h"
#include "device/IOPort.h"
#include "ports/DemoCommDriver.h"
#include "ports/PortDrivers.h"
#include "reception/ReplyDecoder.h"
#include "tables/MainModel.h"

namespace vornik {
namespace {

int Rows(const MainModel& model) {
    int rows = 0;
    for (int page = 0; page < kPageCount; ++page)
        if (!model.Table(page).IsEmpty()) rows += model.Table(page).RowCount() - 1;
    return rows;
}

TEST(DemoPort, SendsTheSimulatorsRepliesAtTheLineRate) {
    double now = 1000;
    test::ScriptedPrompt prompt;
    // A fixed seed: a minute of another run may hold no reply of some kind.
    TIOPort port("DEMO", prompt, std::make_unique<DemoCommDriver>([&] { return now; }, 7));
    ASSERT_TRUE(port.SetMode("9600,N,8,1"));
    ASSERT_TRUE(port.Receiving());

    MainModel model;
    model.GridsLayout(0);
    std::vector<std::string> errors;
    ReplyDecoder decoder(model, prompt, [&](const std::string& text) { errors.push_back(text); });
    size_t bytes = 0;
    port.OnReceive = [&](TIOPort* sender, uint8_t value, bool lineError) {
        ++bytes;
        decoder.Recieve(sender, value, lineError);
    };
    // Polled every 10 ms for a minute: never more than the line carries.
    for (int tick = 1; tick <= 6000; ++tick) {
        now += 0.01;
        port.Poll();
        ASSERT_LE(bytes, tick * 0.01 * DemoCommDriver::kBytesPerSecond + 1) << tick;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_NEAR(Rows(model), 60 * DemoCommDriver::kRepliesPerSecond, 2);
    for (int page = 0; page < kPageCount; ++page) EXPECT_FALSE(model.Table(page).IsEmpty()) << page;

    // Not polled for an hour (a modal box): a short backlog, not an hour of rows.
    const int before = Rows(model);
    now += 3600;
    for (int tick = 0; tick < 100; ++tick, now += 0.01) port.Poll();
    EXPECT_LE(Rows(model) - before, (DemoCommDriver::kBacklogSeconds + 1) * DemoCommDriver::kRepliesPerSecond + 1);
    EXPECT_TRUE(prompt.boxes().empty());
}

TEST(DemoPort, TheNamePicksTheKindOfPort) {
    for (const char* demo : {"DEMO", "demo", "Demo"})
        EXPECT_NE(dynamic_cast<DemoCommDriver*>(MakeCommDriver(demo).get()), nullptr) << demo;
    for (const char* other : {"COM1", "DEMO1", "/dev/DEMO", "tcp:127.0.0.1:4001"})
        EXPECT_EQ(dynamic_cast<DemoCommDriver*>(MakeCommDriver(other).get()), nullptr) << other;
}

}  // namespace
}  // namespace vornik
