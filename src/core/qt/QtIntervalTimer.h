#pragma once
// An IntervalTimer on a QTimer of the user-interface thread. It is precise:
// the port's 10 ms polls on a coarse timer may stretch by 5 %.
#include <QTimer>

#include "core/IntervalTimer.h"

namespace vornik {

class QtIntervalTimer : public IntervalTimer {
public:
    explicit QtIntervalTimer(int interval = 0);

    bool Enabled() const override { return timer_.isActive(); }
    void SetEnabled(bool on) override;
    int Interval() const override { return timer_.interval(); }
    void SetInterval(int milliseconds) override { timer_.setInterval(milliseconds); }

private:
    QTimer timer_;
};

}  // namespace vornik
