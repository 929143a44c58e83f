// Replays every input of the fuzz corpora and every regression input found by
// fuzzing through the same harness bodies the fuzzers run, built with the
// normal compiler: an input that once broke an invariant must keep passing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "FuzzHarnesses.h"

namespace fs = std::filesystem;

namespace vornik::fuzz {
// Test names show the harness by its name.
void PrintTo(const Harness& harness, std::ostream* out) { *out << harness.name; }
}  // namespace vornik::fuzz

namespace {

// Beside tests/data.
const fs::path kFuzzDir = fs::path(VORNIK_TEST_DATA).parent_path() / "fuzz";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the harness over every file in kFuzzDir/<kind>/<harness>/; returns the
// number of inputs.
int Replay(const vornik::fuzz::Harness& harness, const char* kind) {
    const fs::path folder = kFuzzDir / kind / harness.name;
    if (!fs::is_directory(folder)) return 0;
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::string bytes = ReadFile(entry.path());
        EXPECT_EQ(harness.run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "")
            << entry.path();
        ++inputs;
    }
    return inputs;
}

class FuzzReplay : public ::testing::TestWithParam<vornik::fuzz::Harness> {};

TEST_P(FuzzReplay, CorpusAndRegressionsKeepEveryInvariant) {
    const int corpus = Replay(GetParam(), "corpus");
    Replay(GetParam(), "regressions");
    EXPECT_GT(corpus, 0) << "no seed corpus for " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzReplay, ::testing::ValuesIn(vornik::fuzz::Harnesses()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
