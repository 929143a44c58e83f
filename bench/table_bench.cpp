// Appending gas rows of realistic cell texts to a measurement table:
// time per row and bytes of table memory per row beyond the text itself.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/Cp1251.h"
#include "tables/MeasurementTable.h"
#include "tables/Pages.h"

using namespace vornik;

namespace {

std::vector<std::string> GasRow(int n) {
    const std::string number = std::to_string(n) + "/" + std::to_string(n % 1000);
    return {number,     "08.12.26", "14:03:27", "123,4", "20,95",  "12,0", "35,5",  "4,1",
            "0,0",      "0,0",      "3,45",     "0,0",   "7,25",   "1,35", "58,8",  "21,3",
            "24,9",     "ppm>O2",   Utf8ToCp1251("Котельная №3"), Utf8ToCp1251("Газ")};
}

void BM_AppendGasRows(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    std::vector<std::vector<std::string>> samples;
    for (int i = 0; i < 1000; ++i) samples.push_back(GasRow(i));
    size_t textBytes = 0;
    size_t memory = 0;
    for (auto _ : state) {
        MeasurementTable table(kGasColumns);
        textBytes = 0;
        std::vector<std::string_view> cells(kGasColumns);
        for (int r = 0; r < rows; ++r) {
            const auto& sample = samples[r % samples.size()];
            for (int c = 0; c < kGasColumns; ++c) {
                cells[c] = sample[c];
                textBytes += sample[c].size();
            }
            table.SetRowCells(table.AppendRow(), cells);
        }
        memory = table.MemoryBytes();
        benchmark::DoNotOptimize(table);
    }
    state.counters["ns_per_row"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
    state.counters["bytes_per_row"] = static_cast<double>(memory) / rows;
    state.counters["overhead_per_row"] = static_cast<double>(memory - textBytes) / rows;
    state.counters["text_per_row"] = static_cast<double>(textBytes) / rows;
}

}  // namespace

BENCHMARK(BM_AppendGasRows)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
