// SPDX-License-Identifier: MIT
// Axis layout and drawing: the room each axis takes, where its title, ticks,
// grid lines, minor ticks and labels go, and the text placement rules.

#include <gtest/gtest.h>

#include <limits>

#include "tests/chart/ChartRig.h"
#include "tests/chart/PixelArt.h"
#include "chart/axes/AxisPainter.h"
#include "chart/device/ImageDevice.h"
#include "ui/main/ResponseChart.h"

using namespace nc;
using nc::test::RecordingChart;
using Calls = std::vector<std::string>;

namespace {

// The window's chart on a recording screen. Its fonts measure 11 pixels
// (labels) and 12 pixels (titles) high, 6 pixels per character.
struct WindowChart : RecordingChart {
    TFastLineSeries* series1 = nullptr;
    TFastLineSeries* series2 = nullptr;
    WindowChart() { ConfigureResponseChart(chart, series1, series2); }
};

} // namespace

TEST(AxisLayout, WindowChartAxesTakeTheirRoom)
{
    WindowChart w;
    w.chart.Paint();
    // Before the axes the plot is (8, 8, 249, 196). Left: title 12 (rotated),
    // widest label "0" plus a space 12, axis pen 2 + ticks 4. Bottom: title
    // 12, labels 11, 6.
    EXPECT_EQ(w.chart.LeftAxis().TitlePos, 20);
    EXPECT_EQ(w.chart.LeftAxis().LabelsPos, 32);
    EXPECT_EQ(w.chart.BottomAxis().TitlePos, 184);
    EXPECT_EQ(w.chart.BottomAxis().LabelsPos, 173);
    EXPECT_EQ(w.chart.PlotRect, (TRect{38, 8, 249, 167}));
}

TEST(AxisLayout, FixedSizesAndEmptyCaptions)
{
    WindowChart w;
    TChartAxis& bottom = w.chart.BottomAxis();
    bottom.SetTitleSize(30);
    bottom.SetLabelsSize(5);
    EXPECT_EQ(AxisPainter(bottom).ReserveAxisSpace(TRect{0, 0, 100, 100}), (TRect{0, 0, 100, 59}));
    EXPECT_EQ(bottom.TitlePos, 70);
    EXPECT_EQ(bottom.LabelsPos, 65);
    bottom.Title().SetCaption("");
    EXPECT_EQ(AxisPainter(bottom).ReserveAxisSpace(TRect{0, 0, 100, 100}), (TRect{0, 0, 100, 89}));
    bottom.MinorTicks().SetVisible(false);
    bottom.Ticks().SetVisible(false);
    bottom.Axis().SetVisible(false);
    EXPECT_EQ(AxisPainter(bottom).ReserveAxisSpace(TRect{0, 0, 100, 100}), (TRect{0, 0, 100, 95}));
    bottom.MinorTicks().SetVisible(true); // the minor ticks alone take their length
    EXPECT_EQ(AxisPainter(bottom).ReserveAxisSpace(TRect{0, 0, 100, 100}), (TRect{0, 0, 100, 93}));
}

TEST(AxisDrawing, EmptyWindowChartShowsOneLabelAtTheCentreAndNoGridLine)
{
    WindowChart w;
    w.chart.Paint();
    // Plot (38, 8, 249, 167): centre (143, 87).
    const Calls texts = w.Recorded({"TextOut"});
    EXPECT_EQ(texts,
              (Calls{"TextOut(143,184,\"Muestreos \")", "TextOut(143,173,\"0\")",
                     "TextOut(20,87,\"Posici\xC3\xB3n (Grados)\")", "TextOut(32,82,\"0\")"}));
    for (const std::string& call : w.device->Calls())
        EXPECT_EQ(call.find("psDot"), std::string::npos) << call;
    Calls lines = w.Recorded({"MoveTo", "LineTo"});
    lines.erase(lines.begin(), lines.begin() + 5); // the bevel
    // Bottom: tick one pixel below the axis line, 4 long; zero-length inner
    // tick; axis line. Left: the same turned; then the axis line.
    EXPECT_EQ(lines,
              (Calls{"MoveTo(143,168)", "LineTo(143,172)", "MoveTo(143,166)", "LineTo(143,166)", "MoveTo(38,167)",
                     "LineTo(249,167)", "MoveTo(37,87)", "LineTo(33,87)", "MoveTo(39,87)", "LineTo(39,87)",
                     "MoveTo(38,8)", "LineTo(38,167)"}));
}

