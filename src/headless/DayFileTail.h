#pragma once
// The part of appending to a day file that does not depend on the platform.
#include <functional>
#include <string>

namespace vornik {

// Reads up to n bytes at offset; returns the count read, or -1.
using ReadAt = std::function<int(long long offset, char* buffer, int n)>;

// The length of the file's whole lines: up to and including its last LF
// (0 when it has none), or -1 when the file cannot be read.
long long WholeLinesLength(long long size, const ReadAt& readAt);

// An open day file, as the platform reaches it. `write` writes all of the
// bytes or fails with errno set; `truncate` sets the file's length.
struct OpenDayFile {
    long long size;  // -1 when unknown
    ReadAt readAt;
    std::function<bool(long long length)> truncate;
    std::function<bool(const std::string& bytes)> write;
};

// Cuts a line left unfinished back, writes `header` first into an empty file
// and then `lines`; a write that fails is taken back. False with the
// system's reason in `error` on failure.
bool AppendWholeLines(const OpenDayFile& file, const std::string& header, const std::string& lines,
                      std::string& error);

}  // namespace vornik
