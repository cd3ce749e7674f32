// SPDX-License-Identifier: MIT
// The fast line series: its pen, the device calls of a drawing pass, points
// added without repaint, and the hit test. Its drawing pass alone, against
// the plain walk, is in test_fast_line_walk.cpp.

#include <gtest/gtest.h>

#include "tests/chart/ChartRig.h"
#include "tests/chart/PixelArt.h"
#include "chart/Series.h"

#include <QImage>

#include <cmath>
#include <random>

using namespace nc;
using nc::test::RecordingChart;
using Calls = std::vector<std::string>;

namespace {

// A 100 x 100 plot at the origin with both ranges 0..100: value x is pixel
// column x and value y is pixel row 100 - y.
struct LineRig : RecordingChart {
    TFastLineSeries* s;
    LineRig() : s(chart.AddSeries<TFastLineSeries>()) { Frame(TRect{0, 0, 100, 100}, 0, 100, 0, 100); }
    Calls Draw()
    {
        device->ClearCalls();
        s->CalcVisibleRange();
        s->DrawPoints();
        return Recorded({"MoveTo", "LineTo"});
    }
};

} // namespace

TEST(FastLine, Defaults)
{
    TChart chart;
    auto* s = chart.AddSeries<TFastLineSeries>();
    EXPECT_TRUE(s->KeepPointPastEnd);
    EXPECT_TRUE(s->AutoRepaint());
    EXPECT_EQ(s->LinePen().Width(), 1);
    EXPECT_EQ(s->LinePen().Style(), psSolid);
    EXPECT_EQ(s->LinePen().Mode(), pmCopy);
    EXPECT_TRUE(s->LinePen().Visible());
    EXPECT_EQ(s->HorizAxis(), aBottomAxis);
    EXPECT_EQ(s->VertAxis(), aLeftAxis);
    // The chart gave it the first palette colour, and the pen follows.
    EXPECT_EQ(s->SeriesColor(), s->LinePen().Color());
}

TEST(FastLine, LinePenAndSeriesColorStayTied)
{
    TChart chart;
    auto* s = chart.AddSeries<TFastLineSeries>();
    s->SetSeriesColor(clBlue);
    EXPECT_EQ(s->LinePen().Color(), clBlue);
    TChartPen pen;
    pen.SetColor(clRed);
    pen.SetStyle(psDot);
    pen.SetVisible(false);
    s->SetLinePen(pen);
    EXPECT_EQ(s->SeriesColor(), clRed);
    EXPECT_EQ(s->LinePen().Style(), psDot);
    EXPECT_FALSE(s->LinePen().Visible());
    TFastLineSeries copy;
    copy.SetAutoRepaint(false);
    s->AssignSettings(copy);
    EXPECT_FALSE(s->AutoRepaint());
    EXPECT_EQ(s->LinePen().Color(), copy.LinePen().Color());
}

struct SequenceRow {
    const char* name;
    std::vector<std::pair<double, double>> points;
    Calls calls;
};

TEST(FastLine, DrawingCallSequences)
{
    const SequenceRow rows[] = {
        {"no values", {}, {}},
        {"one value", {{10, 50}}, {"MoveTo(10,50)"}},
        {"two on one pixel", {{10, 50}, {10.2, 50.3}}, {"MoveTo(10,50)"}},
        {"same pixel skipped", {{10, 50}, {10.2, 50}, {11, 50}}, {"MoveTo(10,50)", "LineTo(11,50)"}},
        {"back to an earlier pixel",
         {{10, 50}, {11, 50}, {12, 50}, {12, 60}},
         {"MoveTo(10,50)", "LineTo(11,50)", "LineTo(12,50)", "LineTo(12,40)"}},
    };
    for (const SequenceRow& r : rows) {
        LineRig rig;
        for (auto [x, y] : r.points)
            rig.s->AddPoint(x, y);
        EXPECT_EQ(rig.Draw(), r.calls) << r.name;
    }
}

