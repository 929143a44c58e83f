#pragma once
// A poll timer whose owner runs it: each Tick runs the handler while the
// timer is active. The loop of the program without a window uses it, and
// tests tick it by hand.
#include <functional>

#include "device/PollTimer.h"

namespace vornik {

class DrivenPollTimer : public PollTimer {
public:
    void SetHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
    void SetInterval(int milliseconds) override { interval_ = milliseconds; }
    int Interval() const override { return interval_; }
    void Start() override { active_ = true; }
    void Stop() override { active_ = false; }
    bool Active() const override { return active_; }

    // Runs the handler n times, as an active timer would.
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i)
            if (active_ && handler_) handler_();
    }

private:
    std::function<void()> handler_;
    int interval_ = 0;
    bool active_ = false;
};

}  // namespace vornik
