// A series keeps most values in four bytes: what it gives back must be the
// very double it was given, and its extremes those of a plain walk.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "core/Conversion.h"
#include "tables/PackedValues.h"

using namespace vornik;

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A cell's text pushed both ways: with the digits its reader found, and as a bare double.
void PushCell(PackedValues& withDigits, PackedValues& bare, const std::string& text) {
    const CellNumber n = ReadCellNumber(text);
    withDigits.Push(n.value, n.decimals < 0 ? PackedValues::kUnpacked
                                            : PackedValues::PackDecimal(n.value, n.units, n.decimals));
    bare.Push(n.value);
}

}  // namespace

TEST(PackedValues, GiveBackEveryValueBitForBit) {
    PackedValues withDigits, bare;
    std::vector<std::string> texts = {"143,8", "-0,5", "0", "-0", "-0,0", ",5", "5,", "134217727", "-134217727",
                                      "134217728", "1,34217727", "0,00000000000001", "0,000000000000001",
                                      "123456789012345", "12345678901234567890", "text", "99999,99999"};
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> decimals(0, 15);
    std::uniform_int_distribution<long long> digits(-999999999, 999999999);
    for (int i = 0; i < 20000; ++i) {
        std::string t = std::to_string(std::llabs(digits(rng)));
        const int d = decimals(rng);
        if (d > 0) t = std::string(static_cast<size_t>(std::max(0, d + 1 - static_cast<int>(t.size()))), '0') + t;
        if (d > 0) t.insert(t.size() - static_cast<size_t>(d), ",");
        texts.push_back(i % 2 ? "-" + t : t);
    }
    for (const std::string& t : texts) PushCell(withDigits, bare, t);
    for (size_t i = 0; i < texts.size(); ++i) {
        const double want = CellValue(texts[i]);
        ASSERT_TRUE(SameBits(withDigits[i], want)) << texts[i];
        ASSERT_TRUE(SameBits(bare[i], want)) << texts[i];
    }

    // Values no cell holds: results of arithmetic and the special ones.
    const double specials[] = {0.1 + 0.2, 1.0 / 3, 1e300, -1e-300, 5e-324, -0.0,
                               std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), 2e9, 0.5e-14};
    PackedValues other;
    for (double v : specials) other.Push(v);
    other.Push(std::numeric_limits<double>::quiet_NaN());
    for (size_t i = 0; i < std::size(specials); ++i) EXPECT_TRUE(SameBits(other[i], specials[i])) << specials[i];
    EXPECT_TRUE(std::isnan(other[std::size(specials)]));

    // Four bytes a value where the digits fit.
    PackedValues small;
    small.reserve(1000);
    for (int i = 0; i < 1000; ++i) small.Push(i * 0.25);
    EXPECT_EQ(small.MemoryBytes(), 1000 * sizeof(uint32_t));
    small.Release();
    EXPECT_EQ(small.size(), 0u);
    EXPECT_EQ(small.MemoryBytes(), 0u);
}

TEST(PackedValues, ExtremesMatchAPlainWalk) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> units(-2000000, 2000000);
    std::uniform_int_distribution<int> pick(0, 99);
    // Same decimals throughout; decimals mixed; with unpacked values among them.
    for (int mix = 0; mix < 3; ++mix) {
        SCOPED_TRACE(mix);
        PackedValues values;
        for (int i = 0; i < 5000; ++i) {
            const int d = mix == 0 ? 2 : pick(rng) % 4;
            const double v = units(rng) / std::pow(10.0, d);
            const uint32_t code = PackedValues::PackDecimal(v, static_cast<int64_t>(std::llround(v * std::pow(10.0, d))), d);
            if (mix == 2 && pick(rng) < 5)
                values.Push(pick(rng) < 50 ? -0.0 : v / 3);
            else
                values.Push(v, code);
        }
        std::uniform_int_distribution<size_t> index(0, values.size());
        for (int trial = 0; trial < 3000; ++trial) {
            size_t a = index(rng), b = index(rng);
            if (a > b) std::swap(a, b);
            double lo = std::numeric_limits<double>::infinity(), hi = -lo;
            values.Extremes(a, b, lo, hi);
            double wantLo = std::numeric_limits<double>::infinity(), wantHi = -wantLo;
            for (size_t i = a; i < b; ++i) {
                wantLo = std::min(wantLo, values[i]);
                wantHi = std::max(wantHi, values[i]);
            }
            ASSERT_EQ(lo, wantLo) << a << ".." << b;
            ASSERT_EQ(hi, wantHi) << a << ".." << b;
        }
    }
}

