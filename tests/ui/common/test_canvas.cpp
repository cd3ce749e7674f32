// SPDX-License-Identifier: MIT
// Which pixels each canvas operation covers, on small images, and the arm's
// rest scene painted on the 220 x 205 surface.

#include "tests/ui/QtPrinters.h"
#include "ui/common/Animacion.h"
#include "ui/common/Canvas.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace nc {
namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

// An image as rows of characters: '.' for the background, the first letter of
// a colour name otherwise (w white, r red, b blue, k black, ? anything else).
std::vector<std::string> Rows(const QImage& image, QRgb background)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y) | 0xff000000u;
            row += c == background ? '.'
                : c == kWhite      ? 'w'
                : c == kRed        ? 'r'
                : c == kBlue       ? 'b'
                : c == kBlack      ? 'k'
                                   : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

QImage Blank(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBlack);
    return image;
}

TEST(ImageCanvasTest, RectangleExcludesRightAndBottomEdge)
{
    QImage image = Blank(6, 5);
    ImageCanvas canvas(image);
    canvas.SetPen(Qt::white, 1, PenStyle::Solid);
    canvas.SetBrush(Qt::red);
    canvas.Rectangle(1, 1, 5, 4);
    EXPECT_EQ(Rows(image, kBlack), (std::vector<std::string>{"......", ".wwww.", ".wrrw.", ".wwww.", "......"}));
}

struct LineRow {
    const char* name;
    QPoint from, to;
    std::vector<std::string> rows;
};

void PrintTo(const LineRow& r, std::ostream* os)
{
    *os << r.name;
}

class LineTest : public ::testing::TestWithParam<LineRow> {};

