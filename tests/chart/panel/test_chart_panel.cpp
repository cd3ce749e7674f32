// SPDX-License-Identifier: MIT
// The chart panel: construction, plot rectangle, paint order, buffering and
// repaint requests, the series list and the property checks.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include "tests/chart/PixelArt.h"
#include "chart/Chart.h"
#include "chart/device/ImageDevice.h"
#include "chart/device/RecordingDevice.h"

using namespace nc;
using nc::test::CountPixels;
using Calls = std::vector<std::string>;

namespace {

// The chart as the main window configures it.
void ConfigureLikeTheWindow(TChart& chart)
{
    chart.SetBounds(0, 0, 257, 204);
    chart.SetColor(clWhite);
    chart.SetView3D(false);
    chart.SetBackColor(clWhite);
    chart.Frame().SetColor(clWhite);
    chart.BottomWall().SetColor(clBlack);
    chart.LeftWall().Brush().SetColor(clBlack);
    chart.LeftWall().SetSize(1);
    chart.Gradient().SetStartColor(clBlack);
    chart.Gradient().SetEndColor(clBlack);
    chart.Title().SetText({"TChart"});
    chart.Title().SetVisible(false);
    chart.Legend().SetVisible(false);
}

// Draws straight onto a recording screen, so a paint's device calls can be read.
void RecordUnbuffered(TChart& chart, RecordingDevice*& device)
{
    auto recorder = std::make_unique<RecordingDevice>(chart.width(), chart.height());
    device = recorder.get();
    chart.SetControlDevice(std::move(recorder));
    chart.Canvas().SetBuffered(false);
}

// Logs the hooks a paint runs through.
struct LoggingSeries : TChartSeries {
    std::vector<std::string>* log;
    explicit LoggingSeries(std::vector<std::string>* l) : log(l)
    {
        TrimToVisible = false; // the axes' value/pixel conversion is not part of these tests
        BeforeDrawValues = [this](TChartSeries&) { log->push_back("before values"); };
        AfterDrawValues = [this](TChartSeries&) { log->push_back("after values"); };
    }
    void DoBeforeDrawChart() override { log->push_back("pre-draw"); }
    void DrawPoint(int index) override { log->push_back("point " + std::to_string(index)); }
};

} // namespace

TEST(ChartPanel, ConstructionDefaults)
{
    TChart chart;
    EXPECT_EQ(chart.width(), 400);
    EXPECT_EQ(chart.height(), 250);
    EXPECT_EQ(chart.MarginLeft(), 3);
    EXPECT_EQ(chart.MarginTop(), 4);
    EXPECT_EQ(chart.MarginRight(), 3);
    EXPECT_EQ(chart.MarginBottom(), 4);
    EXPECT_TRUE(chart.View3D());
    EXPECT_FALSE(chart.Monochrome());
    EXPECT_EQ(chart.Color(), clBtnFace);
    EXPECT_EQ(chart.BevelOuter(), bvRaised);
    EXPECT_EQ(chart.BevelInner(), bvNone);
    EXPECT_EQ(chart.BevelWidth(), 1);
    EXPECT_EQ(chart.BorderWidth(), 0);
    EXPECT_TRUE(chart.AxisVisible());
    EXPECT_TRUE(chart.View3DWalls());
    EXPECT_EQ(chart.Chart3DPercent(), 15);
    EXPECT_TRUE(chart.ClipPoints());
    EXPECT_EQ(chart.MaxPointsPerPage(), 0);
    EXPECT_EQ(chart.Page(), 1);
    EXPECT_TRUE(chart.ScaleLastPage());
    EXPECT_TRUE(chart.CreationComplete());
    EXPECT_FALSE(chart.Zoom().Active);
    EXPECT_FALSE(chart.Scroll().Active);
    EXPECT_EQ(chart.SeriesCount(), 0);
    EXPECT_FALSE(chart.DepthAxis().Visible());
    EXPECT_TRUE(chart.BottomAxis().Horizontal());
    EXPECT_TRUE(chart.TopAxis().OtherSide());
    EXPECT_FALSE(chart.LeftAxis().Horizontal());
    // Setting defaults during construction requested no repaint.
    EXPECT_EQ(chart.RepaintRequests(), 0);
    EXPECT_FALSE(chart.RepaintPending());
    EXPECT_TRUE(chart.testAttribute(Qt::WA_OpaquePaintEvent));
    // Decorations.
    EXPECT_EQ(chart.BackWall().Brush().Style(), bsClear);
    EXPECT_EQ(chart.LeftWall().Color(), 0x80FFFFu);
    EXPECT_EQ(chart.BottomWall().Color(), 0xFFFFFFu);
    EXPECT_EQ(chart.BackWall().Color(), UnsetColor);
    EXPECT_EQ(chart.Title().Font().Color(), clBlue);
    EXPECT_EQ(chart.Title().Alignment(), taCenter);
    EXPECT_FALSE(chart.Title().Frame().Visible());
    EXPECT_EQ(chart.Title().Brush().Color(), UnsetColor);
    EXPECT_FALSE(chart.Gradient().Visible());
    EXPECT_EQ(chart.Gradient().StartColor(), clWhite);
    EXPECT_EQ(chart.Gradient().EndColor(), 0xFFFFu);
    EXPECT_TRUE(chart.Legend().Visible());
    EXPECT_TRUE(chart.AllowZoom());
    EXPECT_EQ(chart.AllowPanning(), pmBoth);
    EXPECT_EQ(chart.AnimatedZoomSteps(), 8);
}

