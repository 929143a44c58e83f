#pragma once
// The port's poll timer in tests: time passes a whole interval at a time,
// only when the test says so.
#include "core/IntervalTimer.h"

namespace vornik::test {

class ManualPollTimer : public ManualTimer {
public:
    // Lets n intervals pass: the handler runs n times while the timer is on.
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) Advance(Interval());
    }
    bool Active() const { return Enabled(); }
    void Start() { SetEnabled(true); }
    void Stop() { SetEnabled(false); }
};

}  // namespace vornik::test