TEST(AxisDrawing, TextAlignmentBySideAndAngle)
{
    WindowChart w;
    w.chart.Paint();
    const Calls aligns = w.Recorded({"TextAlign"});
    // Bottom title and label centre+top, left title centre+bottom, left
    // label right+top; each text puts left+top back.
    EXPECT_EQ(aligns,
              (Calls{"TextAlign(6)", "TextAlign(0)", "TextAlign(6)", "TextAlign(0)", "TextAlign(14)", "TextAlign(0)",
                     "TextAlign(2)", "TextAlign(0)"}));
    bool rotated = false;
    for (const std::string& call : w.device->Calls())
        rotated = rotated || call.find("esc=900") != std::string::npos;
    EXPECT_TRUE(rotated) << "the left title is drawn at 90 degrees";
}

TEST(AxisDrawing, MinorTicksFillTheGapRoundingTiesToEven)
{
    struct Row {
        int prev, pos;
        Calls ticks;
    };
    const Row rows[] = {
        {140,
         100,
         {"MoveTo(110,51)", "LineTo(110,53)", "MoveTo(120,51)", "LineTo(120,53)", "MoveTo(130,51)", "LineTo(130,53)"}},
        {141,
         100,
         {"MoveTo(110,51)", "LineTo(110,53)", "MoveTo(120,51)", "LineTo(120,53)", "MoveTo(131,51)", "LineTo(131,53)"}},
    };
    for (const Row& r : rows) {
        RecordingChart rig;
        rig.Frame(TRect{0, 0, 200, 50}, 0, 100, 0, 100);
        TChartAxis& a = rig.chart.BottomAxis();
        a.Ticks().SetVisible(false);
        a.TicksInner().SetVisible(false);
        a.Grid().SetVisible(false);
        a.AxisLinePos = 50;
        AxisPainter painter(a);
        painter.TicksAndGrid(r.prev, 50);
        EXPECT_TRUE(rig.Recorded({"MoveTo", "LineTo"}).empty()) << "no minor ticks before the first tick";
        painter.TicksAndGrid(r.pos, 25);
        EXPECT_EQ(rig.Recorded({"MoveTo", "LineTo"}), r.ticks) << r.prev;
    }
}

TEST(AxisDrawing, GridLinesSkipTheRangeEndsAndCentre)
{
    RecordingChart rig;
    rig.Frame(TRect{0, 10, 200, 50}, 0, 100, 0, 100);
    TChartAxis& a = rig.chart.BottomAxis();
    a.Ticks().SetVisible(false);
    a.TicksInner().SetVisible(false);
    a.MinorTicks().SetVisible(false);
    a.AxisLinePos = 50;
    AxisPainter painter(a);
    painter.TicksAndGrid(200, 100); // the maximum: no grid line
    painter.TicksAndGrid(140, 70);
    // The clear brush makes the background transparent, and so does the grid
    // line itself, so that the gaps of the dotted pen stay unpainted.
    EXPECT_EQ(rig.Recorded({"MoveTo", "LineTo", "BkMode"}),
              (Calls{"BkMode(1)", "BkMode(1)", "MoveTo(140,49)", "LineTo(140,10)", "BkMode(2)"}));
    rig.device->ClearCalls();
    a.SetGridCentered(true);
    painter.TicksAndGrid(100, 50); // halfway between 100 and the previous 140
    EXPECT_EQ(rig.Recorded({"MoveTo", "LineTo"}), (Calls{"MoveTo(120,49)", "LineTo(120,10)"}));
}

TEST(AxisDrawing, MultiLineTextsStackOneFontHeightApart)
{
    RecordingChart rig;
    rig.Frame(TRect{0, 0, 200, 100}, 0, 100, 0, 100);
    AxisPainter(rig.chart.BottomAxis()).DrawAxisText(100, 50, "a\rb", 0);
    AxisPainter(rig.chart.LeftAxis()).DrawAxisText(40, 50, "c\rd", 0);
    // Left axis: centred on y = 50 as a block of two 13-pixel lines (the
    // canvas font between paints).
    const Calls texts = rig.Recorded({"TextOut"});
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "TextOut(100,50,\"a\")");
    const int h = rig.chart.Canvas().FontHeight();
    EXPECT_EQ(texts[1], "TextOut(100," + std::to_string(50 + h) + ",\"b\")");
    const int top = 50 - h / 2 - RoundEven(h * 1.5) + h;
    EXPECT_EQ(texts[2], "TextOut(40," + std::to_string(top) + ",\"c\")");
    EXPECT_EQ(texts[3], "TextOut(40," + std::to_string(top + h) + ",\"d\")");
}

