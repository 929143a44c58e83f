#pragma once
// The port "DEMO": a simulated instrument inside the program. It sends the
// replies of the instrument simulator (gas, temperature and pressure, in runs
// of one kind, two replies a second) at the line's rate of 960 bytes a
// second, so a newcomer sees live data without an instrument, on every
// platform. Written bytes are taken and dropped.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "device/StreamCommDriver.h"
#include "reception/ReplyGenerator.h"

namespace vornik {

class DemoCommDriver : public StreamCommDriver {
public:
    static constexpr double kRepliesPerSecond = 2;
    static constexpr double kBytesPerSecond = 960;  // 9600 baud, 8N1
    static constexpr std::array<int, 3> kMix{3, 1, 1};
    static constexpr double kBacklogSeconds = 4;

    // Seconds on a steady clock; the real one when not given. The replies
    // differ from run to run unless `seed` fixes them.
    using SecondsClock = std::function<double()>;
    explicit DemoCommDriver(SecondsClock clock = {}, std::optional<uint64_t> seed = {});
    ~DemoCommDriver() override;

protected:
    uintptr_t OpenStream(const std::string& name, std::string& failure) override;
    void CloseStream() override {}
    long ReadSome(uint8_t* buffer, size_t size) override;
    long WriteSome(const uint8_t*, size_t size) override { return static_cast<long>(size); }
    bool FlushStream(bool input, bool output) override;

private:
    SecondsClock clock_;
    ReplyGenerator generator_;
    double nextReply_ = 0;  // when the next reply is due
    double lineFree_ = 0;   // when the line has sent everything before
    std::string reply_;     // the reply on the line
    double replyStart_ = 0;
    size_t replySent_ = 0;
};

}  // namespace vornik
