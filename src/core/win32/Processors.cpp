#include "core/Processors.h"

#include <thread>

namespace vornik {

// The system tells no count of waiting threads cheaply: more than one
// processor is taken as one free.
bool SecondProcessorFree(int) { return std::thread::hardware_concurrency() > 1; }

}  // namespace vornik
