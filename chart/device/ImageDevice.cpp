// SPDX-License-Identifier: MIT
// The image device's primitives. One file, as one unit: every primitive
// clips first and then writes through the same few private steps (the rows
// beside the held lines, the walk, the area fill, the mask plot); what
// stands alone (fills, pen arithmetic, masks, the picture, held lines, the
// text tables) is in units of its own.
#include "chart/device/ImageDevice.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cstdlib>

#include "chart/device/PenPixels.h"
#include "chart/device/PixelFill.h"

namespace nc {

namespace {

// Rows up to this long are drawn pixel by pixel by LineTo itself.
constexpr int kShortRow = 16;

bool HaveGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// A coordinate summed wide, held to 2^30 either side: far-off positions only
// need to stay far off, not exact, and the room left keeps later sums in int.
int FarOff(long long v)
{
    return static_cast<int>(std::clamp(v, -(1LL << 30), 1LL << 30));
}

// A run of pixels lo .. hi - 1 along a row or column at fixed across it,
// narrowed to the clip's alongLo .. alongHi - 1; false when nothing of it is
// inside the clip, whose other edges are acrossLo .. acrossHi - 1.
bool ClipRun(int fixed, int acrossLo, int acrossHi, int& lo, int& hi, int alongLo, int alongHi)
{
    if (fixed < acrossLo || fixed >= acrossHi)
        return false;
    lo = std::max(lo, alongLo);
    hi = std::min(hi, alongHi);
    return hi > lo;
}

// Bresenham's walk of major pixels from p in colour rgb: a step of
// pixelMajor words per pixel, and one of pixelMinor whenever the error turns
// positive. Kept out of WalkLine, whose many values otherwise push the
// colour out of the registers and into a load per pixel (bench_chart's
// BM_ImageDeviceLongDiagonal); called once per line, not per pixel.
[[gnu::noinline]] void WalkSolid(std::uint32_t* p, long long major, long long minor, int pixelMajor, int pixelMinor,
                                 std::uint32_t rgb)
{
    long long e = 2 * minor - major;
    for (long long i = 0; i < major; ++i) {
        *p = rgb;
        if (e > 0) {
            p += pixelMinor;
            e -= 2 * major;
        }
        e += 2 * minor;
        p += pixelMajor;
    }
}

} // namespace

ImageDevice::ImageDevice(int width, int height, bool monochrome) : DrawDevice(width, height), picture_(width, height)
{
    SetMonochromeFlag(monochrome);
}

TColor ImageDevice::PixelAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return clBlack;
    return FromRgb32(reinterpret_cast<const std::uint32_t*>(ImageDevice::Image()->constScanLine(y))[x]);
}

void ImageDevice::PlotPixel(int x, int y, std::uint32_t rgb, TPenMode mode)
{
    const TRect& c = ClipRect();
    if (x < c.Left || x >= c.Right || y < c.Top || y >= c.Bottom)
        return;
    std::uint32_t* p = BitsBeside(TRect{x, y, x + 1, y + 1}); // sets the stride first
    p += y * Stride() + x;
    *p = mode == pmCopy ? rgb : ApplyMode(*p, rgb, mode);
}

void ImageDevice::StyledPixel(int x, int y, std::uint32_t rgb)
{
    const StylePattern pattern = PatternOf(Pen().Style);
    const int phase = StylePhase();
    if ((pattern.OnBits >> phase) & 1u)
        PlotPixel(x, y, rgb, Pen().Mode);
    SetStylePhase(phase + 1 == pattern.Period ? 0 : phase + 1);
}

void ImageDevice::LineTo(int x, int y)
{
    const TPoint from = CurrentPoint();
    SetCurrentPoint(x, y);
    if (Pen().Style == psClear || (from.X == x && from.Y == y))
        return;
    if (Pen().Width > 1) {
        WideLine(from.X, from.Y, x, y);
        return;
    }
    const bool plain = Pen().Mode == pmCopy && (Pen().Style == psSolid || Pen().Style == psInsideFrame);
    if (plain && from.Y == y) {
        // Horizontal runs are the commonest chart line: one clipped fill.
        if (x > from.X)
            SpanRow(y, from.X, x);
        else
            SpanRow(y, x + 1, from.X + 1);
        return;
    }
    if (plain && from.X == x) {
        // Vertical ones come next: a dense curve's columns are drawn as them.
        if (y > from.Y)
            SpanColumn(x, from.Y, y);
        else
            SpanColumn(x, y + 1, from.Y + 1);
        return;
    }
    if (from.Y == y && x > from.X && x - from.X <= kShortRow && Pen().Mode == pmCopy) {
        ShortStyledRow(from.X, x, y);
        return;
    }
    WalkLine(from.X, from.Y, x, y);
}

