// SPDX-License-Identifier: MIT
#pragma once

// The device that draws into a QImage (Format_RGB32), pixel for pixel by the
// rules at the top of ChartDevice.h. Every primitive clips first and returns
// when nothing is left; only then does it ask for the rows, through
// BitsBeside, which first writes the held vertical lines that the primitive
// could overlap. Pixels are written in place: a run of one colour by
// FillPixels, a pixel under a pen mode by ApplyMode; figures that Qt
// rasterises come back as coverage masks and are written the same way.

#include <QImage>

#include <cstdint>
#include <span>
#include <string>

#include "chart/device/ChartDevice.h"
#include "chart/device/CoverageMask.h"
#include "chart/device/DeviceTextCache.h"
#include "chart/device/HeldLines.h"
#include "chart/device/PenPixels.h"
#include "chart/device/PictureBuffer.h"

class QPainter;
class QPen;
class QString;

namespace nc {

class ImageDevice : public DrawDevice {
public:
    ImageDevice(int width, int height, bool monochrome = false);

    const QImage* Image() const override
    {
        WriteHeldLines();
        return &picture_.Image();
    }
    QImage& MutableImage()
    {
        WriteHeldLines();
        return picture_.Mutable();
    }
    // The colour of one pixel as 0x00BBGGRR; black outside the image.
    TColor PixelAt(int x, int y) const;

    // Lines: a solid pen's horizontal and vertical runs are fills, and long
    // vertical ones are held back (HeldLines); the rest is a clipped walk.
    // PolyLineTo draws the points that go on along a row as one line.
    void LineTo(int x, int y) override;
    void PolyLineTo(std::span<const TPoint> points) override;
    // Figures: rectangles by the pixel rules, ellipses and polygons through
    // coverage masks (CoverageMask).
    void Rectangle(int x0, int y0, int x1, int y1) override;
    void FillRect(const TRect& r) override;
    void Ellipse(int x0, int y0, int x1, int y1) override;
    void Polygon(std::span<const TPoint> points) override;
    void SetPixel(int x, int y, TColor color) override;
    // Text, measured and rendered once per font (DeviceTextCache).
    void SelectFont(const DeviceFont& font) override;
    void TextOut(int x, int y, const std::string& text) override;
    TSize TextExtent(const std::string& text) const override;
    // Pictures: a whole picture copied from another image device is shared
    // rather than copied (PictureBuffer).
    void CopyFrom(const DrawDevice& source, int x, int y) override;
    void DrawImage(const TRect& dest, const QImage& image) override;

private:
    void PlotPixel(int x, int y, std::uint32_t rgb, TPenMode mode);
    // Draws one pixel of a styled one-pixel line walk and advances the phase.
    void StyledPixel(int x, int y, std::uint32_t rgb);
    void WalkLine(int x0, int y0, int x1, int y1);
    // A one-pixel line's walk, past its fast cases: the steps whose major
    // coordinate lies inside the clip (first..last of 0..major-1), and
    // where the style pattern stands at step 0.
    struct LineSteps {
        bool xMajor = true;
        long long major = 0, minor = 0;   // steps along and across
        long long major0 = 0, minor0 = 0; // the start point
        int stepMajor = 1, stepMinor = 1;
        long long first = 0, last = -1;
        StylePattern pattern;
        int startPhase = 0;
        std::uint32_t rgb = 0;
    };
    void WalkStraight(const LineSteps& steps); // minor == 0
    void WalkSlanted(const LineSteps& steps);
    void ShortStyledRow(int x0, int x1, int y); // x0 < x1, copy mode
    void SpanRow(int y, int x0, int x1);        // x0..x1-1, solid pen fast path
    void SpanColumn(int x, int y0, int y1);     // rows y0..y1-1, solid pen fast path
    void WideLine(int x0, int y0, int x1, int y1);
    void FillArea(const TRect& r, bool withPenMode);

    // What paint (a QPainter call) covers with pen, inside bounds, written
    // in the device pen's colour and mode.
    template <class Paint> void PlotPainted(const TRect& bounds, const QPen& pen, Paint paint);
    // A figure's interior with the brush and outline with the pen, inside
    // bounds: paintInside and paintOutline draw it with a QPainter whose
    // brush, or pen of the device pen's width, is already set.
    template <class Inside, class Outline>
    void DrawFigure(const TRect& bounds, Inside paintInside, Outline paintOutline);
    // Writes the colour wherever the mask is set.
    void PlotMask(const CoverageMask& mask, std::uint32_t rgb, TPenMode mode);
    void FillMaskWithBrush(const CoverageMask& mask, bool withPenMode);

    // Writes a kept text's runs in rgb with the reference point at (x, y).
    void PlotRuns(const TextRuns& runs, int x, int y, std::uint32_t rgb);
    // Text rendered at its position every time, through the clip: at an angle
    // Qt does not turn exactly, or too large to keep.
    void TextOutAfresh(int x, int y, const FontTexts& texts, const QString& text, int ox, int oy, int advance);

    // Holds a vertical line inside the clip (of at least HeldLines::kMinRows rows).
    void HoldColumn(const HeldLines::Column& column);
    void WriteHeldLines() const
    {
        if (!held_.Empty())
            WriteHeldLinesNow();
    }
    void WriteHeldLinesNow() const;
    // The pixels, for writing only inside touched: held lines are written
    // first if they overlap it.
    std::uint32_t* BitsBeside(const TRect& touched)
    {
        if (held_.Overlaps(touched))
            WriteHeldLinesNow();
        return picture_.Rows();
    }
    qsizetype Stride() const { return picture_.Stride(); } // once BitsBeside has answered

    PictureBuffer picture_;
    // Mutable: a read writes them out, which changes no pixel a reader can see.
    mutable HeldLines held_;
    // Mutable: measuring a text fills the tables.
    mutable DeviceTextCache texts_;
};

} // namespace nc
