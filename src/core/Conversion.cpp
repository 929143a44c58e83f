#include "core/Conversion.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

#include "core/Cp1251.h"
#include "core/Errors.h"

namespace vornik {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Only '-' and digits: the texts the scaling routines try to convert.
bool IsIntegerAlphabet(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == '-' || IsDigit(c); });
}

[[noreturn]] void ThrowNotInteger(std::string_view text) {
    throw VornikError("'" + Cp1251ToUtf8(text) + "' is not a valid integer value");
}

[[noreturn]] void ThrowNotFloat(std::string_view text) {
    throw VornikError("'" + Cp1251ToUtf8(text) + "' is not a valid floating point value");
}

// An optional leading '-' and at least one digit, within the 32-bit range.
int32_t ToInt32(std::string_view text) {
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) ++i;
    if (i == text.size()) ThrowNotInteger(text);
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) ThrowNotInteger(text);
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > int64_t(INT32_MAX) + 1) ThrowNotInteger(text);
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) ThrowNotInteger(text);
    return static_cast<int32_t>(value);
}

// Adds one unit in the last place of a digit string; returns true when the
// carry ran out of the front (the string is then all zeros).
bool IncrementDigits(std::string& digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

std::string ExponentText(int exponent) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return std::string(1, 'E') + (exponent < 0 ? '-' : '+') + digits;
}

// The exponent form of a value whose integer part `integer` (no leading
// zeros) has more than `precision` digits.
std::string FormatExponent(bool negative, const std::string& integer, int precision) {
    std::string mantissa = integer.substr(0, static_cast<size_t>(precision));
    int exponent = static_cast<int>(integer.size()) - 1;
    if (integer[static_cast<size_t>(precision)] >= '5' && IncrementDigits(mantissa)) {
        mantissa.insert(0, 1, '1');
        mantissa.pop_back();
        ++exponent;
    }
    std::string out = negative ? "-" : "";
    out += mantissa[0];
    if (mantissa.size() > 1) out += ',' + mantissa.substr(1);
    return out + ExponentText(exponent);
}

// The common formatter over an exact decimal expansion: `integer` is the
// integer part without leading zeros ("" for zero), `fraction` the first
// decimals (at least digits + 1 of them; further decimals can not change a
// rounding that looks only at the first dropped digit).
std::string FormatDecimal(bool negative, std::string integer, std::string fraction, int precision,
                          int digits) {
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    if (fraction.size() < size_t(digits) + 1) fraction.resize(size_t(digits) + 1, '0');

    const int intDigits = static_cast<int>(integer.size());
    if (intDigits > precision) return FormatExponent(negative, integer, precision);

    // Decimals kept: limited by `digits` and by the significant digits left.
    int keep = digits;
    if (intDigits > 0) {
        keep = std::min(digits, precision - intDigits);
    } else {
        const size_t firstSignificant = fraction.find_first_not_of('0');
        if (firstSignificant != std::string::npos)
            keep = std::min<int>(digits, static_cast<int>(firstSignificant) + precision);
    }

    std::string kept = integer + fraction.substr(0, size_t(keep));
    const bool roundUp = fraction[size_t(keep)] >= '5';
    if (roundUp && IncrementDigits(kept)) kept.insert(0, 1, '1');

    const size_t newIntDigits = kept.size() - size_t(keep);
    std::string intPart = kept.substr(0, newIntDigits);
    std::string decimals = kept.substr(newIntDigits);
    if (intPart.empty()) intPart = "0";
    if (static_cast<int>(intPart.size()) > precision && intPart != "0")
        return FormatExponent(negative, intPart, precision);

    decimals.resize(size_t(digits), '0');
    const bool isZero = kept.find_first_not_of('0') == std::string::npos;
    std::string out = negative && !isZero ? "-" : "";
    out += intPart;
    if (digits > 0) out += ',' + decimals;
    return out;
}

// Validates the syntax a comma number may have: optional '-', digits with at
// most one comma, at least one digit. The caller has filtered the alphabet.
bool IsCommaNumber(std::string_view text) {
    size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    bool digitSeen = false;
    bool commaSeen = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            digitSeen = true;
        } else if (text[i] == ',' && !commaSeen) {
            commaSeen = true;
        } else {
            return false;
        }
    }
    return digitSeen;
}

}  // namespace

