#pragma once
// Whether work split over two threads can run at the same time: on a machine
// whose processors are all busy, a second thread only takes turns with the
// first and adds the handing over between them.
namespace vornik {

// True when this process may run on more than one processor and, as far as
// the system tells, one of them is idle now besides the caller's.
// `ownBackgroundThreads` of this process's busy threads are not counted: they
// finish soon, or take turns with the caller's work anyway.
bool SecondProcessorFree(int ownBackgroundThreads = 0);

}  // namespace vornik
