// SPDX-License-Identifier: MIT
// The value list on its own: ordered insertion, range and sums, the
// multiplier, index errors, its settings and what their changes tell the
// owner, and the extremes index against a scan.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <vector>

#include "tests/chart/ChartRig.h"
#include "chart/series/ChartSeries.h"

using namespace nc;
using nc::test::Values;

TEST(ValueList, OrderedInsertion)
{
    struct Row {
        TChartListOrder order;
        std::vector<double> added;
        std::vector<double> stored;
        std::vector<int> indexes;
    };
    const Row rows[] = {
        {loAscending, {1, 2, 3}, {1, 2, 3}, {0, 1, 2}},
        {loAscending, {5, 3, 3}, {3, 3, 5}, {0, 0, 1}},
        {loAscending, {4, 1, 9, 1, 4}, {1, 1, 4, 4, 9}, {0, 0, 2, 1, 3}},
        {loDescending, {1, 5, 3, 5}, {5, 5, 3, 1}, {0, 0, 1, 1}},
        {loNone, {5, 3, 9, 3}, {5, 3, 9, 3}, {0, 1, 2, 3}},
    };
    for (const Row& row : rows) {
        TChartValueList list(nullptr, "X");
        list.SetOrder(row.order);
        std::vector<int> indexes;
        for (double v : row.added)
            indexes.push_back(list.AddValue(v));
        EXPECT_EQ(Values(list), row.stored) << "order " << row.order;
        EXPECT_EQ(indexes, row.indexes) << "order " << row.order;
    }
}

TEST(ValueList, RangeAndSumsFollowEveryChange)
{
    TChartValueList list(nullptr, "Y");
    EXPECT_EQ(list.LowValue(), 0);
    EXPECT_EQ(list.HighValue(), 0);
    list.AddValue(-2);
    EXPECT_EQ(list.LowValue(), -2);
    EXPECT_EQ(list.HighValue(), -2);
    list.AddValue(7);
    list.AddValue(3);
    EXPECT_EQ(list.LowValue(), -2);
    EXPECT_EQ(list.HighValue(), 7);
    EXPECT_EQ(list.Sum(), 8);
    EXPECT_EQ(list.AbsSum(), 12);
    list.DeleteValue(1); // the 7
    EXPECT_EQ(list.HighValue(), 3);
    EXPECT_EQ(list.Sum(), 1);
    EXPECT_EQ(list.AbsSum(), 5);
    list.InsertValue(0, 10);
    EXPECT_EQ(Values(list), (std::vector<double>{10, -2, 3}));
    EXPECT_EQ(list.HighValue(), 10);
    EXPECT_EQ(list.LastValue(), 3);
    list.ResetValues();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.RawValues().capacity(), 0u);
    EXPECT_EQ(list.LowValue(), 0);
    EXPECT_EQ(list.HighValue(), 0);
    EXPECT_EQ(list.Sum(), 0);
    EXPECT_EQ(list.AbsSum(), 0);
}

TEST(ValueList, MultiplierScalesReadsButNotOrdering)
{
    TChartSeries series;
    TChartValueList& list = series.YValues();
    list.SetOrder(loAscending);
    list.AddValue(3);
    list.AddValue(-1);
    const double sumBefore = list.Sum();
    list.SetMultiplier(2);
    EXPECT_EQ(list.RawValue(1), 3);
    EXPECT_EQ(list.Value(1), 6);
    EXPECT_EQ(list[0], -2);
    EXPECT_EQ(list.HighValue(), 6);
    EXPECT_EQ(list.LowValue(), -2);
    EXPECT_EQ(list.Sum(), sumBefore);
    list.AddValue(-0.5); // placed by its raw value, after raw -1
    EXPECT_EQ(list.RawValue(1), -0.5);
    EXPECT_EQ(list.LowValue(), -2);
    EXPECT_EQ(list.Sum(), sumBefore - 1);
}

