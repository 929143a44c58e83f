#pragma once
// Opening a file for reading only when it is a regular file. A FIFO, a
// terminal or a device given as a file name would block the open or the
// reads, or never end; the open itself does not wait for a writer.
#include <cstdio>
#include <string>

namespace vornik {

// The file opened for binary reading, or null when it cannot be opened or is
// not a regular file (errno tells which where the system sets it).
std::FILE* OpenRegularFile(const std::string& path);

}  // namespace vornik
