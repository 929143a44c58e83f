#include "core/RecentErrors.h"

#include <cstdio>

namespace vornik {

void RecentErrors::Add(const DateTime& time, const std::string& text) {
    ++total_;
    if (!entries_.empty() && entries_.back().text == text) {
        entries_.back().time = time;
        ++entries_.back().repeats;
        return;
    }
    entries_.push_back({time, text, 1});
    while (entries_.size() > capacity_) entries_.pop_front();
}

std::string FormatTimeOfDay(const DateTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

}  // namespace vornik
