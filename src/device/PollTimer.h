#pragma once
// The periodic timer that polls the port. It runs its handler on the user
// interface thread; the shell provides it with a QTimer, tests drive it by hand.
#include <functional>

namespace vornik {

class PollTimer {
public:
    virtual ~PollTimer() = default;
    virtual void SetHandler(std::function<void()> handler) = 0;
    virtual void SetInterval(int milliseconds) = 0;
    virtual int Interval() const = 0;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
};

}  // namespace vornik
