// SPDX-License-Identifier: MIT
// Vertical lines held back and written later, together: alone, and inside
// the image device between every other kind of call.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "chart/device/HeldLines.h"
#include "chart/device/ImageDevice.h"

using namespace nc;

// Long vertical lines are written later, together; whatever comes between
// (lines, fills, text, pixels, copies, clip changes) must find the picture
// that drawing in call order gives. The reference draws each vertical line
// as one-pixel steps (never held) and reads its picture after every call;
// the device under test is read only now and then.
TEST(ImageDeviceHeldColumns, DrawWhatDrawingInCallOrderDraws)
{
    constexpr int w = 1100; // rows over 4 KB, as in a large chart
    constexpr int h = 140;
    const TPenStyle styles[] = {psSolid, psDot, psDash, psDashDot, psDashDotDot};
    const TColor colours[] = {clBlack, clRed, clBlue, 0x123456, clWhite};
    std::mt19937 random(20261209);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    ImageDevice held(w, h);
    ImageDevice reference(w, h);
    ImageDevice heldScreen(w, h);
    ImageDevice referenceScreen(w, h);
    ImageDevice patch(5, 9);
    patch.SelectBrush(DeviceBrush{0x00A000, bsSolid, {}});
    patch.FillRect(patch.Bounds());
    int lastX = 0; // the last vertical line's column
    for (int step = 0; step < 3000; ++step) {
        const int kind = pick(16);
        const DevicePen pen{colours[pick(5)], styles[pick(5)], 1, pick(8) == 0 ? pmXor : pmCopy};
        const int x = pick(8) == 0 ? pick(w + 20) - 10 : 500 + pick(100); // mostly where lines meet
        const int y0 = pick(h + 40) - 20;
        const int y1 = pick(h + 40) - 20;
        const int lead = pick(3) == 0 ? pick(9) - 4 : 0; // a short line before sets the phase
        // A vertical line at column vx from y0 to y1 after a lead that sets
        // the phase, in one LineTo or (steps) in one-pixel steps.
        auto vertical = [&](ImageDevice& d, bool steps, int vx, int vLead) {
            d.MoveTo(vx, y0 - vLead);
            if (vLead != 0)
                d.LineTo(vx, y0);
            if (!steps) {
                d.LineTo(vx, y1);
                return;
            }
            for (int y = y0; y != y1;) {
                y += y1 > y0 ? 1 : -1;
                d.LineTo(vx, y);
            }
        };
        auto draw = [&](ImageDevice& d, bool steps) {
            d.SelectPen(pen);
            switch (kind) {
            case 0:
            case 1:
            case 2:
            case 3:
            case 4:
            case 5: vertical(d, steps, x, lead); break;
            case 6:
            case 7:
            case 8:
                d.MoveTo(x, y0);
                d.LineTo(x + pick(200) - 100, y0);
                break;
            case 9:
                d.MoveTo(x, y0);
                d.LineTo(x + pick(60) - 30, y1);
                break;
            case 10:
                d.SelectBrush(DeviceBrush{colours[pick(5)], bsSolid, {}});
                d.FillRect(pick(6) == 0 ? d.Bounds() : TRect{x, y0, x + pick(50), y0 + pick(50)});
                break;
            case 11:
                d.SelectBrush(DeviceBrush{colours[pick(5)], pick(2) == 0 ? bsClear : bsSolid, {}});
                d.Rectangle(x, y0, x + pick(60), y1);
                break;
            case 12:
                d.SetBkMode(pick(2) == 0 ? OPAQUE : TRANSPARENT);
                d.TextOut(x, y0, "12,5");
                break;
            case 13:
                if (pick(2) == 0)
                    d.SetPixel(lastX, y0, colours[pick(5)]);
                else
                    d.CopyFrom(patch, lastX - pick(4), y0); // a block over the last line
                break;
            case 14:
                // A grid: lines alike in rows, pen and phase, the last one now
                // and then after a short lead that moves its phase on, or in
                // another style.
                for (int k = 0, n = 2 + pick(6); k < n; ++k) {
                    if (k == n - 1 && pick(3) == 0)
                        d.SelectPen(DevicePen{pen.Color, styles[pick(5)], 1, pen.Mode});
                    vertical(d, steps, x + 7 * k, k == n - 1 ? lead : 0);
                }
                break;
            default:
                d.SetClipRect(pick(2) == 0 ? d.Bounds() : TRect{pick(w), pick(h), pick(w) + w / 2, pick(h) + h / 2});
                break;
            }
        };
        // The same random choices for both.
        const auto state = random;
        draw(held, false);
        random = state;
        draw(reference, true);
        reference.Image();
        if (kind <= 5)
            lastX = x;
        if (pick(40) == 0) {
            heldScreen.CopyFrom(held, 0, 0);
            referenceScreen.CopyFrom(reference, 0, 0);
        }
        if (pick(16) == 0 || (kind == 14 && pick(2) == 0) || step == 2999) {
            ASSERT_EQ(*held.Image(), *reference.Image()) << "step " << step << " kind " << kind;
            ASSERT_EQ(*heldScreen.Image(), *referenceScreen.Image()) << "step " << step;
        }
    }
}

// Alone, on a picture whose rows are padded: lines held across several bands,
// walked up or down, in every pattern, some of them alike as a grid's, must
// be written as writing each in turn, pixel by pixel, would write them.
TEST(HeldLines, WriteWhatWritingEachLineInTurnWrites)
{
    constexpr int w = 70;
    constexpr int stride = 75;
    constexpr int h = 90;
    const std::uint32_t patterns[][2] = {{1u, 1}, {0b000111u, 6}, {0x03FFFFu, 24}, {0x1C01FFu, 24}};
    std::mt19937 random(5);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int trial = 0; trial < 50; ++trial) {
        std::vector<std::uint32_t> held(stride * h, 0u);
        std::vector<std::uint32_t> each(stride * h, 0u);
        HeldLines lines;
        const int top = pick(40);
        const int bottom = top + HeldLines::kMinRows + pick(h - top - HeldLines::kMinRows);
        const auto& gridPattern = patterns[pick(4)];
        for (int k = 0, n = 1 + pick(30); k < n && !lines.Full(); ++k) {
            // A grid's lines are alike in rows and pattern, and now and then
            // one of them is at another phase.
            const bool grid = pick(3) != 0;
            const auto& pattern = grid ? gridPattern : patterns[pick(4)];
            const int period = static_cast<int>(pattern[1]);
            const int y0 = grid ? top : pick(h / 2);
            const int y1 = grid ? bottom : y0 + HeldLines::kMinRows + pick(h - y0 - HeldLines::kMinRows);
            const int phase = grid && pick(4) != 0 ? 0 : pick(period);
            const HeldLines::Column c = HeldLines::ColumnOf(pick(w), y0, y1, 0xFF000000u + k + 1, pattern[0], period,
                                                            phase, grid || pick(2) == 0);
            lines.Hold(c);
            for (int y = c.Top, phase = c.Phase; y < c.Bottom; ++y, phase = (phase + 1) % c.Period) {
                if ((c.Pattern >> phase) & 1u)
                    each[static_cast<std::size_t>(y * stride + c.X)] = c.Rgb;
            }
        }
        lines.WriteInto(held.data(), stride);
        ASSERT_EQ(held, each) << "trial " << trial;
        EXPECT_TRUE(lines.Empty());
    }
}
