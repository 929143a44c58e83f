#include "headless/DayFileAppend.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "headless/DayFileTail.h"

namespace vornik {

long long WholeLinesLength(long long size, const ReadAt& readAt) {
    char chunk[4096];
    for (long long end = size; end > 0;) {
        const long long start = std::max(0LL, end - static_cast<long long>(sizeof chunk));
        const int n = readAt(start, chunk, static_cast<int>(end - start));
        if (n != end - start) return -1;
        for (int i = n - 1; i >= 0; --i)
            if (chunk[i] == '\n') return start + i + 1;
        end = start;
    }
    return 0;
}

bool AppendWholeLines(const OpenDayFile& file, const std::string& header, const std::string& lines,
                      std::string& error) {
    const long long size = file.size < 0 ? -1 : WholeLinesLength(file.size, file.readAt);
    bool ok = size >= 0 && (size == file.size || file.truncate(size));
    if (ok) ok = file.write(size == 0 ? header + lines : lines);
    if (!ok) {
        error = std::strerror(errno);
        // Takes back what part of the append reached the file.
        if (size >= 0 && !file.truncate(size)) error += "; the file could not be cut back";
    }
    return ok;
}

long long LastRowNumber(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary | std::ios::ate);
    if (!in) return 0;
    const long long size = static_cast<long long>(in.tellg());
    // A row is a few hundred bytes: its start is within the last few KiB.
    const long long from = std::max(0LL, size - 8192);
    std::string tail(static_cast<size_t>(size - from), '\0');
    in.seekg(from);
    if (!in.read(tail.data(), static_cast<std::streamsize>(tail.size()))) return 0;
    size_t end = tail.rfind('\n');
    if (end == std::string::npos) return 0;
    const size_t lineStart = end == 0 ? std::string::npos : tail.rfind('\n', end - 1);
    const size_t start = lineStart == std::string::npos ? 0 : lineStart + 1;
    long long number = 0;
    size_t i = start;
    for (; i < end && std::isdigit(static_cast<unsigned char>(tail[i])) && number < 1000000000; ++i)
        number = number * 10 + (tail[i] - '0');
    return i > start && i < end && tail[i] == '/' ? number : 0;
}

}  // namespace vornik
