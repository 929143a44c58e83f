#include "ports/DemoCommDriver.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "core/Clock.h"
#include "config/OptionDialogLogic.h"

namespace vornik {
namespace {

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

DemoCommDriver::DemoCommDriver(SecondsClock clock, std::optional<uint64_t> seed)
    : clock_(clock ? std::move(clock) : SecondsClock(SteadySeconds)),
      generator_(seed.value_or(static_cast<uint64_t>(SystemClock().Now().second) + 1), SystemClock().Now(),
                 static_cast<int>(1000 / kRepliesPerSecond)) {}

DemoCommDriver::~DemoCommDriver() { CloseDevice(); }

uintptr_t DemoCommDriver::OpenStream(const std::string& name, std::string& failure) {
    (void)name;
    (void)failure;
    const double now = clock_();
    nextReply_ = lineFree_ = now;
    reply_.clear();
    replySent_ = 0;
    return 1;
}

bool DemoCommDriver::FlushStream(bool input, bool) {
    // Dropping what the line holds drops the rest of the reply on it.
    if (input && replySent_ > 0) {
        lineFree_ = clock_();
        reply_.clear();
        replySent_ = 0;
    }
    return true;
}

long DemoCommDriver::ReadSome(uint8_t* buffer, size_t size) {
    const double now = clock_();
    // Replies the owner did not read for long are gone, as from a real
    // driver's full queue: the line goes on from a short backlog.
    if (reply_.empty() && nextReply_ < now - kBacklogSeconds) nextReply_ = now - kBacklogSeconds;
    size_t given = 0;
    while (given < size) {
        if (reply_.empty()) {
            if (nextReply_ > now) break;
            reply_ = generator_.Reply(generator_.NextPage(kMix));
            replyStart_ = std::max(nextReply_, lineFree_);
            replySent_ = 0;
            nextReply_ += 1 / kRepliesPerSecond;
        }
        const double onLine = std::max(0.0, (now - replyStart_) * kBytesPerSecond);
        const size_t due = std::min(reply_.size(), static_cast<size_t>(onLine));
        const size_t n = std::min(due - std::min(due, replySent_), size - given);
        std::memcpy(buffer + given, reply_.data() + replySent_, n);
        given += n;
        replySent_ += n;
        if (replySent_ < reply_.size()) break;
        lineFree_ = replyStart_ + reply_.size() / kBytesPerSecond;
        reply_.clear();
    }
    return static_cast<long>(given);
}

}  // namespace vornik
