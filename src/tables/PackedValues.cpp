#include "tables/PackedValues.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace vornik {

const double PackedValues::kPowers[kSideDecimals] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6, 1e7,
                                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};

// The code of `value` with `decimals` decimals, or kUnpacked where they do
// not give it back exactly.
uint32_t PackedValues::PackWith(double value, int decimals) {
    const double scaled = value * kPowers[decimals];
    if (!(std::fabs(scaled) <= static_cast<double>(kMaxDigits))) return kUnpacked;
    const double units = std::nearbyint(scaled);
    if (units / kPowers[decimals] != value) return kUnpacked;
    return PackDecimal(value, static_cast<int64_t>(units), decimals);
}

void PackedValues::Push(double value) {
    // A steady reading repeats: the same double has the same code.
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if (bits != lastBits_) {
        lastBits_ = bits;
        lastCode_ = Pack(value);
    }
    PushCode(value, lastCode_);
}

uint32_t PackedValues::Pack(double value) {
    // A series' values mostly have as many decimals as the one before: try
    // that first, then the fewest that give the value back.
    const uint32_t code = PackWith(value, lastDecimals_);
    if (code != kUnpacked) return code;
    // No digits give a value outside [1 / 10^14, kMaxDigits] in magnitude:
    // huge and tiny values, -0 (+0 packed above), infinity and NaN. (1e-14 is
    // the double that 1 / 1e14 rounds to, and no smaller one is reached.)
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1e-14 && magnitude <= static_cast<double>(kMaxDigits))) return kUnpacked;
    for (int decimals = 0; decimals < static_cast<int>(kSideDecimals); ++decimals) {
        // Past the digits that fit, more decimals only scale further.
        if (magnitude * kPowers[decimals] > static_cast<double>(kMaxDigits)) break;
        const uint32_t found = PackWith(value, decimals);
        if (found != kUnpacked) {
            lastDecimals_ = decimals;
            return found;
        }
    }
    return kUnpacked;
}

