// SPDX-License-Identifier: MIT
// Runs of one colour: every length and start takes its own path through the
// fill (loop, 16- or 32-byte stores, memset, the string store), and each must
// write exactly its run.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "chart/device/PixelFill.h"

TEST(PixelFill, WritesExactlyTheRunWhateverItsLengthStartAndColour)
{
    const std::uint32_t colours[] = {0xFF123456u, 0xFFFFFFFFu, 0x00000000u, 0x7F7F7F7Fu};
    const std::ptrdiff_t lengths[] = {0, 1, 3, 7, 8, 9, 15, 16, 17, 31, 33, 100, 2047, 2048, 2049, 5000};
    constexpr std::uint32_t kGuard = 0xDEADBEEFu;
    for (const std::uint32_t rgb : colours) {
        for (const std::ptrdiff_t n : lengths) {
            for (const std::ptrdiff_t start : {0, 1, 3}) { // unaligned starts too
                std::vector<std::uint32_t> words(static_cast<std::size_t>(n + 8), kGuard);
                nc::FillPixels(words.data() + start, n, rgb);
                for (std::ptrdiff_t i = 0; i < static_cast<std::ptrdiff_t>(words.size()); ++i) {
                    const bool inRun = i >= start && i < start + n;
                    ASSERT_EQ(words[static_cast<std::size_t>(i)], inRun ? rgb : kGuard)
                        << "colour " << std::hex << rgb << std::dec << " length " << n << " start " << start << " word "
                        << i;
                }
            }
        }
    }
}
