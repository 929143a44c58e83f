// Restoring a recovery journal of a million gas rows into the tables and
// charts, as the start after a crash does on Yes; compare with loading a data
// file of the same rows (datafile_bench).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/Prompt.h"
#include "datafiles/RecoveryJournal.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyGenerator.h"
#include "tables/MainModel.h"

using namespace vornik;

namespace {

constexpr int kRows = 1000000;
const std::string kJournal = "/tmp/vornik-bench-1m.journal";

class YesPrompt : public SilentPrompt {
public:
    bool AskYesNo(const std::string&) override { return true; }
};

// The journal a run that received a million gas replies leaves behind.
void GenerateJournal() {
    std::error_code error;
    const auto size = std::filesystem::file_size(kJournal, error);  // -1 when missing
    if (!error && size > 200u << 20) return;
    MainModel model;
    SilentPrompt prompt;
    ReplyDecoder decoder(model, prompt, [](const std::string&) {});
    RecoveryJournal journal(kJournal);
    journal.Open();
    journal.Attach(decoder, model);
    ReplyGenerator generator(7);
    for (int i = 0; i < kRows; ++i) decoder.RecieveAll(generator.Reply(PageGas));
}

void BM_RestoreMillionRowJournal(benchmark::State& state) {
    GenerateJournal();
    for (auto _ : state) {
        MainModel model;
        YesPrompt prompt;
        RecoveryJournal journal(kJournal);
        journal.Take(false);
        const int restored = journal.OfferRestore(model, prompt);
        if (restored != kRows) state.SkipWithError("not every row was restored");
        benchmark::DoNotOptimize(model.Table(PageGas).RowCount());
    }
    state.counters["rows/s"] = benchmark::Counter(double(kRows) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RestoreMillionRowJournal)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
