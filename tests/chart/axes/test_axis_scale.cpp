// SPDX-License-Identifier: MIT
#include "chart/axes/AxisScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include <cmath>
#include <limits>
#include <vector>

namespace nc {
namespace {

TEST(NextNiceStep, WalksTheOneTwoFiveSequence)
{
    const struct {
        double x, next;
    } rows[] = {{1, 2}, {2, 5}, {3, 5}, {5, 10}, {10, 20}, {20, 50}, {50, 100}, {0.1, 0.2}, {0.5, 1}, {7, 10}};
    for (const auto& r : rows)
        EXPECT_DOUBLE_EQ(NextNiceStep(r.x), r.next) << r.x;
    EXPECT_EQ(NextNiceStep(0), 0); // no next step, and no endless recursion
}

TEST(StepForCount, SearchFromIncrementOrOneOrMinimum)
{
    // 1..100 on 200 pixels with 19-pixel labels: count 10, steps 1, 2, 5, 10.
    EXPECT_EQ(LabelCountForSizes(19, 200, 10), 10);
    EXPECT_EQ(StepForCount(10, 0, 99, 10), 10);
    EXPECT_EQ(StepForCount(10, 3, 1000, 10), 100); // 3 moves onto the sequence at 5
    EXPECT_EQ(StepForCount(0, 0, 99, 10), 1);      // no count: the starting step
    EXPECT_EQ(StepForCount(10, 0, 99, 0), 1);      // no separation: likewise
    const double small = StepForCount(4, 0, 0.004, 10);
    EXPECT_NEAR(small, 0.001, 1e-15);
    EXPECT_EQ(StepForCount(5, 0, 0, 10), MinimumStep);
    EXPECT_GT(StepForCount(5, 0, 1e300, 10), 1e299);
    EXPECT_EQ(StepForCount(5, 0, std::numeric_limits<double>::infinity(), 10), std::numeric_limits<double>::max());
    // A subnormal increment whose next nice step rounds back onto itself.
    EXPECT_EQ(StepForCount(20, 9.88e-324, 1.39e-308, 10), MinimumStep);
}

TEST(StepForCount, RoundingOfTheCountIsTiesToEven)
{
    // q = 49.5 rounds to 50 (> 49: climb), q = 48.5 to 48 (fits).
    EXPECT_EQ(StepForCount(49, 1, 49.5, 10), 2);
    EXPECT_EQ(StepForCount(48, 1, 48.5, 10), 1);
    EXPECT_EQ(LabelCountForSizes(10, 0, 10), 0);
    EXPECT_EQ(LabelCountForSizes(0, 100, 10), 1);
}

TEST(ValueLabelSequence, FromTheTopDown)
{
    auto seq = [](double lo, double hi, double step, LabelSettings s = {}) {
        return ValueLabelSequence({lo, hi, hi - lo}, step, s);
    };
    EXPECT_EQ(seq(1, 100, 10), (std::vector<double>{100, 90, 80, 70, 60, 50, 40, 30, 20, 10}));
    EXPECT_EQ(seq(0, 30, 5), (std::vector<double>{30, 25, 20, 15, 10, 5, 0}));
    EXPECT_EQ(seq(0, 30, 5, {true, false}), (std::vector<double>{25, 20, 15, 10, 5}));
    EXPECT_EQ(seq(-2.5, 7.5, 1), (std::vector<double>{7, 6, 5, 4, 3, 2, 1, 0, -1, -2}));
    EXPECT_EQ(seq(0, 0, MinimumStep), (std::vector<double>{0}));
    EXPECT_EQ(seq(30, 30, MinimumStep), (std::vector<double>{30}));
    EXPECT_TRUE(seq(30, 30, MinimumStep, {true, false}).empty()); // the label would sit on the axis end
    EXPECT_TRUE(seq(0, 100, MinimumStep).empty());                // 10000 labels or more: none
    EXPECT_TRUE(seq(5, 1, 1).empty());
    EXPECT_TRUE(seq(0, 1, 0).empty());
    EXPECT_EQ(seq(1e300, 1e300, MinimumStep), (std::vector<double>{1e300})); // one point, one label
    EXPECT_TRUE(seq(1e300, 2e300, 1).empty());                               // beyond the integer range
    EXPECT_EQ(seq(0, 9999, 1).size(), 10000u);
    EXPECT_TRUE(seq(0, 10000, 1).empty());
}

TEST(ValueToPixel, LinearBothOrientationsAndDegenerateRanges)
{
    const AxisSpan bottom{40, 240, 200, 140}; // left 40, right 240
    const AxisSpan left{180, 20, -160, 100};  // bottom 180, top 20
    const AxisRange r{0, 100, 100};
    EXPECT_EQ(LinearValueToPixel(0, r, bottom, false), 40);
    EXPECT_EQ(LinearValueToPixel(100, r, bottom, false), 240);
    EXPECT_EQ(LinearValueToPixel(50, r, left, false), 100);
    EXPECT_EQ(LinearValueToPixel(0, r, left, true), 20);       // inverted: the minimum at the top
    EXPECT_EQ(LinearValueToPixel(0.25, r, bottom, false), 40); // 0.5 rounds to even
    EXPECT_EQ(LinearValueToPixel(0.75, r, bottom, false), 42); // 1.5 too
    EXPECT_EQ(LinearValueToPixel(7, AxisRange{3, 3, 0}, bottom, false), 140);
    EXPECT_EQ(LinearValueToPixel(1e300, r, bottom, false), 40 + kPixelLimit);
    EXPECT_EQ(LinearValueToPixel(-1e300, r, bottom, false), 40 - kPixelLimit);
    EXPECT_EQ(LinearValueToPixel(std::nan(""), r, bottom, false), 40);
}

TEST(PixelToValue, InvertsTheMapping)
{
    const AxisRange r{0, 100, 100};
    EXPECT_DOUBLE_EQ(HorizontalPixelToValue(140, r, 40, 240, 200, false), 50);
    EXPECT_DOUBLE_EQ(HorizontalPixelToValue(140, r, 40, 240, 200, true), 50);
    EXPECT_DOUBLE_EQ(HorizontalPixelToValue(40, r, 40, 240, 200, true), 100);
    EXPECT_DOUBLE_EQ(VerticalPixelToValue(20, r, 20, 180, 160, false), 100);
    EXPECT_DOUBLE_EQ(VerticalPixelToValue(180, r, 20, 180, 160, false), 0);
    EXPECT_EQ(HorizontalPixelToValue(140, r, 40, 40, 0, false), 0);
    EXPECT_EQ(VerticalPixelToValue(140, r, 20, 20, 0, false), 0);
}

TEST(ValueToPixel, Logarithmic)
{
    const AxisSpan s{0, 100, 100, 50};
    EXPECT_EQ(LogValueToPixel(10, AxisRange{1, 100, 99}, s), 50);
    EXPECT_EQ(LogValueToPixel(-1, AxisRange{1, 100, 99}, s), 0);
    EXPECT_EQ(LogValueToPixel(5, AxisRange{1, 1, 0}, s), 50);
}

TEST(WidestLabelValues, RoundedToTheStep)
{
    const LabelExtremes e = WidestLabelValues({-2.5, 7.5, 10}, 1, true);
    EXPECT_EQ(e.lo, -2);
    EXPECT_EQ(e.hi, 7);
    const LabelExtremes f = WidestLabelValues({-2.5, 7.5, 10}, 1, false);
    EXPECT_EQ(f.lo, -2.5);
}

// Three decimals down to a step of 0.001; below it the step's own decimals,
// from the nice steps and from an Increment off their sequence; three again
// where the step produces no labels.
TEST(LabelDecimals, ThreeUnlessTheStepIsFiner)
{
    const AxisRange zoomed{30.31, 30.312, 0.002};
    EXPECT_EQ(LabelDecimals(zoomed, 0.001), 3);
    EXPECT_EQ(LabelDecimals(zoomed, 0.1 * 0.1 * 0.1), 3); // a hair below 0.001
    EXPECT_EQ(LabelDecimals(zoomed, 0.0002), 4);
    EXPECT_EQ(LabelDecimals(zoomed, 0.00025), 5);
    EXPECT_EQ(LabelDecimals(AxisRange{30, 30 + 5e-11, 5e-11}, 1e-11), 3); // beyond the integer range
    EXPECT_EQ(LabelDecimals(AxisRange{0, 1e-10, 1e-10}, 1e-11), 11);
    EXPECT_EQ(LabelDecimals(zoomed, 1e-12), 3); // 10,000 labels or more
}

} // namespace
} // namespace nc