TEST(ChartPanel, WindowChartPlotRectangleStaysAtTheMargins)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    chart.Paint();
    EXPECT_EQ(chart.PanelRect, (TRect{0, 0, 257, 204}));
    EXPECT_EQ(chart.PlotRect, (TRect{8, 8, 249, 196}));
    EXPECT_EQ(chart.PlotWidth, 241);
    EXPECT_EQ(chart.PlotHeight, 188);
    EXPECT_EQ(chart.PlotCenterX, 128);
    EXPECT_EQ(chart.PlotCenterY, 102);
}

TEST(ChartPanel, RecalcPlotSizeRepairsTheRectangle)
{
    struct Row {
        TRect plot;
        TRect expected;
    };
    const Row rows[] = {
        {{-5, -3, 100, 90}, {0, 0, 100, 90}},
        {{50, 60, 40, 10}, {50, 60, 51, 61}},
        {{50, 60, 50, 60}, {50, 60, 50 + 257, 60 + 204}},
    };
    TChart chart;
    chart.SetBounds(0, 0, 257, 204);
    chart.Paint();
    for (const Row& row : rows) {
        chart.PlotRect = row.plot;
        chart.RecalcPlotSize();
        EXPECT_EQ(chart.PlotRect, row.expected);
    }
}

TEST(ChartPanel, HugeMarginsLeaveAOnePixelPlot)
{
    TChart chart;
    chart.SetBounds(0, 0, 200, 100);
    chart.SetMarginLeft(80);
    chart.SetMarginRight(80);
    chart.SetMarginTop(70);
    chart.SetMarginBottom(70);
    chart.Paint();
    EXPECT_EQ(chart.PlotRect, (TRect{160, 70, 161, 71}));
    EXPECT_EQ(chart.PlotWidth, 1);
    EXPECT_EQ(chart.PlotHeight, 1);
}

TEST(ChartPanel, BorderWidthMovesThePlotIn)
{
    TChart chart;
    chart.SetBounds(0, 0, 257, 204);
    chart.SetBorderWidth(2);
    chart.Paint();
    EXPECT_EQ(chart.PlotRect, (TRect{10, 10, 247, 194}));
}

