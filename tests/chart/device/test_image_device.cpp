// SPDX-License-Identifier: MIT
// Pixel rules of the image device: lines, rectangles, fills, figures and
// copies, pixel for pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "tests/chart/PixelArt.h"
#include "chart/device/ImageDevice.h"

using namespace nc;
using nc::test::Art;
using nc::test::CountPixels;
using nc::test::InkBounds;
using Picture = std::vector<std::string>;

namespace {

struct BlackPenDevice : ImageDevice {
    BlackPenDevice(int w, int h, TPenStyle style = psSolid, TPenMode mode = pmCopy) : ImageDevice(w, h)
    {
        SelectPen(DevicePen{clBlack, style, 1, mode});
    }
};

} // namespace

TEST(ImageDeviceLine, OmitsTheEndPixelInEveryDirection)
{
    struct Row {
        int x0, y0, x1, y1;
        Picture expected;
    };
    const Row rows[] = {
        {0, 1, 4, 1, {".....", "####.", "....."}}, {4, 1, 0, 1, {".....", ".####", "....."}},
        {1, 0, 1, 2, {".#...", ".#...", "....."}}, {1, 2, 1, 0, {".....", ".#...", ".#..."}},
        {0, 0, 4, 2, {"##...", "..##.", "....."}}, {4, 2, 0, 0, {".....", ".##..", "...##"}},
    };
    for (const Row& row : rows) {
        BlackPenDevice d(5, 3);
        d.MoveTo(row.x0, row.y0);
        d.LineTo(row.x1, row.y1);
        EXPECT_EQ(Art(d, 5, 3), row.expected) << row.x0 << "," << row.y0 << " -> " << row.x1 << "," << row.y1;
        EXPECT_EQ(d.CurrentPoint(), (TPoint{row.x1, row.y1}));
    }
}

TEST(ImageDeviceLine, PolylineWritesEveryPixelOnce)
{
    // Not-xor on white turns a pixel black once and back to white twice, so a
    // doubled joint would show as a white hole.
    BlackPenDevice d(6, 4, psSolid, pmNotXor);
    d.MoveTo(0, 0);
    d.LineTo(3, 0);
    d.LineTo(3, 3);
    d.LineTo(0, 3);
    d.LineTo(0, 0);
    EXPECT_EQ(Art(d, 6, 4), (Picture{"####..", "#..#..", "#..#..", "####.."}));
}

TEST(ImageDeviceLine, LineToCurrentPointDrawsNothing)
{
    BlackPenDevice d(3, 3);
    d.MoveTo(1, 1);
    d.LineTo(1, 1);
    EXPECT_EQ(CountPixels(d, clBlack), 0);
}

TEST(ImageDeviceLine, ClearPenMovesWithoutDrawing)
{
    BlackPenDevice d(5, 1, psClear);
    d.MoveTo(0, 0);
    d.LineTo(4, 0);
    EXPECT_EQ(CountPixels(d, clBlack), 0);
    EXPECT_EQ(d.CurrentPoint(), (TPoint{4, 0}));
}

TEST(ImageDeviceLine, DottedPatternRunsOnAlongThePolyline)
{
    BlackPenDevice single(14, 1, psDot);
    single.MoveTo(0, 0);
    single.LineTo(14, 0);
    EXPECT_EQ(Art(single, 14, 1), (Picture{"###...###...##"}));

    BlackPenDevice joined(14, 1, psDot);
    joined.MoveTo(0, 0);
    joined.LineTo(4, 0);
    joined.LineTo(14, 0);
    EXPECT_EQ(Art(joined, 14, 1), Art(single, 14, 1));

    BlackPenDevice restarted(14, 1, psDot);
    restarted.MoveTo(0, 0);
    restarted.LineTo(4, 0);
    restarted.MoveTo(4, 0);
    restarted.LineTo(14, 0);
    EXPECT_EQ(Art(restarted, 14, 1), (Picture{"###.###...###."}));
}

TEST(ImageDeviceLine, DashPatterns)
{
    struct Row {
        TPenStyle style;
        std::string expected;
    };
    const Row rows[] = {
        {psDash, "##################......####"},
        {psDashDot, "#########......###......####"},
        {psDashDotDot, "#########...###...###...####"},
    };
    for (const Row& row : rows) {
        BlackPenDevice d(28, 1, row.style);
        d.MoveTo(0, 0);
        d.LineTo(28, 0);
        EXPECT_EQ(Art(d, 28, 1)[0], row.expected) << row.style;
    }
}

