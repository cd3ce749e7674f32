// SPDX-License-Identifier: MIT
// Pictures on screens with a device pixel ratio: whole ratios turn every
// picture pixel into a block of its own colour; fractional ratios resample.

#include "ui/common/Controls.h"

#include <QImage>
#include <QPainter>
#include <QSet>

#include <gtest/gtest.h>

namespace nc {
namespace {

// A black-and-white checkerboard: any blending shows as a third colour.
QImage Checkerboard(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

// A target of `logical` pixels at the given device pixel ratio.
QImage Screen(QSize logical, qreal ratio)
{
    QImage screen((QSizeF(logical) * ratio).toSize(), QImage::Format_RGB32);
    screen.setDevicePixelRatio(ratio);
    screen.fill(qRgb(0, 0, 255));
    return screen;
}

QSet<QRgb> Colours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours;
}

// Every device pixel carries the colour of the picture pixel it lies in.
void ExpectBlocks(const QImage& screen, const QImage& picture, int factor, QPoint at = {})
{
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const QPoint source(x / factor - at.x(), y / factor - at.y());
            const QRgb expected = picture.rect().contains(source) ? picture.pixel(source) : qRgb(0, 0, 255);
            ASSERT_EQ(screen.pixel(x, y), expected) << "device pixel " << x << ", " << y;
        }
}

class PixelPictureAtRatio : public ::testing::TestWithParam<int> {};

TEST_P(PixelPictureAtRatio, WholeRatiosGiveSharpBlocks)
{
    const int factor = GetParam();
    const QImage picture = Checkerboard(7, 5);
    QImage screen = Screen(QSize(10, 8), factor);
    {
        QPainter painter(&screen);
        DrawPixelPicture(painter, QPoint(2, 1), picture);
    }
    ExpectBlocks(screen, picture, factor, QPoint(2, 1));
}

INSTANTIATE_TEST_SUITE_P(Ratios, PixelPictureAtRatio, ::testing::Values(1, 2, 3));

TEST(PixelPicture, FractionalRatioResamplesSmoothly)
{
    QImage screen = Screen(QSize(8, 8), 1.5);
    {
        QPainter painter(&screen);
        DrawPixelPicture(painter, QPoint(0, 0), Checkerboard(8, 8));
    }
    // Blocks of one and two device pixels would make a lopsided board; the
    // resampled picture has greys between black and white.
    const QSet<QRgb> colours = Colours(screen);
    EXPECT_GT(colours.size(), 2);
}

TEST(PixelPicture, LeavesThePaintersHintsAsTheyWere)
{
    QImage screen = Screen(QSize(4, 4), 2);
    QPainter painter(&screen);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    DrawPixelPicture(painter, QPoint(0, 0), Checkerboard(4, 4));
    EXPECT_TRUE(painter.testRenderHint(QPainter::SmoothPixmapTransform));
}

// The animation's control, rendered as the screen would at ratio 2: its
// 1-pixel lines stay sharp 2 x 2 blocks.
TEST(ImageControl, AtRatioTwoEveryPixelIsASharpBlock)
{
    TImage control(nullptr);
    control.resize(9, 6);
    QImage& surface = control.Surface();
    const QImage board = Checkerboard(9, 6);
    surface = board;
    QImage screen = Screen(QSize(9, 6), 2);
    control.render(&screen);
    ExpectBlocks(screen, board, 2);
}

TEST(ImageControl, SurfaceStaysInLogicalPixels)
{
    TImage control(nullptr);
    control.resize(220, 205);
    EXPECT_EQ(control.Surface().size(), QSize(220, 205));
    EXPECT_EQ(control.Surface().devicePixelRatio(), 1.0);
}

} // namespace
} // namespace nc
