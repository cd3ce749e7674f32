// SPDX-License-Identifier: MIT
// Walls, titles, bevels and background: what each draws and how much room
// the titles take from the plot.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "tests/chart/PixelArt.h"
#include "chart/Chart.h"
#include "chart/series/FastLineSeries.h"
#include "chart/device/ImageDevice.h"
#include "chart/device/RecordingDevice.h"

using namespace nc;
using nc::test::Art;
using Calls = std::vector<std::string>;

namespace {

// A flat white chart of the window's size with no decorations in the way.
class Decorations : public ::testing::Test {
protected:
    TChart chart;
    RecordingDevice* device = nullptr;

    void SetUp() override
    {
        chart.SetBounds(0, 0, 257, 204);
        chart.SetColor(clWhite);
        chart.SetView3D(false);
        chart.Legend().SetVisible(false);
    }
    void Record()
    {
        auto recorder = std::make_unique<RecordingDevice>(257, 204);
        device = recorder.get();
        chart.SetControlDevice(std::move(recorder));
        chart.Canvas().SetBuffered(false);
    }
    // The calls whose text begins with prefix.
    Calls Only(const std::string& prefix) const
    {
        Calls out;
        for (const auto& c : device->Calls())
            if (c.rfind(prefix, 0) == 0)
                out.push_back(c);
        return out;
    }
    const ImageDevice& Screen() { return dynamic_cast<const ImageDevice&>(chart.ControlDevice()); }
};

} // namespace

TEST_F(Decorations, TitleTakesItsLinesPlusFivePixels)
{
    struct Row {
        TAlignment alignment;
        std::vector<std::string> lines;
        int plotTop;
        Calls text;
    };
    // Recording metrics: the 8-point font is 11 pixels high, 6 wide per character.
    const Row rows[] = {
        {taCenter, {"Hola"}, 8 + 11 + 5, {"TextOut(116,8,\"Hola\")"}},
        {taLeftJustify, {"Hola"}, 24, {"TextOut(8,8,\"Hola\")"}},
        {taRightJustify, {"Hola"}, 24, {"TextOut(225,8,\"Hola\")"}},
        {taCenter, {"Uno", "Dos!"}, 8 + 22 + 5, {"TextOut(119,8,\"Uno\")", "TextOut(116,19,\"Dos!\")"}},
        {taCenter, {}, 8, {}},
    };
    for (const Row& row : rows) {
        Record();
        chart.Title().SetAlignment(row.alignment);
        chart.Title().SetText(row.lines);
        chart.Paint();
        EXPECT_EQ(chart.PlotRect, (TRect{8, row.plotTop, 249, 196})) << row.lines.size();
        EXPECT_EQ(Only("TextOut"), row.text);
    }
}

TEST_F(Decorations, FootTakesRoomAtTheBottom)
{
    Record();
    chart.Foot().SetText({"Pie", "de grafica"});
    chart.Paint();
    EXPECT_EQ(chart.PlotRect, (TRect{8, 8, 249, 196 - 22 - 5}));
    EXPECT_EQ(Only("TextOut"), (Calls{"TextOut(119,174,\"Pie\")", "TextOut(98,185,\"de grafica\")"}));
}

TEST_F(Decorations, TitleTextIsDrawnTransparentInTheTitleFont)
{
    Record();
    chart.Title().SetText({"T"});
    chart.Title().Font().SetColor(clRed);
    chart.Paint();
    const Calls& calls = device->Calls();
    const auto text = std::find(calls.begin(), calls.end(), "TextOut(125,8,\"T\")");
    ASSERT_NE(text, calls.end());
    EXPECT_EQ(*(text - 1), "TextAlign(0)");
    EXPECT_EQ(*(text - 2), "BkMode(1)");
    EXPECT_NE(std::find(calls.begin(), text, "Font(Arial,-11,0x0000FF)"), text);
}

TEST_F(Decorations, FramedTitleFitsItsFrameToTheText)
{
    Record();
    chart.Title().SetText({"Hola"});
    chart.Title().Frame().SetVisible(true);
    chart.Paint();
    EXPECT_EQ(Only("Rectangle"), (Calls{"Rectangle(113,8,143,21)", "Rectangle(8,27,250,196)"}));
    EXPECT_EQ(chart.Title().TitleRect, (TRect{113, 8, 143, 21}));
    EXPECT_EQ(Only("TextOut"), (Calls{"TextOut(116,9,\"Hola\")"}));
    EXPECT_EQ(chart.PlotRect.Top, 8 + 1 + 11 + 2 + 5);

    chart.Title().SetAdjustFrame(false);
    Record();
    chart.Paint();
    EXPECT_EQ(Only("Rectangle").front(), "Rectangle(8,8,249,21)");
}

