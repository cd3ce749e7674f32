// SPDX-License-Identifier: MIT
#pragma once
// Text <-> number conversions as the window's edit boxes use them. The decimal
// separator is the user's regional one; every function takes it explicitly so
// that tests can run any locale without touching the process's own.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nc {

// A failed text conversion; what() is the exact text the error box shows.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct NumberFormat {
    std::string decimal_separator = ".";
    std::string thousands_separator = ",";

    // The user's regional separators come from locale/RegionalFormat.h, which
    // asks the system; this unit never does, so it needs no library.
};

// Whole number in 32 bits: optional blanks, optional sign, decimal digits.
// Throws ConversionError("'<text>' is not a valid integer value").
int32_t StrToInt(std::string_view text);

// Decimal number with the regional separator and an optional exponent, held
// in extended precision. Throws ConversionError("'<text>' is not a valid
// floating point value"), also when the value does not fit extended precision.
long double StrToFloat(std::string_view text, const NumberFormat& format);

// fixed(v): 7 significant digits and 4 decimals, whichever keeps fewer digits,
// written with exactly 4 decimals; no sign on a value that rounds to zero.
std::string FormatFixed(long double value, const NumberFormat& format);

// general(v): shortest form with up to 15 significant digits.
std::string FormatGeneral(long double value, const NumberFormat& format);

// The pattern "#,##0.###": at least one integer digit, integer digits grouped
// by three with the thousands separator, up to three decimals rounded half
// away from zero, no trailing zeros and no bare separator; no sign on a value
// that rounds to zero.
std::string FormatGrouped3(long double value, const NumberFormat& format);

// The same pattern with up to `decimals` decimals (0 to 18) instead of three.
std::string FormatGrouped(long double value, const NumberFormat& format, int decimals);

} // namespace nc