// A long styled row is drawn a block at a time; it must put every pixel
// where a walk of one-pixel steps (which keeps the phase) puts it, in both
// directions, from any phase left by a shorter line before it, over a picture
// that is not blank, clipped or not.
TEST(ImageDeviceLine, LongStyledRowsMatchAWalkOfSinglePixelSteps)
{
    const TPenStyle styles[] = {psDot, psDash, psDashDot, psDashDotDot, psSolid};
    std::mt19937 random(7);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int trial = 0; trial < 400; ++trial) {
        const TPenStyle style = styles[trial % 5];
        const int x0 = pick(200) - 20;
        const int x1 = pick(200) - 20;
        const int dx = x1 >= x0 ? 1 : -1;
        const int start = x0 - dx * pick(30); // a short lead-in sets the phase at x0
        const TRect clip = pick(2) == 0 ? TRect{0, 0, 180, 2} : TRect{pick(20), 0, 180 - pick(20), 2};
        ImageDevice blocks(180, 2);
        ImageDevice steps(180, 2);
        for (ImageDevice* d : {&blocks, &steps}) {
            for (int x = 0; x < 180; x += 7)
                d->SetPixel(x, 1, clBlue);
            d->SetClipRect(clip);
            d->SelectPen(DevicePen{0x123456, style, 1, pmCopy});
            d->MoveTo(start, 1);
        }
        blocks.LineTo(x0, 1);
        blocks.LineTo(x1, 1);
        for (int x = start; x != x1;) {
            x += dx;
            steps.LineTo(x, 1);
        }
        ASSERT_EQ(*blocks.Image(), *steps.Image())
            << "trial " << trial << " style " << style << " from " << start << " via " << x0 << " to " << x1;
    }
}

// A polyline may draw the points that go on along a row as one line; it must
// draw what a LineTo to each point draws, for every pen (styles, modes, wide).
TEST(ImageDeviceLine, PolylineDrawsWhatALineToEachPointDraws)
{
    const TPenStyle styles[] = {psSolid, psDot, psDash, psDashDot, psDashDotDot};
    const TPenMode modes[] = {pmCopy, pmXor, pmNotXor};
    std::mt19937 random(11);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<TPoint> points;
        TPoint p{pick(60), pick(20)};
        for (int i = 0; i < 40; ++i) {
            // Mostly along the row, now and then turning back or changing row.
            p.X = std::clamp(p.X + pick(9) - (pick(4) == 0 ? 6 : 2), -5, 85);
            if (pick(5) == 0)
                p.Y = pick(20);
            points.push_back(p);
        }
        const DevicePen pen{0x123456, styles[pick(5)], pick(4) == 0 ? 3 : 1, modes[pick(3)]};
        const int startX = pick(2) == 0 ? points[0].X - 4 : 30;
        ImageDevice poly(80, 20);
        ImageDevice single(80, 20);
        for (ImageDevice* d : {&poly, &single}) {
            for (int x = 0; x < 80; x += 3)
                d->SetPixel(x, x % 20, clBlue);
            d->SelectPen(pen);
            d->MoveTo(startX, points[0].Y);
        }
        poly.PolyLineTo(points);
        for (const TPoint& q : points)
            single.LineTo(q.X, q.Y);
        ASSERT_EQ(*poly.Image(), *single.Image()) << "trial " << trial;
        ASSERT_EQ(poly.CurrentPoint(), single.CurrentPoint()) << "trial " << trial;
    }
}

TEST(ImageDeviceLine, ClippedLineKeepsItsPixelsInsideTheClip)
{
    BlackPenDevice d(8, 3);
    d.SetClipRect(TRect{2, 0, 5, 3});
    d.MoveTo(0, 1);
    d.LineTo(8, 1);
    EXPECT_EQ(Art(d, 8, 3), (Picture{"........", "..###...", "........"}));

    BlackPenDevice dotted(8, 1, psDot);
    dotted.SetClipRect(TRect{2, 0, 8, 1});
    dotted.MoveTo(0, 0);
    dotted.LineTo(8, 0);
    EXPECT_EQ(Art(dotted, 8, 1), (Picture{"..#...##"}));
}