TEST_F(Decorations, FrameWithoutColourCountsForNothing)
{
    Record();
    chart.Title().SetText({"Hola"});
    chart.Title().Frame().SetVisible(true);
    chart.Title().Frame().SetColor(UnsetColor);
    chart.Paint();
    EXPECT_EQ(Only("Rectangle"), (Calls{"Rectangle(8,24,250,196)"}));
    EXPECT_EQ(chart.PlotRect.Top, 24);
}

TEST_F(Decorations, HiddenTitleAndEmptyFootTakeNoRoom)
{
    Record();
    chart.Title().SetText({"TChart"});
    chart.Title().SetVisible(false);
    chart.Paint();
    EXPECT_EQ(chart.PlotRect, (TRect{8, 8, 249, 196}));
    EXPECT_TRUE(Only("TextOut").empty());
}

TEST_F(Decorations, BackWallFills)
{
    struct Row {
        const char* name;
        std::function<void(TChart&)> setup;
        char inside;  // pixel (100, 100)
        char onHatch; // pixel (96, 96), on every hatch pattern line
        char outline; // pixel (8, 100)
    };
    const Row rows[] = {
        {"default: clear brush, no colour", [](TChart&) {}, '.', '.', '#'},
        {"BackColor makes it solid", [](TChart& c) { c.SetBackColor(clRed); }, 'r', 'r', '#'},
        {"no colour with a solid brush is hollow", [](TChart& c) { c.BackWall().Brush().SetStyle(bsSolid); }, '.', '.',
         '#'},
        {"hatch in the wall colour turns black",
         [](TChart& c) {
             c.BackWall().SetColor(clRed);
             c.BackWall().Brush().SetColor(clRed);
             c.BackWall().Brush().SetStyle(bsCross);
         },
         'r', '#', '#'},
        {"hatch on black turns white",
         [](TChart& c) {
             c.BackWall().SetColor(clBlack);
             c.BackWall().Brush().SetColor(clBlack);
             c.BackWall().Brush().SetStyle(bsCross);
             c.Frame().SetColor(clRed);
         },
         '#', '.', 'r'},
        {"hidden frame",
         [](TChart& c) {
             c.SetBackColor(clBlue);
             c.Frame().SetVisible(false);
         },
         'b', 'b', 'b'},
    };
    for (const Row& row : rows) {
        TChart c;
        c.SetBounds(0, 0, 257, 204);
        c.SetColor(clWhite);
        c.SetView3D(false);
        row.setup(c);
        c.Paint();
        const auto& screen = dynamic_cast<const ImageDevice&>(c.ControlDevice());
        EXPECT_EQ(nc::test::PixelChar(screen.PixelAt(100, 100)), row.inside) << row.name;
        EXPECT_EQ(nc::test::PixelChar(screen.PixelAt(96, 96)), row.onHatch) << row.name;
        EXPECT_EQ(nc::test::PixelChar(screen.PixelAt(8, 100)), row.outline) << row.name;
    }
}

TEST_F(Decorations, BackWallOutlineCoversLeftToRightAndTopToBottomMinusOne)
{
    chart.SetBackColor(clRed);
    chart.Frame().SetColor(clBlack);
    chart.Paint();
    EXPECT_EQ(Art(Screen(), 4, 3, 7, 7), (std::vector<std::string>{"....", ".###", ".#rr"}));
    EXPECT_EQ(Art(Screen(), 4, 3, 247, 194), (std::vector<std::string>{"rr#.", "###.", "...."}));
    EXPECT_EQ(chart.BackColor(), clRed);
    EXPECT_EQ(chart.BackWall().Brush().Style(), bsSolid);
}

TEST_F(Decorations, Bevels)
{
    struct Row {
        TPanelBevel outer;
        int bevelWidth;
        int borderWidth;
        TColor topLeft, bottomRight, inner; // (0,0), (256,203), (1,1)
    };
    const TColor hi = 0xFFFFFF;
    const TColor sh = 0xA0A0A0;
    const Row rows[] = {
        {bvRaised, 1, 0, hi, sh, 0x00FF00},
        {bvLowered, 1, 0, sh, hi, 0x00FF00},
        {bvSpace, 1, 0, hi, hi, 0x00FF00},
        {bvRaised, 2, 0, hi, sh, hi},
        {bvNone, 1, 0, 0x00FF00, 0x00FF00, 0x00FF00},
        {bvNone, 1, 2, 0x00FF00, 0x00FF00, 0x00FF00},
    };
    for (const Row& row : rows) {
        TChart c;
        c.SetBounds(0, 0, 257, 204);
        c.SetColor(0x00FF00);
        c.SetBevelOuter(row.outer);
        c.SetBevelWidth(row.bevelWidth);
        c.SetBorderWidth(row.borderWidth);
        c.Paint();
        const auto& screen = dynamic_cast<const ImageDevice&>(c.ControlDevice());
        EXPECT_EQ(screen.PixelAt(0, 0), row.topLeft) << row.outer;
        EXPECT_EQ(screen.PixelAt(256, 203), row.bottomRight) << row.outer;
        EXPECT_EQ(screen.PixelAt(1, 1), row.inner) << row.outer;
    }
}

