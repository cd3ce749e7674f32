// SPDX-License-Identifier: MIT
#include "core/numbers/NumberText.h"

#include <gtest/gtest.h>

namespace nc {
namespace {

TEST(FormatGrouped3, PatternWithGroupsAndThreeDecimals)
{
    const NumberFormat point{".", ","};
    const NumberFormat comma{",", "."};
    const struct {
        long double v;
        const char *point, *comma;
    } rows[] = {
        {0, "0", "0"},
        {12.5L, "12.5", "12,5"},
        {1234.56789L, "1,234.568", "1.234,568"},
        {30, "30", "30"},
        {-1234567.0L, "-1,234,567", "-1.234.567"},
        {0.0004L, "0", "0"},
        {-0.0004L, "0", "0"},
        {0.0005L, "0.001", "0,001"},
        {999.9996L, "1,000", "1.000"},
        {-2.5L, "-2.5", "-2,5"},
        {1e-12L, "0", "0"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(FormatGrouped3(r.v, point), r.point);
        EXPECT_EQ(FormatGrouped3(r.v, comma), r.comma);
    }
}

} // namespace
} // namespace nc