TEST(ChartPanel, EmptyWindowChartDrawsInTheFixedOrder)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    RecordingDevice* device = nullptr;
    RecordUnbuffered(chart, device);
    chart.Paint();
    const Calls expected
        = {// background
           "Pen(0x000000,psSolid,1,pmCopy)", "Brush(0xFFFFFF,bsSolid)", "BkColor(0xFFFFFF)", "BkMode(2)",
           "Font(Arial,-11,0x000000)", "FillRect(0,0,257,204)",
           // raised bevel: highlight top and left, shadow bottom and right
           "Pen(0xFFFFFF,psSolid,1,pmCopy)", "Brush(0xFFFFFF,bsClear)", "BkMode(1)", "MoveTo(0,203)", "LineTo(0,0)",
           "LineTo(256,0)", "Pen(0xA0A0A0,psSolid,1,pmCopy)", "LineTo(256,203)", "LineTo(-1,203)",
           // back wall: white outline, solid white inside, transparent background
           "Pen(0xFFFFFF,psSolid,1,pmCopy)", "Brush(0xFFFFFF,bsSolid)", "BkColor(0xFFFFFF)", "BkMode(2)", "BkMode(1)",
           "Rectangle(8,8,250,196)",
           // drawing state reset
           "Pen(0x000000,psSolid,1,pmCopy)", "Font(Arial,-13,0x000000)", "BkColor(0xFFFFFF)", "BkMode(2)"};
    EXPECT_EQ(device->Calls(), expected);
}

TEST(ChartPanel, EmptyWindowChartPixels)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    chart.Paint();
    const auto& screen = dynamic_cast<const ImageDevice&>(chart.ControlDevice());
    EXPECT_EQ(screen.PixelAt(0, 0), clWhite);
    EXPECT_EQ(screen.PixelAt(256, 0), 0xA0A0A0u);
    EXPECT_EQ(screen.PixelAt(256, 100), 0xA0A0A0u);
    EXPECT_EQ(screen.PixelAt(0, 203), 0xA0A0A0u);
    EXPECT_EQ(screen.PixelAt(128, 203), 0xA0A0A0u);
    EXPECT_EQ(CountPixels(screen, 0xA0A0A0), 257 + 204 - 1);
    EXPECT_EQ(CountPixels(screen, clWhite), 257 * 204 - (257 + 204 - 1));
}

TEST(ChartPanel, SeriesAreDrawnBetweenClipAndResetInListOrder)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    std::vector<std::string> log;
    auto* first = chart.AddSeries<LoggingSeries>(&log);
    auto* second = chart.AddSeries<LoggingSeries>(&log);
    auto* inactive = chart.AddSeries<LoggingSeries>(&log);
    inactive->SetActive(false);
    inactive->AddPoint(0, 0);
    first->AddPoint(0, 1);
    first->AddPoint(1, 2);
    second->AddPoint(0, 3);
    chart.OnBeforeDrawAxes = [&](TCustomAxisPanel&) { log.push_back("axes"); };
    chart.OnBeforeDrawSeries = [&](TCustomAxisPanel&) { log.push_back("series"); };
    chart.OnAfterDraw = [&](TCustomChartPanel&) { log.push_back("done"); };
    RecordingDevice* device = nullptr;
    RecordUnbuffered(chart, device);
    chart.Paint();
    EXPECT_EQ(log,
              (std::vector<std::string>{"pre-draw", "pre-draw", "axes", "series", "before values", "point 0", "point 1",
                                        "after values", "before values", "point 0", "after values", "done"}));
    // The plot's inside, after the axes took their room.
    const TRect& p = chart.PlotRect;
    const std::string clip = "Clip(" + std::to_string(p.Left + 1) + "," + std::to_string(p.Top + 1) + ","
        + std::to_string(p.Right) + "," + std::to_string(p.Bottom - 1) + ")";
    int clips = 0;
    for (const auto& call : device->Calls())
        clips += call == clip ? 1 : 0;
    EXPECT_EQ(clips, 2);
    EXPECT_EQ(device->Calls().back(), "BkMode(2)");
}

TEST(ChartPanel, SeriesWithoutPointsDrawNothingAndFireNoEvents)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    std::vector<std::string> log;
    chart.AddSeries<LoggingSeries>(&log);
    chart.AddSeries<LoggingSeries>(&log);
    RecordingDevice* device = nullptr;
    RecordUnbuffered(chart, device);
    chart.Paint();
    EXPECT_EQ(log, (std::vector<std::string>{"pre-draw", "pre-draw"}));
    for (const auto& call : device->Calls())
        EXPECT_EQ(call.rfind("Clip", 0), std::string::npos) << call;
}

