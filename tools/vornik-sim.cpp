// vornik-sim: an instrument simulator. Sends gas, temperature and pressure
// replies at a chosen rate into a pseudo-terminal, a serial device or stdout,
// optionally damaging some of them for robustness runs. See --help.
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "core/Clock.h"
#include "reception/ReplyGenerator.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <pty.h>
#ifdef __linux__
#include <signal.h>
#include <sys/prctl.h>
#endif
#include <termios.h>
#include <unistd.h>
#endif

using namespace vornik;

namespace {

const char* const kHelp = R"(Usage: vornik-sim [options]

Simulates the VORNIK instrument: sends measurement replies ('>', kind letter,
two bytes, the fields each ended by CR LF, '<') the way the instrument does.

Output (one of):
  --pty            create a pseudo-terminal, print its device name on stdout
                   and send into it (the default). Point the program's port
                   at that name. The terminal stays open after the last reply
                   until the simulator is stopped (see --hold).
  --device PATH    send into an existing serial device, set to 9600 baud,
                   8 data bits, no parity, 1 stop bit, raw.
  --stdout         write the bytes to standard output.

Traffic:
  --rate N         replies per second (default 1; fractions allowed; 0 sends
                   as fast as the output takes them). A 9600-baud line carries
                   about 960 bytes/s, some 7 gas replies per second.
  --mix G:T:P      relative shares of gas, temperature and pressure replies
                   (default 3:1:1; 1:0:0 sends gas only). Like the
                   instrument, it sends runs of 10 to 40 replies of one kind.
  --count N        stop after N replies (default 0: never stop).
  --lf             end fields with LF alone instead of CR LF.
  --seed S         seed of the values and of the damage (default 1); the same
                   seed gives the same replies.

Malformed traffic:
  --noise P        probability (0 to 1) that a reply is damaged (default 0).
  --faults LIST    comma-separated kinds of damage to choose from (default all):
                     lost    one to three bytes of the reply are lost
                     kind    an unknown kind letter
                     number  a numeric field holds 1-2, 12.5, --, Er, - or a
                             number beyond 32 bits
                     long    a reply longer than the receiver's buffer
                     line    random bytes of line noise inside or before it

Other:
  --hold S         with --pty: seconds to keep the terminal open after the
                   last reply of --count (default: until stopped).
  --quiet          no summary on stderr at the end.
  --exit-with-parent
                   stop when the process that started the simulator ends
                   (Linux), so a demo never leaves it behind.
  --help           this text.
)";

struct Options {
    enum Output { Pty, Device, Stdout } output = Pty;
    std::string device;
    double rate = 1;
    std::array<int, 3> mix{3, 1, 1};
    long long count = 0;
    bool crlf = true;
    unsigned long long seed = 1;
    double noise = 0;
    bool exitWithParent = false;
    std::vector<ReplyFault> faults{ReplyFault::LostBytes, ReplyFault::BadKind, ReplyFault::BadNumber,
                                   ReplyFault::Overlong, ReplyFault::LineNoise};
    double hold = -1;
    bool quiet = false;
};

[[noreturn]] void Fail(const std::string& text) {
    std::fprintf(stderr, "vornik-sim: %s\n", text.c_str());
    std::exit(2);
}

double ToNumber(const std::string& text, const char* option) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || v < 0) Fail(std::string("bad value for ") + option + ": " + text);
    return v;
}

std::array<int, 3> ParseMix(const std::string& text) {
    std::array<int, 3> mix{};
    int got = std::sscanf(text.c_str(), "%d:%d:%d", &mix[0], &mix[1], &mix[2]);
    if (got != 3 || mix[0] < 0 || mix[1] < 0 || mix[2] < 0 || mix[0] + mix[1] + mix[2] == 0)
        Fail("bad --mix (want G:T:P, e.g. 3:1:1): " + text);
    return mix;
}

