#pragma once
// An IntervalTimer on a QTimer of the user-interface thread.
#include <QTimer>

#include "core/IntervalTimer.h"

namespace vornik {

class QtIntervalTimer : public IntervalTimer {
public:
    explicit QtIntervalTimer(int interval);

    bool Enabled() const override { return timer_.isActive(); }
    void SetEnabled(bool on) override;
    int Interval() const override { return timer_.interval(); }
    void SetInterval(int milliseconds) override { timer_.setInterval(milliseconds); }

private:
    QTimer timer_;
};

}  // namespace vornik
