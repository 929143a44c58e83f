#include "headless/DayFileAppend.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

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

long long LastRowNumber(long long size, const ReadAt& readAt) {
    // A row is a few hundred bytes: its start is within the last few KiB.
    const long long from = std::max(0LL, size - 8192);
    std::string tail(static_cast<size_t>(size - from), '\0');
    if (readAt(from, tail.data(), static_cast<int>(tail.size())) != static_cast<int>(tail.size())) return -1;
    const size_t end = tail.rfind('\n');
    if (end == std::string::npos) return 0;
    const size_t lineStart = end == 0 ? std::string::npos : tail.rfind('\n', end - 1);
    const size_t start = lineStart == std::string::npos ? 0 : lineStart + 1;
    long long number = 0;
    size_t i = start;
    for (; i < end && std::isdigit(static_cast<unsigned char>(tail[i])) && number < 1000000000; ++i)
        number = number * 10 + (tail[i] - '0');
    return i > start && i < end && tail[i] == '/' ? number : 0;
}

std::string NumberedLines(const std::string& lines, long long last) {
    std::string numbered;
    numbered.reserve(lines.size() + lines.size() / 16);
    for (size_t start = 0; start < lines.size();) {
        const size_t lf = lines.find('\n', start);
        const size_t end = lf == std::string::npos ? lines.size() : lf + 1;
        if (lines[start] == '/') numbered += std::to_string(++last);
        numbered.append(lines, start, end - start);
        start = end;
    }
    return numbered;
}

bool AppendWholeLines(const OpenDayFile& file, const std::string& header, const std::string& lines,
                      std::string& error) {
    const long long size = file.size < 0 ? -1 : WholeLinesLength(file.size, file.readAt);
    bool ok = size >= 0 && (size == file.size || file.truncate(size));
    const long long last = ok ? LastRowNumber(size, file.readAt) : -1;
    ok = last >= 0 && file.write((size == 0 ? header : std::string()) + NumberedLines(lines, last));
    if (!ok) {
        error = std::strerror(errno);
        // Takes back what part of the append reached the file; the lock keeps
        // every other writer out, so what lies beyond `size` is ours.
        if (size >= 0 && !file.truncate(size)) error += "; the file could not be cut back";
    }
    return ok;
}

bool WaitForLock(const std::function<bool()>& tryLock) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!tryLock()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace vornik
