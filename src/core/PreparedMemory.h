#pragma once
// Memory made ready for one large allocation still to come: a file named on
// the command line is loaded into a table whose text storage takes about the
// file's size. The first touch of every fresh page costs the kernel a fault
// and a pass of zeros; a thread started before the window does that work
// while the window starts, and the table then takes the ready block.
#include <cstddef>
#include <string>
#include <vector>

#include "core/UninitialisedAllocator.h"

namespace vornik {

using PreparedBytes = std::vector<char, UninitialisedAllocator<char>>;

// Starts a thread that allocates room for `bytes` bytes and touches its
// pages. Replaces a block prepared before.
void PrepareMemory(size_t bytes);

// The block prepared for `bytes` (empty, capacity `bytes` or more), after its
// thread has finished; an empty vector without capacity when the block was
// asked for another size (so that no other table takes it) or is gone. The
// block is handed out once.
PreparedBytes TakePreparedMemory(size_t bytes);

// PrepareMemory for loading the named file: its size, when it is a regular
// file large enough to be worth a thread (a small one is loaded at once).
void PrepareMemoryForFile(const std::string& path);

// Frees a block nobody took (the named file did not load).
void DropPreparedMemory();

}  // namespace vornik