std::string ExtractLine(const ReplyBytes& buffer, int& pos, int end) {
    end = std::clamp(end, 0, kReplyBufferSize);
    if (pos < 0) throw VornikError("Range check error");
    std::string text;
    while (pos < end) {
        const uint8_t byte = buffer[size_t(pos)];
        ++pos;
        if (byte == 0x0A) break;
        if (byte >= 0x20) text += static_cast<char>(byte);
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (text.empty()) throw VornikError("Range check error");
    return text;
}

std::string FormatScaled(int64_t numerator, int divisor, int precision, int digits) {
    if (divisor <= 0) throw VornikError("Division by zero");
    const bool negative = numerator < 0;
    // The magnitude of any int64 fits in uint64.
    const uint64_t magnitude = negative ? uint64_t(0) - uint64_t(numerator) : uint64_t(numerator);
    const uint64_t d = static_cast<uint64_t>(divisor);
    const uint64_t quotient = magnitude / d;
    uint64_t remainder = magnitude % d;

    std::string integer = quotient == 0 ? "" : std::to_string(quotient);
    // Long division for the decimals; remainder < divisor < 2^31, so ten
    // times it fits.
    std::string fraction;
    const int wanted = std::clamp(digits, 0, 18) + 1;
    for (int i = 0; i < wanted; ++i) {
        remainder *= 10;
        fraction += static_cast<char>('0' + remainder / d);
        remainder %= d;
    }
    return FormatDecimal(negative, std::move(integer), std::move(fraction), precision, digits);
}

std::string FormatFixed(double value, int precision, int digits) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string_view text(buffer, size_t(result.ptr - buffer));
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    const size_t point = text.find('.');
    std::string integer(text.substr(0, point));
    std::string fraction = point == std::string_view::npos ? "" : std::string(text.substr(point + 1));
    const size_t nonZero = integer.find_first_not_of('0');
    integer = nonZero == std::string::npos ? "" : integer.substr(nonZero);
    return FormatDecimal(negative, std::move(integer), std::move(fraction), precision, digits);
}

std::string ScaleField(std::string_view text, int divisor, int precision, int digits) {
    if (!IsIntegerAlphabet(text)) return std::string(text);
    if (divisor <= 0) return std::string(text);
    return FormatScaled(ToInt32(text), divisor, precision, digits);
}

std::string ScaleFieldSum(std::string_view textA, std::string_view textB, int divisor, int precision,
                          int digits) {
    if (!IsIntegerAlphabet(textA) || !IsIntegerAlphabet(textB)) return "nd";
    if (divisor <= 0) return "0";
    const int64_t sum = int64_t(ToInt32(textA)) + int64_t(ToInt32(textB));
    if (sum < INT32_MIN || sum > INT32_MAX) throw VornikError("Integer overflow");
    return FormatScaled(sum, divisor, precision, digits);
}

namespace {

}  // namespace

double CellValue(std::string_view text) {
    int64_t units = 0;
    int decimals = 0;
    if (conversion::ReadShortCommaNumber(text, units, decimals))
        return conversion::ShortCommaValue(text, units, decimals);
    const bool accepted = std::all_of(text.begin(), text.end(), [](char c) {
        return c == ',' || c == '-' || c == '.' || IsDigit(c);
    });
    if (!accepted) return 0;
    if (!IsCommaNumber(text)) ThrowNotFloat(text);
    std::string copy(text);
    std::replace(copy.begin(), copy.end(), ',', '.');
    double value = 0;
    const auto result = std::from_chars(copy.data(), copy.data() + copy.size(), value);
    if (result.ec != std::errc() || result.ptr != copy.data() + copy.size()) ThrowNotFloat(text);
    return value;
}

bool CellDecimal(std::string_view text, int64_t& units, int& decimals) {
    if (conversion::ReadShortCommaNumber(text, units, decimals)) return true;
    // Texts read as 0; malformed numbers throw; long numbers are not exact here.
    if (CellValue(text) != 0 || IsCommaNumber(text)) return false;
    units = 0;
    decimals = 0;
    return true;
}

}  // namespace vornik
