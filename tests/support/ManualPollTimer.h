#pragma once
// A poll timer that ticks only when the test says so.
#include "device/DrivenPollTimer.h"

namespace vornik::test {

using ManualPollTimer = DrivenPollTimer;

}  // namespace vornik::test
