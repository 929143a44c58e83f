// Loading and saving a data file of a million gas rows (~140 MB), beside the
// time `wc -l` takes to read the same file. Peak RSS is the high-water mark of
// the process during the operation (reset before it through clear_refs).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/Cp1251.h"
#include "core/Prompt.h"
#include "datafiles/DataFile.h"

using namespace vornik;

namespace {

constexpr int kRows = 1000000;
const std::string kGasFile = "/tmp/vornik-bench-1m.gas";
const std::string kSavedFile = "/tmp/vornik-bench-1m-saved.gas";

class SilentPrompt : public Prompt {
public:
    void Beep() override {}
    void ShowError(const std::string& text) override { std::fprintf(stderr, "error box: %s\n", text.c_str()); }
    bool AskYesNo(const std::string&) override { return false; }
    void ShowDeviceMessage(const std::string&, const std::string&) override {}
    void ShowGeneralError(const std::string&) override {}
};

std::string Fixed(int value, int decimals) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    while (static_cast<int>(digits.size()) <= decimals) digits.insert(0, "0");
    std::string text = value < 0 ? "-" : "";
    text += digits.substr(0, digits.size() - decimals);
    if (decimals > 0) text += "," + digits.substr(digits.size() - decimals);
    return text;
}

// A realistic gas file: the header line and rows as reception writes them.
void GenerateGasFile() {
    std::ifstream existing(kGasFile);
    if (existing.good()) return;
    std::string out;
    out.reserve(150u << 20);
    const char* headers[] = {"Номер", "Дата", "Время", "Tg,*С", "O2,%", "CO",   "NO",    "NO2",     "SO2",    "H2S",
                             "CO2,%", "СH",   "Qa,%",  "Alf",   "NOx",  "Ta,*С", "Ti,*С", "Ед.изм.", "Объект", "Топливо"};
    for (const char* h : headers) out += Utf8ToCp1251(h) + "\t";
    out += "\r\n";
    const std::string object = Utf8ToCp1251("Котёл №1\tПриродный газ\t");
    unsigned seed = 12345;
    auto rnd = [&](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    for (int r = 1; r <= kRows; ++r) {
        char time[32];
        std::snprintf(time, sizeof time, "%02d.03.24\t%02d:%02d:%02d\t", 1 + r / 86400 % 28, r / 3600 % 24,
                      r / 60 % 60, r % 60);
        out += std::to_string(r) + "/" + std::to_string(r % 65536) + "\t" + time;
        out += Fixed(1000 + rnd(3000), 1) + "\t";   // Tg
        out += Fixed(300 + rnd(1800), 2) + "\t";    // O2
        for (int c = 0; c < 5; ++c) out += Fixed(rnd(5000), 1) + "\t";  // CO NO NO2 SO2 H2S
        out += Fixed(rnd(1500), 2) + "\t";          // CO2
        out += (r % 50 == 0 ? std::string("nd") : Fixed(rnd(900), 1)) + "\t";  // CH
        out += Fixed(rnd(3000), 2) + "\t";          // Qa
        out += Fixed(100 + rnd(300), 2) + "\t";     // Alf
        out += Fixed(rnd(6000), 1) + "\t";          // NOx
        out += Fixed(150 + rnd(200), 1) + "\t";     // Ta
        out += Fixed(200 + rnd(100), 1) + "\t";     // Ti
        out += (r % 3 ? "ppm>O2\t" : "mg\t") + object + "\r\n";
    }
    std::ofstream(kGasFile, std::ios::binary) << out;
}

void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

double PeakRssMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return 0;
}

void BM_WcLines(benchmark::State& state) {
    GenerateGasFile();
    const std::string command = "wc -l " + kGasFile + " > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("wc failed");
}

void Load(benchmark::State& state, LoadThreading threading) {
    GenerateGasFile();
    SilentPrompt prompt;
    double peak = 0;
    double table = 0, series = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* model = new MainModel;
        ResetPeakRss();
        state.ResumeTiming();
        LoadInFile(*model, kGasFile, prompt, {}, threading);
        state.PauseTiming();
        peak = PeakRssMb();
        table = static_cast<double>(model->Table(PageGas).MemoryBytes()) / (1 << 20);
        series = static_cast<double>(model->Chart(PageGas).Series(0).MemoryBytes()) / (1 << 20);
        if (model->Table(PageGas).RowCount() != kRows + 1) state.SkipWithError("rows missing");
        delete model;
        state.ResumeTiming();
    }
    state.counters["peak_rss_MB"] = peak;
    state.counters["table_MB"] = table;
    state.counters["one_series_MB"] = series;
}

// As the program loads (a second thread for the chart while a second
// processor is free), on one thread, and always on two.
void BM_LoadGas1M(benchmark::State& state) { Load(state, LoadThreading::Auto); }
void BM_LoadGas1MOneThread(benchmark::State& state) { Load(state, LoadThreading::Single); }
void BM_LoadGas1MTwoThreads(benchmark::State& state) { Load(state, LoadThreading::Parallel); }

void BM_SaveGas1M(benchmark::State& state) {
    GenerateGasFile();
    SilentPrompt prompt;
    MainModel model;
    LoadInFile(model, kGasFile, prompt);
    double peak = 0;
    for (auto _ : state) {
        ResetPeakRss();
        if (!SaveChartToFile(model, kSavedFile, true, false, false, prompt)) state.SkipWithError("save failed");
        peak = PeakRssMb();
    }
    state.counters["peak_rss_MB"] = peak;
    std::remove(kSavedFile.c_str());
}

}  // namespace

BENCHMARK(BM_WcLines)->Unit(benchmark::kMillisecond)->Iterations(3);
// CPU of the load is that of both threads.
BENCHMARK(BM_LoadGas1M)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_LoadGas1MOneThread)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadGas1MTwoThreads)->Unit(benchmark::kMillisecond)->Iterations(3)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SaveGas1M)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
