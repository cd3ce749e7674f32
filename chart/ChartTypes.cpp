// SPDX-License-Identifier: MIT
#include "chart/ChartTypes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace nc {

namespace {

// The classic desktop scheme, indexed by system colour number.
constexpr TColor kSystemColors[] = {
    0xC8C8C8, // 0 scroll bar
    0x000000, // 1 background
    0xD1B499, // 2 active caption
    0xDBCDBF, // 3 inactive caption
    0xF0F0F0, // 4 menu
    0xFFFFFF, // 5 window
    0x646464, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0x000000, // 9 caption text
    0xB4B4B4, // 10 active border
    0xFCF7F4, // 11 inactive border
    0xABABAB, // 12 app workspace
    0xFF9933, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xF0F0F0, // 15 button face
    0xA0A0A0, // 16 button shadow
    0x6D6D6D, // 17 gray text
    0x000000, // 18 button text
    0x544E43, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x696969, // 21 3D dark shadow
    0xE3E3E3, // 22 3D light
    0x000000, // 23 info text
    0xE1FFFF, // 24 info background
};

} // namespace

TColor ColorToRGB(TColor color)
{
    if ((color & 0x80000000u) != 0) {
        const auto index = color & 0xFFu;
        constexpr auto count = sizeof(kSystemColors) / sizeof(kSystemColors[0]);
        return index < count ? kSystemColors[index] : 0x000000u;
    }
    return color & 0x00FFFFFFu;
}

bool IntersectRect(TRect& r, const TRect& a, const TRect& b)
{
    const TRect i{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                  std::min(a.Bottom, b.Bottom)};
    if (i.IsEmpty())
        return false;
    r = i;
    return true;
}

void InflateRect(TRect& r, int dx, int dy)
{
    r.Left -= dx;
    r.Right += dx;
    r.Top -= dy;
    r.Bottom += dy;
}

bool PtInRect(const TRect& r, const TPoint& p)
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

int Saturated(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long q = product / c;
    const long long rest = product % c;
    long long result = q;
    if (std::llabs(rest) * 2 >= std::llabs(static_cast<long long>(c))) {
        result += ((product < 0) != (c < 0)) ? -1 : 1;
    }
    return static_cast<int>(result);
}

int RoundEven(double v)
{
    // A zoomed font size can pass int's range; it stops at its ends.
    const double r = std::nearbyint(v);
    if (r <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    if (r >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(r);
}

TColor GetDefaultColor(int index)
{
    const int i = ((index % 16) + 16) % 16;
    return ChartPalette[i];
}

} // namespace nc
