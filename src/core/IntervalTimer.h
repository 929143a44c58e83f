#pragma once
// A periodic timer with the switch-on/interval/tick model of the window
// system's timers: switching it on starts a full interval, every elapsed
// interval calls the tick callback until it is switched off. The window runs
// it on a QTimer (QtIntervalTimer); the program without a window and the
// tests let time pass through a ManualTimer.
#include <functional>
#include <utility>

namespace vornik {

class IntervalTimer {
public:
    virtual ~IntervalTimer() = default;

    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool on) = 0;
    virtual int Interval() const = 0;
    // A new interval takes effect at the next switch-on (or at once, from
    // the start, when the timer runs).
    virtual void SetInterval(int milliseconds) = 0;

    void SetOnTimer(std::function<void()> onTimer) { onTimer_ = std::move(onTimer); }

protected:
    void Tick() {
        if (onTimer_) onTimer_();
    }

private:
    std::function<void()> onTimer_;
};

// A timer whose time passes only through Advance.
class ManualTimer : public IntervalTimer {
public:
    explicit ManualTimer(int interval = 1000) : interval_(interval) {}

    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool on) override {
        if (on && !enabled_) elapsed_ = 0;
        enabled_ = on;
    }
    int Interval() const override { return interval_; }
    void SetInterval(int milliseconds) override {
        interval_ = milliseconds;
        elapsed_ = 0;
    }

    // Lets `milliseconds` pass, ticking at every full interval while on.
    void Advance(int milliseconds) {
        while (enabled_ && interval_ > 0) {
            const int left = interval_ - elapsed_;
            if (milliseconds < left) {
                elapsed_ += milliseconds;
                return;
            }
            milliseconds -= left;
            elapsed_ = 0;
            Tick();
        }
    }

    // Time since the timer was switched on or last ticked.
    int Elapsed() const { return elapsed_; }

private:
    bool enabled_ = false;
    int interval_;
    int elapsed_ = 0;
};

}  // namespace vornik
