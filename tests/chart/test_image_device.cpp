// SPDX-License-Identifier: MIT
// Pixel rules of the image device and the transcript of the recording device.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <random>

#include "PixelArt.h"
#include "chart/ChartDevice.h"

using namespace nc;
using nc::test::Art;
using nc::test::CountPixels;
using nc::test::InkBounds;
using Picture = std::vector<std::string>;

namespace {

struct BlackPenDevice : ImageDevice {
    BlackPenDevice(int w, int h, TPenStyle style = psSolid, TPenMode mode = pmCopy) : ImageDevice(w, h) {
        SelectPen(DevicePen{clBlack, style, 1, mode});
    }
};

}  // namespace

TEST(ImageDeviceLine, OmitsTheEndPixelInEveryDirection) {
    struct Row {
        int x0, y0, x1, y1;
        Picture expected;
    };
    const Row rows[] = {
        {0, 1, 4, 1, {".....", "####.", "....."}},
        {4, 1, 0, 1, {".....", ".####", "....."}},
        {1, 0, 1, 2, {".#...", ".#...", "....."}},
        {1, 2, 1, 0, {".....", ".#...", ".#..."}},
        {0, 0, 4, 2, {"##...", "..##.", "....."}},
        {4, 2, 0, 0, {".....", ".##..", "...##"}},
    };
    for (const Row& row : rows) {
        BlackPenDevice d(5, 3);
        d.MoveTo(row.x0, row.y0);
        d.LineTo(row.x1, row.y1);
        EXPECT_EQ(Art(d, 5, 3), row.expected) << row.x0 << "," << row.y0 << " -> " << row.x1 << "," << row.y1;
        EXPECT_EQ(d.CurrentPoint(), (TPoint{row.x1, row.y1}));
    }
}

