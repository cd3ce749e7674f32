// SPDX-License-Identifier: MIT
#include "chart/axes/AxisScale.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace nc {
namespace {

constexpr long double kIntegerLimit = 2147483647.0L;
constexpr long double kMaxLabels = 10000.0L;

} // namespace

int32_t RoundPixel(long double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= kPixelLimit)
        return kPixelLimit;
    if (value <= -kPixelLimit)
        return -kPixelLimit;
    return NearestInt32(value);
}

long double NearestInteger(long double value)
{
    constexpr long double kShift = 1.5L * 9223372036854775808.0L;
    if (!(std::fabs(value) < 4611686018427387904.0L))
        return std::nearbyint(value);
    const long double shifted = value + kShift;
    return shifted - kShift;
}

int32_t TruncInt32(long double value)
{
    if (!(std::fabs(value) < 2147483647.0L))
        return static_cast<int32_t>(std::trunc(value));
    const int32_t n = NearestInt32(value);
    if (value >= 0)
        return n > value ? n - 1 : n;
    return n < value ? n + 1 : n;
}

// The quotient of LinearValueToPixel in double precision, when that rounds to
// the same pixel as the extended computation; nullopt when it cannot tell.
// Each of the three double operations errs by at most half a unit in its last
// place (relative 2^-53), the extended ones by far less, so below 10^6 the two
// quotients differ by less than 10^-9: unless the quotient lies within 10^-6
// of a half-way point both round to the same integer. Subnormal products
// carry no such bound and are left to the extended computation.
static std::optional<int32_t> QuickPixel(double value, const AxisRange& r, int32_t size)
{
    const double offset = value - r.min;
    const double scaled = offset * size;
    if (scaled != 0 && !(std::fabs(scaled) >= std::numeric_limits<double>::min()))
        return std::nullopt;
    const double q = scaled / r.range;
    if (!(std::fabs(q) < 1e6))
        return std::nullopt;
    int32_t p;
    if (!RoundClearOfHalf(q, p))
        return std::nullopt;
    return p;
}

int32_t LinearValueToPixel(double value, const AxisRange& r, const AxisSpan& s, bool inverted)
{
    if (r.range == 0)
        return s.centre;
    if (const std::optional<int32_t> quick = QuickPixel(value, r, s.size))
        return inverted ? s.end - *quick : s.start + *quick;
    const int32_t p = RoundPixel((static_cast<long double>(value) - r.min) * s.size / r.range);
    return inverted ? s.end - p : s.start + p;
}

LinearPixelMapper::LinearPixelMapper(const AxisRange& r, const AxisSpan& s, bool inverted)
    : range_(r), span_(s), inverted_(inverted)
{
    if (r.range != 0) {
        factor_ = s.size / r.range;
        quick_ = std::isnormal(factor_);
    }
}

int32_t LogValueToPixel(double value, const AxisRange& r, const AxisSpan& s)
{
    const long double lmin = r.min <= 0 ? 0.0L : std::log(static_cast<long double>(r.min));
    const long double lmax = r.max <= 0 ? 0.0L : std::log(static_cast<long double>(r.max));
    if (lmax == lmin)
        return s.centre;
    if (value <= 0)
        return s.start;
    return s.start + RoundPixel((std::log(static_cast<long double>(value)) - lmin) * s.size / (lmax - lmin));
}

double HorizontalPixelToValue(int32_t pixel, const AxisRange& r, int32_t left, int32_t right, int32_t width,
                              bool inverted)
{
    if (width < 1)
        return 0;
    const long double d = inverted ? static_cast<long double>(right) - pixel : static_cast<long double>(pixel) - left;
    return static_cast<double>(r.range * d / width + r.min);
}

double VerticalPixelToValue(int32_t pixel, const AxisRange& r, int32_t top, int32_t bottom, int32_t height,
                            bool inverted)
{
    if (height < 1)
        return 0;
    const long double d = inverted ? static_cast<long double>(bottom) - pixel : static_cast<long double>(pixel) - top;
    return static_cast<double>(r.max - d * r.range / height);
}

