#pragma once
// The routines that turn the bytes of an instrument reply into cell texts and
// cell texts back into numbers. Texts are Windows-1251 bytes; numbers are
// written and read with a comma as decimal separator, never through the C
// locale. Every failure is a VornikError whose text (UTF-8) is shown to the
// user:
//   "Range check error"                        empty or all-blank field
//   "'<text>' is not a valid integer value"    bad integer in ScaleField(Sum)
//   "Integer overflow"                         32-bit sum overflow in ScaleFieldSum
//   "'<text>' is not a valid floating point value"   bad number in CellValue
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vornik {

constexpr int kReplyBufferSize = 256;
using ReplyBytes = std::array<uint8_t, kReplyBufferSize>;

// The next field of a reply, read from `pos` up to (not including) `end`:
// bytes from 0x20 up are kept, other control bytes are dropped, a line feed
// ends the field. Trailing blanks are removed; an empty or all-blank field
// throws "Range check error". `pos` is left just past the line feed (or at
// `end`). With `end` = 256 the whole buffer is read, whatever reply its bytes
// came from; the decoder passes the end of the current reply instead.
std::string ExtractLine(const ReplyBytes& buffer, int& pos, int end = kReplyBufferSize);

// An integer field scaled into a fixed-point text. A text of anything but '-'
// and digits, or a divisor of 0 or less, returns the text unchanged.
// Otherwise the text must be a 32-bit integer; its quotient by the divisor is
// written as described at FormatScaled.
std::string ScaleField(std::string_view text, int divisor, int precision, int digits);

// The sum of two integer fields, scaled as in ScaleField: "nd" when either
// text holds anything but '-' and digits, "0" for a divisor of 0 or less.
// A sum outside the 32-bit range throws "Integer overflow".
std::string ScaleFieldSum(std::string_view textA, std::string_view textB, int divisor, int precision,
                          int digits);

// A cell as a number: 0 for a text holding anything but ',', '-', '.' and
// digits; otherwise the text must be a number written with a comma: an
// optional '-', digits with at most one comma among or around them (",5" and
// "5," are numbers, "", "-", "," and "12.5" are not).
double CellValue(std::string_view text);

namespace conversion {

// The usual cell, "-12,34" with at most 15 digits, read in one pass as its
// digits and decimals. Anything else (longer numbers, errors, texts) is
// CellValue's general path. Inline: a load reads millions of them.
inline bool ReadShortCommaNumber(std::string_view text, int64_t& units, int& decimals) {
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (negative) ++p;
    // The digits before and after the comma in two tight loops; more than
    // 15 digits are refused once counted (the unsigned sum may wrap first).
    uint64_t mantissa = 0;
    const char* const whole = p;
    while (p != end && static_cast<unsigned char>(*p - '0') < 10) mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    const std::ptrdiff_t wholeDigits = p - whole;
    std::ptrdiff_t fraction = 0;
    if (p != end) {
        if (*p++ != ',') return false;
        const char* const first = p;
        while (p != end && static_cast<unsigned char>(*p - '0') < 10)
            mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
        if (p != end) return false;
        fraction = p - first;
    }
    const std::ptrdiff_t digits = wholeDigits + fraction;
    if (digits == 0 || digits > 15) return false;
    decimals = static_cast<int>(fraction);
    units = negative ? -static_cast<int64_t>(mantissa) : static_cast<int64_t>(mantissa);
    return true;
}

// Digits and power of ten are both exact in a double, so the one division
// rounds exactly as a full decimal conversion does. The sign is the text's
// ("-0" is -0).
inline double ShortCommaValue(std::string_view text, int64_t units, int decimals) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double magnitude = static_cast<double>(units < 0 ? -units : units) / kPowers[decimals];
    return text[0] == '-' ? -magnitude : magnitude;
}

}  // namespace conversion

// A cell's number as CellValue reads it (malformed numbers throw alike) and,
// for the usual short number ("-12,34", at most 15 digits), its digits:
// `value` is `units` / 10^`decimals` rounded once. `decimals` is -1 for
// every other cell.
struct CellNumber {
    double value = 0;
    int64_t units = 0;
    int decimals = -1;
};
inline CellNumber ReadCellNumber(std::string_view text) {
    CellNumber number;
    if (conversion::ReadShortCommaNumber(text, number.units, number.decimals)) {
        number.value = conversion::ShortCommaValue(text, number.units, number.decimals);
    } else {
        number.decimals = -1;
        number.value = CellValue(text);
    }
    return number;
}

// A cell as an exact decimal: `units` / 10^`decimals`. The value CellValue
// gives, without binary rounding: a text CellValue reads as 0 gives 0, a
// malformed number throws as in CellValue. False for a number of more than
// 15 digits, which only CellValue reads.
bool CellDecimal(std::string_view text, int64_t& units, int& decimals);

// numerator / divisor as text (a divisor of 0 or less throws), computed exactly in decimal:
// the nearest value with at most `precision` significant digits and at most
// `digits` decimals, halves rounded away from zero; written with exactly
// `digits` digits after a comma, at least one digit before it, '-' for a
// negative value (never for a value that rounds to zero).
// When the rounded integer part needs more than `precision` digits the
// exponent form is written: the value rounded to `precision` significant
// digits as one digit, a comma and precision-1 further digits, then 'E', the
// exponent's sign and at least three exponent digits: 1000000 / 10 with
// precision 5 gives "1,0000E+005".
// precision is taken within 1..18 and digits within 0..18.
std::string FormatScaled(int64_t numerator, int divisor, int precision, int digits);

// A double written the same way. The value rounded is the shortest decimal
// text that reads back as the same double (5 * 1.53 is 7,65, which rounds to
// 7,7), so binary representation errors do not move halves.
std::string FormatFixed(double value, int precision, int digits);

}  // namespace vornik
