// SPDX-License-Identifier: MIT
#pragma once

// The drawing device under the chart canvas: a small interface with two
// implementations, ImageDevice (pixels in a QImage) and RecordingDevice (a
// transcript of calls, for tests).
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

#include <QFont>
#include <QImage>

#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "chart/ChartTypes.h"

namespace nc {

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
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
    QImage Pattern;  // tiled instead of the colour when not null
    friend bool operator==(const DeviceBrush& a, const DeviceBrush& b) {
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
    int Escapement = 0;  // tenths of a degree, counter-clockwise
    TColor Color = clBlack;
    friend bool operator==(const DeviceFont&, const DeviceFont&) = default;
};

// The drawing primitives every device implements, listed once: the base
// declares them pure (SPEC "= 0") and each device overrides the whole list
// (SPEC "override"), so that adding a primitive cannot miss a device.
#define NC_DEVICE_PRIMITIVES(SPEC)                                  \
    virtual void LineTo(int x, int y) SPEC;                         \
    virtual void Rectangle(int x0, int y0, int x1, int y1) SPEC;    \
    virtual void FillRect(const TRect& r) SPEC;                     \
    virtual void Ellipse(int x0, int y0, int x1, int y1) SPEC;      \
    virtual void Polygon(std::span<const TPoint> points) SPEC;      \
    virtual void SetPixel(int x, int y, TColor color) SPEC;         \
    virtual void TextOut(int x, int y, const std::string& text) SPEC; \
    virtual TSize TextExtent(const std::string& text) const SPEC;   \
    virtual void CopyFrom(const DrawDevice& source, int x, int y) SPEC; \
    virtual void DrawImage(const TRect& dest, const QImage& image) SPEC;

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

    virtual void SetBkMode(int mode);
    int GetBkMode() const { return bkMode_; }
    virtual void SetBkColor(TColor color);
    TColor GetBkColor() const { return bkColor_; }
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
    NC_DEVICE_PRIMITIVES(= 0)

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

// Draws into a QImage (Format_RGB32), following the rules at the top.
class ImageDevice : public DrawDevice {
public:
    ImageDevice(int width, int height, bool monochrome = false);

    const QImage* Image() const override {
        WriteHeldColumns();
        return &image_;
    }
    QImage& MutableImage() {
        WriteHeldColumns();
        bits_ = nullptr;
        uniform_ = false;
        return image_;
    }
    // The colour of one pixel as 0x00BBGGRR; black outside the image.
    TColor PixelAt(int x, int y) const;