TEST(FastLine, ConstantDottedReferenceDrawsOneLineToPerColumn)
{
    LineRig rig;
    rig.s->LinePen().SetStyle(psDot);
    for (int i = 0; i <= 40; ++i)
        rig.s->AddPoint(i * 0.5, 30);
    const Calls calls = rig.Draw();
    Calls expected{"MoveTo(0,70)"};
    // 0.5 rounds to 0, 1.5 to 2, 2.5 to 2: every column from 1 to 20 once.
    for (int x = 1; x <= 20; ++x)
        expected.push_back("LineTo(" + std::to_string(x) + ",70)");
    EXPECT_EQ(calls, expected);
    const Calls pens = rig.Recorded({"Pen"});
    ASSERT_FALSE(pens.empty());
    EXPECT_NE(pens.back().find("psDot"), std::string::npos);
}

TEST(FastLine, AZoomedRangeEntersFromTheValueOutside)
{
    LineRig rig;
    for (double x : {-20.0, -10.0, 10.0, 30.0})
        rig.s->AddPoint(x, 50);
    rig.Frame(TRect{0, 0, 100, 100}, 0, 100, 0, 100);
    EXPECT_EQ(rig.Draw(), (Calls{"MoveTo(-10,50)", "LineTo(10,50)", "LineTo(30,50)"}));
    EXPECT_EQ(rig.s->FirstVisibleIndex, 2);
}

TEST(FastLine, PointsPastTheRightEdgeKeepTheFirstOne)
{
    LineRig rig;
    for (double x : {90.0, 110.0, 130.0})
        rig.s->AddPoint(x, 50);
    EXPECT_EQ(rig.Draw(), (Calls{"MoveTo(90,50)", "LineTo(110,50)"}));
}

TEST(FastLine, WithoutAutoRepaintAPointIsDrawnAtOnce)
{
    LineRig rig;
    rig.s->SetAutoRepaint(false);
    rig.s->AddPoint(10, 50);
    rig.s->AddPoint(20, 60);
    rig.chart.Paint(); // settles the chart; the paint sets its own ranges
    rig.Frame(TRect{0, 0, 100, 100}, 0, 100, 0, 100);
    const int requests = rig.chart.RepaintRequests();
    rig.device->ClearCalls();
    rig.s->AddPoint(30, 70);
    EXPECT_EQ(rig.Recorded({"MoveTo", "LineTo"}), (Calls{"MoveTo(20,40)", "LineTo(30,30)"}));
    EXPECT_EQ(rig.chart.RepaintRequests(), requests);
    EXPECT_FALSE(rig.chart.RepaintPending());
}

// The fast line's own addition keeps the base's steps: the after-add event,
// no repaint for an inactive series, one request for many points.
TEST(FastLine, AnAddedPointRunsTheEventAndAsksForOneRepaint)
{
    LineRig rig;
    std::vector<int> added;
    rig.s->OnAfterAdd = [&](TChartSeries&, int index) { added.push_back(index); };
    rig.s->SetActive(false);
    rig.chart.Paint();
    rig.s->AddPoint(1, 1);
    EXPECT_FALSE(rig.chart.RepaintPending());
    rig.s->SetActive(true);
    rig.chart.Paint();
    rig.s->OnAfterAdd = nullptr;
    const int requests = rig.chart.RepaintRequests();
    for (int k = 2; k < 50; ++k)
        rig.s->AddPoint(k, k);
    EXPECT_EQ(added, std::vector<int>{0});
    EXPECT_TRUE(rig.chart.RepaintPending());
    EXPECT_EQ(rig.chart.RepaintRequests(), requests + 1);
}

