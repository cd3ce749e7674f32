// SPDX-License-Identifier: MIT
// The fast line series: its pen, the device calls of a drawing pass, points
// added without repaint, and the hit test.

#include <gtest/gtest.h>

#include "ChartRig.h"
#include "PixelArt.h"
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
    Calls Draw() {
        device->ClearCalls();
        s->CalcVisibleRange();
        s->DrawPoints();
        return Recorded({"MoveTo", "LineTo"});
    }
};

// A chart of width x height with one red fast line, set up by configure
// (points, pen, axes), painted: the picture, for comparing fast drawing
// with the plain walk.
template <class Configure>
QImage PaintLine(int width, int height, bool fast, Configure configure) {
    TChart chart;
    chart.SetBounds(0, 0, width, height);
    chart.SetView3D(false);
    auto* s = chart.AddSeries<TFastLineSeries>();
    s->SetSeriesColor(clRed);
    s->FastDrawing = fast;
    configure(chart, *s);
    chart.Paint();
    return chart.ControlDevice().Image()->copy();
}

}  // namespace

TEST(FastLine, Defaults) {
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

TEST(FastLine, LinePenAndSeriesColorStayTied) {
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

TEST(FastLine, DrawingCallSequences) {
    const SequenceRow rows[] = {
        {"no values", {}, {}},
        {"one value", {{10, 50}}, {"MoveTo(10,50)"}},
        {"two on one pixel", {{10, 50}, {10.2, 50.3}}, {"MoveTo(10,50)"}},
        {"same pixel skipped", {{10, 50}, {10.2, 50}, {11, 50}}, {"MoveTo(10,50)", "LineTo(11,50)"}},
        {"back to an earlier pixel", {{10, 50}, {11, 50}, {12, 50}, {12, 60}},
         {"MoveTo(10,50)", "LineTo(11,50)", "LineTo(12,50)", "LineTo(12,40)"}},
    };
    for (const SequenceRow& r : rows) {
        LineRig rig;
        for (auto [x, y] : r.points) rig.s->AddPoint(x, y);
        EXPECT_EQ(rig.Draw(), r.calls) << r.name;
    }
}

TEST(FastLine, ConstantDottedReferenceDrawsOneLineToPerColumn) {
    LineRig rig;
    rig.s->LinePen().SetStyle(psDot);
    for (int i = 0; i <= 40; ++i) rig.s->AddPoint(i * 0.5, 30);
    const Calls calls = rig.Draw();
    Calls expected{"MoveTo(0,70)"};
    // 0.5 rounds to 0, 1.5 to 2, 2.5 to 2: every column from 1 to 20 once.
    for (int x = 1; x <= 20; ++x) expected.push_back("LineTo(" + std::to_string(x) + ",70)");
    EXPECT_EQ(calls, expected);
    const Calls pens = rig.Recorded({"Pen"});
    ASSERT_FALSE(pens.empty());
    EXPECT_NE(pens.back().find("psDot"), std::string::npos);
}

TEST(FastLine, AZoomedRangeEntersFromTheValueOutside) {
    LineRig rig;
    for (double x : {-20.0, -10.0, 10.0, 30.0}) rig.s->AddPoint(x, 50);
    rig.Frame(TRect{0, 0, 100, 100}, 0, 100, 0, 100);
    EXPECT_EQ(rig.Draw(), (Calls{"MoveTo(-10,50)", "LineTo(10,50)", "LineTo(30,50)"}));
    EXPECT_EQ(rig.s->FirstVisibleIndex, 2);
}

TEST(FastLine, PointsPastTheRightEdgeKeepTheFirstOne) {
    LineRig rig;
    for (double x : {90.0, 110.0, 130.0}) rig.s->AddPoint(x, 50);
    EXPECT_EQ(rig.Draw(), (Calls{"MoveTo(90,50)", "LineTo(110,50)"}));
}

TEST(FastLine, WithoutAutoRepaintAPointIsDrawnAtOnce) {
    LineRig rig;
    rig.s->SetAutoRepaint(false);
    rig.s->AddPoint(10, 50);
    rig.s->AddPoint(20, 60);
    rig.chart.Paint();  // settles the chart; the paint sets its own ranges
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
TEST(FastLine, AnAddedPointRunsTheEventAndAsksForOneRepaint) {
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
    for (int k = 2; k < 50; ++k) rig.s->AddPoint(k, k);
    EXPECT_EQ(added, std::vector<int>{0});
    EXPECT_TRUE(rig.chart.RepaintPending());
    EXPECT_EQ(rig.chart.RepaintRequests(), requests + 1);
}

TEST(FastLine, WithoutAutoRepaintTheLineMatchesAFullPaint) {
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
        for (int i = 0; i <= 100; ++i) s->AddPoint(i, (i * 37) % 101);
        if (!incremental) chart.Paint();
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
        for (int x = 0; x < painted.width(); ++x) red += (painted.pixel(x, y) & 0xFFFFFF) == 0xFF0000 ? 1 : 0;
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

TEST(FastLine, PointAtPixel) {
    LineRig rig;
    for (int i = 0; i < 8; ++i) rig.s->AddPoint(i * 10, i % 2 == 0 ? 50 : 70);
    EXPECT_EQ(rig.s->PointAtPixel(0, 50), -1) << "no paint yet: no visible range";
    rig.Draw();
    struct Row {
        int x, y, index;
    };
    // Value 4 is at (40, 50), value 5 at (50, 30).
    const Row rows[] = {{40, 50, 4}, {50, 30, 5}, {45, 40, 4}, {44, 40, -1}, {45, 60, -1}, {65, 40, 6},
                        {100, 100, -1}, {0, 50, 0}};
    for (const Row& r : rows) EXPECT_EQ(rig.s->PointAtPixel(r.x, r.y), r.index) << r.x << "," << r.y;
    rig.s->ClearPoints();
    rig.Draw();
    EXPECT_EQ(rig.s->PointAtPixel(40, 50), -1);
}

TEST(FastLine, PointOnSegment) {
    EXPECT_TRUE(PointOnSegment(5, 5, 10, 10, 0, 0));
    EXPECT_FALSE(PointOnSegment(5, 6, 10, 10, 0, 0));
    EXPECT_FALSE(PointOnSegment(11, 11, 10, 10, 0, 0));  // beyond the end
    EXPECT_TRUE(PointOnSegment(3, 7, 3, 10, 3, 0));      // vertical
    EXPECT_FALSE(PointOnSegment(4, 7, 3, 10, 3, 0));
    EXPECT_FALSE(PointOnSegment(3, 3, 3, 3, 3, 3));      // a segment of no length holds nothing
    // Ends and points at int's ends: no difference or product wraps round.
    constexpr int lo = std::numeric_limits<int>::min();
    constexpr int hi = std::numeric_limits<int>::max();
    EXPECT_TRUE(PointOnSegment(0, 0, lo + 1, lo + 1, hi, hi));
    EXPECT_FALSE(PointOnSegment(0, 1, lo + 1, lo + 1, hi, hi));
    EXPECT_TRUE(PointOnSegment(lo, 7, hi, 7, lo, 7));
    EXPECT_FALSE(PointOnSegment(hi - 1, lo, 1, hi, 1, lo));  // far beside a column over every row
}

TEST(FastLine, LegendSymbolIsAHorizontalLineThroughTheMiddle) {
    LineRig rig;
    rig.s->SetSeriesColor(clBlue);
    rig.device->ClearCalls();
    rig.s->DrawLegendSymbol(TRect{10, 20, 30, 25});
    EXPECT_EQ(rig.Recorded({"MoveTo", "LineTo", "Pen"}),
              (Calls{"Pen(0xFF0000,psSolid,1,pmCopy)", "MoveTo(10,22)", "LineTo(30,22)"}));
}

// The shortcuts of DrawPoints against the plain walk of every point: random
// data (walks, plateaus, repeated X values), random zooms, sizes, pens and
// inverted axes; the two pictures must agree pixel for pixel.
TEST(FastLine, FastDrawingIsPixelIdenticalToThePlainWalk) {
    std::mt19937 random(20261207);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    int compared = 0;
    for (int trial = 0; trial < 80; ++trial) {
        const int width = pick(20, 320);
        const int height = pick(20, 220);
        const int n = pick(1, trial % 4 == 0 ? 60000 : 3000);
        const int kind = pick(0, 3);
        std::vector<std::pair<double, double>> points;
        double y = 0;
        double x = 0;
        for (int i = 0; i < n; ++i) {
            switch (kind) {
            case 0: y += uniform(-1, 1); break;                                  // random walk
            case 1: if (pick(0, 200) == 0) y = pick(-50, 50); break;             // plateaus
            case 2: y = 40 * std::sin(i * 0.001 * pick(1, 3)) + uniform(-2, 2); break;
            default: y = pick(0, 1) ? y : uniform(-1e3, 1e3); break;             // jumps
            }
            x += pick(0, 4) == 0 ? 0 : uniform(0, 2);  // repeated X values too
            points.emplace_back(x, y);
        }
        const bool dotted = pick(0, 2) == 0;
        const bool zoom = pick(0, 1) == 0;
        const bool invertX = pick(0, 5) == 0;
        const bool invertY = pick(0, 5) == 0;
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        if (zoom) {
            x0 = uniform(-10, x);
            x1 = x0 + uniform(0, x - x0 + 10);
            y0 = uniform(-60, 30);
            y1 = y0 + uniform(0, 90);
        }
        auto paint = [&](bool fast) {
            return PaintLine(width, height, fast, [&](TChart& chart, TFastLineSeries& s) {
                if (dotted) s.LinePen().SetStyle(psDot);
                for (auto [px, py] : points) s.AddPoint(px, py);
                if (zoom) {
                    chart.BottomAxis().SetMinMax(x0, x1);
                    chart.LeftAxis().SetMinMax(y0, y1);
                }
                chart.BottomAxis().SetInverted(invertX);
                chart.LeftAxis().SetInverted(invertY);
            });
        };
        const QImage fast = paint(true);
        const QImage plain = paint(false);
        ASSERT_EQ(fast, plain) << "trial " << trial << ": " << width << "x" << height << ", " << n << " points, kind "
                               << kind << (dotted ? ", dotted" : "") << (zoom ? ", zoomed" : "");
        ++compared;
    }
    EXPECT_EQ(compared, 80);
}

// The extremes index (the extremes of a range, the end of a run within
// bounds) against a scan, after appends, insertions, deletions and NaN.
TEST(FastLine, ExtremesIndexAgreesWithAScan) {
    std::mt19937 random(7);
    TChartSeries series;
    TChartValueList& list = series.YValues();
    std::vector<double> mirror;
    for (int step = 0; step < 20000; ++step) {
        const double v = std::uniform_real_distribution<double>(-100, 100)(random);
        const int what = std::uniform_int_distribution<int>(0, 99)(random);
        if (what < 90 || mirror.empty()) {
            list.InsertValue(list.Count(), v);
            mirror.push_back(v);
        } else if (what < 95) {
            const int at = std::uniform_int_distribution<int>(0, list.Count())(random);
            list.InsertValue(at, v);
            mirror.insert(mirror.begin() + at, v);
        } else {
            const int at = std::uniform_int_distribution<int>(0, list.Count() - 1)(random);
            list.DeleteValue(at);
            mirror.erase(mirror.begin() + at);
        }
        if (step % 97 != 0 || mirror.empty()) continue;
        const int a = std::uniform_int_distribution<int>(0, list.Count() - 1)(random);
        const int b = std::uniform_int_distribution<int>(a, list.Count() - 1)(random);
        double lo, hi;
        list.RawExtremes(a, b, lo, hi);
        EXPECT_EQ(lo, *std::min_element(mirror.begin() + a, mirror.begin() + b + 1)) << step;
        EXPECT_EQ(hi, *std::max_element(mirror.begin() + a, mirror.begin() + b + 1)) << step;
        // A run within bounds that most values meet, so that it spans blocks.
        const double low = -100 + std::uniform_real_distribution<double>(0, 0.6)(random);
        const double high = 100 - std::uniform_real_distribution<double>(0, 0.6)(random);
        int end = a;
        while (end < b && mirror[static_cast<std::size_t>(end) + 1] >= low && mirror[static_cast<std::size_t>(end) + 1] <= high) ++end;
        EXPECT_EQ(list.LastWithin(a, b, low, high), end) << step;
    }
    EXPECT_FALSE(list.HasNaN());
    list.InsertValue(list.Count(), std::nan(""));
    EXPECT_TRUE(list.HasNaN());
    TChartValueList& xs = series.XValues();
    xs.InsertValue(0, 1);
    xs.InsertValue(1, 1);
    EXPECT_TRUE(xs.IsAscending());
    xs.InsertValue(0, 2);
    EXPECT_FALSE(xs.IsAscending());
    xs.ResetValues();
    EXPECT_TRUE(xs.IsAscending());
}

// In the line's last column the order of the points inside decides whether
// the final pixel is drawn (5, 10, 7, 10 draws row 10; 5, 7, 10, 10 would
// not).
TEST(FastLine, TheLastColumnKeepsItsFinalPixelRule) {
    for (const std::vector<double>& ys : {std::vector<double>{50, 55, 60, 57, 60}, std::vector<double>{50, 60, 55, 58, 55}}) {
        auto paint = [&](bool fast) {
            TChart chart;
            chart.SetBounds(0, 0, 100, 120);
            chart.SetView3D(false);
            chart.SetAxisVisible(false);
            chart.BottomAxis().SetMinMax(0, 100);
            chart.LeftAxis().SetMinMax(0, 100);
            auto* s = chart.AddSeries<TFastLineSeries>();
            s->SetSeriesColor(clRed);
            s->FastDrawing = fast;
            s->AddPoint(10, ys[0]);
            for (std::size_t i = 1; i < ys.size(); ++i) s->AddPoint(60, ys[i]);
            chart.Paint();
            return chart.ControlDevice().Image()->copy();
        };
        EXPECT_EQ(paint(true), paint(false)) << ys[1];
    }
}

// The last pixel column holds hundreds of points and ends on a row inside
// its hull, beyond it, or on its edge, reached there first or earlier and
// left again; only the order inside decides whether that last pixel is
// drawn, and the shortcut must agree with the plain walk each time.
TEST(FastLine, TheLastColumnMatchesThePlainWalk) {
    std::mt19937 random(20261209);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int trial = 0; trial < 120; ++trial) {
        const int width = pick(20, 60);
        const int n = pick(500, 20000);
        std::vector<double> ys;
        double y = 0;
        for (int i = 0; i < n; ++i) ys.push_back(y += std::uniform_real_distribution<double>(-1, 1)(random));
        // The last point on the lowest or highest value of the points just
        // before it, or a little beyond.
        const auto tail = ys.end() - 1 - n / (4 * width);
        const auto [low, high] = std::minmax_element(tail, ys.end() - 1);
        switch (trial % 4) {
        case 1: ys.back() = *low; break;
        case 2: ys.back() = *high; break;
        case 3: ys.back() = pick(0, 1) ? *low - pick(0, 6) : *high + pick(0, 6); break;
        default: break;
        }
        const bool invert = trial % 5 == 4;
        const int height = pick(25, 60);
        // Clear of the plot's frame, which would hide a pixel's difference.
        const auto range = std::minmax_element(ys.begin(), ys.end());
        auto paint = [&](bool fast) {
            return PaintLine(width, height, fast, [&](TChart& chart, TFastLineSeries& s) {
                for (int i = 0; i < n; ++i) s.AddPoint(i, ys[static_cast<std::size_t>(i)]);
                chart.BottomAxis().SetMinMax(0, 1.25 * n);
                chart.LeftAxis().SetMinMax(*range.first - 10, *range.second + 10);
                chart.LeftAxis().SetInverted(invert);
            });
        };
        ASSERT_EQ(paint(true), paint(false)) << "trial " << trial << ": " << width << " px, " << n << " points";
    }
}

// Values on the half-way points between pixel rows and one unit in the last
// place either side, where the row of a value is decided by the rounding
// (ties to even): runs of them must end exactly where the plain walk changes
// row.
TEST(FastLine, RunsEndExactlyAtRowBorders) {
    for (TPenStyle style : {psSolid, psDot}) {
        std::mt19937 random(3);
        auto paint = [&](bool fast, std::uint32_t seed) {
            random.seed(seed);
            TChart chart;
            chart.SetBounds(0, 0, 160, 130);
            chart.SetView3D(false);
            chart.SetAxisVisible(false);
            chart.Paint();
            // One value unit per pixel row: the borders are the half-way values.
            const int height = chart.PlotHeight;
            chart.BottomAxis().SetMinMax(0, 20000);
            chart.LeftAxis().SetMinMax(0, height);
            auto* s = chart.AddSeries<TFastLineSeries>();
            s->SetSeriesColor(clRed);
            s->LinePen().SetStyle(style);
            s->FastDrawing = fast;
            int pick = 0;
            for (int i = 0; i < 20000; ++i) {
                const double border = 10 + (i / 700) % 40 + 0.5;
                if (random() % 9 == 0) pick = static_cast<int>(random() % 3);
                const double v = pick == 0 ? std::nextafter(border, -HUGE_VAL)
                                 : pick == 1 ? border
                                             : std::nextafter(border, HUGE_VAL);
                s->AddPoint(i, v);
            }
            chart.Paint();
            return chart.ControlDevice().Image()->copy();
        };
        EXPECT_EQ(paint(true, 11), paint(false, 11)) << style;
    }
}

// The value lists' storage under the window's own traffic: sample-index X
// (kept as a rule), a value that breaks the rule, a restart of the counter
// that inserts each new point inside the list, deletions and colours that
// change mid-run. Values, colours, range and sums read back as a plain model
// of the points says, and the fast drawing of that storage matches the
// plain walk and a series filled afresh in index order, pixel for pixel.
TEST(FastLine, StorageReadsBackAndDrawsAsThePlainModel) {
    std::mt19937 random(1208);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int trial = 0; trial < 12; ++trial) {
        TChart chart;
        chart.SetBounds(0, 0, pick(40, 300), pick(40, 200));
        chart.SetView3D(false);
        auto* s = chart.AddSeries<TFastLineSeries>();
        if (trial % 3 == 0) s->LinePen().SetStyle(psDot);
        struct Point { double x, y; TColor c; };
        std::vector<Point> model;
        long double sumY = 0;
        double y = 0;
        int counter = 0;
        const int n = pick(500, 20000);
        for (int k = 0; k < n; ++k) {
            const int what = pick(0, 999);
            if (what < 3) counter = 0;                       // "Inicializar" without "Limpiar"
            double x = counter++;
            if (what == 3) x += 0.25;                         // breaks the rule of the sample index
            y += std::uniform_real_distribution<double>(-1, 1)(random);
            const TColor c = k % 700 < 350 ? clRed : (what < 500 ? clBlue : clRed);
            if (what >= 990 && !model.empty()) {
                const int at = pick(0, static_cast<int>(model.size()) - 1);
                sumY = static_cast<double>(sumY - model[static_cast<std::size_t>(at)].y);
                s->Delete(at);
                model.erase(model.begin() + at);
                continue;
            }
            const auto at = std::upper_bound(model.begin(), model.end(), x, [](double v, const Point& p) { return v < p.x; });
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
        for (const Point& p : model) fresh->AddPoint(p.x, p.y, "", p.c);
        const QImage drawn = paint(s, true);
        EXPECT_EQ(drawn, paint(s, false)) << "trial " << trial;
        EXPECT_EQ(drawn, paint(fresh, true)) << "trial " << trial;
    }
}

// A solid line whose points stay on one row across many columns (a settled
// response, flat stretches broken by one-point spikes, rows changing by one
// near a border) is drawn as one horizontal line per stretch: the same
// pixels as the plain walk, at sample-index X dense and sparse, with the
// axes either way round; and a constant line costs one call.
TEST(FastLine, RunsAcrossColumnsMatchThePlainWalk) {
    std::mt19937 random(20261208);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int trial = 0; trial < 24; ++trial) {
        const int width = pick(40, 700);
        const int n = trial % 3 == 0 ? pick(20, 400) : pick(2000, 80000);
        const int shape = trial % 4;
        std::vector<double> ys;
        for (int i = 0; i < n; ++i) {
            const double t = 12.0 * i / n;
            double y = 30 - 30 * std::exp(-t) * std::cos(3 * t);             // settles on 30
            if (shape == 1) y = std::round(y);                                  // flat stretches
            if (shape == 2 && pick(0, 300) == 0) y += pick(-5, 5);              // one-point spikes
            if (shape == 3) y = 30 + 0.5 * std::sin(i * 0.01) * (i > n / 2);   // near a border
            ys.push_back(y);
        }
        const bool invert = trial % 5 == 4;
        auto paint = [&](bool fast) {
            return PaintLine(width, 200, fast, [&](TChart& chart, TFastLineSeries& s) {
                if (trial % 6 == 5) s.YValues().SetMultiplier(2.5);  // rows from scaled values
                for (int i = 0; i < n; ++i) s.AddPoint(i, ys[static_cast<std::size_t>(i)]);
                chart.BottomAxis().SetInverted(invert);
                chart.LeftAxis().SetInverted(invert);
            });
        };
        ASSERT_EQ(paint(true), paint(false)) << "trial " << trial << ": " << width << " px, " << n << " points, shape "
                                             << shape;
    }
    LineRig rig;
    for (int i = 0; i <= 400; ++i) rig.s->AddPoint(i * 0.25, 30);
    EXPECT_EQ(rig.Draw(), (Calls{"MoveTo(0,70)", "LineTo(100,70)"}));
}

// Where the X values are a rule less than a pixel apart, a run on one row is
// found with the index for pens the column reduction leaves alone (styled,
// or solid in another mode), and drawn with the plain walk's own calls: the
// whole paint records the same calls. References with steps, settling and
// noisy stretches, sparse and dense, zoomed (the line enters from outside)
// and with the axes either way round.
TEST(FastLine, DenseRuledRunsMakeThePlainWalksCalls) {
    std::mt19937 random(20261209);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const TPenStyle styles[] = {psDot, psDash, psDashDot, psSolid};
    for (int trial = 0; trial < 40; ++trial) {
        const int width = pick(60, 700);
        const int n = trial % 5 == 0 ? pick(width / 3, width * 2 / 3) : pick(2 * width, 40 * width);
        // Dyadic first and step: the values stay a rule, computed exactly.
        const double first = pick(-1000, 1000);
        const double step = pick(1, 256) / 256.0;
        std::vector<double> ys;
        double level = pick(0, 60);
        for (int i = 0; i < n; ++i) {
            if (pick(0, n / 4 + 1) == 0) level = pick(0, 60);                          // steps
            double y = level;
            if (trial % 3 == 1 && (i / 300) % 2 == 1) y += pick(-300, 300) / 100.0;  // noisy stretches
            if (trial % 3 == 2) y += 8 * std::exp(-i / (0.1 * n + 1.0));              // settling
            ys.push_back(y);
        }
        const TPenStyle style = styles[trial % 4];
        const bool zoom = trial % 4 == 1;
        const bool invert = trial % 7 == 3;
        auto record = [&](bool fast) {
            RecordingChart rig(width, 200);
            auto* s = rig.chart.AddSeries<TFastLineSeries>();
            s->LinePen().SetStyle(style);
            if (style == psSolid) s->LinePen().SetMode(pmXor);
            s->FastDrawing = fast;
            for (int i = 0; i < n; ++i) s->AddPoint(first + i * step, ys[static_cast<std::size_t>(i)]);
            EXPECT_TRUE(s->XValues().IsRuled());
            if (zoom) rig.chart.BottomAxis().SetMinMax(first + 0.3 * n * step, first + 0.7 * n * step);
            rig.chart.BottomAxis().SetInverted(invert);
            rig.chart.Paint();
            return rig.device->Calls();
        };
        ASSERT_EQ(record(true), record(false)) << "trial " << trial << ": " << width << " px, " << n << " points";
    }
}
