// SPDX-License-Identifier: MIT
// Zoom box, undo and scrolling on the response chart, with real mouse events.

#include "chart/Chart.h"
#include "chart/Series.h"
#include "ui/main/ResponseChart.h"

#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <utility>

namespace nc {
namespace {

class ChartMouseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        chart = std::make_unique<TChart>();
        chart->resize(400, 300);
        ConfigureResponseChart(*chart, position, reference);
        for (int k = 0; k <= 100; ++k) {
            position->AddPoint(k, 60.0 * (1 - std::exp(-k / 20.0)));
            reference->AddPoint(k, 60.0);
        }
        chart->show();
        Paint();
    }

    // Paints the chart as the event loop would, so PlotRect and the axes hold.
    QImage Paint() { return chart->grab().toImage(); }
    QImage Screen() { return *chart->ControlDevice().Image(); }

    void Press(Qt::MouseButton b, QPoint p) { QTest::mousePress(chart.get(), b, Qt::NoModifier, p); }
    void Move(QPoint p)
    {
        QMouseEvent e(QEvent::MouseMove, QPointF(p), chart->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(chart.get(), &e);
    }
    void Release(Qt::MouseButton b, QPoint p) { QTest::mouseRelease(chart.get(), b, Qt::NoModifier, p); }
    void Drag(Qt::MouseButton b, QPoint from, QPoint to)
    {
        Press(b, from);
        Move(to);
        Release(b, to);
    }

    std::unique_ptr<TChart> chart;
    TFastLineSeries* position = nullptr;
    TFastLineSeries* reference = nullptr;
};

TEST_F(ChartMouseTest, DragTowardBottomRightZoomsToTheBoxValues)
{
    TChartAxis& bottom = chart->BottomAxis();
    TChartAxis& left = chart->LeftAxis();
    const double x40 = bottom.PixelToValue(40), x140 = bottom.PixelToValue(140);
    const double y30 = left.PixelToValue(30), y120 = left.PixelToValue(120);
    Drag(Qt::LeftButton, {40, 30}, {140, 120});
    EXPECT_TRUE(chart->IsZoomed());
    EXPECT_EQ(bottom.Minimum(), x40);
    EXPECT_EQ(bottom.Maximum(), x140);
    EXPECT_EQ(left.Minimum(), y120);
    EXPECT_EQ(left.Maximum(), y30);
    EXPECT_FALSE(bottom.Automatic());
    // New samples no longer move the axes.
    position->AddPoint(500, -40);
    Paint();
    EXPECT_EQ(bottom.Maximum(), x140);
    EXPECT_EQ(left.Minimum(), y120);
}

// A notch away zooms in to 0.8 of each range about the value under the
// pointer, a notch back out again; the undo gives back automatic axes, and
// outside the plot the wheel does nothing.
TEST_F(ChartMouseTest, WheelZoomsAboutThePointerAndTheUndoGivesTheAxesBack)
{
    TChartAxis& bottom = chart->BottomAxis();
    TChartAxis& left = chart->LeftAxis();
    auto wheel = [&](QPoint p, int eighths) {
        QWheelEvent e(QPointF(p), chart->mapToGlobal(QPointF(p)), {}, {0, eighths}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart.get(), &e);
        Paint();
        return e.isAccepted();
    };
    const QPoint at{150, 100};
    const double x = bottom.PixelToValue(at.x()), y = left.PixelToValue(at.y());
    const double width = bottom.Maximum() - bottom.Minimum(), height = left.Maximum() - left.Minimum();
    EXPECT_TRUE(wheel(at, 120));
    EXPECT_TRUE(chart->IsZoomed());
    EXPECT_FALSE(bottom.Automatic());
    EXPECT_NEAR(bottom.Maximum() - bottom.Minimum(), 0.8 * width, 1e-9 * width);
    EXPECT_NEAR(left.Maximum() - left.Minimum(), 0.8 * height, 1e-9 * height);
    EXPECT_NEAR(bottom.PixelToValue(at.x()), x, 0.01 * width);
    EXPECT_NEAR(left.PixelToValue(at.y()), y, 0.01 * height);
    EXPECT_TRUE(wheel(at, -120));
    EXPECT_NEAR(bottom.Maximum() - bottom.Minimum(), width, 1e-9 * width);

    const double before = bottom.Maximum();
    EXPECT_FALSE(wheel({chart->PlotRect.Left - 3, at.y()}, 120));
    EXPECT_EQ(bottom.Maximum(), before);
    Drag(Qt::LeftButton, {140, 120}, {40, 30});
    EXPECT_FALSE(chart->IsZoomed());
    EXPECT_TRUE(bottom.Automatic());
    Paint();
    EXPECT_EQ(bottom.Maximum(), 100.0) << bottom.Maximum() - 100.0;
}

// Wheeling in stops at the smallest range: the last notches are refused and
// leave the value under the pointer where it was, instead of creeping away.
TEST_F(ChartMouseTest, WheelStopsAtTheSmallestRangeWithTheValueUnderThePointer)
{
    TChartAxis& bottom = chart->BottomAxis();
    const QPoint at{150, 100};
    auto wheel = [&](int notches) {
        int accepted = 0;
        for (int notch = 0; notch < notches; ++notch) {
            QWheelEvent e(QPointF(at), chart->mapToGlobal(QPointF(at)), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
            QApplication::sendEvent(chart.get(), &e);
            Paint();
            accepted += e.isAccepted();
        }
        return accepted;
    };
    wheel(150); // the smallest range is some 120 notches in
    const double x = bottom.PixelToValue(at.x());
    EXPECT_EQ(wheel(100), 0);
    const double range = bottom.Maximum() - bottom.Minimum();
    EXPECT_GE(range, 1e-10);
    EXPECT_LT(range, 1.25e-10);
    EXPECT_NEAR(bottom.PixelToValue(at.x()), x, 1e-11);
}

TEST_F(ChartMouseTest, DragTheOtherWayUndoes)
{
    Drag(Qt::LeftButton, {40, 30}, {140, 120});
    Paint();
    Drag(Qt::LeftButton, {140, 120}, {40, 30});
    EXPECT_FALSE(chart->IsZoomed());
    EXPECT_TRUE(chart->BottomAxis().Automatic());
    EXPECT_TRUE(chart->LeftAxis().AutomaticMinimum());
    Paint();
    EXPECT_EQ(chart->BottomAxis().Maximum(), 100);
}

TEST_F(ChartMouseTest, UndoWithoutAZoomOnlyRepaints)
{
    const int before = chart->RepaintRequests();
    Drag(Qt::LeftButton, {140, 120}, {40, 30});
    EXPECT_EQ(chart->RepaintRequests(), before + 1);
    EXPECT_TRUE(chart->BottomAxis().Automatic());
    EXPECT_TRUE(chart->NothingSaved());
}

TEST_F(ChartMouseTest, BoxesOfSixteenPixelsDoNothing)
{
    const int before = chart->RepaintRequests();
    Drag(Qt::LeftButton, {40, 30}, {56, 130});
    Drag(Qt::LeftButton, {40, 30}, {140, 46});
    EXPECT_FALSE(chart->IsZoomed());
    EXPECT_TRUE(chart->BottomAxis().Automatic());
    EXPECT_EQ(chart->RepaintRequests(), before);
}

TEST_F(ChartMouseTest, ZoomBoxFollowsThePointerAndLeavesNoTrace)
{
    const QImage before = Screen();
    Press(Qt::LeftButton, {60, 50});
    EXPECT_TRUE(chart->Zoom().Active);
    Move({100, 90});
    EXPECT_NE(Screen(), before);
    Move({110, 95});
    Release(Qt::LeftButton, {70, 55}); // a small box: nothing changes
    EXPECT_EQ(Screen(), before);
}

TEST_F(ChartMouseTest, RightDragScrollsByTheValueSpanOfEachStep)
{
    TChartAxis& bottom = chart->BottomAxis();
    const double min = bottom.Minimum(), max = bottom.Maximum();
    const double span5 = bottom.PixelToValue(105) - bottom.PixelToValue(100);
    Press(Qt::RightButton, {200, 100});
    Move({195, 100});
    Paint();
    Move({190, 100});
    Release(Qt::RightButton, {190, 100});
    EXPECT_NEAR(bottom.Minimum(), min + 2 * span5, 1e-9);
    EXPECT_NEAR(bottom.Maximum(), max + 2 * span5, 1e-9);
    EXPECT_FALSE(chart->Scroll().Active);
    EXPECT_FALSE(bottom.Automatic());
    // Undoing gives back the automatic axes.
    Drag(Qt::LeftButton, {140, 120}, {40, 30});
    EXPECT_TRUE(bottom.Automatic());
}

TEST_F(ChartMouseTest, LeavingThePlotStopsScrollingUntilTheNextPress)
{
    TChartAxis& left = chart->LeftAxis();
    Press(Qt::RightButton, {200, 100});
    Move({200, 105});
    const double after = left.Minimum();
    Move({200, 299}); // below the plot
    EXPECT_FALSE(chart->Scroll().Active);
    Move({200, 110});
    EXPECT_EQ(left.Minimum(), after);
    Release(Qt::RightButton, {200, 110});
}

TEST_F(ChartMouseTest, AxisClickReachesElevenPixels)
{
    const int line = chart->BottomAxis().AxisLinePos;
    const int x = (chart->PlotRect.Left + chart->PlotRect.Right) / 2;
    Press(Qt::LeftButton, {x, line + 11});
    EXPECT_TRUE(chart->Zoom().Active);
    Release(Qt::LeftButton, {x, line + 11});
    Paint();
    Press(Qt::LeftButton, {x, line + 12});
    EXPECT_FALSE(chart->Zoom().Active);
    Release(Qt::LeftButton, {x, line + 12});
    EXPECT_EQ(chart->ClickedPart(x, line + 11).Part, cpAxis);
    EXPECT_EQ(chart->ClickedPart(x, line + 12).Part, cpNone);
}

TEST_F(ChartMouseTest, PressesAwayFromPlotAndAxesOrOnTheTitleStartNothing)
{
    Press(Qt::LeftButton, {395, 5});
    EXPECT_FALSE(chart->Zoom().Active);
    Release(Qt::LeftButton, {395, 5});
    chart->Title().SetVisible(true);
    chart->Title().TitleRect = TRect{100, 0, 300, 12};
    EXPECT_EQ(chart->ClickedPart(150, 5).Part, cpTitle);
}

TEST_F(ChartMouseTest, PositionsAtTheEndsOfIntAreFarFromEverything)
{
    constexpr int lo = std::numeric_limits<int>::min();
    constexpr int hi = std::numeric_limits<int>::max();
    const int x = (chart->PlotRect.Left + chart->PlotRect.Right) / 2;
    const int y = (chart->PlotRect.Top + chart->PlotRect.Bottom) / 2;
    for (const auto& [px, py] : {std::pair{lo, lo}, {hi, hi}, {x, lo}, {x, hi}, {lo, y}, {hi, y}})
        EXPECT_EQ(chart->ClickedPart(px, py).Part, cpNone) << px << "," << py;
    // A box dragged out to int's far corner is a box the other way: it undoes.
    Drag(Qt::LeftButton, {40, 30}, {140, 120});
    Paint();
    Press(Qt::LeftButton, {x, y});
    chart->MouseUp(mbLeft, 0, lo, lo);
    EXPECT_FALSE(chart->Zoom().Active);
    EXPECT_FALSE(chart->IsZoomed());
}

TEST_F(ChartMouseTest, ClickEventsComeFirstAndCanTakeThePress)
{
    int background = 0;
    chart->OnClickBackground = [&](TCustomChart&, TMouseButton, TShiftState, int, int) { ++background; };
    Press(Qt::LeftButton, {200, 100});
    Release(Qt::LeftButton, {200, 100});
    EXPECT_EQ(background, 1);
    EXPECT_FALSE(chart->Zoom().Active); // the event handled it: no drag
}

TEST(FixRange, OrdersTheEndsAndKeepsASmallestRange)
{
    TChart chart;
    TChartAxis& axis = chart.BottomAxis();
    FixRange(axis, 5, 10);
    EXPECT_EQ(axis.Minimum(), 5);
    EXPECT_EQ(axis.Maximum(), 10);
    EXPECT_FALSE(axis.Automatic());
    EXPECT_FALSE(axis.AutomaticMinimum());
    FixRange(axis, 7, 7);
    EXPECT_EQ(axis.Minimum(), 7);
    EXPECT_EQ(axis.Maximum(), 7 + 1e-10);
}

} // namespace
} // namespace nc
