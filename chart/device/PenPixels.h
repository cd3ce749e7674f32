// SPDX-License-Identifier: MIT
#pragma once

// What one pixel of the image device's picture becomes under a pen or a
// brush: the picture's word for a colour (0xFFRRGGBB, Qt's RGB32), the pen
// modes, the dash patterns as bits, and the hatch patterns. Pure, and inline
// but for the pen modes: the device applies them per pixel inside its walks
// and fills.

#include <cstdint>
#include <initializer_list>

#include "chart/ChartTypes.h"
#include "chart/device/DeviceTools.h"

namespace nc {

// The picture's word for a plain RGB colour, and back.
inline std::uint32_t ToRgb32(TColor c)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(RedOf(c)) << 16) | (static_cast<std::uint32_t>(GreenOf(c)) << 8)
        | BlueOf(c);
}

inline TColor FromRgb32(std::uint32_t p)
{
    return RGBColor(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF));
}

// The word a pen of colour pen in mode writes over dst. Out of line on
// purpose: the walks call it only off the copy mode, and its sixteen cases
// inlined into their loops crowd out the loops' own registers (the dotted
// walk's loop then takes more instructions per pixel: bench_chart's
// BM_ImageDeviceOnePixelSegment/2).
std::uint32_t ApplyMode(std::uint32_t dst, std::uint32_t pen, TPenMode mode);

// A pen style's dash pattern, one period of it.
struct StylePattern {
    int Period;
    std::uint32_t OnBits; // bit i set: pixel i of the period is drawn
};

// The bits of alternating on/off run lengths, starting with "on".
constexpr std::uint32_t PatternBits(std::initializer_list<int> runs)
{
    std::uint32_t bits = 0;
    int pos = 0;
    bool on = true;
    for (int run : runs) {
        for (int i = 0; i < run; ++i, ++pos) {
            if (on)
                bits |= (1u << pos);
        }
        on = !on;
    }
    return bits;
}

inline StylePattern PatternOf(TPenStyle style)
{
    switch (style) {
    case psDot: return {6, PatternBits({3, 3})};
    case psDash: return {24, PatternBits({18, 6})};
    case psDashDot: return {24, PatternBits({9, 6, 3, 6})};
    case psDashDotDot: return {24, PatternBits({9, 3, 3, 3, 3, 3})};
    default: return {1, 1u};
    }
}

// Pixels per block of a styled row: a multiple of every pattern's period,
// so that each block meets the pattern at the same phase.
inline constexpr int kPatternBlock = 48;

// Writes rgb over the "on" pixels of n pixels of a row starting at row[0],
// whose pattern phase is phase there and goes up to the right (forward) or
// down. Whole blocks are a masked copy of fixed length, which the compiler
// turns into vector operations; the off pixels are rewritten unchanged.
inline void PatternRow(std::uint32_t* row, long long n, const StylePattern& pattern, int phase, bool forward,
                       std::uint32_t rgb)
{
    std::uint32_t mask[kPatternBlock];
    for (int j = 0, q = phase; j < kPatternBlock; ++j) {
        mask[j] = ((pattern.OnBits >> q) & 1u) != 0 ? ~0u : 0u;
        if (forward)
            q = q + 1 == pattern.Period ? 0 : q + 1;
        else
            q = q == 0 ? pattern.Period - 1 : q - 1;
    }
    long long x = 0;
    for (; x + kPatternBlock <= n; x += kPatternBlock) {
        std::uint32_t* block = row + x;
        for (int j = 0; j < kPatternBlock; ++j)
            block[j] = (block[j] & ~mask[j]) | (rgb & mask[j]);
    }
    for (int j = 0; x < n; ++x, ++j) {
        if (mask[j] != 0)
            row[x] = rgb;
    }
}

// Whether a hatched brush of style sets pixel (x, y): its 8 x 8 pattern is
// aligned to the device origin. A solid brush sets every pixel.
inline bool HatchAt(TBrushStyle style, int x, int y)
{
    const int u = x & 7;
    const int v = y & 7;
    switch (style) {
    case bsHorizontal: return v == 0;
    case bsVertical: return u == 0;
    case bsFDiagonal: return u == v;
    case bsBDiagonal: return ((u + v) & 7) == 7;
    case bsCross: return u == 0 || v == 0;
    case bsDiagCross: return u == v || ((u + v) & 7) == 7;
    default: return true;
    }
}

} // namespace nc
