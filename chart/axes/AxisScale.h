// SPDX-License-Identifier: MIT
#pragma once
// The arithmetic of an axis, apart from any chart: value <-> pixel mapping, the
// 1-2-5 label step search and the sequence of label values. The axis objects
// feed these from their settings and the plot rectangle; tests call them
// directly.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace nc {

// The smallest label step an axis ever uses.
constexpr double MinimumStep = 1e-12;

// Pixel coordinates are clamped to this many pixels either side of the plot, so
// that a value far outside the range (after a zoom, say) still maps to a
// defined coordinate that the drawing clips away.
constexpr int32_t kPixelLimit = 1 << 28;

// Round to nearest with ties to even, as the processor rounds by default;
// clamped to +-kPixelLimit, NaN giving 0.
int32_t RoundPixel(long double value);

// nearbyintl for |value| < 2^62 in the default rounding mode (to nearest,
// ties to even), exactly: adding and taking away 1.5 x 2^63 leaves the 64-bit
// significand no bits below the units, so the sum is rounded to an integer
// as nearbyintl rounds, without the library call's save
// and restore of the floating-point environment, which costs more than the
// rest of a pixel computation (a zero comes out as +0, which no caller that
// converts to an integer can tell). Other values (and NaN) take the call.
long double NearestInteger(long double value);

// NearestInteger as an int32_t for |value| < 2^31, read from the significand
// of the shifted sum rather than converted: a conversion from extended
// precision switches the x87 rounding mode to truncate and back, which costs
// more than the sum.
inline int32_t NearestInt32(long double value)
{
#if defined(__x86_64__) || defined(__i386__)
    // The x87 format: a 64-bit significand with its integer bit, stored first.
    static_assert(std::numeric_limits<long double>::digits == 64);
    constexpr long double kShift = 1.5L * 9223372036854775808.0L;
    const long double shifted = value + kShift; // in [2^63, 2^64): the significand is the sum
    uint64_t significand = 0;
    std::memcpy(&significand, &shifted, sizeof significand);
    return static_cast<int32_t>(static_cast<int64_t>(significand - 0xC000000000000000u));
#else
    return static_cast<int32_t>(NearestInteger(value));
#endif
}

// std::trunc as an int32_t, for |value| < 2^31 from NearestInt32 and one
// step back towards zero where rounding went past the value: the conversion
// it replaces switched the rounding mode twice. Other values convert.
int32_t TruncInt32(long double value);

// One axis' extent along the screen, from the plot rectangle: for a horizontal
// axis start = left, end = right, size = width; for a vertical one start =
// bottom, end = top, size = -height.
struct AxisSpan {
    int32_t start = 0;
    int32_t end = 0;
    int32_t size = 0;
    int32_t centre = 0;
};

struct AxisRange {
    double min = 0;   // EffectiveMin
    double max = 0;   // EffectiveMax
    double range = 0; // EffectiveRange
};

int32_t LinearValueToPixel(double value, const AxisRange& r, const AxisSpan& s, bool inverted);

// Whether a quotient q (|q| < 10^6) lies clear of the half-way points
// between pixels, with p its nearest integer: within 10^-6 of a half-way
// point the double quotient cannot tell which pixel the extended one rounds
// to. One conversion in the processor's rounding gives p, and q - p is exact
// (they are at most a half apart); a rounding mode other than to nearest can
// leave |q - p| at a half or more, which answers false too.
inline bool RoundClearOfHalf(double q, int32_t& p)
{
#if defined(__SSE2__)
    p = _mm_cvtsd_si32(_mm_set_sd(q));
#else
    p = static_cast<int32_t>(std::lrint(q));
#endif
    return 0.5 - std::fabs(q - p) > 1e-6;
}

// LinearValueToPixel for many values on one axis, with the same results: the
// quotient is taken as (value - min) times size / range, the factor divided
// out once. Its three double operations err by at most half a unit in the
// last place each while the factor is a normal number (a subnormal product
// errs by less than 2^-1074 in all), so, as in LinearValueToPixel's own
// double path, below 10^6 the quotient lies within 10^-9 of the extended one
// and rounds to the same integer unless it lies within 10^-6 of a half-way
// point; such values, and any with a factor that is not normal, take
// LinearValueToPixel.
class LinearPixelMapper {
public:
    LinearPixelMapper() = default;
    LinearPixelMapper(const AxisRange& r, const AxisSpan& s, bool inverted);
    int32_t operator()(double value) const
    {
        if (quick_) {
            const double q = (value - range_.min) * factor_;
            if (std::fabs(q) < 1e6) {
                int32_t p;
                if (RoundClearOfHalf(q, p))
                    return inverted_ ? span_.end - p : span_.start + p;
            }
        }
        return LinearValueToPixel(value, range_, span_, inverted_);
    }

    // Pixels per unit of value, unsigned: how far apart two values land
    // before rounding. Not finite for an empty range.
    double PixelsPerUnit() const { return std::fabs(static_cast<double>(span_.size) / range_.range); }

private:
    AxisRange range_;
    AxisSpan span_;
    bool inverted_ = false;
    bool quick_ = false;
    double factor_ = 0;
};
int32_t LogValueToPixel(double value, const AxisRange& r, const AxisSpan& s);

// Pixel to value for a horizontal axis (left, width) and a vertical one (top,
// bottom, height). A plot narrower or shorter than one pixel gives 0.
double HorizontalPixelToValue(int32_t pixel, const AxisRange& r, int32_t left, int32_t right, int32_t width,
                              bool inverted);
double VerticalPixelToValue(int32_t pixel, const AxisRange& r, int32_t top, int32_t bottom, int32_t height,
                            bool inverted);

// ..., 0.1, 0.2, 0.5, 1, 2, 5, 10, ...: the first nice step above x (a step
// already on the sequence moves to the next one).
double NextNiceStep(double x);

// The nice-step search: climbs from Increment (or 1.0, or MinimumStep for a
// range below 1) until the range holds no more than `count` steps. With a
// labels separation of 0 the starting step is kept.
double StepForCount(int32_t count, double increment, double effective_range, int32_t labels_separation);

// Where that search starts: the Increment when it is positive, else 1.0 on a
// range of 1 or more, else MinimumStep. The search only climbs from there.
double StartingStep(double increment, double effective_range);

// The label count that fits: the label span widened by the separation percent,
// then the axis length divided by it, rounded.
int32_t LabelCountForSizes(int32_t span, int32_t length, int32_t labels_separation);

// Label values from the top down by repeated subtraction of the step. Empty
// when the step is not positive, the range is reversed, or the labels would
// be 10000 or more or beyond the integer range.
struct LabelSettings {
    bool round_first_label = true;
    bool labels_on_axis = true;
};
std::vector<double> ValueLabelSequence(const AxisRange& r, double step, const LabelSettings& settings);

// The two values whose labels are widest to expect: the ends of the range, cut
// down to multiples of the step when the first label is rounded.
struct LabelExtremes {
    double lo;
    double hi;
};
LabelExtremes WidestLabelValues(const AxisRange& r, double step, bool round_first_label);

// The decimals value labels are written with: the format's own three, or,
// where the labels come in steps finer than its last decimal (a deep zoom),
// as many as the step has (at most 18), so that no two labels read alike.
// Three also where the step produces no labels at all.
constexpr int kLabelFormatDecimals = 3;
constexpr double kLabelFormatStep = 1e-3; // the format's last decimal
int LabelDecimals(const AxisRange& r, double step);

} // namespace nc