// The calls themselves, bound statically: a curve of many short segments
// costs mostly its calls otherwise. Points that go on along the current row
// in one direction are one line to the last of them with a one-pixel pen: its
// pixels are the segments' (each leaves out its end, where the next starts),
// and a pattern's phase runs on from segment to segment as along one line. A
// flat dotted curve thus costs one styled row, not one per pixel column.
void ImageDevice::PolyLineTo(std::span<const TPoint> points)
{
    const bool thin = Pen().Width <= 1;
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TPoint from = CurrentPoint();
        std::size_t last = i;
        if (thin && points[i].Y == from.Y && points[i].X != from.X) {
            const bool right = points[i].X > from.X;
            while (last + 1 < n && points[last + 1].Y == from.Y
                   && (right ? points[last + 1].X > points[last].X : points[last + 1].X < points[last].X)) {
                ++last;
            }
        }
        ImageDevice::LineTo(points[last].X, points[last].Y);
        i = last;
    }
}

// WalkLine's pixels for a short styled line to the right along a row (a
// dotted reference curve draws one per pixel column), without the general
// walk's set-up, whose two divisions cost more than the pixels.
void ImageDevice::ShortStyledRow(int x0, int x1, int y)
{
    const StylePattern pattern = PatternOf(Pen().Style);
    int phase = StylePhase();
    const TRect& c = ClipRect();
    if (y >= c.Top && y < c.Bottom && x0 < c.Right && x1 > c.Left) {
        const std::uint32_t rgb = ToRgb32(DeviceColor(Pen().Color));
        std::uint32_t* row = BitsBeside(TRect{std::max(x0, c.Left), y, std::min(x1, c.Right), y + 1});
        row += y * Stride();
        for (int x = x0; x < x1; ++x) {
            if (x >= c.Left && x < c.Right && ((pattern.OnBits >> phase) & 1u) != 0)
                row[x] = rgb;
            phase = phase + 1 == pattern.Period ? 0 : phase + 1;
        }
    } else {
        phase = (phase + (x1 - x0)) % pattern.Period;
    }
    SetStylePhase(phase);
}

void ImageDevice::SpanRow(int y, int x0, int x1)
{
    const TRect& c = ClipRect();
    if (!ClipRun(y, c.Top, c.Bottom, x0, x1, c.Left, c.Right))
        return;
    std::uint32_t* row = BitsBeside(TRect{x0, y, x1, y + 1}); // sets the stride first
    row += y * Stride();
    FillPixels(row + x0, x1 - x0, ToRgb32(DeviceColor(Pen().Color)));
}

void ImageDevice::SpanColumn(int x, int y0, int y1)
{
    const TRect& c = ClipRect();
    if (!ClipRun(x, c.Left, c.Right, y0, y1, c.Top, c.Bottom))
        return;
    const std::uint32_t rgb = ToRgb32(DeviceColor(Pen().Color));
    if (y1 - y0 >= HeldLines::kMinRows) {
        HoldColumn(HeldLines::ColumnOf(x, y0, y1, rgb, 1u, 1, 0, true));
        return;
    }
    std::uint32_t* p = BitsBeside(TRect{x, y0, x + 1, y1}); // detaches first: the stride is known from then on
    const qsizetype stride = Stride();
    p += y0 * stride + x;
    for (int y = y0; y < y1; ++y, p += stride)
        *p = rgb;
}

void ImageDevice::HoldColumn(const HeldLines::Column& column)
{
    picture_.MarkChanged(); // a whole fill of the old colour must still cover the line
    held_.Hold(column);
    if (held_.Full())
        WriteHeldLinesNow();
}

void ImageDevice::WriteHeldLinesNow() const
{
    // Lines are held only by non-const calls, so this device is not a const
    // object: writing them out from a read is allowed.
    auto& self = const_cast<ImageDevice&>(*this);
    std::uint32_t* bits = self.picture_.Rows();
    held_.WriteInto(bits, picture_.Stride());
}