TEST(ImageDeviceLine, InvertedClipLeavesNothingDrawable)
{
    BlackPenDevice d(4, 4);
    d.SetClipRect(TRect{3, 3, 1, 1});
    d.MoveTo(0, 0);
    d.LineTo(4, 4);
    d.FillRect(TRect{0, 0, 4, 4});
    EXPECT_EQ(CountPixels(d, clBlack), 0);
    EXPECT_TRUE(d.ClipRect().IsEmpty());
}

TEST(ImageDeviceLine, WidePenCoversABand)
{
    ImageDevice d(10, 7);
    d.SelectPen(DevicePen{clBlack, psDot, 3, pmCopy});
    d.MoveTo(1, 3);
    d.LineTo(8, 3);
    const TRect ink = InkBounds(d, clBlack);
    EXPECT_EQ(ink.Height(), 3);
    EXPECT_EQ(ink.Top, 2);
    // A wide pen is solid whatever its style.
    for (int x = 2; x < 8; ++x)
        EXPECT_EQ(d.PixelAt(x, 3), clBlack) << x;
}

TEST(ImageDeviceLine, PenModes)
{
    struct Row {
        TPenMode mode;
        TColor before, pen, after;
    };
    const Row rows[] = {
        {pmCopy, 0x123456, 0x0000FF, 0x0000FF},    {pmNotXor, 0xFFFFFF, 0x0000FF, 0x0000FF},
        {pmNotXor, 0x0000FF, 0x0000FF, 0xFFFFFF},  {pmXor, 0x00FF00, 0x0000FF, 0x00FFFF},
        {pmNot, 0x00FF00, 0x0000FF, 0xFF00FF},     {pmBlack, 0x123456, 0xFFFFFF, 0x000000},
        {pmWhite, 0x123456, 0x000000, 0xFFFFFF},   {pmNop, 0x123456, 0x000000, 0x123456},
        {pmMask, 0x00FFFF, 0x0000FF, 0x0000FF},    {pmMerge, 0x00FF00, 0x0000FF, 0x00FFFF},
        {pmNotCopy, 0x000000, 0x0000FF, 0xFFFF00},
    };
    for (const Row& row : rows) {
        ImageDevice d(2, 1);
        d.SetPixel(0, 0, row.before);
        d.SelectPen(DevicePen{row.pen, psSolid, 1, row.mode});
        d.MoveTo(0, 0);
        d.LineTo(1, 0);
        EXPECT_EQ(d.PixelAt(0, 0), row.after) << "mode " << row.mode;
    }
}

TEST(ImageDeviceLine, ClippedWalkMatchesTheFullWalkInsideTheClip)
{
    // Every pixel a clipped line draws is the pixel the unclipped walk draws
    // there, dotted phase included; nothing appears outside the clip.
    const TRect clip{5, 4, 33, 25};
    unsigned seed = 12345;
    auto next = [&seed](int lo, int hi) {
        seed = seed * 1103515245u + 12345u;
        return lo + static_cast<int>((seed >> 8) % static_cast<unsigned>(hi - lo + 1));
    };
    for (int trial = 0; trial < 400; ++trial) {
        const TPenStyle style = trial % 2 == 0 ? psSolid : psDot;
        const int x0 = next(-30, 70), y0 = next(-30, 60), x1 = next(-30, 70), y1 = next(-30, 60);
        const int x2 = next(-30, 70), y2 = next(-30, 60);
        BlackPenDevice full(40, 30, style);
        BlackPenDevice clipped(40, 30, style);
        clipped.SetClipRect(clip);
        for (ImageDevice* d : {static_cast<ImageDevice*>(&full), static_cast<ImageDevice*>(&clipped)}) {
            d->MoveTo(x0, y0);
            d->LineTo(x1, y1);
            d->LineTo(x2, y2);
        }
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const TColor expected = PtInRect(clip, TPoint{x, y}) ? full.PixelAt(x, y) : clWhite;
                ASSERT_EQ(clipped.PixelAt(x, y), expected)
                    << "trial " << trial << " pixel " << x << "," << y << " line " << x0 << "," << y0 << " " << x1
                    << "," << y1 << " " << x2 << "," << y2;
            }
    }
}

