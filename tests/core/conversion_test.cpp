#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/Errors.h"
#include "core/Conversion.h"

using namespace vornik;

namespace {

ReplyBytes Buffer(const std::string& bytes) {
    ReplyBytes buffer{};
    std::memcpy(buffer.data(), bytes.data(), std::min(bytes.size(), buffer.size()));
    return buffer;
}

// The text of the VornikError thrown by `f`, or "" when nothing is thrown.
template <typename F>
std::string ErrorOf(F f) {
    try {
        f();
    } catch (const VornikError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ExtractLine, KeepsLeadingBlanksDropsTrailingBlanksAndControlBytes) {
    const ReplyBytes b = Buffer(">G\r\n  12  \r\nnext\n");
    int pos = 4;
    EXPECT_EQ(ExtractLine(b, pos), "  12");
    EXPECT_EQ(pos, 12);
    EXPECT_EQ(ExtractLine(b, pos), "next");
    EXPECT_EQ(pos, 17);
}

TEST(ExtractLine, ControlBytesInsideAFieldVanishAndHighBytesStay) {
    const ReplyBytes b = Buffer("\x01\xCE\x09\xE1\x1F\xFF\n");
    int pos = 0;
    EXPECT_EQ(ExtractLine(b, pos), "\xCE\xE1\xFF");
}

TEST(ExtractLine, EmptyOrBlankFieldIsARangeError) {
    for (const char* bytes : {"\r\n", "   \r\n", "\x01\x02\n"}) {
        const ReplyBytes b = Buffer(bytes);
        int pos = 0;
        EXPECT_EQ(ErrorOf([&] { ExtractLine(b, pos); }), "Range check error") << bytes;
    }
    const ReplyBytes b = Buffer("x\n");
    int pos = 256;
    EXPECT_EQ(ErrorOf([&] { ExtractLine(b, pos); }), "Range check error");
    pos = -1;
    EXPECT_EQ(ErrorOf([&] { ExtractLine(b, pos); }), "Range check error");
}

TEST(ExtractLine, WholeBufferReadRunsPastTheMarkerIntoOlderBytes) {
    // A short reply over the remains of a longer one: the unterminated field
    // takes the marker and the stale bytes up to the next line feed.
    ReplyBytes b = Buffer(">G\r\nold field one\nold two\n");
    const std::string fresh = ">G\r\nab<";
    std::memcpy(b.data(), fresh.data(), fresh.size());
    int pos = 4;
    EXPECT_EQ(ExtractLine(b, pos), "ab< field one");

    // Without any line feed the read stops at the end of the buffer.
    ReplyBytes full;
    full.fill('x');
    pos = 250;
    EXPECT_EQ(ExtractLine(full, pos), "xxxxxx");
    EXPECT_EQ(pos, 256);
}

TEST(ExtractLine, BoundedReadStopsAtTheGivenEnd) {
    ReplyBytes b = Buffer(">G\r\nold field one\nold two\n");
    const std::string fresh = ">G\r\nab<";
    std::memcpy(b.data(), fresh.data(), fresh.size());
    int pos = 4;
    EXPECT_EQ(ExtractLine(b, pos, 6), "ab");
    EXPECT_EQ(pos, 6);
    EXPECT_EQ(ErrorOf([&] { ExtractLine(b, pos, 6); }), "Range check error");
}

TEST(ScaleField, Examples) {
    EXPECT_EQ(ScaleField("1234", 10, 6, 1), "123,4");
    EXPECT_EQ(ScaleField("-5", 10, 6, 1), "-0,5");
    EXPECT_EQ(ScaleField("2095", 100, 6, 2), "20,95");
    EXPECT_EQ(ScaleField("15", 10000, 7, 4), "0,0015");
    EXPECT_EQ(ScaleField("12a", 10, 6, 1), "12a");
    EXPECT_EQ(ScaleField("7", 0, 5, 0), "7");
    EXPECT_EQ(ScaleField("12.5", 10, 6, 1), "12.5");
    EXPECT_EQ(ScaleField("--", -3, 6, 1), "--");  // divisor checked before conversion
    EXPECT_EQ(ScaleField("1250", 1000, 7, 3), "1,250");
    EXPECT_EQ(ScaleField("1234", 10000, 7, 2), "0,12");
    EXPECT_EQ(ScaleField("0", 10, 6, 1), "0,0");
    EXPECT_EQ(ScaleField("-0", 10, 6, 1), "0,0");
    EXPECT_EQ(ScaleField("007", 1, 6, 0), "7");
}

TEST(ScaleField, HalvesGoAwayFromZeroOnTheDecimalValue) {
    EXPECT_EQ(ScaleField("25", 10, 6, 0), "3");
    EXPECT_EQ(ScaleField("-25", 10, 6, 0), "-3");
    EXPECT_EQ(ScaleField("15", 10, 6, 0), "2");
    EXPECT_EQ(ScaleField("5", 100, 6, 1), "0,1");
    EXPECT_EQ(ScaleField("-5", 100, 6, 1), "-0,1");
    EXPECT_EQ(ScaleField("49", 1000, 6, 2), "0,05");
    EXPECT_EQ(ScaleField("-4", 100, 6, 1), "0,0");  // rounds to zero: no sign
    EXPECT_EQ(ScaleField("9995", 1000, 6, 2), "10,00");
    // Non-decimal divisors are still exact: 2/3 and 1/8.
    EXPECT_EQ(ScaleField("2", 3, 6, 4), "0,6667");
    EXPECT_EQ(ScaleField("1", 8, 6, 2), "0,13");
    EXPECT_EQ(ScaleField("-1", 8, 6, 2), "-0,13");
}

TEST(ScaleField, PrecisionLimitsSignificantDigits) {
    // Six significant digits leave no room for the decimal: padded with 0.
    EXPECT_EQ(ScaleField("1234567", 10, 6, 1), "123457,0");
    EXPECT_EQ(ScaleField("12345678", 100, 7, 2), "123456,80");
    EXPECT_EQ(ScaleField("-1234565", 10, 6, 1), "-123457,0");
    // Leading zeros of a small value are not significant.
    EXPECT_EQ(ScaleField("123456", 10000000, 3, 6), "0,012300");
}

TEST(ScaleField, TooManyIntegerDigitsGiveTheExponentForm) {
    EXPECT_EQ(ScaleField("1000000", 10, 5, 1), "1,0000E+005");
    EXPECT_EQ(ScaleField("12345678", 10, 5, 1), "1,2346E+006");
    EXPECT_EQ(ScaleField("-12345678", 10, 5, 1), "-1,2346E+006");
    EXPECT_EQ(ScaleField("99999999", 10, 5, 1), "1,0000E+007");
    // Rounding that adds an integer digit switches to the exponent form.
    EXPECT_EQ(ScaleField("9999995", 10, 6, 1), "1,00000E+006");
    EXPECT_EQ(ScaleField("2147483647", 1, 18, 0), "2147483647");
    EXPECT_EQ(ScaleField("-2147483648", 10, 6, 1), "-2,14748E+008");
    EXPECT_EQ(FormatScaled(123, 1, 1, 0), "1E+002");
}

TEST(ScaleField, InvalidIntegersAreErrors) {
    for (const char* text : {"-", "1-2", "--5", "2147483648", "-2147483649", "99999999999999999999"})
        EXPECT_EQ(ErrorOf([&] { ScaleField(text, 10, 6, 1); }),
                  std::string("'") + text + "' is not a valid integer value");
    EXPECT_EQ(ErrorOf([] { ScaleField("", 10, 6, 1); }), "'' is not a valid integer value");
    EXPECT_EQ(ScaleField("-2147483648", 1, 18, 0), "-2147483648");
}

TEST(ScaleFieldSum, AddsChecksAndFormats) {
    EXPECT_EQ(ScaleFieldSum("150", "25", 100, 6, 2), "1,75");
    EXPECT_EQ(ScaleFieldSum("150", "-175", 100, 6, 2), "-0,25");
    EXPECT_EQ(ScaleFieldSum("150", "2x", 100, 6, 2), "nd");
    EXPECT_EQ(ScaleFieldSum("a", "25", 100, 6, 2), "nd");
    EXPECT_EQ(ScaleFieldSum("150", "--", 0, 6, 2), "0");
    EXPECT_EQ(ErrorOf([] { ScaleFieldSum("150", "--", 100, 6, 2); }), "'--' is not a valid integer value");
    EXPECT_EQ(ErrorOf([] { ScaleFieldSum("2147483647", "1", 100, 6, 2); }), "Integer overflow");
    EXPECT_EQ(ErrorOf([] { ScaleFieldSum("-2147483648", "-1", 100, 6, 2); }), "Integer overflow");
    EXPECT_EQ(ScaleFieldSum("2147483647", "-1", 1, 18, 0), "2147483646");
}

TEST(CellValue, ReadsCommaNumbersAndIgnoresOtherTexts) {
    EXPECT_DOUBLE_EQ(CellValue("12,5"), 12.5);
    EXPECT_DOUBLE_EQ(CellValue("-0,5"), -0.5);
    EXPECT_DOUBLE_EQ(CellValue(",5"), 0.5);
    EXPECT_DOUBLE_EQ(CellValue("5,"), 5.0);
    EXPECT_DOUBLE_EQ(CellValue("0012"), 12.0);
    EXPECT_EQ(CellValue("nd"), 0.0);
    EXPECT_EQ(CellValue("1,0E+005"), 0.0);  // 'E' and '+' are outside the alphabet
    EXPECT_EQ(CellValue(" 12"), 0.0);
}

TEST(CellValue, MalformedNumbersAreErrors) {
    for (const char* text : {"12.5", "", "-", ",", "-,", "1-2", "1,2,3", "--1", "1,-2"})
        EXPECT_EQ(ErrorOf([&] { CellValue(text); }),
                  std::string("'") + text + "' is not a valid floating point value");
}

TEST(CellValue, ReadsBackEveryScaledText) {
    const struct { int divisor, precision, digits; } formats[] = {
        {10, 6, 1}, {100, 6, 2}, {10000, 7, 4}, {10000, 7, 2}, {1000, 7, 3}, {10, 5, 1}};
    for (const auto& f : formats) {
        for (int v = -20000; v <= 20000; v += 7) {
            const std::string text = ScaleField(std::to_string(v), f.divisor, f.precision, f.digits);
            EXPECT_NEAR(CellValue(text), double(v) / f.divisor, 0.5 * std::pow(10.0, -f.digits) + 1e-9) << text;
        }
    }
}

TEST(FormatFixed, RoundsTheShortestDecimalOfADouble) {
    EXPECT_EQ(FormatFixed(5.0 * 1.53, 6, 1), "7,7");
    EXPECT_EQ(FormatFixed(0.1 + 0.2, 6, 1), "0,3");
    EXPECT_EQ(FormatFixed(2.675, 6, 2), "2,68");  // binary 2.67499999...
    EXPECT_EQ(FormatFixed(-0.04, 6, 1), "0,0");
    EXPECT_EQ(FormatFixed(-1.25, 6, 1), "-1,3");
    EXPECT_EQ(FormatFixed(0.0, 6, 1), "0,0");
    EXPECT_EQ(FormatFixed(1234567.0, 6, 1), "1,23457E+006");
    EXPECT_EQ(FormatFixed(1e250, 6, 1), "1,00000E+250");
}

TEST(CellValueFastPath, AgreesWithAFullDecimalConversion) {
    // Short cells are read by integer arithmetic; they must give the very
    // double that a correctly rounding conversion gives.
    for (const char* text : {"0,1", "-0,5", "12,3", "20,95", "0,0450", "123456789012345", "1,00000000000001",
                             "-0", "999999999999,999", "7,", ",5"}) {
        std::string dotted(text);
        std::replace(dotted.begin(), dotted.end(), ',', '.');
        if (dotted.front() == '.') dotted.insert(0, "0");
        if (dotted.back() == '.') dotted.pop_back();
        EXPECT_EQ(vornik::CellValue(text), std::strtod(dotted.c_str(), nullptr)) << text;
    }
    EXPECT_EQ(vornik::CellValue("1234567890123456789"), 1234567890123456789.0);
    EXPECT_THROW(vornik::CellValue("1,2,3"), vornik::VornikError);
}
