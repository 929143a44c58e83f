#pragma once
// Writing a whole buffer to a file descriptor: write() may take only part of
// it or be interrupted by a signal before writing anything.
#include <cstddef>

namespace vornik {

// Writes all `size` bytes or returns false with errno set (ENOSPC where the
// system took nothing without saying why).
bool WriteFully(int fd, const void* data, size_t size);

}  // namespace vornik
