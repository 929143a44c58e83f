// Reception into the real window at full rate: replies written into a
// pseudo-terminal as fast as it takes them, the window polling it on its own
// timer, once into an empty gas table and once into one that already holds a
// million rows. Prints rows per second of wall time and of the window
// thread's processor time for each, and their ratio. Run it on a display
// (xvfb-run -a build/bench/reception_window_bench [ROUNDS] [ROWS]).
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "config/Config.h"
#include "core/Prompt.h"
#include "reception/ReplyGenerator.h"
#include "shell/MainWindow.h"
#include "quantities/Pages.h"

using namespace vornik;

namespace {

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Figures {
    double wallRowsPerSecond;
    double cpuRowsPerSecond;
};

std::string MakeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornik-recv-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
}

void WriteDefaultSettings(const std::string& path) {
    TConfig config;
    config.LoadDefaults();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(config.Bytes().data()), static_cast<std::streamsize>(config.Bytes().size()));
}

// Fills the gas table with `rows` received rows at once (the view hears of
// them once), as if they had arrived before.
void Prefill(MainModel& model, int rows) {
    if (rows <= 0) return;
    ReplyGenerator generator(7);
    std::vector<std::vector<std::string>> samples;
    for (int i = 0; i < 1000; ++i) {
        auto fields = generator.Fields(PageGas);
        std::vector<std::string> cells(20);
        // The decoder's column order is not needed here: any numeric cells do.
        for (size_t c = 0; c < cells.size(); ++c) cells[c] = c < 3 ? fields[c] : std::to_string(i % 97) + ",5";
        samples.push_back(std::move(cells));
    }
    MeasurementTable& table = model.Table(PageGas);
    model.BeginBulk();
    table.BeginUpdate();
    for (int i = 0; i < rows; ++i) model.CommitRow(PageGas, samples[size_t(i) % samples.size()]);
    table.EndUpdate();
    model.EndBulk();
}

Figures MeasureOnce(int prefilled, int received) {
    const std::string dir = MakeTempDir();
    WriteDefaultSettings(dir + "/vornik-pc.ini");
    int master = -1, slave = -1;
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) std::abort();
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);

    SilentPrompt prompt;
    FormEnvironment env;
    env.programPath = dir + "/vornik-pc";
    env.configFileName = dir + "/vornik-pc.ini";
    env.portOverride = name;
    env.prompt = &prompt;
    env.showSplash = false;
    Figures figures{};
    {
        TForm1 form(env);
        form.resize(1024, 700);
        form.show();
        Prefill(form.model(), prefilled);
        QApplication::processEvents();

        ReplyGenerator generator(42);
        std::string bytes;
        for (int i = 0; i < received; ++i) bytes += generator.Reply(PageGas);
        const MeasurementTable& table = form.model().Table(PageGas);
        const int target = (table.IsEmpty() ? 0 : table.RowCount() - 1) + received;

        std::thread feeder([&] {
            size_t done = 0;
            while (done < bytes.size()) {
                const ssize_t n = write(master, bytes.data() + done, std::min<size_t>(4096, bytes.size() - done));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) return;
                done += static_cast<size_t>(n);
            }
        });
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = ThreadCpuSeconds();
        while (table.RowCount() - 1 < target && wall.elapsed() < 300000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        // What the last poll left for the view is part of the cost.
        QApplication::processEvents();
        const double cpu = ThreadCpuSeconds() - cpu0;
        const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        feeder.join();
        figures = {received / seconds, received / cpu};
        form.hide();
    }
    close(master);
    close(slave);
    std::filesystem::remove_all(dir);
    return figures;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int received = argc > 2 ? std::max(100, std::atoi(argv[2])) : 20000;
    constexpr int kBig = 1000000;
    std::vector<double> emptyWall, emptyCpu, bigWall, bigCpu, ratio;
    for (int round = 0; round < rounds; ++round) {
        const Figures empty = MeasureOnce(0, received);
        const Figures big = MeasureOnce(kBig, received);
        emptyWall.push_back(empty.wallRowsPerSecond);
        emptyCpu.push_back(empty.cpuRowsPerSecond);
        bigWall.push_back(big.wallRowsPerSecond);
        bigCpu.push_back(big.cpuRowsPerSecond);
        ratio.push_back(big.cpuRowsPerSecond / empty.cpuRowsPerSecond);
        std::printf("round %d: empty %.0f rows/s wall, %.0f rows/cpu-s; 1M %.0f rows/s wall, %.0f rows/cpu-s; %.0f%%\n",
                    round + 1, empty.wallRowsPerSecond, empty.cpuRowsPerSecond, big.wallRowsPerSecond,
                    big.cpuRowsPerSecond, 100 * ratio.back());
        std::fflush(stdout);
    }
    std::printf("median of %d rounds, %d gas rows received each: empty table %.0f rows/s wall, %.0f per cpu-second; "
                "1,000,000 rows %.0f rows/s wall, %.0f per cpu-second; 1M / empty %.0f%%\n",
                rounds, received, Median(emptyWall), Median(emptyCpu), Median(bigWall), Median(bigCpu),
                100 * Median(ratio));
    return 0;
}
