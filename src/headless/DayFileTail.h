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

// The row number at the start of the last of the whole lines that fill the
// file's first `size` bytes ("17/305" gives 17); 0 when there is none or it
// is the header, -1 when the file cannot be read.
long long LastRowNumber(long long size, const ReadAt& readAt);

// The lines with the row numbers put before those that start with "/",
// going on from `last`.
std::string NumberedLines(const std::string& lines, long long last);

// An open day file, as the platform reaches it, locked for this append.
// `write` writes all of the bytes or fails with errno set; `truncate` sets
// the file's length.
struct OpenDayFile {
    long long size;  // -1 when unknown
    ReadAt readAt;
    std::function<bool(long long length)> truncate;
    std::function<bool(const std::string& bytes)> write;
};

// Cuts a line left unfinished back, writes `header` first into an empty file
// and then `lines`, numbered on from the file's last row; a write that fails
// is taken back. False with the system's reason in `error` on failure.
bool AppendWholeLines(const OpenDayFile& file, const std::string& header, const std::string& lines,
                      std::string& error);

// Calls `tryLock` until it succeeds, for a second or two: another logger
// holds a day file's lock for the moment of its append, and a program that
// keeps it longer must not stall reception. False when it never succeeded.
bool WaitForLock(const std::function<bool()>& tryLock);

// The reason given when WaitForLock gave up.
constexpr const char* kLockedText = "the file is locked by another program";

}  // namespace vornik