TEST(DecorationsWidths, FramesWiderThanThePictureEndAsTheirLastVisibleRing)
{
    // The rings of a frame cross over in the middle and then leave the
    // picture; a bevel two billion pixels wide paints, in milliseconds, what
    // one a thousand wide paints on a 100 x 80 chart. (The border's width
    // also moves the plot, so its pictures differ; it ends as quickly.)
    auto paint = [](int bevel, int border) {
        TChart c;
        c.SetBounds(0, 0, 100, 80);
        c.SetBevelOuter(bvRaised);
        c.SetBevelInner(bvLowered);
        c.SetBevelWidth(bevel);
        c.SetBorderWidth(border);
        c.Paint();
        return *dynamic_cast<const ImageDevice&>(c.ControlDevice()).Image();
    };
    constexpr int kMax = std::numeric_limits<int>::max();
    const QImage widest = paint(kMax, 0);
    EXPECT_TRUE(widest == paint(1000, 0));
    EXPECT_FALSE(widest == paint(30, 0));
    EXPECT_FALSE(paint(kMax, kMax).isNull());
}

TEST_F(Decorations, BorderFrameIsDrawnInThePanelColour)
{
    Record();
    chart.SetBevelOuter(bvNone);
    chart.SetBorderWidth(1);
    chart.Paint();
    const Calls lines = Only("LineTo");
    EXPECT_EQ(lines, (Calls{"LineTo(0,0)", "LineTo(256,0)", "LineTo(256,203)", "LineTo(-1,203)"}));
}

TEST_F(Decorations, GradientReplacesThePlainBackground)
{
    chart.Gradient().SetStartColor(clBlack);
    chart.Gradient().SetEndColor(clWhite);
    chart.Gradient().SetVisible(true);
    chart.SetBackColor(clWhite);
    chart.Paint();
    // Row y of 204 takes 255 * y / 203 of the way (rows 0 and 203 are under the bevel).
    EXPECT_EQ(Screen().PixelAt(3, 1), 0x010101u);
    EXPECT_EQ(Screen().PixelAt(3, 202), 0xFDFDFDu);
    EXPECT_EQ(Screen().PixelAt(100, 100), clWhite); // the solid back wall lies over it
}

