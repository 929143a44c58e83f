#include "core/LargeMemory.h"

namespace vornik {

// Large pages need a privilege on this system and cannot be asked for an
// existing allocation: the hints do nothing here.
void AdviseLargePages(const void*, size_t) {}

void Prefault(const void*, size_t) {}

}  // namespace vornik
