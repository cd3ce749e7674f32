// SPDX-License-Identifier: MIT
// Text on the image device: measuring, placing, clipping, and the per-font
// tables that keep texts measured and rendered.

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <random>

#include "tests/chart/PixelArt.h"
#include "chart/device/ImageDevice.h"

using namespace nc;
using nc::test::Art;
using nc::test::CountPixels;
using nc::test::InkBounds;
using Picture = std::vector<std::string>;

class ImageDeviceText : public ::testing::Test {
protected:
    ImageDevice d{120, 80};
    void SetUp() override
    {
        DeviceFont font;
        font.Height = -13;
        d.SelectFont(font);
        d.SetBkColor(clRed);
    }
};

TEST_F(ImageDeviceText, MeasuresWithTheFont)
{
    const TSize wide = d.TextExtent("WWWW");
    const TSize narrow = d.TextExtent("iiii");
    EXPECT_GT(wide.Width, narrow.Width);
    EXPECT_GE(wide.Height, 13);
    EXPECT_EQ(wide.Height, narrow.Height);
    EXPECT_EQ(d.TextExtent("").Width, 0);
}

TEST_F(ImageDeviceText, FontsPastWhatQtMeasuresStopAtTheLargestSize)
{
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
    for (const int height : {-30000, std::numeric_limits<int>::min()})
        EXPECT_EQ(extent(height), largest) << height;
    const TSize largestCell = extent(8192); // a positive height is the whole cell
    for (const int height : {30000, std::numeric_limits<int>::max()})
        EXPECT_EQ(extent(height), largestCell) << height;
}

TEST_F(ImageDeviceText, TextFarLargerThanThePictureDrawsThroughTheClip)
{
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

TEST_F(ImageDeviceText, OpaqueBackgroundFillsExactlyTheCell)
{
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

TEST_F(ImageDeviceText, TransparentBackgroundLeavesThePicture)
{
    d.SetBkMode(TRANSPARENT);
    d.TextOut(10, 20, "Ab");
    EXPECT_EQ(CountPixels(d, clRed), 0);
    EXPECT_GT(CountPixels(d, clBlack), 0);
}

TEST_F(ImageDeviceText, AlignmentFlagsPlaceTheCell)
{
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

TEST_F(ImageDeviceText, EscapementTurnsTheTextCounterClockwise)
{
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

TEST_F(ImageDeviceText, TextIsClipped)
{
    d.SetBkMode(OPAQUE);
    d.SetClipRect(TRect{0, 0, 15, 80});
    d.TextOut(10, 20, "Wide text");
    EXPECT_EQ(InkBounds(d, clRed).Right, 15);
}

// Text wholly inside the clip skips the test of each run: at every position
// around the clip's edges, clipped text is the unclipped text inside the
// clip and nothing outside it.
TEST_F(ImageDeviceText, ClippedTextIsTheUnclippedTextInsideTheClip)
{
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
                    ASSERT_EQ(d.PixelAt(px, py), expected)
                        << "text at " << x << "," << y << " pixel " << px << "," << py;
                }
        }
    }
}

// A font's table of texts is dropped whole when it outgrows its bound; the
// texts looked up last must not outlive it.
TEST(ImageDeviceTextTables, TextsMeasureAlikeAcrossTheTablesBeingDropped)
{
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

// The image device keeps each font's texts measured and rendered, and shares
// whole pictures between devices until one is written. A device that has
// drawn many texts (warm tables, shared buffers) must draw exactly what a
// fresh device draws for every step of a random mix of fonts, turns, texts,
// colours, alignments, backgrounds, clips and fills; and a picture copied out
// must not change when the source goes on drawing.
TEST(ImageDeviceTextTables, WarmTablesAndSharedPicturesDrawWhatAFreshDeviceDraws)
{
    constexpr int w = 120;
    constexpr int h = 90;
    const std::vector<std::string> texts = {"0", "10", "1.000", "-0,5", "Muestreos ", "Posici\xC3\xB3n", "W", "Ab", ""};
    const int escapements[] = {0, 900, -900, 2700, 1800, 450};
    const unsigned aligns[]
        = {TA_LEFT | TA_TOP, TA_RIGHT | TA_TOP, TA_CENTER | TA_TOP, TA_CENTER | TA_BOTTOM, TA_LEFT | TA_BASELINE};
    const TColor colours[] = {clBlack, clWhite, clRed, clBlue, 0x123456};
    std::mt19937 random(20261208);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

    ImageDevice warm(w, h);
    ImageDevice screen(w, h);
    auto reference = std::make_unique<ImageDevice>(w, h);
    QImage copiedOut; // the screen's picture when it was last copied
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
