// SPDX-License-Identifier: MIT
#include "ui/common/Canvas.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>

namespace nc {

ImageCanvas::ImageCanvas(QImage& image)
    : image_(image), bits_(image.bits()), stride_(image.bytesPerLine()), width_(image.width()), height_(image.height())
{
    assert(image.format() == QImage::Format_RGB32 && "ImageCanvas needs an RGB32 image");
}

void ImageCanvas::SetPen(QColor colour, int width, PenStyle style)
{
    pen_ = colour.rgb();
    pen_width_ = std::max(1, width);
    pen_style_ = style;
}

void ImageCanvas::PenPixel(int x, int y)
{
    if (pen_width_ == 1) {
        Plot(x, y, pen_);
        return;
    }
    const int from = -(pen_width_ / 2);
    for (int dy = from; dy < from + pen_width_; ++dy)
        for (int dx = from; dx < from + pen_width_; ++dx)
            Plot(x + dx, y + dy, pen_);
}

void ImageCanvas::LineTo(int x, int y)
{
    const int x0 = position_.x(), y0 = position_.y();
    const int dx = std::abs(x - x0), dy = -std::abs(y - y0);
    const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    int cx = x0, cy = y0;
    int index = 0;
    while (cx != x || cy != y) {
        if (pen_style_ == PenStyle::Solid || (index / 3) % 2 == 0)
            PenPixel(cx, cy);
        ++index;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            cx += sx;
        }
        if (e2 <= dx) {
            err += dx;
            cy += sy;
        }
    }
    // A wide line covers its end as well; a thin one leaves it to the next.
    if (pen_width_ > 1)
        PenPixel(x, y);
    position_ = QPoint(x, y);
}

void ImageCanvas::Rectangle(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    // The outline is the box's outer ring; the rest is the brush. Rows are
    // clipped once, then filled straight.
    const int x0 = std::max(left, 0), x1 = std::min(right, width_);
    if (x1 <= x0)
        return;
    for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y) {
        QRgb* row = Row(y);
        const bool edge_row = y == top || y == bottom - 1;
        std::fill(row + x0, row + x1, edge_row ? pen_ : brush_);
        if (left >= 0)
            row[left] = pen_;
        if (right - 1 < width_)
            row[right - 1] = pen_;
    }
}

void ImageCanvas::Polygon(const std::vector<QPoint>& points)
{
    if (points.empty())
        return;
    int top = points.front().y(), bottom = top;
    for (const QPoint& p : points) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    // Scan lines through pixel centres: crossings of the edges, filled in pairs.
    const std::size_t n = points.size();
    std::vector<double> crossings;
    for (int y = std::max(top, 0); y < std::min(bottom, image_.height()); ++y) {
        const double yc = y + 0.5;
        crossings.clear();
        for (std::size_t i = 0; i < n; ++i) {
            const QPoint a = points[i], b = points[(i + 1) % n];
            if ((a.y() <= yc) == (b.y() <= yc))
                continue;
            crossings.push_back(a.x() + (yc - a.y()) * (b.x() - a.x()) / double(b.y() - a.y()));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
            for (int x = std::max(0, int(std::ceil(crossings[i] - 0.5)));
                 x + 0.5 < crossings[i + 1] && x < image_.width(); ++x)
                Plot(x, y, brush_);
    }
    MoveTo(points.front().x(), points.front().y());
    for (std::size_t i = 1; i < n; ++i)
        LineTo(points[i].x(), points[i].y());
    if (points.back() != points.front())
        LineTo(points.front().x(), points.front().y());
}

void ImageCanvas::Ellipse(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    const double a = (right - left) / 2.0, b = (bottom - top) / 2.0;
    const double cx = left + a, cy = top + b;
    auto inside = [&](int x, int y) {
        const double u = (x + 0.5 - cx) / a, v = (y + 0.5 - cy) / b;
        return u * u + v * v <= 1.0;
    };
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            if (!inside(x, y))
                continue;
            const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            Plot(x, y, edge ? pen_ : brush_);
        }
}

} // namespace nc
