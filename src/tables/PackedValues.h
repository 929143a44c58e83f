#pragma once
// The raw values of a chart series in two or four bytes each where they allow
// it. Nearly every value is a short decimal read from a cell ("143,8"): it is
// held exactly as its digits (28 bits, with sign) and its count of decimals
// (4 bits) - its four-byte code - and read back as the digits divided by that
// power of ten. Both are exact in a double, so the one division rounds
// exactly as reading the decimal text does: the value read back is the very
// double that was stored. Any other value (a long or huge number, -0,
// infinity, NaN, the result of arithmetic) is kept whole on the side, its
// code pointing at it.
//
// The values go in fixed blocks of kBlock. A finished block whose values
// share one count of decimals (or can be given the same count) and whose
// digits lie within 65,535 of each other keeps only each value's distance
// from the lowest digits, in two bytes; any other finished block keeps its
// four-byte codes. The last, unfinished block is always codes, so that a
// value arriving alone costs no more than writing its code.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vornik {

class PackedValues {
public:
    // The code of a value that is not (yet) packed.
    static constexpr uint32_t kUnpacked = 0xFFFFFFFFu;
    static constexpr unsigned kBlockShift = 10;
    static constexpr size_t kBlock = size_t(1) << kBlockShift;  // values per block

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
    // All of them are added, or (when memory runs out) none.
    void PushMany(const double* values, const uint32_t* codes, size_t count);
    // `code` is the value's code from PackDecimal, or kUnpacked.
    void Push(double value, uint32_t code) {
        // A value its reader found no digits for may have some all the same
        // (a text cell reads as 0): so packed, it does not hold its whole
        // block in four-byte codes.
        if (code == kUnpacked) code = Pack(value);
        PushCode(value, code);
    }

    double operator[](size_t i) const {
        const size_t block = i >> kBlockShift;
        const size_t at = i & (kBlock - 1);
        if (block >= blocks_.size()) return Decode(tail_[at]);
        const Block& b = blocks_[block];
        if (b.decimals == kWide) return Decode(wide_[b.start + at]);
        return static_cast<double>(b.base + narrow_[b.start + at]) / kPowers[b.decimals];
    }
    size_t size() const { return (blocks_.size() << kBlockShift) + tail_.size(); }
    // Values held without growing, finished blocks taken as two-byte ones.
    size_t capacity() const;
    void reserve(size_t count);
    // Empty, with the memory given back.
    void Release();

    // Folds the extremes of values [first, end) into lo and hi.
    void Extremes(size_t first, size_t end, double& lo, double& hi) const;

    // The array of the two-byte values and its bytes, for hints about its memory.
    const uint16_t* data() const { return narrow_.data(); }
    size_t DataBytes() const { return narrow_.capacity() * sizeof(uint16_t); }
    // Bytes held (capacity, not size).
    size_t MemoryBytes() const;

private:
    static constexpr int64_t kMaxDigits = (int64_t(1) << 27) - 1;
    static constexpr unsigned kDecimalsShift = 28;
    static constexpr uint32_t kDigitsMask = (uint32_t(1) << kDecimalsShift) - 1;
    static constexpr uint32_t kSideDecimals = 15;  // the code points at a side value
    // Side values at most: the code of the last one would be kUnpacked.
    static constexpr size_t kMaxSide = kDigitsMask;
    static constexpr uint32_t kWide = kSideDecimals;  // a block of four-byte codes

    // A finished block: its values from `start` in narrow_ (base + the two
    // bytes, over 10^decimals) or, where decimals is kWide, in wide_ (codes).
    struct Block {
        size_t start = 0;
        int32_t base = 0;
        uint32_t decimals = kWide;
    };

    double Decode(uint32_t code) const {
        const uint32_t decimals = code >> kDecimalsShift;
        if (decimals == kSideDecimals) return side_[code & kDigitsMask];
        return Digits(code) / kPowers[decimals];
    }
    // The signed digits, sign-extended from 28 bits.
    static int32_t Digits(uint32_t code) { return static_cast<int32_t>(code << 4) / 16; }
    static uint32_t PackWith(double value, int decimals);
    // The code of `value` with the fewest decimals that give it back (those
    // of the last value packed first), or kUnpacked.
    uint32_t Pack(double value);

    // The decimals a run of codes shares (kSideDecimals where all are side
    // values, kMixed where they differ) and its lowest and highest digits.
    static constexpr uint32_t kMixed = kSideDecimals + 1;
    struct CodeRun {
        uint32_t decimals;
        int32_t lo, hi;
    };
    static CodeRun Scan(const uint32_t* codes, size_t count);
    // `value` with its code as kept (kUnpacked: a side value).
    void PushCode(double value, uint32_t code) {
        // A value that neither finishes a block nor needs room goes
        // straight into the unfinished block.
        if (tail_.size() + 1 < kBlock && tail_.size() < tail_.capacity() &&
            (code != kUnpacked || side_.size() < std::min(side_.capacity(), kMaxSide)))
            tail_.push_back(Keep(value, code));
        else
            Append(&value, &code, 1);
    }
    // PushMany of codes as kept.
    void Append(const double* values, const uint32_t* codes, size_t count);
    // How the kBlock codes are kept once finished (start not yet set).
    static Block Plan(const uint32_t* codes);
    static Block PlanMixedDecimals(const uint32_t* codes);
    // Adds the finished block of `codes` as `plan` says, into room reserved before.
    void Finish(const double* values, const uint32_t* codes, Block& plan);
    // The code of `value` as kept: a side value gets its place (in room reserved before).
    uint32_t Keep(double value, uint32_t code) {
        if (code != kUnpacked) return code;
        side_.push_back(value);
        return (kSideDecimals << kDecimalsShift) | static_cast<uint32_t>(side_.size() - 1);
    }
    // Extremes of a run of codes, and of a run of a two-byte block.
    void WideExtremes(const uint32_t* codes, size_t count, double& lo, double& hi) const;
    static void NarrowExtremes(const uint16_t* values, size_t count, const Block& b, double& lo, double& hi);

    static const double kPowers[kSideDecimals];

    std::vector<Block> blocks_;    // the finished blocks
    std::vector<uint16_t> narrow_;  // the two-byte values of finished blocks
    std::vector<uint32_t> wide_;    // the codes of finished blocks that keep them
    std::vector<uint32_t> tail_;    // the codes of the unfinished block
    std::vector<double> side_;
    int lastDecimals_ = 0;  // those of the last value packed by Push(double)
    // The bits of the last value given to Push(double) and its code (that of
    // +0 to start with).
    uint64_t lastBits_ = 0;
    uint32_t lastCode_ = 0;
};

}  // namespace vornik