TEST(ChartPanel, ClipPointsOffDrawsUnclipped)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    std::vector<std::string> log;
    chart.AddSeries<LoggingSeries>(&log)->AddPoint(0, 0);
    chart.SetClipPoints(false);
    RecordingDevice* device = nullptr;
    RecordUnbuffered(chart, device);
    chart.Paint();
    EXPECT_NE(std::find(log.begin(), log.end(), "point 0"), log.end());
    for (const auto& call : device->Calls())
        EXPECT_EQ(call.rfind("Clip", 0), std::string::npos) << call;
}

TEST(ChartPanel, AxisInUse)
{
    TChart chart;
    for (TCustomChartAxis* axis :
         {static_cast<TCustomChartAxis*>(&chart.LeftAxis()), static_cast<TCustomChartAxis*>(&chart.BottomAxis())}) {
        EXPECT_FALSE(chart.AxisInUse(*axis));
    }
    auto* s = chart.AddSeries<TChartSeries>();
    EXPECT_TRUE(chart.AxisInUse(chart.LeftAxis()));
    EXPECT_TRUE(chart.AxisInUse(chart.BottomAxis()));
    EXPECT_FALSE(chart.AxisInUse(chart.TopAxis()));
    EXPECT_FALSE(chart.AxisInUse(chart.RightAxis()));
    EXPECT_FALSE(chart.AxisInUse(chart.DepthAxis()));
    chart.DepthAxis().SetVisible(true);
    EXPECT_TRUE(chart.AxisInUse(chart.DepthAxis()));
    chart.LeftAxis().SetVisible(false);
    EXPECT_FALSE(chart.AxisInUse(chart.LeftAxis()));
    chart.SetAxisVisible(false);
    EXPECT_FALSE(chart.AxisInUse(chart.BottomAxis()));
    chart.SetAxisVisible(true);
    s->SetActive(false);
    EXPECT_FALSE(chart.AxisInUse(chart.BottomAxis()));
}

TEST(ChartPanel, RepaintWithoutChangesIsOneCopy)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    int draws = 0;
    chart.OnAfterDraw = [&](TCustomChartPanel&) { ++draws; };
    auto recorder = std::make_unique<RecordingDevice>(257, 204);
    RecordingDevice* screen = recorder.get();
    chart.SetControlDevice(std::move(recorder));
    chart.Canvas().SetDeviceFactory([](int w, int h, bool) { return std::make_unique<RecordingDevice>(w, h); });
    chart.Paint();
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(screen->Calls().back(), "CopyFrom(0,0,257x204)");
    screen->ClearCalls();
    chart.Paint();
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(screen->Calls(), (Calls{"CopyFrom(0,0,257x204)"}));
    chart.Invalidate();
    chart.Paint();
    EXPECT_EQ(draws, 2);
}

TEST(ChartPanel, UnbufferedEveryPaintDraws)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    int draws = 0;
    chart.OnAfterDraw = [&](TCustomChartPanel&) { ++draws; };
    chart.Canvas().SetBuffered(false);
    chart.Paint();
    chart.Paint();
    EXPECT_EQ(draws, 2);
    EXPECT_FALSE(chart.Canvas().ShowBufferedImage());
}

TEST(ChartPanel, ResizeDrawsAtTheNewSizeOnTheNextPaint)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    chart.Paint();
    ASSERT_NE(chart.Canvas().OffscreenBitmap(), nullptr);
    chart.SetBounds(0, 0, 300, 150);
    EXPECT_EQ(chart.Canvas().OffscreenBitmap(), nullptr);
    EXPECT_TRUE(chart.Canvas().Dirty());
    chart.Paint();
    ASSERT_NE(chart.Canvas().OffscreenBitmap(), nullptr);
    EXPECT_EQ(chart.Canvas().OffscreenBitmap()->Width(), 300);
    EXPECT_EQ(chart.Canvas().OffscreenBitmap()->Height(), 150);
    EXPECT_EQ(chart.PanelRect, (TRect{0, 0, 300, 150}));
    EXPECT_EQ(chart.ControlDevice().Width(), 300);
}