TEST(ImageDeviceLine, FarEndPointsCostOnlyTheVisiblePart)
{
    BlackPenDevice d(40, 30);
    d.MoveTo(10, 10);
    d.LineTo(1 << 28, 10 + (1 << 27)); // a value far off the axis, clamped by the caller
    EXPECT_EQ(CountPixels(d, clBlack), 30);
    EXPECT_EQ(d.PixelAt(10, 10), clBlack);
    EXPECT_EQ(d.PixelAt(12, 11), clBlack);
    BlackPenDevice steep(40, 30, psDot);
    steep.MoveTo(5, -(1 << 28));
    steep.LineTo(5, 1 << 28);
    EXPECT_EQ(CountPixels(steep, clBlack), 15);
}

TEST(ImageDeviceRectangle, RightColumnAndBottomRowLieOutside)
{
    ImageDevice d(8, 6);
    d.SelectPen(DevicePen{clBlack, psSolid, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clRed, bsSolid, {}});
    d.Rectangle(1, 1, 6, 5);
    EXPECT_EQ(Art(d, 8, 6), (Picture{"........", ".#####..", ".#rrr#..", ".#rrr#..", ".#####..", "........"}));
}

TEST(ImageDeviceRectangle, CornersAreSortedAndClearPenFillsAll)
{
    ImageDevice d(6, 4);
    d.SelectPen(DevicePen{clBlack, psClear, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clRed, bsSolid, {}});
    d.Rectangle(4, 3, 1, 1);
    EXPECT_EQ(Art(d, 6, 4), (Picture{"......", ".rrr..", ".rrr..", "......"}));
}

TEST(ImageDeviceRectangle, ClearBrushLeavesTheInside)
{
    ImageDevice d(5, 5);
    d.SetPixel(2, 2, clRed);
    d.SelectPen(DevicePen{clBlack, psSolid, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clWhite, bsClear, {}});
    d.Rectangle(0, 0, 5, 5);
    EXPECT_EQ(Art(d, 5, 5), (Picture{"#####", "#...#", "#.r.#", "#...#", "#####"}));
}

TEST(ImageDeviceRectangle, NotXorTwiceRestoresThePicture)
{
    for (const TRect& r : {TRect{1, 1, 7, 5}, TRect{2, 2, 3, 6}, TRect{0, 3, 8, 4}}) {
        ImageDevice d(8, 6);
        d.SetPixel(3, 3, clBlue);
        d.SetPixel(1, 1, clGray);
        const QImage before = *d.Image();
        d.SelectPen(DevicePen{clRed, psSolid, 1, pmNotXor});
        d.SelectBrush(DeviceBrush{clWhite, bsClear, {}});
        d.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
        EXPECT_NE(*d.Image(), before);
        d.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
        EXPECT_EQ(*d.Image(), before) << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
    }
}

TEST(ImageDeviceFill, FillRectCoversLeftToRightMinusOne)
{
    ImageDevice d(5, 4);
    d.SelectBrush(DeviceBrush{clBlack, bsSolid, {}});
    d.FillRect(TRect{1, 1, 3, 3});
    EXPECT_EQ(Art(d, 5, 4), (Picture{".....", ".##..", ".##..", "....."}));
    d.SelectBrush(DeviceBrush{clRed, bsClear, {}});
    d.FillRect(TRect{0, 0, 5, 4});
    EXPECT_EQ(CountPixels(d, clRed), 0);
}

TEST(ImageDeviceFill, HatchGapsTakeTheBackgroundOnlyWhenOpaque)
{
    ImageDevice d(8, 2);
    d.SelectBrush(DeviceBrush{clBlack, bsVertical, {}});
    d.SetBkColor(clRed);
    d.SetBkMode(OPAQUE);
    d.FillRect(TRect{0, 0, 8, 1});
    d.SetBkMode(TRANSPARENT);
    d.FillRect(TRect{0, 1, 8, 2});
    EXPECT_EQ(Art(d, 8, 2), (Picture{"#rrrrrrr", "#......."}));
}