// Bresenham's walk over every pixel from (x0, y0) to (x1, y1) except the
// last. At an exact half-way point the minor coordinate stays where it was.
void ImageDevice::WalkLine(int x0, int y0, int x1, int y1)
{
    const std::uint32_t rgb = ToRgb32(DeviceColor(Pen().Color));
    const bool plain = Pen().Mode == pmCopy && (Pen().Style == psSolid || Pen().Style == psInsideFrame);
    const long long dx = std::llabs(static_cast<long long>(x1) - x0);
    const long long dy = std::llabs(static_cast<long long>(y1) - y0);
    const int sx = x1 > x0 ? 1 : -1;
    const int sy = y1 > y0 ? 1 : -1;
    const TRect& c = ClipRect();
    const bool inside = std::min(x0, x1) >= c.Left && std::max(x0, x1) < c.Right && std::min(y0, y1) >= c.Top
        && std::max(y0, y1) < c.Bottom;
    if (plain && inside && dx == 0) {
        // A rectangle's side: the column rule, which holds long ones.
        if (y1 > y0)
            SpanColumn(x0, y0, y1);
        else
            SpanColumn(x0, y1 + 1, y0 + 1);
        return;
    }
    LineSteps s;
    s.xMajor = dx >= dy;
    s.major = s.xMajor ? dx : dy;
    s.minor = s.xMajor ? dy : dx;
    s.rgb = rgb;
    if (plain && inside) {
        // Unclipped solid copy: write straight into the rows.
        std::uint32_t* p
            = BitsBeside(TRect{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1});
        const int stride = static_cast<int>(Stride());
        p += y0 * stride + x0;
        WalkSolid(p, s.major, s.minor, s.xMajor ? sx : sy * stride, s.xMajor ? sy * stride : sx, rgb);
        return;
    }
    // Clipped, styled or mixed: walk only the steps whose major coordinate lies
    // inside the clip, so that a far-away end point costs no more than the
    // clip is wide. The minor coordinate and the error at the first step come
    // from the closed form of the walk; the style phase skips ahead likewise.
    if (s.major == 0)
        return;
    s.major0 = s.xMajor ? x0 : y0;
    s.minor0 = s.xMajor ? y0 : x0;
    s.stepMajor = s.xMajor ? sx : sy;
    s.stepMinor = s.xMajor ? sy : sx;
    const long long clipLo = s.xMajor ? c.Left : c.Top;
    const long long clipHi = (s.xMajor ? c.Right : c.Bottom) - 1;
    s.first = std::max(s.stepMajor > 0 ? clipLo - s.major0 : s.major0 - clipHi, 0LL);
    s.last = std::min(s.stepMajor > 0 ? clipHi - s.major0 : s.major0 - clipLo, s.major - 1);
    s.pattern = PatternOf(Pen().Style);
    s.startPhase = StylePhase();
    SetStylePhase(static_cast<int>((s.startPhase + s.major) % s.pattern.Period));
    if (s.first > s.last)
        return;
    if (s.minor == 0)
        WalkStraight(s);
    else
        WalkSlanted(s);
}

