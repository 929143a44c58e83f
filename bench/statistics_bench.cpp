// Statistics of a 1,000,000-row gas table: the first computation over every
// row (sums of all blocks built), the same again with the sums kept, and the
// update for one new row while the interval follows the last row.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "tables/IntervalStatistics.h"
#include "quantities/Pages.h"

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
BENCHMARK(BM_StatisticsPrepareStep1M)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_StatisticsKeptSums1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsMiddleInterval1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsFollowNewRow1M)->Unit(benchmark::kMicrosecond)->Iterations(2000);

BENCHMARK_MAIN();
