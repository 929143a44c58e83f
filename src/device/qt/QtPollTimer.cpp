#include "device/qt/QtPollTimer.h"

namespace vornik {

QtPollTimer::QtPollTimer() {
    // 10 ms polls need the precise timer; a coarse one may stretch them by 5 %.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (handler_) handler_();
    });
}

void QtPollTimer::SetHandler(std::function<void()> handler) { handler_ = std::move(handler); }
void QtPollTimer::SetInterval(int milliseconds) { timer_.setInterval(milliseconds); }
int QtPollTimer::Interval() const { return timer_.interval(); }
void QtPollTimer::Start() { timer_.start(); }
void QtPollTimer::Stop() { timer_.stop(); }
bool QtPollTimer::Active() const { return timer_.isActive(); }

}  // namespace vornik
