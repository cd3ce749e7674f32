// SPDX-License-Identifier: MIT
#pragma once
// The drawing surface the arm animation paints on, and the one real device
// behind it: a true-colour image. These are the arm's own pixel rules, not
// chart/ChartDevice.h's: a wide pen here has square caps (there round), dots
// restart at every LineTo (there they keep their phase), and the arm needs
// none of the chart's pen modes, patterns or text; sharing would move its pixels.
//
// Which pixels each operation covers (x to the right, y down, pixel (x, y) is
// the unit square from (x, y) to (x + 1, y + 1)):
// - LineTo from the current position P to Q: the Bresenham path from P to Q
//   without Q itself; the current position becomes Q. A dotted pen paints 3
//   pixels of the path, skips 3, and so on, starting at P; skipped pixels keep
//   what lies beneath. A pen wider than 1 paints a w x w square centred on
//   every pixel of the path, Q included (the wide line has square caps).
// - Rectangle(l, t, r, b): the box [l, r - 1] x [t, b - 1]: the brush fills it,
//   then the pen outlines its border pixels. The right and bottom edges are
//   not covered.
// - Polygon(points): the brush fills every pixel whose centre lies inside the
//   closed polygon (even-odd rule); then the pen draws the edges as LineTo
//   does, from each vertex to the next and from the last back to the first.
// - Ellipse(l, t, r, b): the ellipse inscribed in the box [l, r - 1] x
//   [t, b - 1]: the brush fills every pixel whose centre lies inside it, the
//   pen paints those filled pixels that have a 4-neighbour outside it.
// Everything is clipped to the surface: drawing never fails.

#include <QColor>
#include <QImage>
#include <QPoint>

#include <vector>

namespace nc {

enum class PenStyle { Solid, Dotted };

class ArmCanvas {
public:
    virtual ~ArmCanvas() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetPen(QColor colour, int width, PenStyle style) = 0;
    virtual void SetPenStyle(PenStyle style) = 0;
    virtual void SetBrush(QColor colour) = 0;
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    virtual void Polygon(const std::vector<QPoint>& points) = 0;
    virtual void Ellipse(int left, int top, int right, int bottom) = 0;
};

// Paints on a QImage of format RGB32 that the caller owns and keeps alive.
class ImageCanvas : public ArmCanvas {
public:
    explicit ImageCanvas(QImage& image);

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetPen(QColor colour, int width, PenStyle style) override;
    void SetPenStyle(PenStyle style) override { pen_style_ = style; }
    void SetBrush(QColor colour) override { brush_ = colour.rgb(); }
    void Rectangle(int left, int top, int right, int bottom) override;
    void MoveTo(int x, int y) override { position_ = QPoint(x, y); }
    void LineTo(int x, int y) override;
    void Polygon(const std::vector<QPoint>& points) override;
    void Ellipse(int left, int top, int right, int bottom) override;

private:
    void Plot(int x, int y, QRgb colour)
    {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            Row(y)[x] = colour;
    }
    QRgb* Row(int y) { return reinterpret_cast<QRgb*>(bits_ + static_cast<std::ptrdiff_t>(y) * stride_); }
    void PenPixel(int x, int y);

    QImage& image_;
    // The image's pixels, taken once: asking the image for a row on every
    // pixel would check its sharing each time, the main cost of a frame.
    uchar* bits_;
    qsizetype stride_;
    int width_;
    int height_;
    QRgb pen_ = qRgb(0, 0, 0);
    int pen_width_ = 1;
    PenStyle pen_style_ = PenStyle::Solid;
    QRgb brush_ = qRgb(255, 255, 255);
    QPoint position_;
};

} // namespace nc
