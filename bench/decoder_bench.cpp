// Reception throughput: whole gas replies through Recieve into a gas table
// that already holds a million rows, against the 960 bytes/s that a
// 9600-baud line can deliver.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Prompt.h"
#include "core/Conversion.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyGenerator.h"
#include "tables/MainModel.h"
#include "quantities/Pages.h"

using namespace vornik;

namespace {

constexpr double kLineBytesPerSecond = 960;  // 9600 baud, 10 bits a byte


std::vector<std::string> GasReplies(int count) {
    ReplyGenerator generator(42);
    std::vector<std::string> replies;
    for (int i = 0; i < count; ++i) replies.push_back(generator.Reply(PageGas));
    return replies;
}

// A model whose gas table holds a million decoded rows.
MainModel& BigModel() {
    static std::unique_ptr<MainModel> model = [] {
        auto m = std::make_unique<MainModel>();
        m->GridsLayout(1024);
        SilentPrompt prompt;
        ReplyDecoder decoder(*m, prompt, [](const std::string&) {});
        const auto replies = GasReplies(1000);
        for (int i = 0; i < 1000000; ++i) decoder.RecieveAll(replies[size_t(i % 1000)]);
        return m;
    }();
    return *model;
}

void BM_GasRepliesIntoMillionRowTable(benchmark::State& state) {
    MainModel& model = BigModel();
    SilentPrompt prompt;
    int errors = 0;
    ReplyDecoder decoder(model, prompt, [&](const std::string&) { ++errors; });
    const auto replies = GasReplies(1024);
    size_t bytes = 0;
    size_t i = 0;
    for (auto _ : state) {
        const std::string& reply = replies[i++ & 1023];
        for (char c : reply) decoder.Recieve(nullptr, static_cast<uint8_t>(c), false);
        bytes += reply.size();
    }
    if (errors) state.SkipWithError("a reply failed to decode");
    state.SetItemsProcessed(int64_t(state.iterations()));
    state.SetBytesProcessed(int64_t(bytes));
    state.counters["rows"] = double(model.Table(PageGas).RowCount() - 1);
    state.counters["x_9600_baud"] =
        benchmark::Counter(double(bytes) / kLineBytesPerSecond, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GasRepliesIntoMillionRowTable)->Unit(benchmark::kMicrosecond);

void BM_ScaleField(benchmark::State& state) {
    const char* texts[] = {"1234", "-5", "2095", "15", "1013250", "98765"};
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(ScaleField(texts[i++ % 6], 10, 6, 1));
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_ScaleField);

}  // namespace

BENCHMARK_MAIN();
