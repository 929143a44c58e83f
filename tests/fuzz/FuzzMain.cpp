// The libFuzzer entry of one harness, chosen at build time by
// VORNIK_FUZZ_HARNESS (its name). An invariant that breaks aborts, so
// libFuzzer keeps the input as a crash.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FuzzHarnesses.h"

namespace {

vornik::fuzz::HarnessFn Find() {
    for (const auto& h : vornik::fuzz::Harnesses())
        if (std::strcmp(h.name, VORNIK_FUZZ_HARNESS) == 0) return h.run;
    std::fprintf(stderr, "no harness %s\n", VORNIK_FUZZ_HARNESS);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const vornik::fuzz::HarnessFn run = Find();
    const std::string broken = run(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "invariant broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