    void SelectFont(const DeviceFont& font) override;
    void PolyLineTo(std::span<const TPoint> points) override;
    NC_DEVICE_PRIMITIVES(override)

private:
    // Text goes through Qt's shaping, which costs more than everything else a
    // small chart draws; an axis measures the same few labels several times
    // per paint and draws the same labels paint after paint. So each font
    // keeps what was measured and rendered with it, by text: the advance
    // width, and the rendered text as runs of pixels relative to the
    // reference point (background cell and glyphs apart), so that drawing it
    // again is a few row fills at any position, in any colour, over any
    // background and clip. An entry depends only on what keys it (the font's
    // shape: name, height, styles; the text; the turn and the alignment), so
    // it cannot go stale: colour, background and clip are applied when
    // plotting. The tables are dropped whole when they outgrow a bound.
    struct TextRun {
        int Dy;   // row, relative to the reference point
        int Dx0;  // columns Dx0 .. Dx1 - 1
        int Dx1;
    };
    // Runs with their bounds (relative, like the runs), so that a text away
    // from the clip's edges is drawn without testing each run.
    struct TextRuns {
        std::vector<TextRun> Runs;
        TRect Box;
    };
    struct RenderedText {
        TextRuns Background;  // the text cell, for an opaque background
        TextRuns Glyphs;
    };
    // One text rendered at one turn and cell offset (which follow from the
    // alignment and the font); a text has a few of them at most, as only
    // exact turns are kept.
    struct PlacedText {
        int Escapement;
        int Ox;
        int Oy;
        RenderedText Runs;
    };
    struct FontTexts {
        DeviceFont Shape;  // colour and escapement are not part of the key
        QFont QtFont;
        int Ascent = 0;
        int Cell = 0;
        // What is known of a text: its advance, and its renderings.
        struct Text {
            int Advance = 0;
            std::vector<PlacedText> Placed;
        };
        std::unordered_map<std::string, Text> Texts;
        // The last two texts looked up, the latest first: an axis asks for a
        // label's width, the font's height (by "W") and the label again.
        struct Recent {
            const std::string* Key = nullptr;
            Text* Entry = nullptr;
        };
        Recent Recents[2];
    };
    // The texts of the selected font, created on first use.
    FontTexts& CurrentTexts() const;
    // The entry of text, measured on first use: one lookup per text drawn.
    static FontTexts::Text& Measured(FontTexts& texts, const std::string& text);
    // Renders text as the reference point's runs on a mask covering area;
    // place turns by an angle Qt turns exactly (a multiple of 90 degrees),
    // so that the runs are the same pixels that rendering at any integer
    // position gives.
    static RenderedText RenderRuns(const FontTexts& texts, const QString& text, const QTransform& place,
                                   const QRect& area, int ox, int oy, int advance);
    void PlotRuns(const TextRuns& runs, int x, int y, std::uint32_t rgb);
    // Text rendered at its position every time, through the clip: at an angle
    // Qt does not turn exactly, or too large to keep.
    void TextOutAfresh(int x, int y, const FontTexts& texts, const QString& text, int ox, int oy, int advance);
    void PlotPixel(int x, int y, std::uint32_t rgb, TPenMode mode);
    // Draws one pixel of a styled one-pixel line walk and advances the phase.
    void StyledPixel(int x, int y, std::uint32_t rgb);
    void WalkLine(int x0, int y0, int x1, int y1);
    void ShortStyledRow(int x0, int x1, int y);  // x0 < x1, copy mode
    void SpanRow(int y, int x0, int x1);  // x0..x1-1, solid pen fast path
    void SpanColumn(int x, int y0, int y1);  // rows y0..y1-1, solid pen fast path
    void WideLine(int x0, int y0, int x1, int y1);
    void FillArea(const TRect& r, bool withPenMode);

    // Coverage of a figure that QPainter rasterises (wide lines, ellipses,
    // polygons, text), held only for the part of the clip it can touch.
    struct Mask {
        QImage Image;
        int Left = 0;
        int Top = 0;
    };
    // A clear mask over bounds (right and bottom exclusive) within the clip;
    // its image is null when nothing of bounds is drawable.
    Mask NewMask(const TRect& bounds) const;
    // A painter on mask that takes device coordinates.
    static void AimPainter(QPainter& painter, const Mask& mask, const QTransform& place = {});
    // Writes the colour wherever the mask is set.
    void PlotMask(const Mask& mask, std::uint32_t rgb, TPenMode mode);
    void FillMaskWithBrush(const Mask& mask, bool withPenMode);

    // A whole-picture copy shares the picture instead of copying it (the
    // image is copied on write): the copy hands its old buffer to the source
    // as the source's spare, and the source's next fill of its whole surface,
    // which makes the old pixels irrelevant, writes into that spare rather
    // than detaching. A chart's bitmap and screen thus trade two buffers and
    // no paint copies or allocates a picture.
    void TakeWritableBufferForWholeFill();