// The double-precision shortcut of the linear mapping against the extended
// computation it stands for: random ranges and values, many of them put on or
// next to the half-way points between pixels, where the two could disagree.
TEST(ValueToPixel, LinearShortcutAgreesWithTheExtendedComputation)
{
    std::mt19937_64 random(5);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    auto extended = [](double v, const nc::AxisRange& r, const nc::AxisSpan& s) {
        return s.start + nc::RoundPixel((static_cast<long double>(v) - r.min) * s.size / r.range);
    };
    for (int i = 0; i < 200000; ++i) {
        const double scale = std::pow(10.0, uniform(-12, 12));
        const double min = uniform(-1000, 1000) * scale;
        const double range = uniform(1e-3, 1000) * scale;
        const nc::AxisRange r{min, min + range, range};
        const int size = static_cast<int>(uniform(-3000, 3000));
        const nc::AxisSpan s{100, 100 + size, size, 100 + size / 2};
        double v = uniform(min - range, min + 2 * range);
        if (i % 2 == 0 && size != 0) {
            // On a half-way point, give or take a few units in the last place.
            const double target = std::floor(uniform(-size, size)) + 0.5;
            v = min + target * range / size;
            for (int k = static_cast<int>(uniform(-4, 4)); k != 0; k += k > 0 ? -1 : 1)
                v = std::nextafter(v, k > 0 ? HUGE_VAL : -HUGE_VAL);
        }
        ASSERT_EQ(nc::LinearValueToPixel(v, r, s, false), extended(v, r, s))
            << v << " in " << min << " + " << range << " over " << size;
        // The drawing loops' mapper, its factor divided out once.
        ASSERT_EQ(nc::LinearPixelMapper(r, s, false)(v), extended(v, r, s))
            << v << " in " << min << " + " << range << " over " << size;
    }
    // Factors that are not normal numbers, and quotients too large for the
    // shortcut, take the extended computation.
    const nc::AxisSpan s{100, 1380, 1280, 740};
    for (const double range : {4e-320, 1e-300, 1e300}) {
        const nc::AxisRange r{-range, range, 2 * range};
        for (const double v : {-range, range / 3, range * 1e7, 0.0})
            EXPECT_EQ(nc::LinearPixelMapper(r, s, false)(v), nc::LinearValueToPixel(v, r, s, false)) << v;
    }
}

