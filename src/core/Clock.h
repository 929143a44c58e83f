#pragma once
// Local date and time, behind an interface so that dated file names and
// printed titles can be tested with a fixed clock.

namespace vornik {

struct DateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime Now() const = 0;
};

// The computer's local time.
class SystemClock : public Clock {
public:
    DateTime Now() const override;
};

// A clock that always says the same time, for tests.
class FixedClock : public Clock {
public:
    explicit FixedClock(DateTime t) : time_(t) {}
    DateTime Now() const override { return time_; }
    void Set(DateTime t) { time_ = t; }

private:
    DateTime time_;
};

}  // namespace vornik
