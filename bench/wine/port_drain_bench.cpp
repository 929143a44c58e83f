// The Windows side of wine_port_bench: receives COUNT bytes on PORT through
// the port object and the Windows driver, polled every 10 ms as the program's
// timer polls it, and prints the rate from the first byte to the last.
// Usage: port_drain_bench PORT COUNT
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/Prompt.h"
#include "device/IOPort.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: port_drain_bench PORT COUNT\n");
        return 64;
    }
    const long count = std::atol(argv[2]);
    vornik::SilentPrompt prompt;
    vornik::TIOPort port(argv[1], prompt, vornik::MakePlatformCommDriver());
    if (!port.SetMode("9600,N,8,1") || !port.Receiving()) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    long received = 0;
    Clock::time_point first, last;
    port.OnReceive = [&](vornik::TIOPort*, uint8_t, bool) {
        if (received++ == 0) first = Clock::now();
        last = Clock::now();
    };
    std::fprintf(stderr, "listening\n");
    const auto giveUp = Clock::now() + std::chrono::seconds(60);
    while (received < count && Clock::now() < giveUp) {
        port.Poll();
        Sleep(10);
    }
    const double seconds = std::chrono::duration<double>(last - first).count();
    std::fprintf(stderr, "received %ld of %ld bytes in %.3f s: %.0f bytes/s\n", received, count, seconds,
                 seconds > 0 ? (received - 1) / seconds : 0.0);
    return received == count ? 0 : 1;
}