// Straight across or down (grid lines, ticks, axis lines): one row or
// column, tested against the clip once.
void ImageDevice::WalkStraight(const LineSteps& s)
{
    const TRect& c = ClipRect();
    const long long fixed = s.minor0;
    if (fixed < (s.xMajor ? c.Top : c.Left) || fixed >= (s.xMajor ? c.Bottom : c.Right))
        return;
    const long long lo = s.stepMajor > 0 ? s.major0 + s.first : s.major0 - s.last; // the line's pixels: lo .. hi
    const long long hi = s.stepMajor > 0 ? s.major0 + s.last : s.major0 - s.first;
    const TPenMode lineMode = Pen().Mode;
    const StylePattern& pattern = s.pattern;
    if (!s.xMajor && lineMode == pmCopy && hi - lo + 1 >= HeldLines::kMinRows) {
        // Phase at the top row: a line walked upwards meets it last.
        const int topPhase = static_cast<int>((s.startPhase + (s.stepMajor > 0 ? s.first : s.last)) % pattern.Period);
        HoldColumn(HeldLines::ColumnOf(static_cast<int>(fixed), static_cast<int>(lo), static_cast<int>(hi + 1), s.rgb,
                                       pattern.OnBits, pattern.Period, topPhase, s.stepMajor > 0));
        return;
    }
    std::uint32_t* bits = BitsBeside(s.xMajor ? TRect{static_cast<int>(lo), static_cast<int>(fixed),
                                                      static_cast<int>(hi + 1), static_cast<int>(fixed + 1)}
                                              : TRect{static_cast<int>(fixed), static_cast<int>(lo),
                                                      static_cast<int>(fixed + 1), static_cast<int>(hi + 1)});
    const qsizetype stride = Stride();
    const qsizetype step = s.xMajor ? s.stepMajor : s.stepMajor * stride;
    std::uint32_t* p = s.xMajor ? bits + fixed * stride + (s.major0 + s.stepMajor * s.first)
                                : bits + (s.major0 + s.stepMajor * s.first) * stride + fixed;
    int phase = static_cast<int>((s.startPhase + s.first) % pattern.Period);
    if (s.xMajor && lineMode == pmCopy && s.last - s.first + 1 >= kPatternBlock) {
        const long long n = s.last - s.first + 1;
        // Leftmost pixel first; a line walked leftwards meets the pattern
        // backwards, starting from its last pixel's phase at the left.
        std::uint32_t* row = s.stepMajor > 0 ? p : p - (n - 1);
        const int leftPhase = s.stepMajor > 0 ? phase : static_cast<int>((phase + n - 1) % pattern.Period);
        PatternRow(row, n, pattern, leftPhase, s.stepMajor > 0, s.rgb);
        return;
    }
    for (long long i = s.first; i <= s.last; ++i, p += step) {
        if ((pattern.OnBits >> phase) & 1u)
            *p = lineMode == pmCopy ? s.rgb : ApplyMode(*p, s.rgb, lineMode);
        phase = phase + 1 == pattern.Period ? 0 : phase + 1;
    }
}

// Any other slope, from the first step inside the clip: the major
// coordinate stays inside the clip over first..last, so only the minor one
// is tested, and pixels are written straight into the rows.
void ImageDevice::WalkSlanted(const LineSteps& s)
{
    const TRect& c = ClipRect();
    // Minor offset before step i: floor((2 * minor * i + major - 1) / (2 * major)).
    long long k = (2 * s.minor * s.first + s.major - 1) / (2 * s.major);
    long long e = 2 * s.minor - s.major + 2 * s.minor * s.first - 2 * s.major * k;
    int phase = static_cast<int>((s.startPhase + s.first) % s.pattern.Period);
    const TPenMode mode = Pen().Mode;
    const long long minorLo = s.xMajor ? c.Top : c.Left;
    const long long minorHi = (s.xMajor ? c.Bottom : c.Right) - 1;
    std::uint32_t* bits = BitsBeside(c);
    const qsizetype stride = Stride();
    for (long long i = s.first; i <= s.last; ++i) {
        const long long a = s.major0 + s.stepMajor * i;
        const long long b = s.minor0 + s.stepMinor * k;
        if (((s.pattern.OnBits >> phase) & 1u) && b >= minorLo && b <= minorHi) {
            std::uint32_t* p = s.xMajor ? bits + b * stride + a : bits + a * stride + b;
            *p = mode == pmCopy ? s.rgb : ApplyMode(*p, s.rgb, mode);
        }
        phase = phase + 1 == s.pattern.Period ? 0 : phase + 1;
        if (e > 0) {
            ++k;
            e -= 2 * s.major;
        }
        e += 2 * s.minor;
    }
}

// As PlotPixel for every set pixel of the mask, with the image's rows and the
// clip read once rather than per pixel.
void ImageDevice::PlotMask(const CoverageMask& mask, std::uint32_t rgb, TPenMode mode)
{
    const int width = mask.Image.width();
    const int height = mask.Image.height();
    const TRect& c = ClipRect();
    std::uint32_t* bits = BitsBeside(TRect{mask.Left, mask.Top, mask.Left + width, mask.Top + height});
    const qsizetype stride = Stride();
    for (int y = 0; y < height; ++y) {
        const int dy = mask.Top + y;
        if (dy < c.Top || dy >= c.Bottom)
            continue;
        const auto* m = reinterpret_cast<const std::uint32_t*>(mask.Image.constScanLine(y));
        std::uint32_t* row = bits + dy * stride;
        for (int x = 0; x < width; ++x) {
            if (m[x] == 0)
                continue;
            const int dx = mask.Left + x;
            if (dx < c.Left || dx >= c.Right)
                continue;
            row[dx] = mode == pmCopy ? rgb : ApplyMode(row[dx], rgb, mode);
        }
    }
}

