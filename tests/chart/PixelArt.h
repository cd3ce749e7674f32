// SPDX-License-Identifier: MIT
#pragma once

// Renders a corner of an image device as text, one character per pixel, so
// that pixel tests can compare against a picture: '.' white, '#' black,
// 'r' red, 'b' blue, 'g' gray, 'y' yellow, '?' anything else.

#include <string>
#include <vector>

#include "chart/device/ChartDevice.h"
#include "chart/device/ImageDevice.h"

namespace nc::test {

inline char PixelChar(nc::TColor c)
{
    switch (c) {
    case 0xFFFFFF: return '.';
    case 0x000000: return '#';
    case 0x0000FF: return 'r';
    case 0xFF0000: return 'b';
    case 0x808080: return 'g';
    case 0x00FFFF: return 'y';
    default: return '?';
    }
}

inline std::vector<std::string> Art(const nc::ImageDevice& d, int width, int height, int left = 0, int top = 0)
{
    std::vector<std::string> rows;
    for (int y = top; y < top + height; ++y) {
        std::string row;
        for (int x = left; x < left + width; ++x)
            row += PixelChar(d.PixelAt(x, y));
        rows.push_back(row);
    }
    return rows;
}

inline int CountPixels(const nc::ImageDevice& d, nc::TColor c)
{
    int n = 0;
    for (int y = 0; y < d.Height(); ++y)
        for (int x = 0; x < d.Width(); ++x)
            n += d.PixelAt(x, y) == c ? 1 : 0;
    return n;
}

// The smallest rectangle holding every pixel of colour c; empty when none.
inline nc::TRect InkBounds(const nc::ImageDevice& d, nc::TColor c)
{
    nc::TRect r{d.Width(), d.Height(), 0, 0};
    for (int y = 0; y < d.Height(); ++y)
        for (int x = 0; x < d.Width(); ++x)
            if (d.PixelAt(x, y) == c) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r.IsEmpty() ? nc::TRect{} : r;
}

} // namespace nc::test
