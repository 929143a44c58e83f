#pragma once
// Memory made ready for one large allocation still to come: a file named on
// the command line is loaded into a table whose text storage takes about the
// file's size. The first touch of every fresh page costs the kernel a fault
// and a pass of zeros; a thread started before the window does that work
// while the window starts and, once the table has taken the block, ahead of
// the rows the load writes into it.
#include <cstddef>
#include <string>
#include <vector>

#include "core/UninitialisedAllocator.h"

namespace vornik {

using PreparedBytes = std::vector<char, UninitialisedAllocator<char>>;

// Allocates room for `bytes` bytes and starts a thread that touches its
// pages, the first half at once. Replaces a block prepared before.
void PrepareMemory(size_t bytes);

// The block prepared for `bytes` (empty, capacity `bytes` or more); an empty
// vector without capacity when the block was asked for another size (so that
// no other table takes it) or is gone. The block is handed out once, maybe
// while the thread still touches its later pages.
PreparedBytes TakePreparedMemory(size_t bytes);

// The table that took the block expects to fill about `bytes` of it: the
// thread touches that far and no farther (pages touched and never filled
// would only add to the memory the program holds).
void ExpectPreparedMemoryUse(size_t bytes);

// True while the thread is still touching pages: a processor is busy with it
// for a while yet.
bool PreparingMemory();

// PrepareMemory for loading the named file: its size, when it is a regular
// file large enough to be worth a thread (a small one is loaded at once).
void PrepareMemoryForFile(const std::string& path);

// Stops the thread and frees a block nobody took (the named file did not load).
void DropPreparedMemory();

}  // namespace vornik
