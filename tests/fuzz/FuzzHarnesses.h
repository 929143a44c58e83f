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

// The settings file reader fed an arbitrary file: a file of a whole record
// or more is read, every field can be read, and the record saves back as the
// file's first 421 bytes, byte for byte; a shorter file is not read.
std::string ConfigHarness(const uint8_t* data, size_t size);

// The data file loader fed an arbitrary file of one kind. A file that loads
// without a message and is in the form the program writes (every line
// the table's column count of TABs, the last one ending it, then CR LF) saves
// back byte for byte.
std::string GasFileHarness(const uint8_t* data, size_t size);
std::string TmprFileHarness(const uint8_t* data, size_t size);
std::string PrdFileHarness(const uint8_t* data, size_t size);

// The recovery journal reader fed an arbitrary file: the rows it finds,
// written to a new journal, read back the same.
std::string JournalHarness(const uint8_t* data, size_t size);

// The chart's axes, ticks and lines fed arbitrary ranges, multipliers and
// values: ticks are few, increasing and in range, and the decimated line
// covers exactly the pixels of a line through every point, inside the plot.
std::string ChartHarness(const uint8_t* data, size_t size);

// The port name parser (POSIX) fed an arbitrary name: the path it opens is
// the one its kind gives ("COM1".."COM16" in any case, a path, a name under
// /dev; a leading \\.\ ignored), and that path, typed in, opens itself.
std::string PortNameHarness(const uint8_t* data, size_t size);

// The statistics over an interval fed a table of arbitrary cells ("nd",
// empty, huge and other text among numbers) that grows and changes: the kept
// block sums give what reading the interval's cells in pieces gives, and the
// figures are consistent (numbers and skipped cells add up to the rows, the
// mean lies within the range).
std::string StatisticsHarness(const uint8_t* data, size_t size);

const std::vector<Harness>& Harnesses();

}  // namespace vornik::fuzz
