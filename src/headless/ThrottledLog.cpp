#include "headless/ThrottledLog.h"

namespace vornik {
namespace {

// The text with what stands inside single quotes left out.
std::string Kind(const std::string& text) {
    std::string kind;
    bool quoted = false;
    for (const char c : text) {
        if (c == '\'') {
            quoted = !quoted;
            kind += c;
        } else if (!quoted) {
            kind += c;
        }
    }
    return kind;
}

}  // namespace

ThrottledLog::ThrottledLog(std::function<void(const std::string&)> line, std::chrono::seconds interval)
    : line_(std::move(line)), interval_(interval) {}

void ThrottledLog::Add(const std::string& text, Time now) {
    const auto [at, first] = errors_.try_emplace(Kind(text));
    Repeats& repeats = at->second;
    if (first) {
        repeats.lastLine = now;
        line_(text);
        return;
    }
    repeats.lastText = text;
    ++repeats.count;
    Flush(now);
}

void ThrottledLog::Flush(Time now, bool all) {
    for (auto at = errors_.begin(); at != errors_.end();) {
        Repeats& repeats = at->second;
        if (!all && now - repeats.lastLine < interval_) {
            ++at;
            continue;
        }
        // A minute without a repeat: the next one is logged at once again.
        if (repeats.count == 0) {
            at = errors_.erase(at);
            continue;
        }
        line_(repeats.lastText + " (" + std::to_string(repeats.count) + " more like it since the last such line)");
        repeats.lastLine = now;
        repeats.count = 0;
        ++at;
    }
}

}  // namespace vornik
