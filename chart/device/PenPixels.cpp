// SPDX-License-Identifier: MIT
#include "chart/device/PenPixels.h"

namespace nc {

std::uint32_t ApplyMode(std::uint32_t dst, std::uint32_t pen, TPenMode mode)
{
    std::uint32_t r = 0;
    switch (mode) {
    case pmBlack: r = 0; break;
    case pmWhite: r = 0xFFFFFF; break;
    case pmNop: r = dst; break;
    case pmNot: r = ~dst; break;
    case pmCopy: r = pen; break;
    case pmNotCopy: r = ~pen; break;
    case pmMergePenNot: r = pen | ~dst; break;
    case pmMaskPenNot: r = pen & ~dst; break;
    case pmMergeNotPen: r = ~pen | dst; break;
    case pmMaskNotPen: r = ~pen & dst; break;
    case pmMerge: r = pen | dst; break;
    case pmNotMerge: r = ~(pen | dst); break;
    case pmMask: r = pen & dst; break;
    case pmNotMask: r = ~(pen & dst); break;
    case pmXor: r = pen ^ dst; break;
    case pmNotXor: r = ~(pen ^ dst); break;
    }
    return 0xFF000000u | (r & 0xFFFFFFu);
}

} // namespace nc