TEST(AxisDrawing, TooManyLabelsDrawOnlyTitleAndAxisLine)
{
    WindowChart w;
    w.chart.BottomAxis().SetMinMax(0, 1e6);
    w.chart.BottomAxis().SetIncrement(1);
    w.chart.BottomAxis().SetLabelsSeparation(0);
    w.series1->AddPoint(0, 0);
    w.chart.Paint();
    const Calls texts = w.Recorded({"TextOut"});
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.find("Muestreos") != std::string::npos; }),
              1);
    // Bottom title; left title and its single label.
    EXPECT_EQ(texts.size(), 3u);
    for (const std::string& call : w.device->Calls())
        EXPECT_EQ(call.find("psDot"), std::string::npos) << call;
}

TEST(AxisDrawing, PointLabelsSkipOverlapsAndTicksFollowTickOnLabelsOnly)
{
    for (bool onLabelsOnly : {true, false}) {
        RecordingChart rig;
        auto* s = rig.chart.AddSeries<TFastLineSeries>();
        // "aaaa" is 24 pixels wide (26 with the separation), half 13; about
        // 4 pixels per unit: the labels at 3 and 6 overlap the one at 0.
        for (int x : {0, 3, 6, 30, 60})
            s->AddPoint(x, 1, "aaaa");
        TChartAxis& a = rig.chart.BottomAxis();
        a.SetTickOnLabelsOnly(onLabelsOnly);
        a.Grid().SetVisible(false);
        a.TicksInner().SetVisible(false);
        a.MinorTicks().SetVisible(false);
        rig.chart.LeftAxis().SetVisible(false);
        rig.chart.Paint();
        ASSERT_EQ(a.EffectiveLabelStyle(), talText);
        const int left = rig.chart.PlotRect.Left;
        const int width = rig.chart.PlotWidth;
        Calls texts;
        for (const std::string& t : rig.Recorded({"TextOut"}))
            if (t.find("aaaa") != std::string::npos)
                texts.push_back(t);
        EXPECT_EQ(texts.size(), 3u) << "0, 30 and 60 fit; 3 and 6 overlap";
        int ticks = 0;
        const std::string tickStart = "," + std::to_string(rig.chart.PlotRect.Bottom + 1) + ")";
        for (const std::string& call : rig.Recorded({"MoveTo"}))
            ticks += call.ends_with(tickStart) ? 1 : 0;
        EXPECT_EQ(ticks, onLabelsOnly ? 3 : 5) << onLabelsOnly;
        EXPECT_EQ(a.ValueToPixel(60), left + width);
    }
}

TEST(AxisDrawing, AHugeLabelsSeparationLeavesRoomForOneLabel)
{
    // A label 60 pixels wide at the largest separation needs 2.6e9 pixels
    // of room: more than an int holds, so only the first label is drawn.
    RecordingChart rig;
    auto* s = rig.chart.AddSeries<TFastLineSeries>();
    for (int x : {0, 30, 60})
        s->AddPoint(x, 1, "aaaaaaaaaa");
    rig.chart.BottomAxis().SetLabelsSeparation(std::numeric_limits<int>::max());
    rig.chart.LeftAxis().SetVisible(false);
    rig.chart.Paint();
    Calls texts;
    for (const std::string& t : rig.Recorded({"TextOut"}))
        if (t.find("aaaaaaaaaa") != std::string::npos)
            texts.push_back(t);
    EXPECT_EQ(texts.size(), 1u);
}

TEST(AxisDrawing, LeftTitleReadsUpwardsCentredOnThePlot)
{
    WindowChart w;
    w.chart.SetControlDevice(std::make_unique<ImageDevice>(257, 204));
    w.chart.Canvas().SetBuffered(true);
    w.series1->AddPoint(0, 0);
    w.series1->AddPoint(100, 60);
    w.chart.Paint();
    const auto& image = dynamic_cast<const ImageDevice&>(w.chart.ControlDevice());
    // The title's ink lies left of its band's edge (TitlePos) and is much
    // taller than wide, centred on the plot's middle row.
    QImage band = image.Image()->copy(0, 0, w.chart.LeftAxis().TitlePos + 1, 204);
    ImageDevice title(band.width(), band.height());
    title.MutableImage() = band.convertToFormat(QImage::Format_RGB32);
    const TRect ink = nc::test::InkBounds(title, clBlack);
    EXPECT_GT(ink.Height(), 4 * ink.Width());
    EXPECT_LE(ink.Right, w.chart.LeftAxis().TitlePos);
    EXPECT_NEAR((ink.Top + ink.Bottom) / 2, w.chart.PlotCenterY, 2);
}