TEST_F(Decorations, BackImageModes)
{
    QImage picture(100, 80, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    struct Row {
        TBackImageMode mode;
        bool inside;
        Calls images;
    };
    const Row rows[] = {
        {pbmStretch, false, {"DrawImage(0,0,257,204,100x80)"}},
        {pbmCenter, false, {"DrawImage(78,62,178,142,100x80)"}},
        {pbmTile,
         false,
         {"DrawImage(0,0,100,80,100x80)", "DrawImage(100,0,200,80,100x80)", "DrawImage(200,0,300,80,100x80)",
          "DrawImage(0,80,100,160,100x80)", "DrawImage(100,80,200,160,100x80)", "DrawImage(200,80,300,160,100x80)",
          "DrawImage(0,160,100,240,100x80)", "DrawImage(100,160,200,240,100x80)", "DrawImage(200,160,300,240,100x80)"}},
        {pbmStretch, true, {"DrawImage(8,8,249,196,100x80)"}},
    };
    for (const Row& row : rows) {
        Record();
        chart.SetBackImage(picture);
        chart.SetBackImageMode(row.mode);
        chart.SetBackImageInside(row.inside);
        chart.Paint();
        EXPECT_EQ(Only("DrawImage"), row.images) << row.mode;
    }
    // Tiling and centring are clipped to the plot area of the rectangle.
    EXPECT_EQ(Only("Clip"), (Calls{}));
    Record();
    chart.SetBackImageInside(false);
    chart.SetBackImageMode(pbmCenter);
    chart.Paint();
    EXPECT_EQ(Only("Clip"), (Calls{"Clip(1,1,257,203)", "Clip(0,0,257,204)"}));
}

TEST(DecorationObjects, WallAssignAndTitleText)
{
    TChart chart;
    TChartWall& from = chart.LeftWall();
    from.SetSize(4);
    from.Pen().SetVisible(false);
    from.Brush().SetStyle(bsCross);
    TChartWall& to = chart.BottomWall();
    to.Assign(from);
    EXPECT_EQ(to.Color(), 0x80FFFFu);
    EXPECT_EQ(to.Size(), 4);
    EXPECT_FALSE(to.Pen().Visible());
    EXPECT_EQ(to.Brush().Style(), bsCross);

    chart.Paint();
    chart.Title().SetText(chart.Title().Text()); // always repaints
    EXPECT_TRUE(chart.Canvas().Dirty());
    chart.Paint();
    chart.Title().SetAlignment(taCenter);
    chart.Title().SetVisible(true);
    EXPECT_FALSE(chart.Canvas().Dirty());
    TChartBrush brush;
    EXPECT_EQ(brush.Color(), UnsetColor);
}

// Markers, over the series: a dotted line down the plot's inside at the
// value's column and a label beside its top (left of it at the right edge),
// opaque in the chart's colour, in the first row where it clears the labels
// before it; none outside.
TEST_F(Decorations, MarkersDrawDottedLinesAndLabelsInRows)
{
    chart.LeftAxis().SetMinMax(0, 10);
    chart.BottomAxis().SetMinMax(0, 10);
    chart.LeftAxis().Grid().SetVisible(false);
    chart.BottomAxis().Grid().SetVisible(false);
    auto* s = chart.AddSeries<TFastLineSeries>();
    s->SetSeriesColor(clRed);
    s->AddPoint(0, 9.5);
    s->AddPoint(10, 9.5);
    TChartMarkers& m = chart.Markers();
    m.Add(2.5, "", clRed);
    m.Add(5, "Empujar", clBlue);
    m.Add(5.5, "Cambio", clBlue); // over the first: the next row
    m.Add(9, "Mano", clBlue);     // at the right edge: left of its line, in the first row
    m.Add(-1, "Antes", clBlue);   // outside the plot: nothing
    m.Add(11, "Luego", clBlue);

    Record();
    chart.Paint();
    const int h = 11;
    const TRect p = chart.PlotRect;
    const auto x = [&](double v) { return chart.BottomAxis().ValueToPixel(v) + 2; };
    Calls etiquetas;
    for (const std::string& c : Only("TextOut"))
        if (c.find("\"Empujar\"") != std::string::npos || c.find("\"Cambio\"") != std::string::npos
            || c.find("\"Mano\"") != std::string::npos || c.find("\"Antes\"") != std::string::npos
            || c.find("\"Luego\"") != std::string::npos)
            etiquetas.push_back(c);
    const auto texto = [](int x, int y, const char* t) {
        return "TextOut(" + std::to_string(x) + "," + std::to_string(y) + ",\"" + t + "\")";
    };
    EXPECT_EQ(etiquetas,
              (Calls{texto(x(5), p.Top + 1, "Empujar"), texto(x(5.5), p.Top + 1 + h, "Cambio"),
                     texto(x(9) - 2 - 1 - 4 * 6, p.Top + 1, "Mano")}));

    chart.SetControlDevice(std::make_unique<ImageDevice>(257, 204));
    chart.Canvas().SetBuffered(true);
    chart.Invalidate();
    chart.Paint();
    const TRect q = chart.PlotRect;
    const int c = chart.BottomAxis().ValueToPixel(2.5);
    // The frame's rows stay; inside, three on and three off from the top.
    EXPECT_EQ(Art(Screen(), 1, 10, c, q.Top),
              (std::vector<std::string>{"#", "r", "r", ".", ".", ".", "r", "r", "r", "."}));
    EXPECT_EQ(Art(Screen(), 1, 3, c, q.Bottom - 3),
              (std::vector<std::string>{
                  (q.Bottom - 3 - q.Top) % 6 < 3 ? "r" : ".",
                  (q.Bottom - 2 - q.Top) % 6 < 3 ? "r" : ".",
                  "#",
              }));
    // The series' line runs under the first label's cell, which hides it.
    const int fila = chart.LeftAxis().ValueToPixel(9.5);
    ASSERT_GT(fila, q.Top);
    ASSERT_LT(fila, q.Top + 1 + h);
    const int x5 = chart.BottomAxis().ValueToPixel(5) + 2;
    const std::string linea = Art(Screen(), x5 - 2 - (c + 1), 1, c + 1, fila)[0];
    EXPECT_EQ(linea.find_first_not_of('r'), std::string::npos) << linea;
    const std::string celda = Art(Screen(), 24, 1, x5, fila)[0];
    EXPECT_EQ(celda.find('r'), std::string::npos) << celda;
    EXPECT_NE(celda.find('b'), std::string::npos) << celda;
    // Nothing right of the plot's inside.
    EXPECT_EQ(Art(Screen(), 6, 1, q.Right + 1, q.Top + 2)[0], "......");
}