// Paints a figure's outline white with pen on a mask aimed at device
// coordinates over the part of bounds inside the clip, then writes the
// device pen's colour in its mode wherever the mask is set.
template <class Paint> void ImageDevice::PlotPainted(const TRect& bounds, const QPen& pen, Paint paint)
{
    CoverageMask mask = ClearMaskWithin(bounds, ClipRect());
    if (mask.Image.isNull())
        return;
    {
        QPainter painter(&mask.Image);
        AimPainter(painter, mask);
        painter.setPen(pen);
        paint(painter);
    }
    PlotMask(mask, ToRgb32(DeviceColor(Pen().Color)), Pen().Mode);
}

void ImageDevice::WideLine(int x0, int y0, int x1, int y1)
{
    const int w = Pen().Width;
    const TRect bounds{FarOff(std::min(x0, x1) - 1LL * w), FarOff(std::min(y0, y1) - 1LL * w),
                       FarOff(std::max(x0, x1) + 1LL + w), FarOff(std::max(y0, y1) + 1LL + w)};
    PlotPainted(bounds, QPen(QColor(255, 255, 255), w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin),
                [&](QPainter& painter) { painter.drawLine(QPoint(x0, y0), QPoint(x1, y1)); });
}

void ImageDevice::FillArea(const TRect& r, bool withPenMode)
{
    const DeviceBrush& brush = Brush();
    if (brush.Style == bsClear)
        return;
    TRect area;
    if (!IntersectRect(area, r, ClipRect()))
        return;
    const TPenMode mode = withPenMode ? Pen().Mode : pmCopy;
    const std::uint32_t fg = ToRgb32(DeviceColor(brush.Color));
    const std::uint32_t bg = ToRgb32(DeviceColor(GetBkColor()));
    const bool opaque = GetBkMode() == OPAQUE;
    const bool plainFill = brush.Pattern.isNull() && brush.Style == bsSolid && mode == pmCopy;
    if (plainFill && picture_.IsUniform(fg))
        return; // already that colour
    if (plainFill && area == Bounds()) {
        held_.Clear(); // covered whole
        picture_.ReadyForWholeFill();
        std::uint32_t* bits = picture_.Rows();
        const qsizetype stride = Stride();
        if (stride == area.Right) {
            FillPixels(bits, stride * area.Bottom, fg); // rows without padding: one fill
        } else {
            for (int y = 0; y < area.Bottom; ++y)
                FillPixels(bits + y * stride, area.Right, fg);
        }
        picture_.MarkUniform(fg);
        return;
    }
    if (!brush.Pattern.isNull()) {
        const QImage pattern = brush.Pattern.convertToFormat(QImage::Format_RGB32);
        for (int y = area.Top; y < area.Bottom; ++y) {
            const auto* prow = reinterpret_cast<const std::uint32_t*>(pattern.constScanLine(y % pattern.height()));
            for (int x = area.Left; x < area.Right; ++x) {
                PlotPixel(x, y, ToRgb32(DeviceColor(FromRgb32(prow[x % pattern.width()]))), mode);
            }
        }
        return;
    }
    std::uint32_t* bits = BitsBeside(area);
    for (int y = area.Top; y < area.Bottom; ++y) {
        std::uint32_t* row = bits + y * Stride();
        if (brush.Style == bsSolid && mode == pmCopy) {
            FillPixels(row + area.Left, area.Right - area.Left, fg);
            continue;
        }
        for (int x = area.Left; x < area.Right; ++x) {
            if (brush.Style == bsSolid || HatchAt(brush.Style, x, y)) {
                row[x] = mode == pmCopy ? fg : ApplyMode(row[x], fg, mode);
            } else if (opaque) {
                row[x] = mode == pmCopy ? bg : ApplyMode(row[x], bg, mode);
            }
        }
    }
}

