// SPDX-License-Identifier: MIT
#pragma once
// The trace's exact columns: a number with a given count of significant
// digits, enough to read a float (9) or a double (17) back to the same bits,
// with the locale's decimal separator like every other column of a line, so
// that a spreadsheet reads the whole line in one locale (LC_ALL=C gives
// points throughout).

#include "core/numbers/NumberText.h"

#include <charconv>
#include <string>

namespace nc {

template <class T> std::string Digits(T value, int significant, const NumberFormat& format)
{
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significant);
    std::string text(buffer, r.ptr);
    if (const size_t punto = text.find('.'); punto != std::string::npos)
        text.replace(punto, 1, format.decimal_separator);
    return text;
}

} // namespace nc
