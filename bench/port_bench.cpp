// Cost of one Poll of the port on a pseudo-terminal: with nothing waiting
// (every 10 ms tick of an idle line) and with ten bytes waiting (a tick at
// 9600 baud).
#include <benchmark/benchmark.h>

#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "core/Prompt.h"
#include "device/IOPort.h"
#include "device/posix/PosixCommDriver.h"

namespace {


struct PtyPort {
    PtyPort() {
        char name[128] = {};
        openpty(&master, &slave, name, nullptr, nullptr);
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        port = std::make_unique<vornik::TIOPort>(name, prompt,
                                                 std::make_unique<vornik::PosixCommDriver>());
        port->SetMode("9600,N,8,1");
        port->OnReceive = [this](vornik::TIOPort*, uint8_t, bool) { ++received; };
        port->Poll();
    }
    ~PtyPort() {
        port.reset();
        close(master);
        close(slave);
    }
    void WaitQueued(int n) const {
        int queued = 0;
        while (queued < n) ioctl(slave, FIONREAD, &queued);
    }

    vornik::SilentPrompt prompt;
    int master = -1, slave = -1;
    std::unique_ptr<vornik::TIOPort> port;
    long received = 0;
};

void BM_PollIdle(benchmark::State& state) {
    PtyPort p;
    for (auto _ : state) p.port->Poll();
    if (p.received != 0) state.SkipWithError("unexpected bytes");
}
BENCHMARK(BM_PollIdle);

void BM_PollTenBytes(benchmark::State& state) {
    PtyPort p;
    for (auto _ : state) {
        state.PauseTiming();
        if (write(p.master, "0123456789", 10) != 10) state.SkipWithError("write");
        p.WaitQueued(10);
        state.ResumeTiming();
        p.port->Poll();
    }
    if (p.received != static_cast<long>(state.iterations()) * 10) state.SkipWithError("bytes lost");
    state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(BM_PollTenBytes);

}  // namespace

BENCHMARK_MAIN();