void ImageDevice::FillMaskWithBrush(const CoverageMask& mask, bool withPenMode)
{
    ForEachRun(mask.Image, [&](int y, int x0, int x1) {
        FillArea(TRect{mask.Left + x0, mask.Top + y, mask.Left + x1, mask.Top + y + 1}, withPenMode);
    });
}

namespace {

// Rectangle and Ellipse take their corners in any order; a box of no width or
// no height covers nothing.
bool SortCorners(int& x0, int& y0, int& x1, int& y1)
{
    if (x1 < x0)
        std::swap(x0, x1);
    if (y1 < y0)
        std::swap(y0, y1);
    return x1 != x0 && y1 != y0;
}

} // namespace

void ImageDevice::Rectangle(int x0, int y0, int x1, int y1)
{
    if (!SortCorners(x0, y0, x1, y1))
        return;
    const DevicePen& pen = Pen();
    if (pen.Style == psClear) {
        FillArea(TRect{x0, y0, x1, y1}, true);
        return;
    }
    if (pen.Width > 1) {
        FillArea(TRect{x0, y0, x1, y1}, true);
        const TRect bounds{FarOff(x0 - 1LL * pen.Width), FarOff(y0 - 1LL * pen.Width), FarOff(x1 + 1LL * pen.Width),
                           FarOff(y1 + 1LL * pen.Width)};
        PlotPainted(bounds, QPen(QColor(255, 255, 255), pen.Width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin),
                    [&](QPainter& painter) { painter.drawRect(QRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1)); });
        return;
    }
    const std::uint32_t rgb = ToRgb32(DeviceColor(pen.Color));
    const long long width = 1LL * x1 - x0;
    const long long height = 1LL * y1 - y0;
    if (width > 2 && height > 2)
        FillArea(TRect{x0 + 1, y0 + 1, x1 - 1, y1 - 1}, true);
    const TPoint saved = CurrentPoint();
    SetStylePhase(0);
    if (width == 1 || height == 1) {
        // One pixel thick: a single run, so that no pixel is written twice.
        // Only its part inside the clip is walked; the pattern's phase skips
        // the pixels before it.
        const TRect& c = ClipRect();
        const bool column = width == 1;
        const long long from = column ? y0 : x0;
        const long long first = std::max<long long>(from, column ? c.Top : c.Left);
        const long long end = std::min<long long>(column ? y1 : x1, column ? c.Bottom : c.Right);
        SetStylePhase(static_cast<int>((first - from) % PatternOf(pen.Style).Period));
        for (long long i = first; i < end; ++i) {
            if (column)
                StyledPixel(x0, static_cast<int>(i), rgb);
            else
                StyledPixel(static_cast<int>(i), y0, rgb);
        }
    } else {
        WalkLine(x0, y0, x1 - 1, y0);
        WalkLine(x1 - 1, y0, x1 - 1, y1 - 1);
        WalkLine(x1 - 1, y1 - 1, x0, y1 - 1);
        WalkLine(x0, y1 - 1, x0, y0);
    }
    SetCurrentPoint(saved.X, saved.Y);
    SetStylePhase(0);
}

void ImageDevice::FillRect(const TRect& r)
{
    FillArea(r, false);
}

// Masks for the interior and the outline; the interior loses what the
// outline covers, so that each pixel is written once.
template <class Inside, class Outline>
void ImageDevice::DrawFigure(const TRect& bounds, Inside paintInside, Outline paintOutline)
{
    CoverageMask outline = ClearMaskWithin(bounds, ClipRect());
    CoverageMask inside = ClearMaskWithin(bounds, ClipRect());
    if (inside.Image.isNull())
        return;
    {
        QPainter painter(&inside.Image);
        AimPainter(painter, inside);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255));
        paintInside(painter);
    }
    if (Pen().Style != psClear) {
        QPainter painter(&outline.Image);
        AimPainter(painter, outline);
        painter.setPen(QPen(QColor(255, 255, 255), std::max(1, Pen().Width)));
        painter.setBrush(Qt::NoBrush);
        paintOutline(painter);
        QPainter clear(&inside.Image);
        clear.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        clear.drawImage(0, 0, outline.Image);
    }
    FillMaskWithBrush(inside, true);
    PlotMask(outline, ToRgb32(DeviceColor(Pen().Color)), Pen().Mode);
}