std::vector<ReplyFault> ParseFaults(const std::string& text) {
    std::vector<ReplyFault> faults;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string name = text.substr(start, comma - start);
        if (name == "lost") faults.push_back(ReplyFault::LostBytes);
        else if (name == "kind") faults.push_back(ReplyFault::BadKind);
        else if (name == "number") faults.push_back(ReplyFault::BadNumber);
        else if (name == "long") faults.push_back(ReplyFault::Overlong);
        else if (name == "line") faults.push_back(ReplyFault::LineNoise);
        else Fail("unknown fault: " + name);
        start = comma + 1;
    }
    return faults;
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Fail("missing value after " + arg);
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            std::exit(0);
        } else if (arg == "--pty") o.output = Options::Pty;
        else if (arg == "--device") { o.output = Options::Device; o.device = value(); }
        else if (arg == "--stdout") o.output = Options::Stdout;
        else if (arg == "--rate") o.rate = ToNumber(value(), "--rate");
        else if (arg == "--mix") o.mix = ParseMix(value());
        else if (arg == "--count") o.count = static_cast<long long>(ToNumber(value(), "--count"));
        else if (arg == "--lf") o.crlf = false;
        else if (arg == "--seed") o.seed = static_cast<unsigned long long>(ToNumber(value(), "--seed"));
        else if (arg == "--noise") {
            o.noise = ToNumber(value(), "--noise");
            if (o.noise > 1) Fail("--noise is a probability from 0 to 1");
        } else if (arg == "--faults") o.faults = ParseFaults(value());
        else if (arg == "--hold") o.hold = ToNumber(value(), "--hold");
        else if (arg == "--quiet") o.quiet = true;
        else if (arg == "--exit-with-parent") o.exitWithParent = true;
        else Fail("unknown option " + arg + " (see --help)");
    }
    return o;
}

#ifndef _WIN32
void MakeRaw9600(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;  // not a terminal: nothing to set
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    t.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    tcsetattr(fd, TCSANOW, &t);
}

void WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(std::string("write failed: ") + std::strerror(errno));
        }
        done += size_t(n);
    }
}
#endif

}  // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
#ifdef __linux__
    if (o.exitWithParent) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() == 1) return 0;  // the parent is already gone
    }
#endif

#ifdef _WIN32
    if (o.output != Options::Stdout) Fail("only --stdout is available on this platform");
    // The replies' CR LF go out as they are, not translated by a text stream.
    _setmode(_fileno(stdout), _O_BINARY);
#else
    int fd = -1;
    int keepSlave = -1;
    if (o.output == Options::Pty) {
        char name[256] = {};
        if (openpty(&fd, &keepSlave, name, nullptr, nullptr) != 0)
            Fail(std::string("cannot create a pseudo-terminal: ") + std::strerror(errno));
        // The slave stays open here, so the terminal lives while the
        // program opens and closes it.
        MakeRaw9600(keepSlave);
        std::printf("%s\n", name);
        std::fflush(stdout);
    } else if (o.output == Options::Device) {
        fd = open(o.device.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0) Fail("cannot open " + o.device + ": " + std::strerror(errno));
        MakeRaw9600(fd);
    } else {
        fd = 1;
    }
#endif

    const double interval = o.rate > 0 ? 1.0 / o.rate : 0;
    const int stepMs = interval > 0 ? int(interval * 1000 + 0.5) : 1000;
    ReplyGenerator generator(o.seed, SystemClock().Now(), stepMs < 1 ? 1 : stepMs);

    const auto start = std::chrono::steady_clock::now();
    long long sent = 0, damaged = 0;
    for (; o.count == 0 || sent < o.count; ++sent) {
        const int page = generator.NextPage(o.mix);
        std::string reply = generator.Reply(page, o.crlf);
        if (!o.faults.empty() && o.noise > 0 && generator.Random().Chance(o.noise)) {
            reply = generator.Damage(reply, o.faults[size_t(generator.Random().Below(int(o.faults.size())))]);
            ++damaged;
        }
#ifdef _WIN32
        std::fwrite(reply.data(), 1, reply.size(), stdout);
        std::fflush(stdout);
#else
        WriteAll(fd, reply);
#endif
        if (interval > 0)
            std::this_thread::sleep_until(start + std::chrono::duration<double>(interval * double(sent + 1)));
    }
    if (!o.quiet) std::fprintf(stderr, "vornik-sim: sent %lld replies, %lld damaged\n", sent, damaged);

#ifndef _WIN32
    if (o.output == Options::Pty) {
        if (o.hold < 0) {
            for (;;) pause();
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(o.hold));
        close(keepSlave);
    }
    if (fd > 2) close(fd);
#endif
    return 0;
}
