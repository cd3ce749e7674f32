// SPDX-License-Identifier: MIT
#pragma once

// Small value types shared by every unit of the chart engine: the setters'
// store-and-notify rule, colours, integer rectangles and points, the
// multiply-divide helper and the chart's error class.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace nc {

// Stores value in field and answers whether that changed it: the compare and
// assign of every setter of the chart, so that the setter notifies only then.
template <class T> constexpr bool StoreChanged(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

// The rule of every chart object's setters: store the new value and repaint
// the chart only when the value changed. An object derives from this and says
// how it repaints.
class TRepaintsOnChange {
protected:
    TRepaintsOnChange() = default;
    virtual ~TRepaintsOnChange() = default;
    virtual void RepaintOnChange() = 0;

    // Answers whether the value changed (and so the chart was repainted).
    template <class T> bool Store(T& field, const T& value) { return RepaintIf(StoreChanged(field, value)); }
    // For a setter that stores several fields at once: one repaint when any
    // of them changed.
    bool RepaintIf(bool changed)
    {
        if (changed)
            RepaintOnChange();
        return changed;
    }
};

// The same rule for the drawing objects (pens, brushes, fonts), which know no
// chart: a change is told to whoever listens on OnChange (the object that
// owns them repaints its chart; a canvas selects them again).
// They are not copied: an owner listens to its own objects only.
class TNotifiesOnChange : protected TRepaintsOnChange {
public:
    TNotifiesOnChange() = default;
    TNotifiesOnChange(const TNotifiesOnChange&) = delete;
    TNotifiesOnChange& operator=(const TNotifiesOnChange&) = delete;

    std::function<void()> OnChange;

protected:
    void RepaintOnChange() override
    {
        if (OnChange)
            OnChange();
    }
};

// A colour as the chart stores it: 0x00BBGGRR for a plain RGB colour; a set
// high bit marks a system colour whose low byte is its index.
using TColor = std::uint32_t;

inline constexpr TColor UnsetColor = 0x80000000u; // no colour of its own
inline constexpr TColor clDefault = 0x20000000u;  // stored by AddPoint as UnsetColor
inline constexpr TColor clNone = 0x1FFFFFFFu;     // nothing is filled
inline constexpr TColor clBlack = 0x000000u;
inline constexpr TColor clWhite = 0xFFFFFFu;
inline constexpr TColor clRed = 0x0000FFu;
inline constexpr TColor clBlue = 0xFF0000u;
inline constexpr TColor clGray = 0x808080u;

// System colours (high bit and index).
inline constexpr TColor clScrollBar = 0x80000000u;
inline constexpr TColor clWindow = 0x80000005u;
inline constexpr TColor clWindowText = 0x80000008u;
inline constexpr TColor clBtnFace = 0x8000000Fu;
inline constexpr TColor clBtnShadow = 0x80000010u;
inline constexpr TColor clBtnText = 0x80000012u;
inline constexpr TColor clBtnHighlight = 0x80000014u;

// Converts a system colour to its RGB value from a fixed table, so that the
// pictures the chart draws do not depend on the desktop theme; plain colours
// pass through with the unused top byte cleared.
TColor ColorToRGB(TColor color);

inline constexpr std::uint8_t RedOf(TColor c)
{
    return static_cast<std::uint8_t>(c & 0xFF);
}
inline constexpr std::uint8_t GreenOf(TColor c)
{
    return static_cast<std::uint8_t>((c >> 8) & 0xFF);
}
inline constexpr std::uint8_t BlueOf(TColor c)
{
    return static_cast<std::uint8_t>((c >> 16) & 0xFF);
}
inline constexpr TColor RGBColor(int r, int g, int b)
{
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// A rectangle of device pixels. Right and Bottom are exclusive wherever a
// rectangle describes an area of pixels.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

struct TPoint {
    int X = 0;
    int Y = 0;
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int Width = 0;
    int Height = 0;
    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

// The intersection of a and b; false (and r unchanged) when they share no pixel.
bool IntersectRect(TRect& r, const TRect& a, const TRect& b);
// Moves every edge outward by dx and dy (inward when negative).
void InflateRect(TRect& r, int dx, int dy);
bool PtInRect(const TRect& r, const TPoint& p);

// a * b / c with a 64-bit intermediate, rounded to the nearest integer with
// halves away from zero; -1 when c is 0, as the platform's MulDiv answers.
int MulDiv(int a, int b, int c);

// A sum of pixel lengths taken in long long, held to int's range: lengths and
// sizes are whatever int their setters took, and a length past the picture
// should draw past it rather than wrap round into it.
int Saturated(long long v);

// Round to nearest, ties to even (the processor's default rounding), held to
// int's range.
int RoundEven(double v);

// A failed chart property check. The message is shown to the user unchanged.
class ChartException : public std::runtime_error {
public:
    explicit ChartException(const std::string& message) : std::runtime_error(message) {}
};

// The chart's sixteen-colour palette: default series colours and, indexed by
// a point index modulo 16, default point colours.
inline constexpr TColor ChartPalette[16] = {
    0x0000FF, 0x008000, 0x00FFFF, 0xFF0000, 0xFFFFFF, 0x808080, 0xFF00FF, 0x808000,
    0x800000, 0x000080, 0x00FF00, 0x008080, 0x800080, 0xC0C0C0, 0xFFFF00, 0x000000,
};

TColor GetDefaultColor(int index);

} // namespace nc