double NextNiceStep(double x)
{
    // A step that is not a positive finite number has no next one; the search
    // stops on it instead of recursing forever.
    if (!(x > 0) || !std::isfinite(x))
        return x;
    if (x >= 10)
        return static_cast<double>(10.0L * NextNiceStep(static_cast<double>(x / 10.0L)));
    if (x < 1)
        return static_cast<double>(0.1L * NextNiceStep(static_cast<double>(x * 10.0L)));
    if (x < 2)
        return 2;
    if (x < 5)
        return 5;
    return 10;
}

double StartingStep(double increment, double effective_range)
{
    if (increment > 0)
        return increment;
    return std::fabs(effective_range) >= 1 ? 1.0 : MinimumStep;
}

double StepForCount(int32_t count, double increment, double effective_range, int32_t labels_separation)
{
    double step = StartingStep(increment, effective_range);
    if (count > 0 && labels_separation > 0) {
        int64_t n = int64_t{count} + 1;
        while (count < n) {
            const long double q = effective_range / static_cast<long double>(step);
            const bool fits = std::fabs(q) < kIntegerLimit;
            if (fits)
                n = static_cast<int64_t>(std::nearbyint(q));
            if (!fits || n > count) {
                // Among subnormal numbers the next nice step can round back onto
                // this one; the search stops there rather than loop for ever.
                const double next = NextNiceStep(step);
                if (!(next > step))
                    break;
                step = next;
            }
            // Beyond the largest double nothing further can fit.
            if (!std::isfinite(step))
                return std::numeric_limits<double>::max();
        }
    }
    return step > MinimumStep ? step : MinimumStep;
}

int32_t LabelCountForSizes(int32_t span, int32_t length, int32_t labels_separation)
{
    long double widened = span;
    if (labels_separation > 0)
        widened += std::nearbyint(labels_separation * 0.01L * span);
    if (!(widened > 0))
        return 1;
    const long double count = std::nearbyint(length / widened);
    return count > kIntegerLimit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(count);
}

std::vector<double> ValueLabelSequence(const AxisRange& r, double step, const LabelSettings& settings)
{
    std::vector<double> values;
    if (!(step > 0) || !(r.max >= r.min))
        return values;
    // A zero range has exactly one label, its value, however small the step:
    // the guards below exist to stop long runs of labels, not that one.
    if (r.min == r.max) {
        if (settings.labels_on_axis)
            values.push_back(r.max);
        return values;
    }
    const long double t = r.max / static_cast<long double>(step);
    if (std::fabs(t) >= kIntegerLimit || std::fabs(r.range / static_cast<long double>(step)) >= kMaxLabels)
        return values;
    double v;
    if (settings.round_first_label)
        v = static_cast<double>(std::trunc(t) * step);
    else
        v = r.max;
    if (settings.labels_on_axis) {
        while (v > r.max)
            v = v - step;
        while (v >= r.min) {
            values.push_back(v);
            v = v - step;
        }
    } else {
        while (v >= r.max)
            v = v - step;
        while (v > r.min) {
            values.push_back(v);
            v = v - step;
        }
    }
    return values;
}

LabelExtremes WidestLabelValues(const AxisRange& r, double step, bool round_first_label)
{
    if (!round_first_label || !(step > 0))
        return {r.min, r.max};
    const long double lo = std::trunc(r.min / static_cast<long double>(step)) * step;
    const long double hi = std::trunc(r.max / static_cast<long double>(step)) * step;
    return {static_cast<double>(lo), static_cast<double>(hi)};
}

int LabelDecimals(const AxisRange& r, double step)
{
    constexpr int kMostDecimals = 18;
    if (!(step > 0) || step >= kLabelFormatStep * (1 - 1e-9) || r.min == r.max)
        return kLabelFormatDecimals;
    if (std::fabs(r.max / static_cast<long double>(step)) >= kIntegerLimit
        || !(std::fabs(r.range / static_cast<long double>(step)) < kMaxLabels))
        return kLabelFormatDecimals;
    // The steps are 1, 2 or 5 times a power of ten, or an Increment as set:
    // the first count of decimals that writes the step itself exactly.
    long double scaled = step;
    for (int decimals = 1; decimals <= kMostDecimals; ++decimals) {
        scaled *= 10;
        if (decimals > kLabelFormatDecimals && std::fabs(scaled - std::nearbyint(scaled)) <= 1e-6L * scaled)
            return decimals;
    }
    return kMostDecimals;
}

} // namespace nc
