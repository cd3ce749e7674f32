// SPDX-License-Identifier: MIT
#include "core/numbers/NumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

namespace nc {
namespace {

const NumberFormat kPoint{".", ","};
const NumberFormat kComma{",", "."};

std::string ErrorOf(auto&& convert)
{
    try {
        convert();
    } catch (const ConversionError& e) {
        return e.what();
    }
    return "no error";
}

TEST(StrToInt, WholeNumbersIn32Bits)
{
    EXPECT_EQ(StrToInt("5"), 5);
    EXPECT_EQ(StrToInt(" -17"), -17);
    EXPECT_EQ(StrToInt("+1000"), 1000);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    for (const char* bad :
         {"", " ", "abc", "5.0", "5,0", "2147483648", "-2147483649", "99999999999999999999", "1e3", "--1", "0x10"})
        EXPECT_EQ(ErrorOf([&] { StrToInt(bad); }), std::string("'") + bad + "' is not a valid integer value");
}

TEST(StrToFloat, RegionalSeparatorOnly)
{
    EXPECT_EQ(StrToFloat("30", kPoint), 30.0L);
    EXPECT_EQ(StrToFloat("30.5", kPoint), 30.5L);
    EXPECT_EQ(StrToFloat("30,5", kComma), 30.5L);
    EXPECT_EQ(StrToFloat("-.25", kPoint), -0.25L);
    EXPECT_EQ(StrToFloat("1.5E3", kPoint), 1500.0L);
    EXPECT_EQ(StrToFloat("1,5e-1", kComma), 0.15L);
    EXPECT_EQ(StrToFloat("1e-6000", kPoint), 0.0L);
    EXPECT_EQ(StrToFloat("0.1", kPoint), 0.1L); // extended, not double
    for (const char* bad : {"", "abc", "30,5", "1.2.3", "1e", "e5", ".", "nan", "inf", "1e99999", "30 5", "0x1p3"})
        EXPECT_EQ(ErrorOf([&] { StrToFloat(bad, kPoint); }),
                  std::string("'") + bad + "' is not a valid floating point value");
    EXPECT_EQ(ErrorOf([&] { StrToFloat("30.5", kComma); }), "'30.5' is not a valid floating point value");
}

// However large or long the exponent, a value beyond the extended range is
// refused as 1e5000 is, and one below it reads as 0 as 1e-5000 does.
TEST(StrToFloat, ExponentsOfAnySizeKeepTheirMeaning)
{
    const std::string ones(100000, '1');
    const std::string tiny = "0," + std::string(100000, '0') + "1";
    const std::pair<std::string, const NumberFormat*> beyond[]
        = {{"1e5000", &kPoint},         {"1e2147483647", &kPoint},
           {"10e2147483646", &kPoint},  {"-1e99999999999999999999", &kPoint},
           {"1,5e4294967296", &kComma}, {ones + "e2147483647", &kPoint}};
    for (const auto& [text, format] : beyond)
        EXPECT_EQ(ErrorOf([&] { StrToFloat(text, *format); }), "'" + text + "' is not a valid floating point value")
            << text.substr(0, 20);
    const std::pair<std::string, const NumberFormat*> below[] = {{"1e-5000", &kPoint},
                                                                 {"0.001e-2147483647", &kPoint},
                                                                 {"0,001e-2147483647", &kComma},
                                                                 {"1e-99999999999999999999", &kPoint},
                                                                 {tiny + "e-2147483647", &kComma},
                                                                 {ones + "e-4294967296", &kPoint}};
    for (const auto& [text, format] : below)
        EXPECT_EQ(StrToFloat(text, *format), 0.0L) << text.substr(0, 20);
    EXPECT_EQ(StrToFloat("1e-0000000000000000000005", kPoint), StrToFloat("1e-5", kPoint));
    EXPECT_EQ(StrToFloat(tiny + "e100001", kComma), 1.0L);
    EXPECT_EQ(StrToFloat("-" + ones + "e-99999", kPoint), -10.0L / 9.0L);
}

struct FormatRow {
    long double value;
    const char* fixed;
    const char* general;
};

TEST(Format, FixedAndGeneralInBothLocales)
{
    const FormatRow rows[] = {
        {0.0L, "0.0000", "0"},
        {-0.0L, "0.0000", "0"},
        {-0.00004L, "0.0000", "-4E-5"},
        {-0.00005L, "-0.0001", "-5E-5"},
        {12.32396L, "12.3240", "12.32396"},
        {0.15000000000000000001L, "0.1500", "0.15"},
        {3 * 0.05L, "0.1500", "0.15"},
        {1234.56789L, "1234.5680", "1234.56789"}, // seven significant digits first
        {999999.99996L, "1000000.0000", "999999.99996"},
        {12345678.9L, "1.234568E7", "12345678.9"},
        {100.0L, "100.0000", "100"},
        {0.1L, "0.1000", "0.1"},
        {1e20L, "1E20", "1E20"},
        {-4.95095L, "-4.9510", "-4.95095"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(FormatFixed(r.value, kPoint), r.fixed) << static_cast<double>(r.value);
        EXPECT_EQ(FormatGeneral(r.value, kPoint), r.general) << static_cast<double>(r.value);
        std::string fixed = r.fixed, general = r.general;
        for (auto* s : {&fixed, &general})
            for (char& c : *s)
                if (c == '.')
                    c = ',';
        EXPECT_EQ(FormatFixed(r.value, kComma), fixed);
        EXPECT_EQ(FormatGeneral(r.value, kComma), general);
    }
}

TEST(Format, NonFiniteValuesHaveWords)
{
    const long double inf = std::numeric_limits<long double>::infinity();
    for (auto format : {FormatFixed, FormatGeneral, FormatGrouped3}) {
        EXPECT_EQ(format(inf, kPoint), "INF");
        EXPECT_EQ(format(-inf, kPoint), "-INF");
        EXPECT_EQ(format(std::numeric_limits<long double>::quiet_NaN(), kPoint), "NAN");
    }
}

} // namespace
} // namespace nc
