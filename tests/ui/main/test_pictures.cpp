// SPDX-License-Identifier: MIT
// The compiled-in pictures: sizes and colour depths as the windows show them.

#include "tests/ui/QtPrinters.h"
#include "ui/common/Controls.h"

#include <QImage>

#include <gtest/gtest.h>

#include <ostream>
#include <set>

namespace nc {
namespace {

struct PictureRow {
    const char* path;
    QSize size;
    int palette; // entries of the colour table
};

void PrintTo(const PictureRow& r, std::ostream* os)
{
    *os << r.path;
}

class PictureTest : public ::testing::TestWithParam<PictureRow> {};

TEST_P(PictureTest, SizeAndPalette)
{
    LoadPictures();
    const QImage image(QString::fromLatin1(GetParam().path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), GetParam().size);
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.colorCount(), GetParam().palette);
    std::set<QRgb> used;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            used.insert(image.pixel(x, y));
    EXPECT_GT(used.size(), 2u) << "a picture, not a blank";
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureTest,
                         ::testing::Values(PictureRow{":/pictures/banner.png", {550, 200}, 16},
                                           PictureRow{":/pictures/splash.png", {136, 131}, 256},
                                           PictureRow{":/pictures/icon.png", {32, 32}, 16}));

// Below row 172 and right of column 547 the banner holds only background: the
// control shows everything that is drawn.
TEST(BannerTest, HiddenPartIsBackground)
{
    LoadPictures();
    const QImage banner(QStringLiteral(":/pictures/banner.png"));
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < banner.height(); ++y) {
        for (int x = 0; x < banner.width(); ++x) {
            if (y >= 172 || x >= 547) {
                ASSERT_EQ(banner.pixel(x, y), white) << x << "," << y;
            }
        }
    }
}

} // namespace
} // namespace nc
