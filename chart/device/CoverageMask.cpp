// SPDX-License-Identifier: MIT
#include "chart/device/CoverageMask.h"

#include <QPainter>

namespace nc {

CoverageMask ClearMask(const TRect& area)
{
    CoverageMask mask;
    mask.Left = area.Left;
    mask.Top = area.Top;
    mask.Image = QImage(area.Width(), area.Height(), QImage::Format_ARGB32_Premultiplied);
    mask.Image.fill(0u);
    return mask;
}

CoverageMask ClearMaskWithin(const TRect& bounds, const TRect& clip)
{
    TRect area;
    if (!IntersectRect(area, bounds, clip))
        return CoverageMask{};
    return ClearMask(area);
}

void AimPainter(QPainter& painter, const CoverageMask& mask, const QTransform& place)
{
    painter.setTransform(place * QTransform::fromTranslate(-mask.Left, -mask.Top));
}

} // namespace nc
