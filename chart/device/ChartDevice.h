// SPDX-License-Identifier: MIT
#pragma once

// The drawing device under the chart canvas: a small interface, DrawDevice,
// with two implementations, ImageDevice (pixels in a QImage) and
// RecordingDevice (a transcript of calls, for tests). The values a device is
// set with are in DeviceTools.h. The image device's parts that stand alone
// are units of their own: PixelFill (runs of one colour), PenPixels (pen
// modes, dash and hatch patterns), CoverageMask (figures Qt rasterises),
// PictureBuffer (the picture, shared with copies), HeldLines (vertical lines
// written a band of rows at a time) and DeviceTextCache (texts measured and
// rendered per font).
//
// Pixel rules. Pixel (x, y) is the unit square whose top-left corner is
// (x, y). Every write is clipped to the clip rectangle, which is always inside
// the device; drawing outside it is silently dropped, never an error.
//
//  - LineTo (x, y): the pixels of a Bresenham walk from the current point to
//    (x, y), without (x, y) itself; (x, y) becomes the current point, so a
//    chain of LineTo calls draws every pixel of a polyline once. A LineTo to
//    the current point draws nothing. A dotted or dashed pen keeps its phase
//    from one LineTo to the next; MoveTo and a new pen restart it. Patterns
//    (pixels on, off): psDot 3,3; psDash 18,6; psDashDot 9,6,3,6;
//    psDashDotDot 9,3,3,3,3,3. A pen wider than one pixel is always solid and
//    covers a round-capped band centred on the segment (its end included).
//  - Rectangle (x0, y0, x1, y1): corners are sorted first. With a one-pixel
//    pen the outline covers columns x0 and x1 - 1 and rows y0 and y1 - 1; the
//    interior inside it takes the brush. With a clear pen the brush fills
//    x0..x1-1 by y0..y1-1. Column x1 and row y1 lie outside. Each pixel is
//    written once, so a not-xor rectangle drawn twice leaves no trace.
//  - FillRect (r): the brush over Left..Right-1 by Top..Bottom-1, without the
//    pen mode. A clear brush fills nothing.
//  - Ellipse (x0, y0, x1, y1): the ellipse inscribed in the same pixels that
//    Rectangle would cover, outline with the pen and interior with the brush.
//  - Polygon (points): closed outline with the pen, interior (alternate fill)
//    with the brush.
//  - TextOut (x, y, text): the text cell is the advance width of the text by
//    the font's height (ascent + descent). The alignment flags place (x, y) on
//    the cell: TA_LEFT (0) / TA_RIGHT (2) / TA_CENTER (6) horizontally and
//    TA_TOP (0) / TA_BOTTOM (8) / TA_BASELINE (24) vertically. A font with an
//    escapement turns the cell counter-clockwise about (x, y) by escapement /
//    10 degrees. In opaque background mode the whole cell is first filled with
//    the background colour. Glyphs are drawn without anti-aliasing, in the
//    font's colour, ignoring the pen mode. TA_UPDATECP is not honoured: text
//    always goes to (x, y) and leaves the current point alone.
//  - Pen modes apply per pixel to lines, outlines and figure interiors:
//    pmCopy writes the pen colour, pmNotXor writes ~(dst ^ pen), and so on.
//  - A hatched brush draws its 8 x 8 pattern (aligned to the device origin)
//    in the brush colour and, in opaque mode, the gaps in the background
//    colour.
// The chart's markers, drawn with these primitives, state their own pixels
// in chart/ChartDecorations.h.

#include <QImage>

#include <span>
#include <string>

#include "chart/ChartTypes.h"
#include "chart/device/DeviceTools.h"

namespace nc {

class DrawDevice {
public:
    DrawDevice(int width, int height);
    virtual ~DrawDevice() = default;
    DrawDevice(const DrawDevice&) = delete;
    DrawDevice& operator=(const DrawDevice&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Monochrome() const { return monochrome_; }
    // The picture, for devices that have one; null otherwise.
    virtual const QImage* Image() const { return nullptr; }

    virtual void SelectPen(const DevicePen& pen);
    virtual void SelectBrush(const DeviceBrush& brush);
    virtual void SelectFont(const DeviceFont& font);
    const DevicePen& Pen() const { return pen_; }
    const DeviceBrush& Brush() const { return brush_; }
    const DeviceFont& Font() const { return font_; }

    // The background (TRANSPARENT or OPAQUE, and its colour) is what an
    // opaque text cell and the gaps of a hatched brush take.
    virtual void SetBkMode(int mode);
    int GetBkMode() const { return bkMode_; }
    virtual void SetBkColor(TColor color);
    TColor GetBkColor() const { return bkColor_; }
    // Where TextOut's point lies on the text cell (TA_* flags).
    virtual void SetTextAlign(unsigned flags);
    unsigned GetTextAlign() const { return textAlign_; }

    // The clip rectangle is intersected with the device; an inverted or
    // disjoint rectangle leaves nothing drawable.
    virtual void SetClipRect(const TRect& r);
    const TRect& ClipRect() const { return clip_; }
    TRect Bounds() const { return TRect{0, 0, width_, height_}; }

    virtual void MoveTo(int x, int y);
    TPoint CurrentPoint() const { return current_; }
    // LineTo to each point in turn (so a recording shows those calls); a
    // device may draw the same pixels in one go.
    virtual void PolyLineTo(std::span<const TPoint> points);
    // The drawing primitives (rules at the top of this file). TextExtent
    // answers the advance width and cell height of text in the current font,
    // {0, 0} when the device cannot measure; CopyFrom is a plain block copy of
    // another device's picture with its top-left at (x, y); DrawImage draws an
    // image stretched over dest (plain copy, clipped).
    virtual void LineTo(int x, int y) = 0;
    virtual void Rectangle(int x0, int y0, int x1, int y1) = 0;
    virtual void FillRect(const TRect& r) = 0;
    virtual void Ellipse(int x0, int y0, int x1, int y1) = 0;
    virtual void Polygon(std::span<const TPoint> points) = 0;
    virtual void SetPixel(int x, int y, TColor color) = 0;
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual TSize TextExtent(const std::string& text) const = 0;
    virtual void CopyFrom(const DrawDevice& source, int x, int y) = 0;
    virtual void DrawImage(const TRect& dest, const QImage& image) = 0;

protected:
    void SetMonochromeFlag(bool on) { monochrome_ = on; }
    // The colour the device really writes: black or white on a monochrome device.
    TColor DeviceColor(TColor c) const;
    int StylePhase() const { return stylePhase_; }
    void SetStylePhase(int phase) { stylePhase_ = phase; }
    void SetCurrentPoint(int x, int y) { current_ = TPoint{x, y}; }

private:
    int width_;
    int height_;
    bool monochrome_ = false;
    DevicePen pen_;
    DeviceBrush brush_;
    DeviceFont font_;
    int bkMode_ = OPAQUE;
    TColor bkColor_ = clWhite;
    unsigned textAlign_ = TA_LEFT | TA_TOP;
    TRect clip_;
    TPoint current_;
    int stylePhase_ = 0;
};

} // namespace nc