// Repeats reuse the code found for the value before; the edges of what four
// bytes hold are found without trying every count of decimals.
TEST(PackedValues, RepeatsAndEdgesKeepTheirBitsAndTheirSize) {
    const double maxDigits = 134217727;
    const struct {
        double value;
        bool packed;
    } cases[] = {{1e-14, true},        {-1e-14, true},         {std::nextafter(1e-14, 0.0), false},
                 {maxDigits, true},    {-maxDigits, true},     {maxDigits + 1, false},
                 {0.0, true},          {-0.0, false},          {1.0 / 3, false},
                 {13421.7727, true},   {13421.77271, false},   {0.1 + 0.2, false},
                 {143.8, true},        {std::numeric_limits<double>::quiet_NaN(), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        PackedValues one;
        one.Push(c.value);
        // Whole on the side, or in the four bytes of its code alone.
        EXPECT_EQ(one.MemoryBytes() > one.capacity() * sizeof(uint32_t), !c.packed);

        PackedValues values;
        values.Push(1.5);
        for (int i = 0; i < 3; ++i) values.Push(c.value);
        values.Push(2.25);
        values.Push(c.value);
        values.Push(c.value, PackedValues::kUnpacked);  // with its code, as a loaded cell
        values.Push(c.value);
        for (size_t i : {1, 2, 3, 5, 6, 7})
            EXPECT_TRUE(SameBits(values[i], c.value) || (std::isnan(c.value) && std::isnan(values[i]))) << i;
        EXPECT_EQ(values[0], 1.5);
        EXPECT_EQ(values[4], 2.25);
    }
}

namespace {

// A value of a stretch of a series, `kind` choosing what the stretch is like.
double MixedValue(std::mt19937& rng, int kind, int64_t base) {
    std::uniform_int_distribution<int64_t> near(0, 3000), far(-134217727, 134217727);
    const int pick = static_cast<int>(rng() % 10);
    switch (kind) {
    case 0:  // a steady reading, digits close together
        return static_cast<double>(base + near(rng)) / 100;
    case 1:  // digits further apart than two bytes hold, some near the limit
        return static_cast<double>(pick < 5 ? far(rng) : base * 40 + near(rng)) / 10;
    case 2:  // digits just within two bytes of each other, or just beyond
        return static_cast<double>(base + static_cast<int64_t>(rng() % (base % 2 ? 65536 : 70000))) / 10;
    default: {  // now and then a value kept whole
        uint64_t nanBits = 0x7FF8000000000000ull | static_cast<uint64_t>(pick + 1);
        double nan;
        std::memcpy(&nan, &nanBits, sizeof nan);
        const double whole[] = {-0.0, std::numeric_limits<double>::infinity(), nan, 1.0 / (pick + 3)};
        return pick < 4 ? whole[pick] : static_cast<double>(base + near(rng)) / std::pow(10.0, pick % 3);
    }
    }
}

// The code a cell reader finds: with the decimals written, where given and
// they give the value, else with the fewest that give it.
uint32_t CodeOf(double v, int written) {
    for (int d = written < 0 ? 0 : written; d < 15; ++d) {
        const double units = std::nearbyint(v * std::pow(10.0, d));
        if (std::isfinite(units) && std::fabs(units) < 1e15 && units / std::pow(10.0, d) == v)
            return PackedValues::PackDecimal(v, static_cast<int64_t>(units), d);
    }
    return PackedValues::kUnpacked;
}

}  // namespace

// Values arriving one by one and in batches of any length, across block
// edges, in stretches of every kind, read back and folded as a plain array.
TEST(PackedValues, MixedPushesMatchAPlainArray) {
    std::mt19937 rng(23);
    const size_t block = PackedValues::kBlock;
    const size_t lengths[] = {1, 7, block - 1, block, block + 1, 2 * block, 3 * block + 5, 4096};
    PackedValues values;
    std::vector<double> plain;
    while (plain.size() < 200 * block) {
        const int kind = static_cast<int>(rng() % 4), way = static_cast<int>(rng() % 6);
        const int64_t base = static_cast<int64_t>(rng() % 40000000) - 20000000;
        // The decimals written in the cells, or each value's fewest (changing within a block).
        const int written = rng() % 2 && kind != 1 ? 2 - kind / 2 : -1;
        // Up to the end of the current block, or a length from the list.
        const size_t count = way == 5 ? block - plain.size() % block : lengths[rng() % std::size(lengths)];
        std::vector<double> batch;
        std::vector<uint32_t> codes;
        for (size_t i = 0; i < count; ++i) {
            batch.push_back(MixedValue(rng, kind, base));
            // Now and then without the digits that it has, as a cell whose reader found none.
            codes.push_back(rng() % 16 ? CodeOf(batch.back(), written) : PackedValues::kUnpacked);
        }
        if (way < 2) {
            values.PushMany(batch.data(), codes.data(), count);
        } else {
            for (size_t i = 0; i < count; ++i) way == 2 ? values.Push(batch[i]) : values.Push(batch[i], codes[i]);
        }
        plain.insert(plain.end(), batch.begin(), batch.end());
        if (way == 4) values.reserve(values.size() + 3 * block);  // as a series growing for more
    }
    ASSERT_EQ(values.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) ASSERT_TRUE(SameBits(values[i], plain[i])) << i << " " << plain[i];

    for (int trial = 0; trial < 600; ++trial) {
        size_t a = rng() % plain.size(), b = trial % 4 == 0 ? a + block : rng() % plain.size();
        if (a > b) std::swap(a, b);
        b = std::min(b, plain.size());
        double lo = std::numeric_limits<double>::infinity(), hi = -lo, wantLo = lo, wantHi = hi;
        values.Extremes(a, b, lo, hi);
        for (size_t i = a; i < b; ++i) {
            wantLo = std::min(wantLo, plain[i]);
            wantHi = std::max(wantHi, plain[i]);
        }
        ASSERT_TRUE(SameBits(lo, wantLo) && SameBits(hi, wantHi)) << a << ".." << b;
    }
}

// A loaded series of short decimals, with some text cells (read as 0), keeps
// two bytes a value, in the room reserved for it before the load.
TEST(PackedValues, LoadedDecimalsTakeTwoBytesAValue) {
    const size_t points = 1000000;
    std::vector<double> batch(4096);
    std::vector<uint32_t> codes(4096);
    PackedValues values;
    values.reserve(points);
    const size_t reserved = values.MemoryBytes();
    for (size_t done = 0; done < points; done += batch.size()) {
        for (size_t i = 0; i < batch.size(); ++i) {
            const int64_t units = 1000 + static_cast<int64_t>((done + i) * 7919 % 4000);
            batch[i] = static_cast<double>(units) / 10;
            codes[i] = PackedValues::PackDecimal(batch[i], units, 1);
            if (i % 50 == 0) {
                batch[i] = 0;
                codes[i] = PackedValues::kUnpacked;
            }
        }
        values.PushMany(batch.data(), codes.data(), std::min(batch.size(), points - done));
    }
    EXPECT_EQ(values.MemoryBytes(), reserved);
    EXPECT_LT(values.MemoryBytes(), points * 21 / 10);
}