// The integer read from the significand is the one nearbyintl gives, ties to
// even included, on both sides of zero and at the int32 edges; truncation
// built on it is std::trunc's.
TEST(NearestInt32, AgreesWithNearbyintAndTrunc)
{
    std::mt19937_64 random(3);
    std::vector<long double> values = {
        0.0L,          -0.0L,          0.5L,           1.5L,          2.5L, -0.5L, -1.5L, -2.5L, 0.49999999999999999L,
        2147483646.5L, 2147483647.25L, -2147483647.5L, -2147483648.0L};
    for (int i = 0; i < 20000; ++i) {
        const long double magnitude = std::ldexp(1.0L, static_cast<int>(random() % 31));
        const long double v = (static_cast<long double>(random()) / 18446744073709551616.0L - 0.5L) * magnitude;
        values.push_back(v);
        values.push_back(std::trunc(v * 2) / 2); // halves: the ties
    }
    for (const long double v : values) {
        ASSERT_EQ(nc::NearestInt32(v), static_cast<int32_t>(std::nearbyint(v))) << static_cast<double>(v);
        if (std::fabs(v) < 2147483647.0L) {
            ASSERT_EQ(nc::TruncInt32(v), static_cast<int32_t>(std::trunc(v))) << static_cast<double>(v);
        }
    }
}
