#pragma once
// vornik-pc --load-and-quit [FILE]: a measurement of the whole program. The
// real window starts offscreen with settings of its own (so no journal of a
// real run is touched and no question waits), paints once, opens FILE the way
// the open command does, paints again and exits, printing how long each step
// took and the peak resident memory.
#include <chrono>

namespace vornik {

int RunLoadAndQuit(int argc, char* argv[], std::chrono::steady_clock::time_point started);

}  // namespace vornik