TEST(AxisDrawing, LengthsAtTheEndsOfIntDrawWithoutWrapping)
{
    // Every length and size at either end of int, on all four axes, painted
    // on pixels and on the recorder: no sum wraps (the sanitizers watch), and
    // the bottom axis's ticks still point down, away from the plot, to the
    // end of int's range instead of wrapping round to cross the plot.
    constexpr int kMax = std::numeric_limits<int>::max();
    for (const int extreme : {kMax, std::numeric_limits<int>::min()}) {
        for (const bool image : {false, true}) {
            RecordingChart rig;
            if (image)
                rig.chart.SetControlDevice(std::make_unique<ImageDevice>(257, 204));
            auto* a = rig.chart.AddSeries<TFastLineSeries>();
            auto* b = rig.chart.AddSeries<TFastLineSeries>();
            b->SetHorizAxis(aTopAxis);
            b->SetVertAxis(aRightAxis);
            for (int x : {0, 30, 60}) {
                a->AddPoint(x, x);
                b->AddPoint(x, -x);
            }
            for (TCustomChartAxis* axis :
                 {&rig.chart.LeftAxis(), &rig.chart.RightAxis(), &rig.chart.TopAxis(), &rig.chart.BottomAxis()}) {
                axis->Title().SetCaption("t");
                axis->SetTitleSize(extreme);
                axis->SetLabelsSize(extreme);
                axis->SetTickLength(extreme);
                axis->SetTickInnerLength(extreme);
                axis->SetMinorTickLength(extreme);
                axis->TicksInner().SetVisible(true);
                axis->MinorTicks().SetVisible(true);
            }
            rig.chart.Paint();
            if (image || extreme != kMax)
                continue;
            // The plot kept its room (no axis's rectangle met it), so the
            // bottom ticks start one pixel below its bottom edge.
            const std::string tickStart = ",197)";
            const Calls lines = rig.Recorded({"MoveTo", "LineTo"});
            int ticks = 0;
            for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
                if (lines[i].rfind("MoveTo", 0) != 0 || !lines[i].ends_with(tickStart))
                    continue;
                EXPECT_TRUE(lines[i + 1].ends_with(",2147483647)")) << lines[i + 1];
                ++ticks;
            }
            EXPECT_GT(ticks, 2);
        }
    }
}

TEST(AxisDrawing, MinorTicksPastOnePerPixelPaintInTheGapsTime)
{
    // At the largest count every gap's pixels hold a minor tick, as they do
    // at a thousand; the paint no longer walks two billion ticks a gap.
    auto paint = [](int count) {
        RecordingChart rig;
        rig.chart.SetControlDevice(std::make_unique<ImageDevice>(257, 204));
        auto* s = rig.chart.AddSeries<TFastLineSeries>();
        for (int x : {0, 30, 60})
            s->AddPoint(x, x);
        rig.chart.BottomAxis().MinorTicks().SetColor(clRed);
        rig.chart.BottomAxis().SetMinorTickCount(count);
        rig.chart.Paint();
        return *dynamic_cast<const ImageDevice&>(rig.chart.ControlDevice()).Image();
    };
    const QImage many = paint(std::numeric_limits<int>::max());
    EXPECT_TRUE(many == paint(1000));
    EXPECT_FALSE(many == paint(3));
}

// Zoomed into the settled offset, the labels come in steps finer than the
// format's three decimals: they take the decimals the step needs, so that no
// two read alike (with three, the eleven labels would read only "30.312",
// "30.311" and "30.31"), and the axis makes room for them.
TEST(AxisDrawing, LabelsFinerThanThreeDecimalsTakeTheDecimalsOfTheirStep)
{
    WindowChart w;
    for (int k = 0; k < 50; ++k)
        w.series1->AddPoint(k, 30.3115);
    w.chart.LeftAxis().SetMinMax(30.31, 30.312);
    w.chart.Paint();
    Calls labels;
    for (const std::string& call : w.Recorded({"TextOut(68,"}))
        labels.push_back(call.substr(call.find('"')));
    EXPECT_EQ(labels,
              (Calls{"\"30.312\")", "\"30.3118\")", "\"30.3116\")", "\"30.3114\")", "\"30.3112\")", "\"30.311\")",
                     "\"30.3108\")", "\"30.3106\")", "\"30.3104\")", "\"30.3102\")", "\"30.31\")"}));
    // The room of the widest end label as the step cuts it, "30.3118", and a
    // space (8 x 6 pixels), beside the 26 of the title and the ticks.
    EXPECT_EQ(w.chart.PlotRect.Left, 26 + 8 * 6);
}
