#pragma once
// Realistic instrument replies for the simulator, tests and benchmarks: gas,
// temperature and pressure measurements whose values drift plausibly, dated
// by a simulated clock, and deliberately damaged replies for robustness runs.
// The same seed gives the same bytes on every platform.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Clock.h"

namespace vornik {

// The wire bytes of a reply: '>', the kind letter, CR LF in the two bytes
// that are not interpreted, every field followed by CR LF (or LF alone), '<'.
std::string FrameReply(char kind, const std::vector<std::string>& fields, bool crlf = true);

// A small deterministic generator (xorshift), independent of the standard
// library's distributions, which differ between implementations.
class SimRandom {
public:
    explicit SimRandom(uint64_t seed);
    uint32_t Next();
    int Below(int n);           // 0 .. n-1
    double Uniform();           // [0, 1)
    double Gauss();             // about N(0, 1)
    bool Chance(double p) { return Uniform() < p; }

private:
    uint64_t state_;
};

enum class ReplyFault {
    LostBytes,   // one to three bytes anywhere vanish
    BadKind,     // a kind letter the program does not know
    BadNumber,   // a numeric field holds text such as 1-2, 12.5, -- or Er
    Overlong,    // a reply longer than the receive buffer
    LineNoise,   // random bytes on the line inside or before a reply
};
constexpr int kReplyFaultCount = 5;

class WireFields;

class ReplyGenerator {
public:
    // `start` dates the first reply; every reply moves the clock on by
    // `stepMs` milliseconds.
    explicit ReplyGenerator(uint64_t seed, DateTime start = {2024, 3, 5, 9, 30, 0, 0}, int stepMs = 1000);

    // The fields of the next measurement of the page (CP1251 texts).
    std::vector<std::string> Fields(int page);
    // The next measurement of the page, framed.
    std::string Reply(int page, bool crlf = true) { return FrameReply(KindChar(page), Fields(page), crlf); }

    // A page drawn with the weights of mix (gas, temperature, pressure).
    int PickPage(const std::array<int, 3>& mix);
    // The page of the next reply as an instrument sends them: runs of one
    // kind (kMinRun to kMaxRun replies), each run of another kind than the
    // one before where the mix has another, drawn with the mix's weights.
    int NextPage(const std::array<int, 3>& mix);
    static constexpr int kMinRun = 10;
    static constexpr int kMaxRun = 40;

    // A damaged copy of a framed reply.
    std::string Damage(const std::string& reply, ReplyFault fault);

    SimRandom& Random() { return random_; }
    DateTime Now() const;

private:
    static char KindChar(int page);
    std::vector<std::string> GasFields();
    std::vector<std::string> TempFields();
    std::vector<std::string> PrdFields();
    void Stamp(WireFields& fields, int page, int objectColumn);
    double Drift(double& value, double target, double pull, double sigma);

    SimRandom random_;
    int runPage_ = -1;
    int runLeft_ = 0;
    int64_t clockMs_;
    int stepMs_;
    std::array<int, 3> counters_{};
    std::string object_;
    std::string fuel_;
    std::string unitFlags_;  // fields 6 to 8 of a gas reply, one char each

    // Drifting physical values.
    double o2_ = 5.5, co_ = 120, no_ = 80, no2_ = 4, so2_ = 5, h2s_ = 0.5, ch_ = 10;
    double tg_ = 180, ta_ = 21.5, ti_ = 30;
    double tempGas_ = 450, tempAir_ = 25;
    double pd_ = 0.015, pa_ = 101.325;
};

// Formats used in the date and time fields: "05.03.24" and "09:30:00".
std::string SimDateText(const DateTime& t);
std::string SimTimeText(const DateTime& t);

}  // namespace vornik
