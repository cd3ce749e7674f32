// SPDX-License-Identifier: MIT
#pragma once

// The coverage of a figure that QPainter rasterises (a wide line, an
// ellipse, a polygon, a text): an image, clear where the figure is not and
// set where it is, placed at (Left, Top) in device coordinates. The image
// device paints the figure in white on a mask aimed at device coordinates,
// then writes its own colours wherever the mask is set, so that Qt decides
// only which pixels a figure covers and never what they become.

#include <QImage>
#include <QTransform>

#include <cstdint>

#include "chart/ChartTypes.h"

class QPainter;

namespace nc {

struct CoverageMask {
    QImage Image; // premultiplied ARGB; a pixel is set when its word is not 0
    int Left = 0;
    int Top = 0;
};

// A clear mask over area (right and bottom exclusive); area is not empty.
CoverageMask ClearMask(const TRect& area);

// A clear mask over the part of bounds inside clip; its image is null when
// none of bounds is inside clip.
CoverageMask ClearMaskWithin(const TRect& bounds, const TRect& clip);

// Aims painter, which paints on mask's image, at device coordinates: place
// first (about the device origin), then the mask's offset.
void AimPainter(QPainter& painter, const CoverageMask& mask, const QTransform& place = {});

// Calls visit (y, x0, x1) for every run of set pixels x0 .. x1 - 1 of row y
// of a mask's image, rows from the top, runs from the left.
template <class Visit> void ForEachRun(const QImage& mask, Visit visit)
{
    const int width = mask.width();
    for (int y = 0; y < mask.height(); ++y) {
        const auto* m = reinterpret_cast<const std::uint32_t*>(mask.constScanLine(y));
        int x = 0;
        while (x < width) {
            if (m[x] == 0) {
                ++x;
                continue;
            }
            int end = x;
            while (end < width && m[end] != 0)
                ++end;
            visit(y, x, end);
            x = end;
        }
    }
}

} // namespace nc
