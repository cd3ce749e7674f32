// SPDX-License-Identifier: MIT
// The axis arithmetic on any range, plot size and label size: the step search
// ends, the label sequence ends with at most 10000 labels, and every pixel
// conversion stays defined (the sanitizers catch any overflow).
#include "tests/fuzz/FuzzInput.h"
#include "chart/axes/AxisScale.h"

#include <cmath>
#include <cstdlib>

using namespace nc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    double lo = in.Take<double>();
    double hi = in.Take<double>();
    const double increment = in.Take<double>();
    const int32_t length = in.Take<uint16_t>() % 4001;
    const int32_t span = in.Take<uint16_t>() % 4001;
    const int32_t separation = in.Take<uint8_t>();
    const uint8_t flags = in.Take<uint8_t>();
    const double value = in.Take<double>();
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return 0;
    if (flags & 1) // after a zoom the ends may come in either order
        std::swap(lo, hi);
    AxisRange r{lo, hi, hi - lo};
    if (!std::isfinite(r.range))
        return 0;

    const int32_t count = LabelCountForSizes(span, length, separation);
    const double step = StepForCount(count, std::isfinite(increment) ? std::fabs(increment) : 0, r.range, separation);
    if (!(step >= MinimumStep))
        std::abort();
    const auto labels = ValueLabelSequence(r, step, {bool(flags & 2), bool(flags & 4)});
    if (labels.size() > 10000)
        std::abort();
    (void)WidestLabelValues(r, step, flags & 8);

    const AxisSpan horizontal{40, 40 + length, length, 40 + length / 2};
    const AxisSpan vertical{40 + length, 40, -length, 40 + length / 2};
    for (const double v : {value, lo, hi, labels.empty() ? 0.0 : labels.front()}) {
        (void)LinearValueToPixel(v, r, horizontal, flags & 16);
        (void)LinearValueToPixel(v, r, vertical, flags & 32);
        (void)LogValueToPixel(v, r, horizontal);
    }
    const int32_t pixel = in.Take<int32_t>() % (kPixelLimit / 2);
    (void)HorizontalPixelToValue(pixel, r, 40, 40 + length, length, flags & 64);
    (void)VerticalPixelToValue(pixel, r, 40, 40 + length, length, flags & 128);
    return 0;
}
