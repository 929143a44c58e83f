#pragma once
// The last reception errors, for the window's error list: a noisy line must
// not raise a box per reply, yet nothing it did should go unseen.
#include <cstddef>
#include <deque>
#include <string>

#include "core/Clock.h"

namespace vornik {

struct RecentError {
    DateTime time;
    std::string text;  // UTF-8
    size_t repeats = 1;  // the same text in a row counts here
};

class RecentErrors {
public:
    explicit RecentErrors(size_t capacity = 200) : capacity_(capacity) {}

    void Add(const DateTime& time, const std::string& text);
    const std::deque<RecentError>& Entries() const { return entries_; }
    // Errors added since the start, repeats included.
    size_t Total() const { return total_; }
    void Clear() { entries_.clear(); }

private:
    size_t capacity_;
    size_t total_ = 0;
    std::deque<RecentError> entries_;
};

// "hh:mm:ss" of a time, for lists and the status bar.
std::string FormatTimeOfDay(const DateTime& time);

}  // namespace vornik
