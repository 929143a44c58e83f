#pragma once
// The part of appending to a day file that does not depend on the platform.
#include <functional>

namespace vornik {

// Reads up to n bytes at offset; returns the count read, or -1.
using ReadAt = std::function<int(long long offset, char* buffer, int n)>;

// The length of the file's whole lines: up to and including its last LF
// (0 when it has none), or -1 when the file cannot be read.
long long WholeLinesLength(long long size, const ReadAt& readAt);

}  // namespace vornik
