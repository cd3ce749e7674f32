// SPDX-License-Identifier: MIT
// The axis model on its own: no chart, no canvas, no application object.

#include <gtest/gtest.h>

#include <vector>

#include "chart/axes/ChartAxis.h"
#include "locale/RegionalFormat.h"
#include "core/numbers/NumberText.h"

namespace nc {
namespace {

// A fixed range, the step that labels of a given size leave on a given
// length, the label values at a step and their texts: all of it computed by
// an axis that belongs to no chart (and so maps every value to pixel 0).
TEST(AxisModel, ScalesAndLabelsWithoutAChart)
{
    TChartAxis axis(nullptr, true, false);
    axis.SetMinMax(0, 30);
    axis.UpdateRange();
    EXPECT_FALSE(axis.Automatic());
    EXPECT_EQ(axis.EffectiveRange, 30);
    // 10-pixel labels on 200 pixels: 1 -> 2.
    EXPECT_EQ(axis.IncrementForSizes(10, 200), 2);
    EXPECT_EQ(axis.ValueLabelSequence(5), (std::vector<double>{30, 25, 20, 15, 10, 5, 0}));
    axis.SetLabelsOnAxis(false);
    EXPECT_EQ(axis.ValueLabelSequence(10), (std::vector<double>{20, 10}));
    EXPECT_EQ(axis.ValueToPixel(15), 0);

    const NumberFormat f = RegionalNumberFormat();
    EXPECT_EQ(axis.FormatLabel(1234.5), "1" + f.thousands_separator + "234" + f.decimal_separator + "5");
    // The text of a value is kept between paints, but not past a change of
    // the decimals.
    EXPECT_EQ(axis.FormatLabel(30.3118), "30" + f.decimal_separator + "312");
    axis.SetLabelTextDecimals(4);
    EXPECT_EQ(axis.FormatLabel(30.3118), "30" + f.decimal_separator + "3118");
    EXPECT_THROW(axis.SetMinimum(31), AxisException);
    EXPECT_EQ(axis.Minimum(), 0);
}

} // namespace
} // namespace nc
