#pragma once
// Fuzz harness bodies: plain functions over one input, compiled into the
// libFuzzer binaries (tests/fuzz/CMakeLists.txt, built by ./fuzz) and into
// the ordinary regression test that replays the corpora with g++.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vornik::fuzz {

// Runs one input; returns "" when every invariant held, otherwise what broke.
using HarnessFn = std::string (*)(const uint8_t* data, size_t size);

struct Harness {
    const char* name;  // also the folder of its corpus and regressions
    HarnessFn run;
};

// The reply decoder fed a byte stream. Byte 0 chooses the form of the rest:
// even, the bytes as received; odd, pairs of (flags, byte) where flags bit 0
// is the byte's line error.
std::string DecoderHarness(const uint8_t* data, size_t size);

const std::vector<Harness>& Harnesses();

}  // namespace vornik::fuzz