void ImageDevice::Ellipse(int x0, int y0, int x1, int y1)
{
    if (!SortCorners(x0, y0, x1, y1))
        return;
    const int w = std::max(1, Pen().Width);
    DrawFigure(
        TRect{x0 - w, y0 - w, x1 + w, y1 + w},
        [&](QPainter& painter) { painter.drawEllipse(QRect(x0, y0, x1 - x0, y1 - y0)); },
        [&](QPainter& painter) { painter.drawEllipse(QRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1)); });
}

void ImageDevice::Polygon(std::span<const TPoint> points)
{
    if (points.size() < 2)
        return;
    QPolygon polygon;
    for (const TPoint& p : points)
        polygon << QPoint(p.X, p.Y);
    const int w = std::max(1, Pen().Width);
    const QRect box = polygon.boundingRect();
    DrawFigure(
        TRect{box.left() - w, box.top() - w, box.right() + 1 + w, box.bottom() + 1 + w},
        [&](QPainter& painter) { painter.drawPolygon(polygon, Qt::OddEvenFill); },
        [&](QPainter& painter) { painter.drawPolygon(polygon); });
}

void ImageDevice::SetPixel(int x, int y, TColor color)
{
    PlotPixel(x, y, ToRgb32(DeviceColor(color)), pmCopy);
}

void ImageDevice::SelectFont(const DeviceFont& font)
{
    texts_.Select(font);
    DrawDevice::SelectFont(font);
}

TSize ImageDevice::TextExtent(const std::string& text) const
{
    if (!HaveGuiApplication())
        return {};
    FontTexts& texts = texts_.Current(Font());
    return TSize{texts.Measured(text).Advance, texts.Cell()};
}

void ImageDevice::PlotRuns(const TextRuns& runs, int x, int y, std::uint32_t rgb)
{
    if (runs.Runs.empty())
        return;
    const TRect& c = ClipRect();
    const TRect touched{FarOff(1LL * x + runs.Box.Left), FarOff(1LL * y + runs.Box.Top),
                        FarOff(1LL * x + runs.Box.Right), FarOff(1LL * y + runs.Box.Bottom)};
    std::uint32_t* bits = BitsBeside(touched); // an axis label beside held grid lines leaves them held
    const qsizetype stride = Stride();
    if (touched.Left >= c.Left && touched.Right <= c.Right && touched.Top >= c.Top && touched.Bottom <= c.Bottom) {
        // Wholly inside the clip (the usual case): no run needs a test.
        for (const TextRun& run : runs.Runs) {
            std::uint32_t* p = bits + static_cast<qsizetype>(y + run.Dy) * stride + (x + run.Dx0);
            const int n = run.Dx1 - run.Dx0;
            if (n >= 8) {
                FillPixels(p, n, rgb);
                continue;
            }
            for (int i = 0; i < n; ++i)
                p[i] = rgb;
        }
        return;
    }
    for (const TextRun& run : runs.Runs) {
        const long long row = static_cast<long long>(y) + run.Dy;
        if (row < c.Top || row >= c.Bottom)
            continue;
        const long long x0 = std::max<long long>(static_cast<long long>(x) + run.Dx0, c.Left);
        const long long x1 = std::min<long long>(static_cast<long long>(x) + run.Dx1, c.Right);
        if (x1 > x0)
            FillPixels(bits + row * stride + x0, x1 - x0, rgb);
    }
}

