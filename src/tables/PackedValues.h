#pragma once
// The raw values of a chart series in four bytes each where they allow it.
// Nearly every value is a short decimal read from a cell ("143,8"): it is held
// exactly as its digits (28 bits, with sign) and its count of decimals
// (4 bits), and read back as the digits divided by that power of ten. Both
// are exact in a double, so the one division rounds exactly as reading the
// decimal text does: the value read back is the very double that was stored.
// Any other value (a long or huge number, -0, infinity, NaN, the result of
// arithmetic) is kept whole on the side, its code pointing at it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vornik {

class PackedValues {
public:
    // The code of a value that is not (yet) packed.
    static constexpr uint32_t kUnpacked = 0xFFFFFFFFu;

    // The code of units / 10^decimals, which must be `value` (as the reader
    // of a cell computed it); kUnpacked where the digits do not fit or the
    // value is -0.
    static uint32_t PackDecimal(double value, int64_t units, int decimals) {
        if (decimals < 0 || decimals >= static_cast<int>(kSideDecimals)) return kUnpacked;
        if (units < -kMaxDigits || units > kMaxDigits) return kUnpacked;
        if (units == 0 && std::signbit(value)) return kUnpacked;  // -0 has no digits of its own
        return (static_cast<uint32_t>(decimals) << kDecimalsShift) | (static_cast<uint32_t>(units) & kDigitsMask);
    }

    void Push(double value);
    // values[0..count) with their codes from PackDecimal (or kUnpacked).
    void PushMany(const double* values, const uint32_t* codes, size_t count);
    // `code` is the value's code from PackDecimal, or kUnpacked.
    void Push(double value, uint32_t code) {
        if (code == kUnpacked)
            PushSide(value);
        else
            codes_.push_back(code);
    }

    double operator[](size_t i) const { return Decode(codes_[i]); }
    size_t size() const { return codes_.size(); }
    size_t capacity() const { return codes_.capacity(); }
    void reserve(size_t count);
    // Empty, with the memory given back.
    void Release();

    // Folds the extremes of values [first, end) into lo and hi.
    void Extremes(size_t first, size_t end, double& lo, double& hi) const;

    // The packed array, for hints about its memory.
    const uint32_t* data() const { return codes_.data(); }
    // Bytes held (capacity, not size).
    size_t MemoryBytes() const;

private:
    static constexpr int64_t kMaxDigits = (int64_t(1) << 27) - 1;
    static constexpr unsigned kDecimalsShift = 28;
    static constexpr uint32_t kDigitsMask = (uint32_t(1) << kDecimalsShift) - 1;
    static constexpr uint32_t kSideDecimals = 15;  // the code points at a side value

    double Decode(uint32_t code) const {
        const uint32_t decimals = code >> kDecimalsShift;
        if (decimals == kSideDecimals) return side_[code & kDigitsMask];
        return Digits(code) / kPowers[decimals];
    }
    // The signed digits, sign-extended from 28 bits.
    static double Digits(uint32_t code) { return static_cast<int32_t>(code << 4) / 16; }
    static uint32_t PackWith(double value, int decimals);
    // The code of `value` with the fewest decimals that give it back (those
    // of the last value packed first), or kUnpacked.
    uint32_t Pack(double value);
    void PushSide(double value);

    static const double kPowers[kSideDecimals];

    std::vector<uint32_t> codes_;
    std::vector<double> side_;
    int lastDecimals_ = 0;  // those of the last value packed by Push(double)
    // The bits of the last value given to Push(double) and its code (that of
    // +0 to start with).
    uint64_t lastBits_ = 0;
    uint32_t lastCode_ = 0;
};

}  // namespace vornik