TEST(ImageDeviceLine, PolylineWritesEveryPixelOnce) {
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

TEST(ImageDeviceLine, LineToCurrentPointDrawsNothing) {
    BlackPenDevice d(3, 3);
    d.MoveTo(1, 1);
    d.LineTo(1, 1);
    EXPECT_EQ(CountPixels(d, clBlack), 0);
}

TEST(ImageDeviceLine, ClearPenMovesWithoutDrawing) {
    BlackPenDevice d(5, 1, psClear);
    d.MoveTo(0, 0);
    d.LineTo(4, 0);
    EXPECT_EQ(CountPixels(d, clBlack), 0);
    EXPECT_EQ(d.CurrentPoint(), (TPoint{4, 0}));
}

TEST(ImageDeviceLine, DottedPatternRunsOnAlongThePolyline) {
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

TEST(ImageDeviceLine, DashPatterns) {
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
TEST(ImageDeviceLine, LongStyledRowsMatchAWalkOfSinglePixelSteps) {
    const TPenStyle styles[] = {psDot, psDash, psDashDot, psDashDotDot, psSolid};
    std::mt19937 random(7);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int trial = 0; trial < 400; ++trial) {
        const TPenStyle style = styles[trial % 5];
        const int x0 = pick(200) - 20;
        const int x1 = pick(200) - 20;
        const int dx = x1 >= x0 ? 1 : -1;
        const int start = x0 - dx * pick(30);  // a short lead-in sets the phase at x0
        const TRect clip = pick(2) == 0 ? TRect{0, 0, 180, 2} : TRect{pick(20), 0, 180 - pick(20), 2};
        ImageDevice blocks(180, 2);
        ImageDevice steps(180, 2);
        for (ImageDevice* d : {&blocks, &steps}) {
            for (int x = 0; x < 180; x += 7) d->SetPixel(x, 1, clBlue);
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
TEST(ImageDeviceLine, PolylineDrawsWhatALineToEachPointDraws) {
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
            if (pick(5) == 0) p.Y = pick(20);
            points.push_back(p);
        }
        const DevicePen pen{0x123456, styles[pick(5)], pick(4) == 0 ? 3 : 1, modes[pick(3)]};
        const int startX = pick(2) == 0 ? points[0].X - 4 : 30;
        ImageDevice poly(80, 20);
        ImageDevice single(80, 20);
        for (ImageDevice* d : {&poly, &single}) {
            for (int x = 0; x < 80; x += 3) d->SetPixel(x, x % 20, clBlue);
            d->SelectPen(pen);
            d->MoveTo(startX, points[0].Y);
        }
        poly.PolyLineTo(points);
        for (const TPoint& q : points) single.LineTo(q.X, q.Y);
        ASSERT_EQ(*poly.Image(), *single.Image()) << "trial " << trial;
        ASSERT_EQ(poly.CurrentPoint(), single.CurrentPoint()) << "trial " << trial;
    }
}

TEST(ImageDeviceLine, ClippedLineKeepsItsPixelsInsideTheClip) {
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

TEST(ImageDeviceLine, InvertedClipLeavesNothingDrawable) {
    BlackPenDevice d(4, 4);
    d.SetClipRect(TRect{3, 3, 1, 1});
    d.MoveTo(0, 0);
    d.LineTo(4, 4);
    d.FillRect(TRect{0, 0, 4, 4});
    EXPECT_EQ(CountPixels(d, clBlack), 0);
    EXPECT_TRUE(d.ClipRect().IsEmpty());
}

TEST(ImageDeviceLine, WidePenCoversABand) {
    ImageDevice d(10, 7);
    d.SelectPen(DevicePen{clBlack, psDot, 3, pmCopy});
    d.MoveTo(1, 3);
    d.LineTo(8, 3);
    const TRect ink = InkBounds(d, clBlack);
    EXPECT_EQ(ink.Height(), 3);
    EXPECT_EQ(ink.Top, 2);
    // A wide pen is solid whatever its style.
    for (int x = 2; x < 8; ++x) EXPECT_EQ(d.PixelAt(x, 3), clBlack) << x;
}

TEST(ImageDeviceLine, PenModes) {
    struct Row {
        TPenMode mode;
        TColor before, pen, after;
    };
    const Row rows[] = {
        {pmCopy, 0x123456, 0x0000FF, 0x0000FF},     {pmNotXor, 0xFFFFFF, 0x0000FF, 0x0000FF},
        {pmNotXor, 0x0000FF, 0x0000FF, 0xFFFFFF},   {pmXor, 0x00FF00, 0x0000FF, 0x00FFFF},
        {pmNot, 0x00FF00, 0x0000FF, 0xFF00FF},      {pmBlack, 0x123456, 0xFFFFFF, 0x000000},
        {pmWhite, 0x123456, 0x000000, 0xFFFFFF},    {pmNop, 0x123456, 0x000000, 0x123456},
        {pmMask, 0x00FFFF, 0x0000FF, 0x0000FF},     {pmMerge, 0x00FF00, 0x0000FF, 0x00FFFF},
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

TEST(ImageDeviceRectangle, RightColumnAndBottomRowLieOutside) {
    ImageDevice d(8, 6);
    d.SelectPen(DevicePen{clBlack, psSolid, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clRed, bsSolid, {}});
    d.Rectangle(1, 1, 6, 5);
    EXPECT_EQ(Art(d, 8, 6), (Picture{"........", ".#####..", ".#rrr#..", ".#rrr#..", ".#####..", "........"}));
}

TEST(ImageDeviceRectangle, CornersAreSortedAndClearPenFillsAll) {
    ImageDevice d(6, 4);
    d.SelectPen(DevicePen{clBlack, psClear, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clRed, bsSolid, {}});
    d.Rectangle(4, 3, 1, 1);
    EXPECT_EQ(Art(d, 6, 4), (Picture{"......", ".rrr..", ".rrr..", "......"}));
}

TEST(ImageDeviceRectangle, ClearBrushLeavesTheInside) {
    ImageDevice d(5, 5);
    d.SetPixel(2, 2, clRed);
    d.SelectPen(DevicePen{clBlack, psSolid, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clWhite, bsClear, {}});
    d.Rectangle(0, 0, 5, 5);
    EXPECT_EQ(Art(d, 5, 5), (Picture{"#####", "#...#", "#.r.#", "#...#", "#####"}));
}

TEST(ImageDeviceRectangle, NotXorTwiceRestoresThePicture) {
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

TEST(ImageDeviceFill, FillRectCoversLeftToRightMinusOne) {
    ImageDevice d(5, 4);
    d.SelectBrush(DeviceBrush{clBlack, bsSolid, {}});
    d.FillRect(TRect{1, 1, 3, 3});
    EXPECT_EQ(Art(d, 5, 4), (Picture{".....", ".##..", ".##..", "....."}));
    d.SelectBrush(DeviceBrush{clRed, bsClear, {}});
    d.FillRect(TRect{0, 0, 5, 4});
    EXPECT_EQ(CountPixels(d, clRed), 0);
}

TEST(ImageDeviceFill, HatchGapsTakeTheBackgroundOnlyWhenOpaque) {
    ImageDevice d(8, 2);
    d.SelectBrush(DeviceBrush{clBlack, bsVertical, {}});
    d.SetBkColor(clRed);
    d.SetBkMode(OPAQUE);
    d.FillRect(TRect{0, 0, 8, 1});
    d.SetBkMode(TRANSPARENT);
    d.FillRect(TRect{0, 1, 8, 2});
    EXPECT_EQ(Art(d, 8, 2), (Picture{"#rrrrrrr", "#......."}));
}

TEST(ImageDeviceFill, MonochromeDeviceWritesBlackOrWhite) {
    ImageDevice d(3, 1, true);
    EXPECT_TRUE(d.Monochrome());
    d.SetPixel(0, 0, 0x0000FF);
    d.SetPixel(1, 0, 0xC0C0C0);
    d.SetPixel(2, 0, 0x404040);
    EXPECT_EQ(Art(d, 3, 1), (Picture{"#.#"}));
}

TEST(ImageDeviceCopy, CopiesAndClips) {
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
TEST(ImageDeviceCopy, CopiesTakenWhileDrawingKeepTheirPixels) {
    ImageDevice d(6, 2);
    const QImage* held = d.Image();
    d.SelectPen(DevicePen{clRed, psDot, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clBlue, bsSolid, {}});
    const std::vector<std::function<void()>> primitives = {
        [&] { d.MoveTo(0, 0), d.LineTo(2, 0); },  // a short styled row
        [&] { d.MoveTo(0, 1), d.LineTo(5, 0); },
        [&] { d.SetPixel(3, 1, clBlack); },
        [&] { d.FillRect(TRect{1, 0, 3, 2}); },
        [&] { d.FillRect(d.Bounds()); },
        [&] { d.Rectangle(0, 0, 6, 2); },
    };
    for (const auto& draw : primitives) {
        draw();
        const QImage copy = *held;
        const QImage before = copy.copy();
        for (const auto& again : primitives) again();
        d.SelectBrush(DeviceBrush{clWhite, bsSolid, {}});
        d.FillRect(d.Bounds());
        EXPECT_EQ(copy, before);
        d.SelectBrush(DeviceBrush{clBlue, bsSolid, {}});
    }
}

class ImageDeviceText : public ::testing::Test {
protected:
    ImageDevice d{120, 80};
    void SetUp() override {
        DeviceFont font;
        font.Height = -13;
        d.SelectFont(font);
        d.SetBkColor(clRed);
    }
};

TEST_F(ImageDeviceText, MeasuresWithTheFont) {
    const TSize wide = d.TextExtent("WWWW");
    const TSize narrow = d.TextExtent("iiii");
    EXPECT_GT(wide.Width, narrow.Width);
    EXPECT_GE(wide.Height, 13);
    EXPECT_EQ(wide.Height, narrow.Height);
    EXPECT_EQ(d.TextExtent("").Width, 0);
}

TEST_F(ImageDeviceText, FontsPastWhatQtMeasuresStopAtTheLargestSize) {
    // Qt measures a 30000-pixel font as less than nothing; such fonts, and
    // heights at the ends of int either way, measure as the largest size.
    auto extent = [this](int height) {
        DeviceFont font;
        font.Height = height;
        d.SelectFont(font);
        return d.TextExtent("10");
    };
    const TSize largest = extent(-8192);
    EXPECT_GT(largest.Height, 8192);
    EXPECT_GT(largest.Width, 8192);
    for (const int height : {-30000, std::numeric_limits<int>::min()}) EXPECT_EQ(extent(height), largest) << height;
    const TSize largestCell = extent(8192);  // a positive height is the whole cell
    for (const int height : {30000, std::numeric_limits<int>::max()}) EXPECT_EQ(extent(height), largestCell) << height;
}

TEST_F(ImageDeviceText, TextFarLargerThanThePictureDrawsThroughTheClip) {
    // A whole render of this caption would need gigabytes; drawn through the
    // clip it paints every pixel there, in the background or the text colour.
    DeviceFont font;
    font.Height = -8192;
    font.Color = clBlue;
    d.SelectFont(font);
    d.SetBkMode(OPAQUE);
    d.TextOut(-1000, -4000, "Inicializar el brazo y la referencia");
    const QImage& image = *d.Image();
    int blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFFu;
            ASSERT_TRUE(p == 0xFF0000u || p == 0x0000FFu) << x << "," << y;
            blue += p == 0x0000FFu;
        }
    }
    EXPECT_GT(blue, 0);
}

TEST_F(ImageDeviceText, OpaqueBackgroundFillsExactlyTheCell) {
    d.SetBkMode(OPAQUE);
    d.TextOut(10, 20, "Ab");
    const TSize cell = d.TextExtent("Ab");
    const TRect bg = InkBounds(d, clRed);
    EXPECT_EQ(bg, (TRect{10, 20, 10 + cell.Width, 20 + cell.Height}));
    const TRect ink = InkBounds(d, clBlack);
    EXPECT_FALSE(ink.IsEmpty());
    EXPECT_GE(ink.Left, 10);
    EXPECT_GE(ink.Top, 20);
}

TEST_F(ImageDeviceText, TransparentBackgroundLeavesThePicture) {
    d.SetBkMode(TRANSPARENT);
    d.TextOut(10, 20, "Ab");
    EXPECT_EQ(CountPixels(d, clRed), 0);
    EXPECT_GT(CountPixels(d, clBlack), 0);
}

TEST_F(ImageDeviceText, AlignmentFlagsPlaceTheCell) {
    d.SetBkMode(OPAQUE);
    const TSize cell = d.TextExtent("Text");
    struct Row {
        unsigned flags;
        TRect expected;
    };
    const Row rows[] = {
        {TA_LEFT | TA_TOP, {60, 40, 60 + cell.Width, 40 + cell.Height}},
        {TA_RIGHT | TA_TOP, {60 - cell.Width, 40, 60, 40 + cell.Height}},
        {TA_CENTER | TA_TOP, {60 - cell.Width / 2, 40, 60 - cell.Width / 2 + cell.Width, 40 + cell.Height}},
        {TA_LEFT | TA_BOTTOM, {60, 40 - cell.Height, 60 + cell.Width, 40}},
    };
    for (const Row& row : rows) {
        d.SelectBrush(DeviceBrush{clWhite, bsSolid, {}});
        d.FillRect(d.Bounds());
        d.SetTextAlign(row.flags);
        d.TextOut(60, 40, "Text");
        EXPECT_EQ(InkBounds(d, clRed), row.expected) << "flags " << row.flags;
    }
}

TEST_F(ImageDeviceText, EscapementTurnsTheTextCounterClockwise) {
    DeviceFont font = d.Font();
    font.Escapement = 900;
    d.SelectFont(font);
    d.SetBkMode(OPAQUE);
    d.TextOut(30, 70, "Text");
    const TSize cell = d.TextExtent("Text");
    const TRect bg = InkBounds(d, clRed);
    // Turned up: the text runs from (30, 70) towards the top, the cell's
    // height lies to the right.
    EXPECT_EQ(bg.Bottom, 70);
    EXPECT_EQ(bg.Height(), cell.Width);
    EXPECT_EQ(bg.Left, 30);
    EXPECT_EQ(bg.Width(), cell.Height);
}

TEST_F(ImageDeviceText, TextIsClipped) {
    d.SetBkMode(OPAQUE);
    d.SetClipRect(TRect{0, 0, 15, 80});
    d.TextOut(10, 20, "Wide text");
    EXPECT_EQ(InkBounds(d, clRed).Right, 15);
}

// Text wholly inside the clip skips the test of each run: at every position
// around the clip's edges, clipped text is the unclipped text inside the
// clip and nothing outside it.
TEST_F(ImageDeviceText, ClippedTextIsTheUnclippedTextInsideTheClip) {
    const TRect clip{30, 25, 90, 55};
    d.SetBkMode(OPAQUE);
    ImageDevice full(120, 80);
    full.SelectFont(d.Font());
    full.SetBkColor(clRed);
    full.SetBkMode(OPAQUE);
    const TSize cell = d.TextExtent("Ag");
    for (int y = clip.Top - cell.Height - 1; y <= clip.Bottom + 1; ++y) {
        for (int x = clip.Left - cell.Width - 1; x <= clip.Right + 1; x += 3) {
            for (ImageDevice* device : {&d, &full}) {
                device->SetClipRect(device->Bounds());
                device->SelectBrush(DeviceBrush{clWhite, bsSolid, {}});
                device->FillRect(device->Bounds());
            }
            d.SetClipRect(clip);
            d.TextOut(x, y, "Ag");
            full.TextOut(x, y, "Ag");
            for (int py = 0; py < 80; ++py)
                for (int px = 0; px < 120; ++px) {
                    const TColor expected = PtInRect(clip, TPoint{px, py}) ? full.PixelAt(px, py) : clWhite;
                    ASSERT_EQ(d.PixelAt(px, py), expected) << "text at " << x << "," << y << " pixel " << px << "," << py;
                }
        }
    }
}

TEST(RecordingDevice, RecordsCallsAndKeepsState) {
    RecordingDevice d(100, 50);
    d.SelectPen(DevicePen{clRed, psDot, 1, pmNotXor});
    d.SelectBrush(DeviceBrush{clWhite, bsClear, {}});
    d.MoveTo(1, 2);
    d.LineTo(3, 4);
    d.Rectangle(0, 0, 10, 10);
    d.SetClipRect(TRect{-5, 10, 200, 20});
    d.SetBkMode(TRANSPARENT);
    d.SetTextAlign(TA_CENTER | TA_BOTTOM);
    d.TextOut(5, 6, "hi");
    const std::vector<std::string> expected = {
        "Pen(0x0000FF,psDot,1,pmNotXor)", "Brush(0xFFFFFF,bsClear)", "MoveTo(1,2)", "LineTo(3,4)",
        "Rectangle(0,0,10,10)",           "Clip(0,10,100,20)",      "BkMode(1)",   "TextAlign(14)",
        "TextOut(5,6,\"hi\")",
    };
    EXPECT_EQ(d.Calls(), expected);
    EXPECT_EQ(d.CurrentPoint(), (TPoint{3, 4}));
    EXPECT_EQ(d.GetBkMode(), TRANSPARENT);
    EXPECT_EQ(d.GetTextAlign(), TA_CENTER | TA_BOTTOM);
    EXPECT_EQ(d.TextExtent("abc"), (TSize{18, 11}));
}

TEST(ImageDeviceLine, ClippedWalkMatchesTheFullWalkInsideTheClip) {
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
                    << "trial " << trial << " pixel " << x << "," << y << " line " << x0 << "," << y0 << " "
                    << x1 << "," << y1 << " " << x2 << "," << y2;
            }
    }
}

TEST(ImageDeviceLine, FarEndPointsCostOnlyTheVisiblePart) {
    BlackPenDevice d(40, 30);
    d.MoveTo(10, 10);
    d.LineTo(1 << 28, 10 + (1 << 27));  // a value far off the axis, clamped by the caller
    EXPECT_EQ(CountPixels(d, clBlack), 30);
    EXPECT_EQ(d.PixelAt(10, 10), clBlack);
    EXPECT_EQ(d.PixelAt(12, 11), clBlack);
    BlackPenDevice steep(40, 30, psDot);
    steep.MoveTo(5, -(1 << 28));
    steep.LineTo(5, 1 << 28);
    EXPECT_EQ(CountPixels(steep, clBlack), 15);
}

TEST(ImageDeviceFigures, EllipseStaysInsideTheRectangleRule) {
    ImageDevice d(20, 14);
    d.SelectPen(DevicePen{clBlack, psSolid, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clRed, bsSolid, {}});
    d.Ellipse(2, 2, 16, 12);
    const TRect ink = InkBounds(d, clBlack);
    EXPECT_EQ(ink, (TRect{2, 2, 16, 12}));
    EXPECT_EQ(d.PixelAt(9, 7), clRed);
    EXPECT_EQ(d.PixelAt(2, 2), clWhite);  // the corner is outside the curve
}

TEST(ImageDeviceFigures, NotXorEllipseAndPolygonDrawnTwiceLeaveNoTrace) {
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

TEST(ImageDeviceFigures, PolygonFillsItsInside) {
    ImageDevice d(12, 12);
    d.SelectPen(DevicePen{clBlack, psClear, 1, pmCopy});
    d.SelectBrush(DeviceBrush{clRed, bsSolid, {}});
    const TPoint square[] = {{2, 2}, {9, 2}, {9, 9}, {2, 9}};
    d.Polygon(square);
    EXPECT_EQ(d.PixelAt(5, 5), clRed);
    EXPECT_EQ(d.PixelAt(10, 5), clWhite);
    EXPECT_EQ(InkBounds(d, clBlack), TRect{});
}

// The image device keeps each font's texts measured and rendered, and shares
// whole pictures between devices until one is written. A device that has
// drawn many texts (warm tables, shared buffers) must draw exactly what a
// fresh device draws for every step of a random mix of fonts, turns, texts,
// colours, alignments, backgrounds, clips and fills; and a picture copied out
// must not change when the source goes on drawing.
// A font's table of texts is dropped whole when it outgrows its bound; the
// texts looked up last must not outlive it.
TEST(ImageDeviceTextTables, TextsMeasureAlikeAcrossTheTablesBeingDropped) {
    ImageDevice device(200, 40);
    ImageDevice fresh(200, 40);
    const TSize label = fresh.TextExtent("12,5");
    const TSize w = fresh.TextExtent("W");
    for (int i = 0; i < 2500; ++i) {
        ASSERT_EQ(device.TextExtent("12,5"), label) << i;
        ASSERT_EQ(device.TextExtent("W"), w) << i;
        const std::string other = std::to_string(i);
        ASSERT_EQ(device.TextExtent(other).Width, fresh.TextExtent(other).Width) << i;
    }
    device.TextOut(10, 10, "12,5");
    fresh.TextOut(10, 10, "12,5");
    EXPECT_EQ(*device.Image(), *fresh.Image());
}

TEST(ImageDeviceTextTables, WarmTablesAndSharedPicturesDrawWhatAFreshDeviceDraws) {
    constexpr int w = 120;
    constexpr int h = 90;
    const std::vector<std::string> texts = {"0", "10", "1.000", "-0,5", "Muestreos ", "Posici\xC3\xB3n", "W", "Ab", ""};
    const int escapements[] = {0, 900, -900, 2700, 1800, 450};
    const unsigned aligns[] = {TA_LEFT | TA_TOP, TA_RIGHT | TA_TOP, TA_CENTER | TA_TOP, TA_CENTER | TA_BOTTOM,
                               TA_LEFT | TA_BASELINE};
    const TColor colours[] = {clBlack, clWhite, clRed, clBlue, 0x123456};
    std::mt19937 random(20261208);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

    ImageDevice warm(w, h);
    ImageDevice screen(w, h);
    auto reference = std::make_unique<ImageDevice>(w, h);
    QImage copiedOut;  // the screen's picture when it was last copied
    for (int step = 0; step < 400; ++step) {
        DeviceFont font;
        font.Name = pick(3) == 0 ? "DejaVu Sans" : "Arial";
        font.Height = std::vector<int>{-11, -13, 12}[pick(3)];
        font.Bold = pick(4) == 0;
        font.Italic = pick(5) == 0;
        font.Escapement = escapements[pick(6)];
        font.Color = colours[pick(5)];
        const std::string text = texts[pick(static_cast<int>(texts.size()))];
        const unsigned align = aligns[pick(5)];
        const int mode = pick(2) == 0 ? OPAQUE : TRANSPARENT;
        const TColor back = colours[pick(5)];
        const TRect clip = pick(3) == 0 ? TRect{pick(w / 2), pick(h / 2), w / 2 + pick(w / 2), h / 2 + pick(h / 2)}
                                        : TRect{0, 0, w, h};
        const int x = pick(w + 40) - 20;
        const int y = pick(h + 40) - 20;
        const int kind = pick(10);
        const DeviceBrush brush{colours[pick(5)], bsSolid, {}};
        const TRect fill = pick(2) == 0 ? TRect{0, 0, w, h} : TRect{x, y, x + 30, y + 20};
        auto draw = [&](ImageDevice& d) {
            d.SelectFont(font);
            d.SetTextAlign(align);
            d.SetBkMode(mode);
            d.SetBkColor(back);
            d.SetClipRect(clip);
            if (kind == 0) {
                d.SelectBrush(brush);
                d.FillRect(fill);
            } else {
                d.TextOut(x, y, text);
            }
        };
        draw(warm);
        // The reference measures and renders everything afresh.
        auto fresh = std::make_unique<ImageDevice>(w, h);
        fresh->CopyFrom(*reference, 0, 0);
        draw(*fresh);
        reference = std::move(fresh);
        ASSERT_EQ(*warm.Image(), *reference->Image()) << "step " << step;
        ASSERT_EQ(warm.TextExtent(text), reference->TextExtent(text)) << "step " << step;
        if (!copiedOut.isNull()) {
            ASSERT_EQ(*screen.Image(), copiedOut) << "step " << step;
        }
        if (pick(8) == 0) {
            warm.SetClipRect(warm.Bounds());
            screen.CopyFrom(warm, 0, 0);
            copiedOut = screen.Image()->copy();
            ASSERT_EQ(copiedOut, *reference->Image()) << "step " << step;
        }
    }
}

// Long vertical lines are written later, together; whatever comes between
// (lines, fills, text, pixels, copies, clip changes) must find the picture
// that drawing in call order gives. The reference draws each vertical line
// as one-pixel steps (never held) and reads its picture after every call;
// the device under test is read only now and then.
TEST(ImageDeviceHeldColumns, DrawWhatDrawingInCallOrderDraws) {
    constexpr int w = 1100;  // rows over 4 KB, as in a large chart
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
    int lastX = 0;  // the last vertical line's column
    for (int step = 0; step < 3000; ++step) {
        const int kind = pick(16);
        const DevicePen pen{colours[pick(5)], styles[pick(5)], 1, pick(8) == 0 ? pmXor : pmCopy};
        const int x = pick(8) == 0 ? pick(w + 20) - 10 : 500 + pick(100);  // mostly where lines meet
        const int y0 = pick(h + 40) - 20;
        const int y1 = pick(h + 40) - 20;
        const int lead = pick(3) == 0 ? pick(9) - 4 : 0;  // a short line before sets the phase
        // A vertical line at column vx from y0 to y1 after a lead that sets
        // the phase, in one LineTo or (steps) in one-pixel steps.
        auto vertical = [&](ImageDevice& d, bool steps, int vx, int vLead) {
            d.MoveTo(vx, y0 - vLead);
            if (vLead != 0) d.LineTo(vx, y0);
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
            case 0: case 1: case 2: case 3: case 4: case 5:
                vertical(d, steps, x, lead);
                break;
            case 6: case 7: case 8:
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
                if (pick(2) == 0) d.SetPixel(lastX, y0, colours[pick(5)]);
                else d.CopyFrom(patch, lastX - pick(4), y0);  // a block over the last line
                break;
            case 14:
                // A grid: lines alike in rows, pen and phase, the last one now
                // and then after a short lead that moves its phase on, or in
                // another style.
                for (int k = 0, n = 2 + pick(6); k < n; ++k) {
                    if (k == n - 1 && pick(3) == 0) d.SelectPen(DevicePen{pen.Color, styles[pick(5)], 1, pen.Mode});
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
        if (kind <= 5) lastX = x;
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
