#include "core/qt/QtIntervalTimer.h"

namespace vornik {

QtIntervalTimer::QtIntervalTimer(int interval) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(interval);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
}

void QtIntervalTimer::SetEnabled(bool on) {
    if (on == timer_.isActive()) return;
    if (on) {
        timer_.start();
    } else {
        timer_.stop();
    }
}

}  // namespace vornik
