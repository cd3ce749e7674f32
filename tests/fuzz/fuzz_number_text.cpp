// SPDX-License-Identifier: MIT
// Text to number in both locales: every input gives a value or the exact
// error message, never a crash; every value formats to a text that parses back.
#include "tests/fuzz/FuzzInput.h"
#include "core/numbers/NumberText.h"

#include <cmath>
#include <cstdlib>

using namespace nc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const uint8_t head = in.Take<uint8_t>();
    const bool comma = head & 1;
    const int decimals = (head >> 1) % 19; // an axis' labels take 0 to 18
    const NumberFormat format = comma ? NumberFormat{",", "."} : NumberFormat{".", ","};
    const long double raw = in.Take<long double>();
    // Texts come from edit boxes and command lines: no NUL inside.
    std::string text = in.Rest();
    text = text.substr(0, text.find('\0'));

    try {
        (void)StrToInt(text);
    } catch (const ConversionError& e) {
        if (e.what() != "'" + text + "' is not a valid integer value")
            std::abort();
    }
    try {
        const long double v = StrToFloat(text, format);
        if (!std::isfinite(v))
            std::abort();
    } catch (const ConversionError& e) {
        if (e.what() != "'" + text + "' is not a valid floating point value")
            std::abort();
    }

    // Whatever the bits, the formats give a text; a finite value's general
    // form reads back as a number.
    const std::string fixed = FormatFixed(raw, format);
    const std::string general = FormatGeneral(raw, format);
    const std::string grouped = FormatGrouped3(raw, format);
    const std::string finer = FormatGrouped(raw, format, decimals);
    if (fixed.empty() || general.empty() || grouped.empty() || finer.empty())
        std::abort();
    // No more decimals than asked for (a finite value's text has no exponent).
    if (const auto point = finer.find(format.decimal_separator);
        std::isfinite(raw) && point != std::string::npos && finer.size() - point - 1 > size_t(decimals))
        std::abort();
    if (std::isfinite(raw)) {
        try {
            (void)StrToFloat(general, format);
        } catch (const ConversionError&) {
            std::abort();
        }
    }
    return 0;
}
