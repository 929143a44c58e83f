#pragma once
// Error lines for the log of an unattended logger: a noisy line repeats the
// same few errors thousands of times a second, and a log line for each would
// fill the disk. An error is logged at most once a minute; the repeats in
// between are counted, and the count is logged (with the last such text) a
// minute after the line before, or at the end.
//
// Errors count as the same when their texts differ only inside quotes
// ("'1-2' is not a valid integer value" and "'--' is ..."): those quote the
// damaged bytes, which differ every time.
#include <chrono>
#include <functional>
#include <map>
#include <string>

namespace vornik {

class ThrottledLog {
public:
    using Time = std::chrono::steady_clock::time_point;

    explicit ThrottledLog(std::function<void(const std::string& line)> line,
                          std::chrono::seconds interval = std::chrono::minutes(1));

    void Add(const std::string& text, Time now);
    // Logs the count of every error whose interval has passed since its last
    // line (all counts when `all`).
    void Flush(Time now, bool all = false);

private:
    struct Repeats {
        Time lastLine;
        std::string lastText;
        long long count = 0;
    };

    std::function<void(const std::string&)> line_;
    std::chrono::seconds interval_;
    std::map<std::string, Repeats> errors_;  // by the text without quoted parts
};

}  // namespace vornik
