// Poll runs every 10 ms for the whole run: it must not allocate. Every
// allocation of this test program is counted while a poll runs.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <string>
#include <thread>

#include "ScriptedPrompt.h"
#include "device/IOPort.h"
#include "device/posix/PosixCommDriver.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace vornik {
namespace {

long AllocationsDuring(TIOPort& port) {
    allocations = 0;
    counting = true;
    port.Poll();
    counting = false;
    return allocations;
}

TEST(PortPollAllocation, PollAllocatesNothingIdleOrDeliveringBytes) {
    int master = -1, slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);

    // The counter itself works.
    allocations = 0;
    counting = true;
    delete new std::string(100, 'x');
    counting = false;
    ASSERT_GT(allocations, 0);

    test::ScriptedPrompt prompt;
    TIOPort port(name, prompt, std::make_unique<PosixCommDriver>());
    ASSERT_TRUE(port.SetMode("9600,N,8,1"));
    int bytes = 0, events = 0;
    port.OnReceive = [&](TIOPort*, uint8_t, bool) { ++bytes; };
    port.OnCommEvent = [&] { ++events; };

    EXPECT_EQ(AllocationsDuring(port), 0);  // the first poll collects the aborted read
    EXPECT_EQ(AllocationsDuring(port), 0);  // nothing waiting

    ASSERT_EQ(write(master, "0123456789", 10), 10);
    int queued = 0;
    for (int i = 0; i < 5000 && queued < 10; ++i) {
        ioctl(slave, FIONREAD, &queued);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(queued, 10);
    EXPECT_EQ(AllocationsDuring(port), 0);
    EXPECT_EQ(bytes, 10);
    EXPECT_GE(events, 1);

    close(master);
    EXPECT_EQ(AllocationsDuring(port), 0);  // nor when the other end has gone
    EXPECT_TRUE(port.DeviceLost());
    close(slave);
}

}  // namespace
}  // namespace vornik
