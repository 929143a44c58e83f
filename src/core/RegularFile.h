#pragma once
// Opening a file that must be an ordinary file on the disk. A FIFO, a device
// or a socket of the same name would block the opening thread or feed it
// endless bytes, so the file is opened without waiting and checked before
// anything is read.
#include <cstdio>
#include <string>

namespace vornik {

// Opens the file (UTF-8 path) for reading in binary mode. Null when it cannot
// be opened or is not a regular file; `error` then holds the reason.
std::FILE* OpenRegularFile(const std::string& path, std::string* error = nullptr);

}  // namespace vornik
