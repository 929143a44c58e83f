// Bytes per second through the Windows serial driver under wine: a COM port
// of the wine prefix is mapped to a pseudo-terminal, port_drain_bench.exe
// receives on it, and this side writes as fast as the terminal takes bytes.
// Run by hand after ./test --windows (README, "Windows"):
//   WINEPREFIX=$PWD/build-windows/wine-prefix build/tests/wine_port_bench
//       /usr/lib/wine/wine64 build-windows/project/port_drain_bench.exe [BYTES]
// (one command line).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TestFiles.h"
#include "TestPty.h"

using namespace vornik::test;
namespace fs = std::filesystem;

int main(int argc, char* argv[]) {
    const char* prefix = std::getenv("WINEPREFIX");
    if (argc < 3 || !prefix) {
        std::fprintf(stderr, "usage: WINEPREFIX=... wine_port_bench WINE port_drain_bench.exe [BYTES]\n");
        return 64;
    }
    const long bytes = argc > 3 ? std::atol(argv[3]) : 200000;
    TempDir dir;
    TestPty pty;
    const fs::path com = fs::path(prefix) / "dosdevices" / "com13";
    fs::remove(com);
    fs::create_symlink(pty.path, com);

    ChildProcess reader({argv[1], argv[2], "COM13", std::to_string(bytes)}, dir / "bench.log");
    if (!WaitFor([&] { return Count(reader.Log(), "listening") == 1; }, std::chrono::seconds(60))) {
        std::fprintf(stderr, "%s", reader.Log().c_str());
        return 1;
    }
    std::string chunk(4096, '\0');
    for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>('0' + i % 10);
    for (long sent = 0; sent < bytes; sent += static_cast<long>(chunk.size()))
        pty.Send(chunk.substr(0, std::min<long>(chunk.size(), bytes - sent)));
    const int status = reader.Wait();
    std::printf("%s", reader.Log().c_str());
    fs::remove(com);
    return status;
}