namespace {

// 10^k as integers, to give digits more decimals.
constexpr int64_t kScales[] = {1,           10,           100,           1000,           10000,
                               100000,      1000000,      10000000,      100000000,      1000000000,
                               10000000000, 100000000000, 1000000000000, 10000000000000, 100000000000000};

// Room for `more` elements. Growing by a quarter at least, as a series
// grows: a vector filled bit by bit is copied a bounded number of times
// over, and idles at most a fifth empty.
template <class T>
void Grow(std::vector<T>& v, size_t more) {
    if (v.capacity() - v.size() >= more) return;
    v.reserve(std::max({v.size() + more, v.capacity() + v.capacity() / 4, size_t(64)}));
}

template <class T>
void Free(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

}  // namespace

void PackedValues::PushMany(const double* values, const uint32_t* codes, size_t count) {
    if (std::find(codes, codes + count, kUnpacked) == codes + count) return Append(values, codes, count);
    // As Push(value, kUnpacked) does, for the batch.
    std::vector<uint32_t> repacked(codes, codes + count);
    for (size_t i = 0; i < count; ++i)
        if (codes[i] == kUnpacked) repacked[i] = Pack(values[i]);
    Append(values, repacked.data(), count);
}

void PackedValues::Append(const double* values, const uint32_t* codes, size_t count) {
    if (count == 0) return;
    const size_t unpacked = static_cast<size_t>(std::count(codes, codes + count, kUnpacked));
    // Room first, so that nothing is half added when memory runs out.
    if (unpacked > kMaxSide - side_.size()) throw std::length_error("too many unpacked chart values");
    Grow(side_, unpacked);
    const size_t oldTail = tail_.size(), oldSide = side_.size(), oldBlocks = blocks_.size();
    const size_t finished = (oldTail + count) >> kBlockShift;  // blocks this finishes
    Grow(blocks_, finished);
    if (finished > 0)
        tail_.reserve(kBlock);
    else if (tail_.capacity() < oldTail + count)
        tail_.reserve(std::min(kBlock, std::max({oldTail + count, tail_.capacity() * 2, size_t(8)})));

    // How each finished block is kept: the unfinished one, completed from
    // the first values, then whole blocks of the values given.
    const size_t completing = finished > 0 && oldTail > 0 ? kBlock - oldTail : 0;
    for (size_t i = 0; i < completing; ++i) tail_.push_back(Keep(values[i], codes[i]));
    if (completing > 0) blocks_.push_back(Plan(tail_.data()));
    for (size_t at = completing; blocks_.size() < oldBlocks + finished; at += kBlock)
        blocks_.push_back(Plan(codes + at));
    size_t narrowBlocks = 0;
    for (size_t b = oldBlocks; b < blocks_.size(); ++b) narrowBlocks += blocks_[b].decimals != kWide;
    try {
        Grow(narrow_, narrowBlocks << kBlockShift);
        Grow(wide_, (finished - narrowBlocks) << kBlockShift);
    } catch (...) {
        blocks_.resize(oldBlocks);
        tail_.resize(oldTail);
        side_.resize(oldSide);
        throw;
    }

    // Nothing below allocates.
    size_t next = oldBlocks, at = completing;
    if (completing > 0) {
        Finish(nullptr, tail_.data(), blocks_[next++]);
        tail_.clear();
    }
    for (; next < blocks_.size(); ++next, at += kBlock) Finish(values + at, codes + at, blocks_[next]);
    for (; at < count; ++at) tail_.push_back(Keep(values[at], codes[at]));
}

PackedValues::CodeRun PackedValues::Scan(const uint32_t* codes, size_t count) {
    uint32_t all = ~uint32_t(0), any = 0;
    int32_t lo = std::numeric_limits<int32_t>::max(), hi = std::numeric_limits<int32_t>::min();
    for (size_t i = 0; i < count; ++i) {
        const uint32_t code = codes[i];
        all &= code;
        any |= code;
        // The digits shifted up by four bits keep their order.
        const int32_t shifted = static_cast<int32_t>(code << 4);
        lo = std::min(lo, shifted);
        hi = std::max(hi, shifted);
    }
    const uint32_t decimals = any >> kDecimalsShift;
    return {decimals == all >> kDecimalsShift ? decimals : kMixed, lo / 16, hi / 16};
}

PackedValues::Block PackedValues::Plan(const uint32_t* codes) {
    // Most blocks share their decimals: then the codes' digits alone decide.
    const CodeRun run = Scan(codes, kBlock);
    if (run.decimals == kMixed) return PlanMixedDecimals(codes);
    Block plan;
    if (run.decimals == kSideDecimals || int64_t(run.hi) - run.lo > 0xFFFF) return plan;
    plan.base = run.lo;
    plan.decimals = run.decimals;
    return plan;
}

PackedValues::Block PackedValues::PlanMixedDecimals(const uint32_t* codes) {
    // All given the most decimals among them, where the digits still fit:
    // (digits * 10^k) / 10^(decimals + k) is the same exact quotient as
    // digits / 10^decimals, so it rounds to the same double.
    Block plan;
    uint32_t most = 0;
    for (size_t i = 0; i < kBlock; ++i) {
        const uint32_t decimals = codes[i] >> kDecimalsShift;
        if (decimals == kSideDecimals) return plan;
        most = std::max(most, decimals);
    }
    int64_t lo = std::numeric_limits<int64_t>::max(), hi = std::numeric_limits<int64_t>::min();
    for (size_t i = 0; i < kBlock; ++i) {
        const int64_t scale = kScales[most - (codes[i] >> kDecimalsShift)];
        const int64_t digits = Digits(codes[i]);
        if (std::abs(digits) > kMaxDigits / scale) return plan;
        lo = std::min(lo, digits * scale);
        hi = std::max(hi, digits * scale);
    }
    if (hi - lo > 0xFFFF) return plan;
    plan.base = static_cast<int32_t>(lo);
    plan.decimals = most;
    return plan;
}

void PackedValues::Finish(const double* values, const uint32_t* codes, Block& plan) {
    if (plan.decimals == kWide) {
        plan.start = wide_.size();
        wide_.insert(wide_.end(), codes, codes + kBlock);
        // Codes of the unfinished block are kept codes already: `values` is
        // read only for those still unpacked.
        for (size_t i = 0; i < kBlock; ++i)
            if (codes[i] == kUnpacked) wide_[plan.start + i] = Keep(values[i], codes[i]);
        return;
    }
    plan.start = narrow_.size();
    for (size_t i = 0; i < kBlock; ++i) {
        const int64_t scaled = Digits(codes[i]) * kScales[plan.decimals - (codes[i] >> kDecimalsShift)];
        narrow_.push_back(static_cast<uint16_t>(scaled - plan.base));
    }
}

size_t PackedValues::capacity() const {
    const size_t room = (narrow_.capacity() - narrow_.size()) >> kBlockShift;
    return ((blocks_.size() + room) << kBlockShift) + tail_.capacity();
}

void PackedValues::reserve(size_t count) {
    // Two bytes a value of the whole blocks, as most blocks are kept.
    const size_t blocks = count >> kBlockShift;
    if (blocks > blocks_.size()) {
        narrow_.reserve(narrow_.size() + ((blocks - blocks_.size()) << kBlockShift));
        blocks_.reserve(blocks);
    }
    tail_.reserve(std::min(count, kBlock));
}

void PackedValues::Release() {
    Free(blocks_);
    Free(narrow_);
    Free(wide_);
    Free(tail_);
    Free(side_);
}

void PackedValues::Extremes(size_t first, size_t end, double& lo, double& hi) const {
    double low = lo, high = hi;
    while (first < end) {
        const size_t block = first >> kBlockShift, at = first & (kBlock - 1);
        const size_t count = std::min(end - first, kBlock - at);
        if (block >= blocks_.size()) {
            WideExtremes(tail_.data() + at, count, low, high);
        } else {
            const Block& b = blocks_[block];
            if (b.decimals == kWide)
                WideExtremes(wide_.data() + b.start + at, count, low, high);
            else
                NarrowExtremes(narrow_.data() + b.start + at, count, b, low, high);
        }
        first += count;
    }
    lo = low;
    hi = high;
}

void PackedValues::NarrowExtremes(const uint16_t* values, size_t count, const Block& b, double& lo, double& hi) {
    uint16_t least = 0xFFFF, most = 0;
    for (size_t i = 0; i < count; ++i) {
        least = std::min(least, values[i]);
        most = std::max(most, values[i]);
    }
    lo = std::min(lo, static_cast<double>(b.base + least) / kPowers[b.decimals]);
    hi = std::max(hi, static_cast<double>(b.base + most) / kPowers[b.decimals]);
}

void PackedValues::WideExtremes(const uint32_t* codes, size_t count, double& lo, double& hi) const {
    // Values with the same count of decimals compare as their digits: one
    // pass over the codes, and only the two extremes are divided.
    const CodeRun run = Scan(codes, count);
    if (run.decimals < kSideDecimals) {
        lo = std::min(lo, run.lo / kPowers[run.decimals]);
        hi = std::max(hi, run.hi / kPowers[run.decimals]);
        return;
    }
    double low = lo, high = hi;
    for (size_t i = 0; i < count; ++i) {
        const double v = Decode(codes[i]);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    lo = low;
    hi = high;
}

size_t PackedValues::MemoryBytes() const {
    return blocks_.capacity() * sizeof(Block) + narrow_.capacity() * sizeof(uint16_t) +
           (wide_.capacity() + tail_.capacity()) * sizeof(uint32_t) + side_.capacity() * sizeof(double);
}

}  // namespace vornik