    // Long vertical lines are held back and written together, a band of rows
    // at a time. Down a column every pixel lies in a row of its own, on a
    // memory page of its own once a row is over 4 KB (1024 pixels): on the
    // machines measured each such write cost about 7 ns, against under 1 ns
    // when the same pixels go in row order, where a band's few pages stay in
    // the address cache. A large chart's vertical grid is some 15,000 of
    // them. Every other write first writes the held lines it overlaps (all of
    // them, unless it says what it touches), and every read all of them, so
    // the pixels are always what drawing in call order gives.
    struct HeldColumn {
        int X;
        int Top;  // rows Top .. Bottom - 1, inside the clip
        int Bottom;
        std::uint32_t Rgb;
        // The pen's pattern as met going down the rows (a line walked upwards
        // meets it backwards): bit i tells whether pixel i of a run that
        // starts at phase 0 is drawn. One bit, period 1, for a solid pen.
        std::uint32_t Pattern;
        int Period;
        int Phase;  // the pattern's phase at row Top
    };
    // The line of column x over rows top .. bottom - 1 in colour rgb, whose
    // pattern (on bits and period) is at phase at row top and walks forward
    // going down when down is set, backwards otherwise.
    static HeldColumn ColumnOf(int x, int top, int bottom, std::uint32_t rgb, std::uint32_t onBits, int period,
                               int phase, bool down);
    // Shorter lines are written at once: holding them saves nothing, and a
    // dense dotted curve draws one per point.
    static constexpr int kHeldMinRows = 32;
    // Rows written a band at a time: a band of a 1280-pixel picture spans 20
    // pages, which the address cache holds.
    static constexpr int kHeldBand = 16;
    // Beyond this many the held lines are written, so that writing them stays
    // a short loop per band.
    static constexpr std::size_t kMaxHeld = 128;
    // Holds a vertical line inside the clip (of at least kHeldMinRows rows).
    void HoldColumn(const HeldColumn& column);
    void WriteHeldColumns() const;
    // The pixels, for writing anywhere: held lines are written first.
    std::uint32_t* Bits() {
        WriteHeldColumns();
        return UnsettledBits();
    }
    // The pixels, for writing only inside touched: held lines are written
    // first if they overlap it.
    std::uint32_t* BitsBeside(const TRect& touched) {
        TRect common;
        if (!held_.empty() && IntersectRect(common, touched, heldBox_)) WriteHeldColumns();
        return UnsettledBits();
    }
    // Asking Qt for the pixels on every primitive (a detach, which also
    // renumbers the image, then the row address) costs more than a short
    // line; so the buffer is kept while the image stays unshared, which one
    // reference count read tells.
    std::uint32_t* UnsettledBits() {
        uniform_ = false;
        if (bits_ == nullptr || !image_.isDetached()) Detach();
        return bits_;
    }
    void Detach();

    QImage image_;
    mutable QImage spare_;
    std::uint32_t* bits_ = nullptr;  // null: not asked for since the image changed
    qsizetype stride_ = 0;           // pixels per row, valid with bits_
    // While uniform_ holds (no write since the last whole fill) every pixel is
    // uniformRgb_, and a solid fill of that colour has nothing to do.
    bool uniform_ = false;
    std::uint32_t uniformRgb_ = 0;
    // In the order drawn; heldBox_ bounds them while there are any. Mutable:
    // a read writes them out, which changes no pixel a reader can see.
    mutable std::vector<HeldColumn> held_;
    TRect heldBox_;
    // Few fonts per chart: a short list, searched when the selection changes.
    mutable std::vector<std::unique_ptr<FontTexts>> fonts_;
    mutable FontTexts* currentTexts_ = nullptr;
};

// Records every drawing and state call as one line of text, for tests that
// assert call sequences exactly. Text is measured with fixed metrics: a cell
// |Height| pixels high and ceil(|Height| / 2) pixels wide per character.
class RecordingDevice final : public DrawDevice {
public:
    RecordingDevice(int width, int height);

    const std::vector<std::string>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }

    void SelectPen(const DevicePen& pen) override;
    void SelectBrush(const DeviceBrush& brush) override;
    void SelectFont(const DeviceFont& font) override;
    void SetBkMode(int mode) override;
    void SetBkColor(TColor color) override;
    void SetTextAlign(unsigned flags) override;
    void SetClipRect(const TRect& r) override;
    void MoveTo(int x, int y) override;
    NC_DEVICE_PRIMITIVES(override)

private:
    void Record(std::string call) { calls_.push_back(std::move(call)); }
    std::vector<std::string> calls_;
};

// Formats a colour as the recording device writes it: "0x0000FF".
std::string ColorText(TColor c);

}  // namespace nc
