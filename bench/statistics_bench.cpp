// Statistics of a 1,000,000-row gas table: the first computation over every
// row (sums of all blocks built), the first after a file load (which built
// the block sums while it read), the same again with the sums kept, and the
// update for one new row while the interval follows the last row.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "datafiles/DataFile.h"
#include "tables/IntervalStatistics.h"
#include "quantities/Pages.h"
#include "tables/MainModel.h"

using namespace vornik;

namespace {

constexpr int kRows = 1000000;

std::vector<std::string> GasRow(int n) {
    const std::string tenths = std::to_string(200 + n % 17) + "," + std::to_string(n % 10);
    return {std::to_string(n) + "/1", "08.12.26", "14:03:27", "123,4", tenths, "12,0", n % 50 ? "35,5" : "nd",
            "4,1", "0,0", "0,0", "3,45", "0,0", "7,25", "1,35", "58,8", "21,3", "24,9", "ppm>O2", "Obj", "Gas"};
}

void Append(MeasurementTable& table, int n) {
    const std::vector<std::string> row = GasRow(n);
    table.AppendRowCells(std::vector<std::string_view>(row.begin(), row.end()));
}

MeasurementTable& MillionRows() {
    static MeasurementTable table = [] {
        MeasurementTable t(kGasColumns);
        for (int n = 1; n <= kRows; ++n) Append(t, n);
        return t;
    }();
    return table;
}

void BM_StatisticsFirstComputation1M(benchmark::State& state) {
    MeasurementTable& table = MillionRows();
    for (auto _ : state) {
        IntervalStatistics statistics(table);
        benchmark::DoNotOptimize(statistics.Compute(1, table.RowCount() - 1));
    }
}

// The rows of MillionRows() as a data file.
std::string WriteMillionRowFile() {
    char path[] = "/tmp/vornik-statistics-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) std::abort();
    close(fd);
    const std::string file = std::string(path) + ".gas";
    std::rename(path, file.c_str());
    std::ofstream out(file, std::ios::binary);
    out << "N\tDate\tTime\tTg\tO2\tCO\tNO\tNO2\tSO2\tH2S\tCO2\tCH\tQa\tAlf\tNOx\tTa\tTi\tU\tObj\tFuel\t\r\n";
    for (int n = 1; n <= kRows; ++n) {
        for (const std::string& cell : GasRow(n)) out << cell << '\t';
        out << "\r\n";
    }
    return file;
}

// Removed when the program ends.
struct TemporaryFile {
    std::string name;
    ~TemporaryFile() { std::remove(name.c_str()); }
};

const std::string& MillionRowFile() {
    static const TemporaryFile file{WriteMillionRowFile()};
    return file.name;
}

void BM_StatisticsFirstComputationAfterLoad1M(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<MainModel>();
        if (!ReadDataFile(*model, MillionRowFile())) std::abort();
        const MeasurementTable& table = model->Table(PageGas);
        state.ResumeTiming();
        IntervalStatistics statistics(table, &model->LoadedStatistics(PageGas));
        benchmark::DoNotOptimize(statistics.Compute(1, table.RowCount() - 1));
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
}

// One step of the window's summing ahead: the longest the window waits at a
// time before the figures of a big table follow.
void BM_StatisticsPrepareStep1M(benchmark::State& state) {
    MeasurementTable& table = MillionRows();
    for (auto _ : state) {
        state.PauseTiming();
        auto statistics = std::make_unique<IntervalStatistics>(table);
        state.ResumeTiming();
        benchmark::DoNotOptimize(statistics->Prepare());
    }
}

void BM_StatisticsKeptSums1M(benchmark::State& state) {
    MeasurementTable& table = MillionRows();
    IntervalStatistics statistics(table);
    statistics.Compute(1, table.RowCount() - 1);
    for (auto _ : state) benchmark::DoNotOptimize(statistics.Compute(1, table.RowCount() - 1));
}

// A middle interval: kept blocks plus two partial blocks read row by row.
void BM_StatisticsMiddleInterval1M(benchmark::State& state) {
    MeasurementTable& table = MillionRows();
    IntervalStatistics statistics(table);
    statistics.Compute(1, table.RowCount() - 1);
    for (auto _ : state) benchmark::DoNotOptimize(statistics.Compute(1000, 900100));
}

void BM_StatisticsFollowNewRow1M(benchmark::State& state) {
    MeasurementTable table(kGasColumns);
    for (int n = 1; n <= kRows; ++n) Append(table, n);
    IntervalStatistics statistics(table);
    statistics.Compute(1, table.RowCount() - 1);
    int n = kRows;
    for (auto _ : state) {
        Append(table, ++n);
        benchmark::DoNotOptimize(statistics.Compute(1, table.RowCount() - 1));
    }
}

}  // namespace

BENCHMARK(BM_StatisticsFirstComputation1M)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StatisticsFirstComputationAfterLoad1M)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StatisticsPrepareStep1M)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_StatisticsKeptSums1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsMiddleInterval1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsFollowNewRow1M)->Unit(benchmark::kMicrosecond)->Iterations(2000);

BENCHMARK_MAIN();