TEST(ChartPanel, ShownChartPaintsOncePerBurstOfChanges)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    int draws = 0;
    chart.OnAfterDraw = [&](TCustomChartPanel&) { ++draws; };
    chart.show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    const int drawsAfterShow = draws;
    EXPECT_GE(drawsAfterShow, 1);
    EXPECT_FALSE(chart.RepaintPending());
    auto* s = chart.AddSeries<TChartSeries>();
    for (int k = 0; k < 50; ++k)
        s->AddPoint(k, k);
    chart.SetMarginLeft(5);
    EXPECT_TRUE(chart.RepaintPending());
    // Repaints caused by changes come at most once per frame interval (20 ms).
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60)
        QApplication::processEvents();
    EXPECT_EQ(draws, drawsAfterShow + 1);
    EXPECT_FALSE(chart.RepaintPending());
    chart.repaint(); // nothing changed: one copy, no drawing
    EXPECT_EQ(draws, drawsAfterShow + 1);
}

TEST(ChartPanel, ZoomBoxDrawnTwiceRestoresThePicture)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    chart.Paint();
    const auto& screen = dynamic_cast<const ImageDevice&>(chart.ControlDevice());
    const QImage before = *screen.Image();
    chart.Zoom() = TZoomPanningRecord{20, 30, 60, 50, true};
    chart.DrawZoomBox();
    EXPECT_EQ(screen.PixelAt(20, 30), clRed); // white panel: a red box
    EXPECT_EQ(screen.PixelAt(59, 49), clRed);
    EXPECT_EQ(screen.PixelAt(60, 50), clWhite);
    EXPECT_EQ(screen.PixelAt(30, 40), clWhite);
    chart.DrawZoomBox();
    EXPECT_EQ(*screen.Image(), before);
}

TEST(ChartPanel, ActiveZoomBoxIsPartOfThePaint)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    chart.Zoom() = TZoomPanningRecord{20, 30, 60, 50, true};
    chart.Paint();
    const auto& screen = dynamic_cast<const ImageDevice&>(chart.ControlDevice());
    EXPECT_EQ(screen.PixelAt(20, 30), clRed);
    EXPECT_EQ(CountPixels(screen, clRed), 2 * 40 + 2 * 20 - 4);
}

TEST(ChartPanel, PropertyChecks)
{
    TChart chart;
    try {
        chart.SetMaxPointsPerPage(-1);
        FAIL();
    } catch (const ChartException& e) {
        EXPECT_STREQ(e.what(), "MaxPointsPerPage must be >= 0");
    }
    EXPECT_EQ(chart.MaxPointsPerPage(), 0);
    for (int bad : {0, -4, 101}) {
        try {
            chart.SetChart3DPercent(bad);
            FAIL() << bad;
        } catch (const ChartException& e) {
            EXPECT_STREQ(e.what(), "3D effect percent must be between 1 and 100");
        }
        EXPECT_EQ(chart.Chart3DPercent(), 15);
    }
    chart.SetChart3DPercent(1);
    EXPECT_EQ(chart.Chart3DPercent(), 1);
    chart.SetChart3DPercent(100);
    EXPECT_EQ(chart.Chart3DPercent(), 100);
    chart.SetMaxPointsPerPage(0);
    static_assert(std::is_base_of_v<std::runtime_error, ChartException>);
}

TEST(ChartPanel, PageIsClampedToThePages)
{
    TChart chart;
    int changes = 0;
    chart.OnPageChange = [&](TCustomAxisPanel&) { ++changes; };
    chart.SetPage(4);
    EXPECT_EQ(chart.Page(), 1);
    EXPECT_EQ(changes, 0);
    auto* s = chart.AddSeries<TChartSeries>();
    for (int k = 0; k < 25; ++k)
        s->AddPoint(k, k);
    chart.SetMaxPointsPerPage(10);
    EXPECT_EQ(chart.NumPages(), 3);
    chart.SetPage(5);
    EXPECT_EQ(chart.Page(), 3);
    EXPECT_EQ(changes, 1);
    chart.SetPage(3);
    EXPECT_EQ(changes, 1);
    chart.SetPage(-2);
    EXPECT_EQ(chart.Page(), 1);
    EXPECT_EQ(changes, 2);
}

