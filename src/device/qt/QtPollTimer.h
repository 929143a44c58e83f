#pragma once
// The poll timer of the shell: a QTimer on the user-interface thread.
#include <QTimer>
#include <functional>

#include "device/PollTimer.h"

namespace vornik {

class QtPollTimer : public PollTimer {
public:
    QtPollTimer();

    void SetHandler(std::function<void()> handler) override;
    void SetInterval(int milliseconds) override;
    int Interval() const override;
    void Start() override;
    void Stop() override;
    bool Active() const override;

    QTimer& timer() { return timer_; }

private:
    QTimer timer_;
    std::function<void()> handler_;
};

}  // namespace vornik