void ImageDevice::TextOut(int x, int y, const std::string& text)
{
    if (!HaveGuiApplication() || text.empty())
        return;
    FontTexts& texts = texts_.Current(Font());
    FontTexts::Text& entry = texts.Measured(text);
    const int advance = entry.Advance;
    const int cell = texts.Cell();
    const unsigned align = GetTextAlign();
    int ox = 0;
    if ((align & TA_CENTER) == TA_CENTER)
        ox = -advance / 2;
    else if ((align & TA_RIGHT) == TA_RIGHT)
        ox = -advance;
    int oy = 0;
    if ((align & TA_BASELINE) == TA_BASELINE)
        oy = -texts.Ascent();
    else if ((align & TA_BOTTOM) == TA_BOTTOM)
        oy = -cell;

    const int escapement = Font().Escapement;
    const double angle = -escapement / 10.0;
    if (!texts.Keeps(angle, advance)) {
        // Rendered afresh at its position, through only the part the clip
        // shows: the same pixels.
        TextOutAfresh(x, y, texts, QString::fromStdString(text), ox, oy, advance);
        return;
    }
    const RenderedText* runs = entry.Find(escapement, ox, oy);
    if (runs == nullptr) {
        // Not rendered while the clip hides all of it, as an axis's labels far
        // off the picture: none of its pixels would show. It is rendered when
        // it first reaches the picture.
        QTransform place;
        place.rotate(angle);
        const QRect area = texts.KeptArea(place, ox, oy, advance);
        const TRect at{FarOff(1LL * x + area.left()), FarOff(1LL * y + area.top()),
                       FarOff(1LL * x + area.left() + area.width()), FarOff(1LL * y + area.top() + area.height())};
        TRect shown;
        if (!IntersectRect(shown, at, ClipRect()))
            return;
        runs
            = &entry.Keep(escapement, ox, oy, texts.Render(QString::fromStdString(text), place, area, ox, oy, advance));
    }
    if (GetBkMode() == OPAQUE)
        PlotRuns(runs->Background, x, y, ToRgb32(DeviceColor(GetBkColor())));
    PlotRuns(runs->Glyphs, x, y, ToRgb32(DeviceColor(Font().Color)));
}

void ImageDevice::TextOutAfresh(int x, int y, const FontTexts& texts, const QString& text, int ox, int oy, int advance)
{
    const int cell = texts.Cell();
    QTransform place;
    place.translate(x, y);
    place.rotate(-Font().Escapement / 10.0);
    // The turned cell, widened by a cell height for overhanging glyphs.
    const QRect box = place.mapRect(QRectF(ox, oy, advance, cell)).toAlignedRect();
    const TRect bounds{FarOff(box.left() - 1LL * cell), FarOff(box.top() - 1LL * cell),
                       FarOff(box.right() + 1LL + cell), FarOff(box.bottom() + 1LL + cell)};
    if (GetBkMode() == OPAQUE) {
        CoverageMask background = ClearMaskWithin(bounds, ClipRect());
        if (background.Image.isNull())
            return;
        texts.PaintCell(background, place, ox, oy, advance);
        PlotMask(background, ToRgb32(DeviceColor(GetBkColor())), pmCopy);
    }
    CoverageMask glyphs = ClearMaskWithin(bounds, ClipRect());
    if (glyphs.Image.isNull())
        return;
    texts.PaintGlyphs(glyphs, place, text, ox, oy);
    PlotMask(glyphs, ToRgb32(DeviceColor(Font().Color)), pmCopy);
}

void ImageDevice::CopyFrom(const DrawDevice& source, int x, int y)
{
    const QImage* src = source.Image();
    if (src == nullptr)
        return;
    const auto* from = dynamic_cast<const ImageDevice*>(&source);
    if (from != nullptr && from != this && x == 0 && y == 0 && ClipRect() == Bounds()
        && src->size() == picture_.Image().size() && src->format() == QImage::Format_RGB32) {
        held_.Clear(); // the whole picture is replaced
        picture_.ShareFrom(from->picture_);
        return;
    }
    TRect area;
    if (!IntersectRect(area, TRect{x, y, x + src->width(), y + src->height()}, ClipRect()))
        return;
    const QImage converted = src->format() == QImage::Format_RGB32 ? *src : src->convertToFormat(QImage::Format_RGB32);
    std::uint32_t* bits = BitsBeside(area);
    const qsizetype stride = Stride();
    for (int row = area.Top; row < area.Bottom; ++row) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(converted.constScanLine(row - y)) + (area.Left - x);
        std::copy(from, from + area.Width(), bits + row * stride + area.Left);
    }
}

void ImageDevice::DrawImage(const TRect& dest, const QImage& image)
{
    if (image.isNull() || dest.IsEmpty())
        return;
    const TRect& c = ClipRect();
    // The painter detaches the image as it needs.
    QPainter painter(&MutableImage());
    painter.setClipRect(QRect(c.Left, c.Top, c.Width(), c.Height()));
    painter.drawImage(QRect(dest.Left, dest.Top, dest.Width(), dest.Height()), image);
}

} // namespace nc