TEST(ValueList, IndexErrorsThrow)
{
    TChartValueList list(nullptr, "X");
    list.AddValue(1);
    EXPECT_THROW(list.Value(1), std::out_of_range);
    EXPECT_THROW(list.DeleteValue(-1), std::out_of_range);
    EXPECT_THROW(list.InsertValue(3, 0), std::out_of_range);
    try {
        list.RawValue(5);
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
    EXPECT_EQ(list.Count(), 1);
}

TEST(ValueList, AssignSettingsCopiesAllButNameAndValues)
{
    TChartValueList from(nullptr, "A");
    from.SetOrder(loDescending);
    from.SetDateTime(true);
    from.SetMultiplier(3);
    from.SetValueSource("col");
    from.AddValue(1);
    TChartValueList to(nullptr, "B");
    to.AssignSettings(from);
    EXPECT_EQ(to.Order(), loDescending);
    EXPECT_TRUE(to.DateTime());
    EXPECT_EQ(to.Multiplier(), 3);
    EXPECT_EQ(to.ValueSource(), "col");
    EXPECT_EQ(to.Name(), "B");
    EXPECT_EQ(to.Count(), 0);
}

// A changed setting reaches the owner through its handler, once per
// change: a new multiplier as a rescaling (the range already rescanned), the
// date-time flag as a plain setting; an unchanged value and a copy of the
// settings tell nothing.
TEST(ValueList, SettingsTellTheOwnerWhatChanged)
{
    TChartValueList list(nullptr, "Y");
    std::vector<TValueListChange> heard;
    std::vector<double> highs;
    list.SetChangeHandler([&](TValueListChange change) {
        heard.push_back(change);
        highs.push_back(list.HighValue());
    });
    list.AddValue(3);
    list.SetDateTime(true);
    list.SetDateTime(true);
    list.SetMultiplier(2);
    list.SetMultiplier(2);
    TChartValueList other(nullptr, "Z");
    other.SetMultiplier(5);
    list.AssignSettings(other);
    list.SetDateTime(true);
    EXPECT_EQ(heard,
              (std::vector<TValueListChange>{TValueListChange::Setting, TValueListChange::Rescaled,
                                             TValueListChange::Setting}));
    EXPECT_EQ(highs, (std::vector<double>{3, 6, 6}));
}

// The extremes index (the extremes of a range, the end of a run within
// bounds) against a scan, after appends, insertions, deletions and NaN.
TEST(ValueList, ExtremesIndexAgreesWithAScan)
{
    std::mt19937 random(7);
    TChartSeries series;
    TChartValueList& list = series.YValues();
    std::vector<double> mirror;
    for (int step = 0; step < 20000; ++step) {
        const double v = std::uniform_real_distribution<double>(-100, 100)(random);
        const int what = std::uniform_int_distribution<int>(0, 99)(random);
        if (what < 90 || mirror.empty()) {
            list.InsertValue(list.Count(), v);
            mirror.push_back(v);
        } else if (what < 95) {
            const int at = std::uniform_int_distribution<int>(0, list.Count())(random);
            list.InsertValue(at, v);
            mirror.insert(mirror.begin() + at, v);
        } else {
            const int at = std::uniform_int_distribution<int>(0, list.Count() - 1)(random);
            list.DeleteValue(at);
            mirror.erase(mirror.begin() + at);
        }
        if (step % 97 != 0 || mirror.empty())
            continue;
        const int a = std::uniform_int_distribution<int>(0, list.Count() - 1)(random);
        const int b = std::uniform_int_distribution<int>(a, list.Count() - 1)(random);
        double lo, hi;
        list.RawExtremes(a, b, lo, hi);
        EXPECT_EQ(lo, *std::min_element(mirror.begin() + a, mirror.begin() + b + 1)) << step;
        EXPECT_EQ(hi, *std::max_element(mirror.begin() + a, mirror.begin() + b + 1)) << step;
        // A run within bounds that most values meet, so that it spans blocks.
        const double low = -100 + std::uniform_real_distribution<double>(0, 0.6)(random);
        const double high = 100 - std::uniform_real_distribution<double>(0, 0.6)(random);
        int end = a;
        while (end < b && mirror[static_cast<std::size_t>(end) + 1] >= low
               && mirror[static_cast<std::size_t>(end) + 1] <= high)
            ++end;
        EXPECT_EQ(list.LastWithin(a, b, low, high), end) << step;
    }
    EXPECT_FALSE(list.HasNaN());
    list.InsertValue(list.Count(), std::nan(""));
    EXPECT_TRUE(list.HasNaN());
    TChartValueList& xs = series.XValues();
    xs.InsertValue(0, 1);
    xs.InsertValue(1, 1);
    EXPECT_TRUE(xs.IsAscending());
    xs.InsertValue(0, 2);
    EXPECT_FALSE(xs.IsAscending());
    xs.ResetValues();
    EXPECT_TRUE(xs.IsAscending());
}
