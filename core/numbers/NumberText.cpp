// SPDX-License-Identifier: MIT
#include "core/numbers/NumberText.h"


#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace nc {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

[[noreturn]] void ThrowNotInteger(std::string_view text)
{
    throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
}

[[noreturn]] void ThrowNotFloat(std::string_view text)
{
    throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
}

// A value as 0.d1d2...d18 x 10^exponent: the eighteen significant decimal
// digits that a number's text is rounded from.
struct DecimalDigits {
    bool negative = false;
    bool zero = true;
    std::string digits; // significant digits, no leading zero
    int exponent = 0;
};

DecimalDigits ToDecimal(long double value)
{
    DecimalDigits d;
    d.negative = std::signbit(value);
    if (value == 0.0L)
        return d;
    char buffer[64];
    const auto result
        = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 17);
    const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    const size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i)
        if (IsDigit(text[i]))
            d.digits.push_back(text[i]);
    d.exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
    d.zero = false;
    return d;
}

// Keeps `count` leading digits, rounding half up on the digit that follows;
// a carry out of the first digit raises the exponent. Trailing zeros stay.
void RoundDigits(DecimalDigits& d, int count)
{
    if (d.zero)
        return;
    if (count < 0) {
        d.zero = true;
        return;
    }
    const size_t keep = static_cast<size_t>(count);
    if (keep >= d.digits.size())
        return;
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        size_t i = keep;
        while (i > 0 && d.digits[i - 1] == '9')
            d.digits[--i] = '0';
        if (i == 0) {
            d.digits.insert(d.digits.begin(), '1');
            d.digits.resize(keep == 0 ? 1 : keep);
            ++d.exponent;
        } else {
            ++d.digits[i - 1];
        }
    }
    if (std::all_of(d.digits.begin(), d.digits.end(), [](char c) { return c == '0'; }))
        d.zero = true;
}

char DigitAt(const DecimalDigits& d, int index)
{
    return index >= 0 && static_cast<size_t>(index) < d.digits.size() ? d.digits[static_cast<size_t>(index)] : '0';
}

std::string WithoutTrailingZeros(std::string digits)
{
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    return digits;
}

// d.dddE+X, the form both formats take when a value has too many integer digits.
std::string ExponentForm(const DecimalDigits& d, const NumberFormat& format)
{
    const std::string digits = WithoutTrailingZeros(d.digits);
    std::string out = d.negative ? "-" : "";
    out += digits[0];
    if (digits.size() > 1)
        out += format.decimal_separator + digits.substr(1);
    out += "E" + std::to_string(d.exponent - 1);
    return out;
}

// Infinities and NaN have no digits. The loop never shows one (a fault stops
// the step first), but a format must still say something sound.
bool NonFinite(long double value, std::string& text)
{
    if (std::isnan(value))
        text = "NAN";
    else if (std::isinf(value))
        text = value < 0 ? "-INF" : "INF";
    else
        return false;
    return true;
}

// An exponent's digits as a number, held at kExponentCap (10^15) once they
// reach it: no text is long enough for its digit counts to offset a larger
// exponent, and sums of the cap with such counts stay far inside 64 bits.
int64_t SaturatedExponent(std::string_view digits)
{
    constexpr int64_t kExponentCap = 1'000'000'000'000'000;
    int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value >= kExponentCap)
            return kExponentCap;
    }
    return value;
}

} // namespace

