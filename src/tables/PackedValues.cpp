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
    Push(value, lastCode_);
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

void PackedValues::PushMany(const double* values, const uint32_t* codes, size_t count) {
    const size_t unpacked = static_cast<size_t>(std::count(codes, codes + count, kUnpacked));
    if (unpacked == 0) {
        codes_.insert(codes_.end(), codes, codes + count);
        return;
    }
    // Room first, so that nothing is half added when memory runs out.
    if (side_.size() + unpacked > size_t(kDigitsMask) + 1) throw std::length_error("too many unpacked chart values");
    side_.reserve(side_.size() + unpacked);
    codes_.reserve(codes_.size() + count);
    for (size_t i = 0; i < count; ++i) Push(values[i], codes[i]);
}

void PackedValues::PushSide(double value) {
    if (side_.size() > kDigitsMask) throw std::length_error("too many unpacked chart values");
    // The side array can only grow when the codes can: no code without its value.
    if (codes_.size() == codes_.capacity()) codes_.reserve(codes_.size() + codes_.size() / 4 + 64);
    side_.push_back(value);
    codes_.push_back((kSideDecimals << kDecimalsShift) | static_cast<uint32_t>(side_.size() - 1));
}

void PackedValues::reserve(size_t count) { codes_.reserve(count); }

void PackedValues::Release() {
    codes_.clear();
    codes_.shrink_to_fit();
    side_.clear();
    side_.shrink_to_fit();
}

void PackedValues::Extremes(size_t first, size_t end, double& lo, double& hi) const {
    if (first >= end) return;
    // Values with the same count of decimals compare as their digits: one
    // pass over the codes, and only the two extremes are divided.
    uint32_t all = ~uint32_t(0), any = 0;
    int32_t loDigits = std::numeric_limits<int32_t>::max(), hiDigits = std::numeric_limits<int32_t>::min();
    for (size_t i = first; i < end; ++i) {
        const uint32_t code = codes_[i];
        all &= code;
        any |= code;
        // The digits shifted up by four bits keep their order.
        const int32_t shifted = static_cast<int32_t>(code << 4);
        loDigits = std::min(loDigits, shifted);
        hiDigits = std::max(hiDigits, shifted);
    }
    const uint32_t decimals = any >> kDecimalsShift;
    if (decimals == all >> kDecimalsShift && decimals != kSideDecimals) {
        lo = std::min(lo, Decode((decimals << kDecimalsShift) | (static_cast<uint32_t>(loDigits) >> 4)));
        hi = std::max(hi, Decode((decimals << kDecimalsShift) | (static_cast<uint32_t>(hiDigits) >> 4)));
        return;
    }
    double low = lo, high = hi;
    for (size_t i = first; i < end; ++i) {
        const double v = Decode(codes_[i]);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    lo = low;
    hi = high;
}

size_t PackedValues::MemoryBytes() const {
    return codes_.capacity() * sizeof(uint32_t) + side_.capacity() * sizeof(double);
}

}  // namespace vornik