TEST(FastLine, WithoutAutoRepaintTheLineMatchesAFullPaint)
{
    auto paintAll = [](bool incremental) {
        TChart chart;
        chart.SetBounds(0, 0, 120, 90);
        chart.SetView3D(false);
        chart.SetAxisVisible(false);
        chart.Canvas().SetBuffered(false);
        chart.BottomAxis().SetMinMax(0, 100);
        chart.LeftAxis().SetMinMax(0, 100);
        auto* s = chart.AddSeries<TFastLineSeries>();
        s->SetSeriesColor(clRed);
        chart.Paint();
        s->SetAutoRepaint(!incremental);
        for (int i = 0; i <= 100; ++i)
            s->AddPoint(i, (i * 37) % 101);
        if (!incremental)
            chart.Paint();
        // Only the inside of the plot: the paint clips there, the points drawn
        // at once are not clipped.
        const TRect& p = chart.PlotRect;
        return chart.ControlDevice().Image()->copy(p.Left + 1, p.Top + 1, p.Width() - 1, p.Height() - 2);
    };
    // With fixed ranges the segments drawn at once are those a full paint
    // draws.
    const QImage direct = paintAll(true);
    const QImage painted = paintAll(false);
    int red = 0;
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            red += (painted.pixel(x, y) & 0xFFFFFF) == 0xFF0000 ? 1 : 0;
    EXPECT_GT(red, 100);
    int differing = 0;
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x) {
            const bool a = (painted.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
            const bool b = (direct.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
            differing += a != b ? 1 : 0;
        }
    EXPECT_EQ(differing, 0);
}

TEST(FastLine, PointAtPixel)
{
    LineRig rig;
    for (int i = 0; i < 8; ++i)
        rig.s->AddPoint(i * 10, i % 2 == 0 ? 50 : 70);
    EXPECT_EQ(rig.s->PointAtPixel(0, 50), -1) << "no paint yet: no visible range";
    rig.Draw();
    struct Row {
        int x, y, index;
    };
    // Value 4 is at (40, 50), value 5 at (50, 30).
    const Row rows[]
        = {{40, 50, 4}, {50, 30, 5}, {45, 40, 4}, {44, 40, -1}, {45, 60, -1}, {65, 40, 6}, {100, 100, -1}, {0, 50, 0}};
    for (const Row& r : rows)
        EXPECT_EQ(rig.s->PointAtPixel(r.x, r.y), r.index) << r.x << "," << r.y;
    rig.s->ClearPoints();
    rig.Draw();
    EXPECT_EQ(rig.s->PointAtPixel(40, 50), -1);
}

TEST(FastLine, PointOnSegment)
{
    EXPECT_TRUE(PointOnSegment(5, 5, 10, 10, 0, 0));
    EXPECT_FALSE(PointOnSegment(5, 6, 10, 10, 0, 0));
    EXPECT_FALSE(PointOnSegment(11, 11, 10, 10, 0, 0)); // beyond the end
    EXPECT_TRUE(PointOnSegment(3, 7, 3, 10, 3, 0));     // vertical
    EXPECT_FALSE(PointOnSegment(4, 7, 3, 10, 3, 0));
    EXPECT_FALSE(PointOnSegment(3, 3, 3, 3, 3, 3)); // a segment of no length holds nothing
    // Ends and points at int's ends: no difference or product wraps round.
    constexpr int lo = std::numeric_limits<int>::min();
    constexpr int hi = std::numeric_limits<int>::max();
    EXPECT_TRUE(PointOnSegment(0, 0, lo + 1, lo + 1, hi, hi));
    EXPECT_FALSE(PointOnSegment(0, 1, lo + 1, lo + 1, hi, hi));
    EXPECT_TRUE(PointOnSegment(lo, 7, hi, 7, lo, 7));
    EXPECT_FALSE(PointOnSegment(hi - 1, lo, 1, hi, 1, lo)); // far beside a column over every row
}

TEST(FastLine, LegendSymbolIsAHorizontalLineThroughTheMiddle)
{
    LineRig rig;
    rig.s->SetSeriesColor(clBlue);
    rig.device->ClearCalls();
    rig.s->DrawLegendSymbol(TRect{10, 20, 30, 25});
    EXPECT_EQ(rig.Recorded({"MoveTo", "LineTo", "Pen"}),
              (Calls{"Pen(0xFF0000,psSolid,1,pmCopy)", "MoveTo(10,22)", "LineTo(30,22)"}));
}

// The value lists' storage under the window's own traffic: sample-index X
// (kept as a rule), a value that breaks the rule, a restart of the counter
// that inserts each new point inside the list, deletions and colours that
// change mid-run. Values, colours, range and sums read back as a plain model
// of the points says, and the fast drawing of that storage matches the
// plain walk and a series filled afresh in index order, pixel for pixel.
TEST(FastLine, StorageReadsBackAndDrawsAsThePlainModel)
{
    std::mt19937 random(1208);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int trial = 0; trial < 12; ++trial) {
        TChart chart;
        chart.SetBounds(0, 0, pick(40, 300), pick(40, 200));
        chart.SetView3D(false);
        auto* s = chart.AddSeries<TFastLineSeries>();
        if (trial % 3 == 0)
            s->LinePen().SetStyle(psDot);
        struct Point {
            double x, y;
            TColor c;
        };
        std::vector<Point> model;
        long double sumY = 0;
        double y = 0;
        int counter = 0;
        const int n = pick(500, 20000);
        for (int k = 0; k < n; ++k) {
            const int what = pick(0, 999);
            if (what < 3)
                counter = 0; // "Inicializar" without "Limpiar"
            double x = counter++;
            if (what == 3)
                x += 0.25; // breaks the rule of the sample index
            y += std::uniform_real_distribution<double>(-1, 1)(random);
            const TColor c = k % 700 < 350 ? clRed : (what < 500 ? clBlue : clRed);
            if (what >= 990 && !model.empty()) {
                const int at = pick(0, static_cast<int>(model.size()) - 1);
                sumY = static_cast<double>(sumY - model[static_cast<std::size_t>(at)].y);
                s->Delete(at);
                model.erase(model.begin() + at);
                continue;
            }
            const auto at
                = std::upper_bound(model.begin(), model.end(), x, [](double v, const Point& p) { return v < p.x; });
            const int index = s->AddPoint(x, y, "", c);
            ASSERT_EQ(index, at - model.begin());
            model.insert(at, Point{x, y, c});
            sumY = static_cast<double>(sumY + y);
        }
        ASSERT_EQ(s->PointCount(), static_cast<int>(model.size()));
        std::vector<TColor> colours;
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        for (std::size_t i = 0; i < model.size(); ++i) {
            ASSERT_EQ(s->XValue(static_cast<int>(i)), model[i].x);
            ASSERT_EQ(s->YValue(static_cast<int>(i)), model[i].y);
            colours.push_back(model[i].c);
            lo = std::min(lo, model[i].y);
            hi = std::max(hi, model[i].y);
        }
        EXPECT_EQ(s->ColorList(), colours);
        EXPECT_EQ(s->YValues().LowValue(), lo);
        EXPECT_EQ(s->YValues().HighValue(), hi);
        EXPECT_EQ(s->YValues().Sum(), static_cast<double>(sumY));
        auto paint = [&](TFastLineSeries* shown, bool fast) {
            for (TChartSeries* other : {static_cast<TChartSeries*>(s), static_cast<TChartSeries*>(shown)})
                other->SetActive(other == shown);
            shown->FastDrawing = fast;
            chart.Paint();
            return chart.ControlDevice().Image()->copy();
        };
        auto* fresh = chart.AddSeries<TFastLineSeries>();
        fresh->LinePen().SetStyle(s->LinePen().Style());
        for (const Point& p : model)
            fresh->AddPoint(p.x, p.y, "", p.c);
        const QImage drawn = paint(s, true);
        EXPECT_EQ(drawn, paint(s, false)) << "trial " << trial;
        EXPECT_EQ(drawn, paint(fresh, true)) << "trial " << trial;
    }
}