TEST_P(LineTest, OmitsTheEndPixel)
{
    QImage image = Blank(5, 4);
    ImageCanvas canvas(image);
    canvas.SetPen(Qt::white, 1, PenStyle::Solid);
    canvas.MoveTo(GetParam().from.x(), GetParam().from.y());
    canvas.LineTo(GetParam().to.x(), GetParam().to.y());
    EXPECT_EQ(Rows(image, kBlack), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(Directions, LineTest,
                         ::testing::Values(LineRow{"Right", {0, 1}, {4, 1}, {".....", "wwww.", ".....", "....."}},
                                           LineRow{"Left", {4, 1}, {0, 1}, {".....", ".wwww", ".....", "....."}},
                                           LineRow{"Up", {2, 3}, {2, 0}, {".....", "..w..", "..w..", "..w.."}},
                                           LineRow{"Diagonal", {0, 0}, {3, 3}, {"w....", ".w...", "..w..", "....."}},
                                           LineRow{"Shallow", {0, 0}, {4, 2}, {"w....", ".ww..", "...w.", "....."}},
                                           LineRow{"SinglePoint", {2, 2}, {2, 2}, {".....", ".....", ".....", "....."}},
                                           LineRow{"Clipped", {-2, 1}, {9, 1}, {".....", "wwwww", ".....", "....."}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ImageCanvasTest, ConsecutiveLinesMeetWithoutGap)
{
    QImage image = Blank(4, 4);
    ImageCanvas canvas(image);
    canvas.SetPen(Qt::white, 1, PenStyle::Solid);
    canvas.MoveTo(0, 0);
    canvas.LineTo(3, 0);
    canvas.LineTo(3, 3);
    EXPECT_EQ(Rows(image, kBlack), (std::vector<std::string>{"wwww", "...w", "...w", "...."}));
}

TEST(ImageCanvasTest, DottedPenPaintsThreeSkipsThree)
{
    QImage image = Blank(14, 1);
    ImageCanvas canvas(image);
    canvas.SetPen(Qt::white, 1, PenStyle::Dotted);
    canvas.MoveTo(0, 0);
    canvas.LineTo(14, 0);
    EXPECT_EQ(Rows(image, kBlack), (std::vector<std::string>{"www...www...ww"}));
}

TEST(ImageCanvasTest, WidePenCoversSquareAroundEveryPixelAndTheEnd)
{
    QImage image = Blank(5, 6);
    ImageCanvas canvas(image);
    canvas.SetPen(Qt::white, 3, PenStyle::Solid);
    canvas.MoveTo(2, 1);
    canvas.LineTo(2, 3);
    EXPECT_EQ(Rows(image, kBlack), (std::vector<std::string>{".www.", ".www.", ".www.", ".www.", ".www.", "....."}));
}

TEST(ImageCanvasTest, EllipseStaysInsideItsBox)
{
    QImage image = Blank(8, 8);
    ImageCanvas canvas(image);
    canvas.SetPen(Qt::white, 1, PenStyle::Solid);
    canvas.SetBrush(Qt::red);
    canvas.Ellipse(1, 1, 7, 7);
    EXPECT_EQ(Rows(image, kBlack),
              (std::vector<std::string>{"........", "..wwww..", ".wrrrrw.", ".wrrrrw.", ".wrrrrw.", ".wrrrrw.",
                                        "..wwww..", "........"}));
}

TEST(ImageCanvasTest, PolygonFillsInsideAndOutlinesEveryEdge)
{
    QImage image = Blank(7, 6);
    ImageCanvas canvas(image);
    canvas.SetPen(Qt::white, 1, PenStyle::Solid);
    canvas.SetBrush(Qt::blue);
    canvas.Polygon({{1, 1}, {5, 1}, {5, 4}, {1, 4}, {1, 1}});
    EXPECT_EQ(Rows(image, kBlack),
              (std::vector<std::string>{".......", ".wwwww.", ".wbbbw.", ".wbbbw.", ".wwwww.", "......."}));
}

TEST(ImageCanvasTest, OpenVertexListIsClosed)
{
    QImage image = Blank(5, 5);
    ImageCanvas canvas(image);
    canvas.SetPen(Qt::white, 1, PenStyle::Solid);
    canvas.SetBrush(Qt::blue);
    canvas.Polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
    EXPECT_EQ(Rows(image, kBlack), (std::vector<std::string>{"wwwww", "wbbbw", "wbbbw", "wbbbw", "wwwww"}));
}

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xff000000u;
}

TEST(ArmPixelsTest, RestScene)
{
    QImage image(220, 205, QImage::Format_RGB32);
    image.fill(Qt::green);
    ImageCanvas canvas(image);
    Dibujar_brazo(canvas, 90.0);
    const QRgb aqua = qRgb(0, 255, 255), silver = qRgb(192, 192, 192), teal = qRgb(0, 128, 128);
    struct Probe {
        int x, y;
        QRgb colour;
        const char* what;
    };
    const Probe probes[] = {{0, 0, kWhite, "border top-left"},
                            {219, 204, kWhite, "border bottom-right"},
                            {219, 100, kWhite, "border right"},
                            {1, 1, kBlack, "field"},
                            {218, 203, kBlack, "field corner"},
                            {110, 42, kBlack, "upright axis end omitted"},
                            {110, 48, kWhite, "upright axis dot"},
                            {110, 45, kBlack, "upright axis gap"},
                            {217, 102, kBlack, "horizontal axis gap"},
                            {212, 102, kWhite, "horizontal axis dot"},
                            {110, 80, aqua, "rod"},
                            {109, 80, aqua, "rod width"},
                            {111, 80, aqua, "rod width"},
                            {112, 80, kBlack, "beside the rod"},
                            {110, 65, silver, "head inside"},
                            {74, 60, kWhite, "head corner"},
                            {146, 60, kWhite, "head corner"},
                            {110, 55, aqua, "pointer"},
                            {110, 51, kBlack, "pointer end omitted, over a gap of the axis"},
                            {110, 140, teal, "pedestal"},
                            {101, 140, kWhite, "pedestal outline"},
                            {119, 140, kWhite, "pedestal outline"},
                            {110, 102, kRed, "hub centre"},
                            {101, 102, kWhite, "hub outline"},
                            {118, 102, kWhite, "hub outline"},
                            {119, 102, kWhite, "pedestal corner beside the hub"},
                            {110, 93, kWhite, "hub top"},
                            {110, 110, kWhite, "hub bottom"},
                            {20, 162, kWhite, "floor start"},
                            {199, 162, kWhite, "floor"},
                            {200, 162, kBlack, "floor end omitted"}};
    for (const Probe& p : probes)
        EXPECT_EQ(At(image, p.x, p.y), p.colour) << p.what << " at " << p.x << "," << p.y;
}

// Hanging down, the rod passes behind the pedestal; only the head shows.
TEST(ArmPixelsTest, HangingArmIsHiddenByThePedestal)
{
    QImage image(220, 205, QImage::Format_RGB32);
    ImageCanvas canvas(image);
    Dibujar_brazo(canvas, -90.0);
    const QRgb aqua = qRgb(0, 255, 255), silver = qRgb(192, 192, 192);
    int aqua_pixels = 0;
    for (int y = 0; y < 205; ++y)
        for (int x = 0; x < 220; ++x)
            aqua_pixels += At(image, x, y) == aqua;
    EXPECT_EQ(aqua_pixels, 0);
    EXPECT_EQ(At(image, 110, 140), qRgb(0, 128, 128));
    EXPECT_EQ(At(image, 90, 140), silver);
}

} // namespace
} // namespace nc