TEST(ChartPanel, SettersInvalidateOnlyOnChange)
{
    TChart chart;
    chart.Paint();
    struct Step {
        const char* name;
        std::function<void(TChart&)> same;
        std::function<void(TChart&)> changed;
    };
    const Step steps[] = {
        {"MarginLeft", [](TChart& c) { c.SetMarginLeft(3); }, [](TChart& c) { c.SetMarginLeft(4); }},
        {"View3D", [](TChart& c) { c.SetView3D(true); }, [](TChart& c) { c.SetView3D(false); }},
        {"Color", [](TChart& c) { c.SetColor(clBtnFace); }, [](TChart& c) { c.SetColor(clWhite); }},
        {"AxisVisible", [](TChart& c) { c.SetAxisVisible(true); }, [](TChart& c) { c.SetAxisVisible(false); }},
        {"ViewZoom", [](TChart& c) { c.View3DOptions().SetZoom(100); },
         [](TChart& c) { c.View3DOptions().SetZoom(90); }},
        {"Monochrome", [](TChart& c) { c.SetMonochrome(false); }, [](TChart& c) { c.SetMonochrome(true); }},
        {"Gradient", [](TChart& c) { c.Gradient().SetVisible(false); },
         [](TChart& c) { c.Gradient().SetVisible(true); }},
        {"WallPen", [](TChart& c) { c.BackWall().Pen().SetColor(clBlack); },
         [](TChart& c) { c.BackWall().Pen().SetColor(clRed); }},
        {"TitleFont", [](TChart& c) { c.Title().Font().SetColor(clBlue); },
         [](TChart& c) { c.Title().Font().SetColor(clRed); }},
        {"Legend", [](TChart& c) { c.Legend().SetVisible(true); }, [](TChart& c) { c.Legend().SetVisible(false); }},
        {"AxisVisibleFlag", [](TChart& c) { c.LeftAxis().SetVisible(true); },
         [](TChart& c) { c.LeftAxis().SetVisible(false); }},
    };
    for (const Step& step : steps) {
        chart.Paint();
        step.same(chart);
        EXPECT_FALSE(chart.Canvas().Dirty()) << step.name;
        step.changed(chart);
        EXPECT_TRUE(chart.Canvas().Dirty()) << step.name;
    }
}

TEST(ChartPanel, SeriesListPaletteAndDetach)
{
    TChart chart;
    auto* a = chart.AddSeries<TChartSeries>();
    auto* b = chart.AddSeries<TChartSeries>();
    auto own = std::make_unique<TChartSeries>();
    own->SetSeriesColor(0x123456);
    auto* c = chart.AddSeries(std::move(own));
    EXPECT_EQ(a->SeriesColor(), 0x0000FFu);
    EXPECT_EQ(b->SeriesColor(), 0x008000u);
    EXPECT_EQ(c->SeriesColor(), 0x123456u);
    EXPECT_EQ(chart.SeriesCount(), 3);
    EXPECT_EQ(&chart.Series(2), c);

    chart.Paint();
    std::unique_ptr<TChartSeries> back = chart.RemoveSeries(b);
    ASSERT_EQ(back.get(), b);
    EXPECT_EQ(back->ParentChart(), nullptr);
    EXPECT_EQ(chart.SeriesCount(), 2);
    EXPECT_TRUE(chart.Canvas().Dirty());
    EXPECT_EQ(chart.RemoveSeries(b), nullptr);
    // The freed green goes to the next series without a colour.
    EXPECT_EQ(chart.AddSeries<TChartSeries>()->SeriesColor(), 0x008000u);
    // Detached, the series no longer repaints the chart.
    chart.Paint();
    back->AddPoint(1, 1);
    EXPECT_FALSE(chart.Canvas().Dirty());
}

