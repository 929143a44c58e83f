#pragma once
// Hints for the few very large arrays of the program (a loaded table and its
// chart series, hundreds of megabytes). The first touch of every page costs a
// fault; large pages cut the number of faults by hundreds, and touching pages
// ahead on another core takes the faults off the thread that fills them.
// Both are hints: where the system offers neither, they do nothing.
#include <cstddef>

namespace vornik {

// Asks that the whole large pages inside [data, data + bytes) be backed by
// large pages. Memory that is not the caller's own allocation must not be passed.
void AdviseLargePages(const void* data, size_t bytes);

// Makes the pages of [data, data + bytes) resident and writable without
// changing their contents (the range must be allocated and owned by the caller).
void Prefault(const void* data, size_t bytes);

}  // namespace vornik
