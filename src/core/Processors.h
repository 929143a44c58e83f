#pragma once
// Whether work split over two threads can run at the same time: on a machine
// whose processors are all busy, a second thread only takes turns with the
// first and adds the handing over between them.
namespace vornik {

// True when this process may run on more than one processor and, as far as
// the system tells, one of them is idle now besides the caller's.
bool SecondProcessorFree();

}  // namespace vornik
