// SPDX-License-Identifier: MIT
#include "chart/device/HeldLines.h"

#include <algorithm>

namespace nc {

HeldLines::Column HeldLines::ColumnOf(int x, int top, int bottom, std::uint32_t rgb, std::uint32_t onBits, int period,
                                      int phase, bool down)
{
    // Going down a line walked upwards, pixel i of the pattern meets pixel
    // period - 1 - i of the reversed one.
    std::uint32_t bits = onBits;
    if (!down) {
        bits = 0;
        for (int i = 0; i < period; ++i)
            bits |= ((onBits >> (period - 1 - i)) & 1u) << i;
        phase = period - 1 - phase;
    }
    return Column{x, top, bottom, rgb, bits, period, phase};
}

void HeldLines::Hold(const Column& column)
{
    if (held_.empty()) {
        box_ = TRect{column.X, column.Top, column.X + 1, column.Bottom};
    } else {
        box_.Left = std::min(box_.Left, column.X);
        box_.Top = std::min(box_.Top, column.Top);
        box_.Right = std::max(box_.Right, column.X + 1);
        box_.Bottom = std::max(box_.Bottom, column.Bottom);
    }
    held_.push_back(column);
}

// A band of rows at a time, and in each band a row at a time: consecutive
// lines over the same rows with the same pattern and phase (a grid's lines)
// are on or off together in a row, so each row of theirs is one test and a
// store per line, in the order the lines were held.
void HeldLines::WriteInto(std::uint32_t* bits, std::ptrdiff_t stride)
{
    const std::size_t n = held_.size();
    for (int top = box_.Top; top < box_.Bottom; top += kBand) {
        const int bottom = std::min(top + kBand, box_.Bottom);
        for (std::size_t i = 0; i < n;) {
            const Column& first = held_[i];
            std::size_t end = i + 1;
            while (end < n && held_[end].Top == first.Top && held_[end].Bottom == first.Bottom
                   && held_[end].Pattern == first.Pattern && held_[end].Period == first.Period
                   && held_[end].Phase == first.Phase) {
                ++end;
            }
            const int y0 = std::max(top, first.Top);
            const int y1 = std::min(bottom, first.Bottom);
            int phase = y0 < y1 ? (first.Phase + (y0 - first.Top)) % first.Period : 0;
            for (int y = y0; y < y1; ++y) {
                if ((first.Pattern >> phase) & 1u) {
                    std::uint32_t* row = bits + static_cast<std::ptrdiff_t>(y) * stride;
                    for (std::size_t k = i; k < end; ++k)
                        row[held_[k].X] = held_[k].Rgb;
                }
                if (++phase == first.Period)
                    phase = 0;
            }
            i = end;
        }
    }
    held_.clear();
}

} // namespace nc
