// SPDX-License-Identifier: MIT
#pragma once

// The values a drawing device is set with: pen, brush and font, the
// background modes and the text-alignment flags. Plain values, compared
// whole; the device's helpers take them without the device itself.

#include <QImage>

#include <string>

#include "chart/ChartTypes.h"

namespace nc {

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

// Device background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Device text-alignment flags.
inline constexpr unsigned TA_LEFT = 0;
inline constexpr unsigned TA_UPDATECP = 1;
inline constexpr unsigned TA_RIGHT = 2;
inline constexpr unsigned TA_CENTER = 6;
inline constexpr unsigned TA_TOP = 0;
inline constexpr unsigned TA_BOTTOM = 8;
inline constexpr unsigned TA_BASELINE = 24;

// What the device draws with. Colours here are plain RGB (no system colours).
struct DevicePen {
    TColor Color = clBlack;
    TPenStyle Style = psSolid;
    int Width = 1;
    TPenMode Mode = pmCopy;
    friend bool operator==(const DevicePen&, const DevicePen&) = default;
};

struct DeviceBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    QImage Pattern; // tiled instead of the colour when not null
    friend bool operator==(const DeviceBrush& a, const DeviceBrush& b)
    {
        return a.Color == b.Color && a.Style == b.Style && a.Pattern == b.Pattern;
    }
};

// A logical font: negative Height is the character height in pixels,
// positive Height the cell height.
struct DeviceFont {
    std::string Name = "Arial";
    int Height = -11;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Escapement = 0; // tenths of a degree, counter-clockwise
    TColor Color = clBlack;
    friend bool operator==(const DeviceFont&, const DeviceFont&) = default;
};

} // namespace nc