TEST(ChartPanel, PaletteSkipsPanelAndBackColours)
{
    TChart chart;
    chart.SetColor(0x0000FF);
    chart.SetBackColor(0x008000);
    EXPECT_EQ(chart.AddSeries<TChartSeries>()->SeriesColor(), 0x00FFFFu);
    TChart full;
    for (int i = 0; i < 16; ++i)
        full.AddSeries<TChartSeries>();
    EXPECT_EQ(full.Series(15).SeriesColor(), ChartPalette[15]);
    EXPECT_EQ(full.AddSeries<TChartSeries>()->SeriesColor(), clRed);
}

TEST(ChartPanel, DestroyingTheChartFreesItsSeriesWithoutRepaints)
{
    bool cleared = false;
    {
        TChart chart;
        auto* s = chart.AddSeries<TChartSeries>();
        s->AddPoint(1, 1);
        s->OnClearValues = [&](TChartSeries& series) { cleared = series.ParentChart() == nullptr; };
    }
    EXPECT_TRUE(cleared);
}

TEST(ChartPanel, AThrowingHandlerLeavesTheChartDirtyAndTheCanvasOnTheControl)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    chart.OnAfterDraw = [](TCustomChartPanel& panel) { dynamic_cast<TChart&>(panel).SetChart3DPercent(0); };
    try {
        chart.Paint();
        FAIL();
    } catch (const ChartException& e) {
        EXPECT_STREQ(e.what(), "3D effect percent must be between 1 and 100");
    }
    EXPECT_TRUE(chart.Canvas().Dirty());
    EXPECT_EQ(chart.Canvas().TargetCanvas(), &chart.ControlCanvas());
    chart.OnAfterDraw = nullptr;
    chart.Paint();
    EXPECT_FALSE(chart.Canvas().Dirty());
}

TEST(ChartPanel, TinyAndEmptyControlsPaintWithoutFault)
{
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {3, 200}, {200, 2}}) {
        TChart chart;
        ConfigureLikeTheWindow(chart);
        chart.Title().SetVisible(true);
        chart.Foot().SetText({"pie"});
        chart.AddSeries<TChartSeries>()->AddPoint(1, 1);
        chart.SetBounds(0, 0, w, h);
        chart.Paint();
        EXPECT_LE(chart.PlotRect.Left, chart.PlotRect.Right) << w << "x" << h;
        EXPECT_LE(chart.PlotRect.Top, chart.PlotRect.Bottom) << w << "x" << h;
        EXPECT_FALSE(chart.Canvas().Dirty());
    }
}

TEST(ChartPanel, ThreeDViewAtTheEndsOfIntPaintsItsTextsAtTheLargestZoom)
{
    TChart chart;
    ConfigureLikeTheWindow(chart);
    chart.SetView3D(true);
    chart.View3DOptions().SetZoom(std::numeric_limits<int>::max());
    chart.View3DOptions().SetHorizOffset(std::numeric_limits<int>::max());
    chart.View3DOptions().SetVertOffset(std::numeric_limits<int>::min());
    chart.LeftAxis().LabelsFont().SetSize(1000);
    chart.AddSeries<TChartSeries>()->AddPoint(1, 1);
    RecordingDevice* device = nullptr;
    RecordUnbuffered(chart, device);
    chart.Paint();
    EXPECT_EQ(chart.Canvas().OffsetCenterX, std::numeric_limits<int>::max());
    // Zoomed 2*10^7 times, every label font is drawn at the largest zoomed
    // size, not at a height wrapped round int.
    const int largest = -MulDiv(1 << 20, chart.LeftAxis().LabelsFont().PixelsPerInch(), 72);
    int fonts = 0;
    for (const std::string& call : device->Calls()) {
        if (call.rfind("Font(", 0) != 0)
            continue;
        const std::size_t comma = call.find(',');
        const int height = std::stoi(call.substr(comma + 1));
        EXPECT_GE(height, largest) << call;
        EXPECT_LT(height, 0) << call;
        fonts += height == largest;
    }
    EXPECT_GT(fonts, 0);
}