int32_t StrToInt(std::string_view text)
{
    std::string_view s = TrimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !std::all_of(s.begin(), s.end(), IsDigit))
        ThrowNotInteger(text);
    int64_t value = 0;
    for (char c : s) {
        value = value * 10 + (c - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            ThrowNotInteger(text);
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
        ThrowNotInteger(text);
    return static_cast<int32_t>(value);
}

long double StrToFloat(std::string_view text, const NumberFormat& format)
{
    std::string_view s = TrimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Rebuild the number in the one form the standard parser takes, checking
    // the shape on the way: digits, the regional separator, digits, exponent.
    // The counts are 64-bit: they stay below the text's length.
    std::string plain;
    size_t i = 0;
    bool seen_digit = false;
    bool seen_nonzero = false;
    bool after_point = false;
    int64_t integer_digits = 0;
    int64_t leading_fraction_zeros = 0;
    while (i < s.size()) {
        if (IsDigit(s[i])) {
            plain.push_back(s[i]);
            seen_digit = true;
            if (s[i] != '0')
                seen_nonzero = true;
            if (!after_point && seen_nonzero)
                ++integer_digits;
            if (after_point && !seen_nonzero)
                ++leading_fraction_zeros;
            ++i;
        } else if (!after_point && !format.decimal_separator.empty()
                   && s.substr(i).starts_with(format.decimal_separator)) {
            after_point = true;
            plain.push_back('.');
            i += format.decimal_separator.size();
        } else {
            break;
        }
    }
    if (!seen_digit)
        ThrowNotFloat(text);
    int64_t exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        plain.push_back('e');
        std::string_view rest = s.substr(i + 1);
        const bool minus = !rest.empty() && rest.front() == '-';
        if (!rest.empty() && (rest.front() == '+' || rest.front() == '-'))
            rest.remove_prefix(1);
        if (rest.empty() || !std::all_of(rest.begin(), rest.end(), IsDigit))
            ThrowNotFloat(text);
        if (minus)
            plain.push_back('-');
        plain.append(rest);
        exponent = SaturatedExponent(rest);
        if (minus)
            exponent = -exponent;
        i = s.size();
    }
    if (i != s.size())
        ThrowNotFloat(text);
    if (!seen_nonzero)
        return negative ? -0.0L : 0.0L;

    // The value is 0.d1d2... x 10^magnitude, d1 its first non-zero digit.
    // Extended precision spans about 1e-4951 to 1e4932, so far outside that
    // the magnitude alone decides, as it does for 1e5000 and 1e-5000.
    const int64_t magnitude = (integer_digits > 0 ? integer_digits : -leading_fraction_zeros) + exponent;
    constexpr int64_t kBeyondExtended = 5000;
    if (magnitude > kBeyondExtended)
        ThrowNotFloat(text);
    if (magnitude < -kBeyondExtended)
        return negative ? -0.0L : 0.0L;

    long double value = 0.0L;
    const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (r.ec == std::errc::result_out_of_range) {
        if (magnitude > 0)
            ThrowNotFloat(text); // beyond extended range
        value = 0.0L;            // below it: the nearest value is zero
    } else if (r.ec != std::errc() || r.ptr != plain.data() + plain.size()) {
        ThrowNotFloat(text);
    }
    return negative ? -value : value;
}

std::string FormatFixed(long double value, const NumberFormat& format)
{
    if (std::string special; NonFinite(value, special))
        return special;
    constexpr int kPrecision = 7;
    constexpr int kDecimals = 4;
    DecimalDigits d = ToDecimal(value);
    RoundDigits(d, std::min(kPrecision, d.exponent + kDecimals));
    if (d.zero)
        return "0" + format.decimal_separator + std::string(kDecimals, '0');
    if (d.exponent > kPrecision)
        return ExponentForm(d, format);
    std::string out = d.negative ? "-" : "";
    if (d.exponent <= 0)
        out += '0';
    for (int k = 0; k < d.exponent; ++k)
        out += DigitAt(d, k);
    out += format.decimal_separator;
    for (int k = d.exponent; k < d.exponent + kDecimals; ++k)
        out += DigitAt(d, k);
    return out;
}

std::string FormatGeneral(long double value, const NumberFormat& format)
{
    if (std::string special; NonFinite(value, special))
        return special;
    constexpr int kPrecision = 15;
    DecimalDigits d = ToDecimal(value);
    RoundDigits(d, kPrecision);
    if (d.zero)
        return "0";
    if (d.exponent > kPrecision || d.exponent < -3)
        return ExponentForm(d, format);
    const std::string digits = WithoutTrailingZeros(d.digits);
    std::string out = d.negative ? "-" : "";
    if (d.exponent <= 0) {
        out += "0" + format.decimal_separator + std::string(static_cast<size_t>(-d.exponent), '0') + digits;
        return out;
    }
    for (int k = 0; k < d.exponent; ++k)
        out += DigitAt(d, k);
    if (static_cast<int>(digits.size()) > d.exponent)
        out += format.decimal_separator + digits.substr(static_cast<size_t>(d.exponent));
    return out;
}

std::string FormatGrouped3(long double value, const NumberFormat& format)
{
    return FormatGrouped(value, format, 3);
}

std::string FormatGrouped(long double value, const NumberFormat& format, int decimalCount)
{
    if (std::string special; NonFinite(value, special))
        return special;
    const int places = std::clamp(decimalCount, 0, 18);
    DecimalDigits d = ToDecimal(value);
    RoundDigits(d, d.exponent + places);
    if (d.zero)
        return "0";
    std::string integer;
    for (int k = 0; k < d.exponent; ++k)
        integer += DigitAt(d, k);
    if (integer.empty())
        integer = "0";
    std::string grouped;
    for (size_t k = 0; k < integer.size(); ++k) {
        if (k > 0 && (integer.size() - k) % 3 == 0)
            grouped += format.thousands_separator;
        grouped += integer[k];
    }
    std::string decimals;
    for (int k = d.exponent; k < d.exponent + places; ++k)
        decimals += DigitAt(d, k);
    while (!decimals.empty() && decimals.back() == '0')
        decimals.pop_back();
    std::string out = d.negative ? "-" : "";
    out += grouped;
    if (!decimals.empty())
        out += format.decimal_separator + decimals;
    return out;
}

} // namespace nc