TEST(ImageDeviceFill, MonochromeDeviceWritesBlackOrWhite)
{
    ImageDevice d(3, 1, true);
    EXPECT_TRUE(d.Monochrome());
    d.SetPixel(0, 0, 0x0000FF);
    d.SetPixel(1, 0, 0xC0C0C0);
    d.SetPixel(2, 0, 0x404040);
    EXPECT_EQ(Art(d, 3, 1), (Picture{"#.#"}));
}

TEST(ImageDeviceCopy, CopiesAndClips)
{
    ImageDevice source(2, 2);
    source.SetPixel(0, 0, clRed);
    source.SetPixel(1, 1, clBlue);
    ImageDevice target(4, 3);
    target.CopyFrom(source, 1, 1);
    EXPECT_EQ(Art(target, 4, 3), (Picture{"....", ".r..", "..b."}));
    ImageDevice edge(2, 2);
    edge.CopyFrom(source, 1, 1);
    EXPECT_EQ(Art(edge, 2, 2), (Picture{"..", ".r"}));
}

// The device writes through the buffer it last detached; a copy taken since
// from a pointer held all along shares that buffer, so the next primitive of
// every kind must detach again rather than change the copy.
TEST(ImageDeviceCopy, CopiesTakenWhileDrawingKeepTheirPixels)
{
    ImageDevice d(6, 2);
    const QImage* held = d.Image();
    d.SelectPen(DevicePen{clRed, psDot, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clBlue, bsSolid, {}});
    const std::vector<std::function<void()>> primitives = {
        [&] { d.MoveTo(0, 0), d.LineTo(2, 0); }, // a short styled row
        [&] { d.MoveTo(0, 1), d.LineTo(5, 0); }, [&] { d.SetPixel(3, 1, clBlack); },
        [&] { d.FillRect(TRect{1, 0, 3, 2}); },  [&] { d.FillRect(d.Bounds()); },
        [&] { d.Rectangle(0, 0, 6, 2); },
    };
    for (const auto& draw : primitives) {
        draw();
        const QImage copy = *held;
        const QImage before = copy.copy();
        for (const auto& again : primitives)
            again();
        d.SelectBrush(DeviceBrush{clWhite, bsSolid, {}});
        d.FillRect(d.Bounds());
        EXPECT_EQ(copy, before);
        d.SelectBrush(DeviceBrush{clBlue, bsSolid, {}});
    }
}

TEST(ImageDeviceFigures, EllipseStaysInsideTheRectangleRule)
{
    ImageDevice d(20, 14);
    d.SelectPen(DevicePen{clBlack, psSolid, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clRed, bsSolid, {}});
    d.Ellipse(2, 2, 16, 12);
    const TRect ink = InkBounds(d, clBlack);
    EXPECT_EQ(ink, (TRect{2, 2, 16, 12}));
    EXPECT_EQ(d.PixelAt(9, 7), clRed);
    EXPECT_EQ(d.PixelAt(2, 2), clWhite); // the corner is outside the curve
}

TEST(ImageDeviceFigures, NotXorEllipseAndPolygonDrawnTwiceLeaveNoTrace)
{
    ImageDevice d(20, 14);
    d.SetPixel(9, 7, clBlue);
    const QImage before = *d.Image();
    d.SelectPen(DevicePen{clRed, psSolid, 1, pmNotXor});
    d.SelectBrush(DeviceBrush{clRed, bsSolid, {}});
    const TPoint triangle[] = {{1, 1}, {18, 3}, {6, 12}};
    for (int pass = 0; pass < 2; ++pass) {
        d.Ellipse(2, 2, 16, 12);
        d.Polygon(triangle);
        if (pass == 0) {
            EXPECT_NE(*d.Image(), before);
        }
    }
    EXPECT_EQ(*d.Image(), before);
}

TEST(ImageDeviceFigures, PolygonFillsItsInside)
{
    ImageDevice d(12, 12);
    d.SelectPen(DevicePen{clBlack, psClear, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clRed, bsSolid, {}});
    const TPoint square[] = {{2, 2}, {9, 2}, {9, 9}, {2, 9}};
    d.Polygon(square);
    EXPECT_EQ(d.PixelAt(5, 5), clRed);
    EXPECT_EQ(d.PixelAt(10, 5), clWhite);
    EXPECT_EQ(InkBounds(d, clBlack), TRect{});
}
