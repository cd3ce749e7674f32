// SPDX-License-Identifier: MIT
#include "chart/device/ChartDevice.h"

#include <algorithm>

namespace nc {

DrawDevice::DrawDevice(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)), clip_{0, 0, width_, height_}
{}

void DrawDevice::SelectPen(const DevicePen& pen)
{
    pen_ = pen;
    stylePhase_ = 0;
}

void DrawDevice::SelectBrush(const DeviceBrush& brush)
{
    brush_ = brush;
}
void DrawDevice::SelectFont(const DeviceFont& font)
{
    font_ = font;
}
void DrawDevice::SetBkMode(int mode)
{
    bkMode_ = mode;
}
void DrawDevice::SetBkColor(TColor color)
{
    bkColor_ = color;
}
void DrawDevice::SetTextAlign(unsigned flags)
{
    textAlign_ = flags;
}

void DrawDevice::SetClipRect(const TRect& r)
{
    TRect clipped;
    clip_ = IntersectRect(clipped, r, Bounds()) ? clipped : TRect{};
}

void DrawDevice::PolyLineTo(std::span<const TPoint> points)
{
    for (const TPoint& p : points)
        LineTo(p.X, p.Y);
}

void DrawDevice::MoveTo(int x, int y)
{
    current_ = TPoint{x, y};
    stylePhase_ = 0;
}

TColor DrawDevice::DeviceColor(TColor c) const
{
    if (!monochrome_)
        return c;
    const int sum = RedOf(c) + GreenOf(c) + BlueOf(c);
    return sum >= 3 * 128 ? clWhite : clBlack;
}

} // namespace nc
