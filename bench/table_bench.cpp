// Appending gas rows of realistic cell texts to a measurement table:
// time per row and bytes of table memory per row beyond the text itself;
// and pushing values to the packed store of a chart series.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/Cp1251.h"
#include "tables/PackedValues.h"
#include "tables/MeasurementTable.h"
#include "quantities/Pages.h"

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

// A chart series' values pushed as bare doubles: short decimals (packed in
// four bytes) and values no short decimal gives (arithmetic results, long
// numbers; kept whole), each repeated as a steady reading repeats.
void BM_PushValues(benchmark::State& state) {
    const bool decimals = state.range(0) == 0;
    std::vector<double> values;
    for (int i = 0; i < 4096; ++i) {
        const double v = decimals ? (i % 2000) * 0.1 + 20 : (i % 2000) / 3.0 + 1e-7;
        for (int k = 0; k < 8; ++k) values.push_back(v);
    }
    for (auto _ : state) {
        PackedValues packed;
        for (double v : values) packed.Push(v);
        benchmark::DoNotOptimize(packed.data());
    }
    state.counters["ns_per_value"] = benchmark::Counter(static_cast<double>(values.size()),
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_AppendGasRows)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK(BM_PushValues)->ArgName("unpackable")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
