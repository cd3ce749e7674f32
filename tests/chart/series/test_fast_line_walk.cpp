// SPDX-License-Identifier: MIT
// The fast line's drawing pass without a chart: its shortcuts against the
// plain walk of every point, on random data, zooms, sizes, pens and
// inverted axes, by the pixels they draw on an image device or by the calls
// they make.

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "chart/device/ChartDevice.h"
#include "chart/series/ChartSeries.h"
#include "chart/series/FastLineWalk.h"
#include "chart/device/ImageDevice.h"

using namespace nc;
using Calls = std::vector<std::string>;

namespace {

// A plot of width x height pixels showing x0..x1 across and y0..y1 upwards:
// value x0 is column 0 and x1 column width, y0 row height and y1 row 0 (the
// other way round on an inverted axis). Its device is one pixel wider and
// higher, so that both edges show.
struct Frame {
    int width;
    int height;
    double x0, x1, y0, y1;
    bool invertX = false;
    bool invertY = false;

    LinearPixelMapper XMap() const
    {
        return LinearPixelMapper(AxisRange{x0, x1, x1 - x0}, AxisSpan{0, width, width, width / 2}, invertX);
    }
    LinearPixelMapper YMap() const
    {
        return LinearPixelMapper(AxisRange{y0, y1, y1 - y0}, AxisSpan{height, 0, -height, height / 2}, invertY);
    }
};

// The frame that shows every point, as automatic axes do.
Frame Fitting(int width, int height, const TChartSeries& s)
{
    return Frame{width,
                 height,
                 s.XValues().LowValue(),
                 s.XValues().HighValue(),
                 s.YValues().LowValue(),
                 s.YValues().HighValue()};
}

class DeviceSink final : public TLineSink {
public:
    explicit DeviceSink(DrawDevice& device) : device_(device) {}
    void MoveTo(int x, int y) override { device_.MoveTo(x, y); }
    void Line(int x0, int y0, int x1, int y1) override
    {
        device_.MoveTo(x0, y0);
        device_.LineTo(x1, y1);
    }
    void PolyLineTo(std::span<const TPoint> points) override { device_.PolyLineTo(points); }

private:
    DrawDevice& device_;
};

class RecordingSink final : public TLineSink {
public:
    Calls calls;
    void MoveTo(int x, int y) override { calls.push_back("MoveTo" + Where(x, y)); }
    void Line(int x0, int y0, int x1, int y1) override
    {
        MoveTo(x0, y0);
        calls.push_back("LineTo" + Where(x1, y1));
    }
    void PolyLineTo(std::span<const TPoint> points) override
    {
        for (const TPoint& p : points)
            calls.push_back("LineTo" + Where(p.X, p.Y));
    }

private:
    static std::string Where(int x, int y) { return "(" + std::to_string(x) + "," + std::to_string(y) + ")"; }
};

// The points of s that a chart showing frame would draw: the visible range,
// kept past the right edge as the fast line keeps it.
bool VisibleRange(TChartSeries& s, const Frame& frame, int& first, int& last)
{
    s.KeepPointPastEnd = true;
    s.CalcVisibleRangeBetween(frame.x0, frame.x1);
    first = s.FirstVisibleIndex;
    last = s.LastVisibleIndex;
    return first >= 0;
}

// One pass over the visible points of s with a one-pixel red pen: the
// picture, and the pixel drawn last after it.
struct Drawn {
    QImage picture;
    TPoint lastDrawn;
};

Drawn Draw(TChartSeries& s, const Frame& frame, bool fast, TPenStyle style = psSolid)
{
    ImageDevice device(frame.width + 1, frame.height + 1);
    device.SelectPen(DevicePen{clRed, style, 1, pmCopy});
    DeviceSink sink(device);
    TFastLineWalk::TRowBands bands;
    TFastLineWalk walk(s.XValues(), s.YValues(), frame.XMap(), frame.YMap(), sink, bands);
    int first;
    int last;
    if (!VisibleRange(s, frame, first, last))
        return Drawn{device.Image()->copy(), TPoint{}};
    if (fast)
        walk.Walk(first, last, style == psSolid);
    else
        walk.WalkPlain(first, last);
    return Drawn{device.Image()->copy(), walk.LastDrawn()};
}

// The shortcuts and the plain walk agree on every pixel and on where they
// end.
void ExpectSamePicture(TChartSeries& s, const Frame& frame, TPenStyle style, const std::string& what)
{
    const Drawn fast = Draw(s, frame, true, style);
    const Drawn plain = Draw(s, frame, false, style);
    EXPECT_EQ(fast.picture, plain.picture) << what;
    EXPECT_EQ(fast.lastDrawn, plain.lastDrawn) << what;
}

Calls Record(TChartSeries& s, const Frame& frame, bool fast, bool reduceColumns)
{
    RecordingSink sink;
    TFastLineWalk::TRowBands bands;
    TFastLineWalk walk(s.XValues(), s.YValues(), frame.XMap(), frame.YMap(), sink, bands);
    int first;
    int last;
    if (!VisibleRange(s, frame, first, last))
        return {};
    if (fast)
        walk.Walk(first, last, reduceColumns);
    else
        walk.WalkPlain(first, last);
    return sink.calls;
}

} // namespace

// Random data (walks, plateaus, repeated X values), random zooms, sizes,
// pens and inverted axes.
TEST(FastLineWalk, IsPixelIdenticalToThePlainWalk)
{
    std::mt19937 random(20261207);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int trial = 0; trial < 80; ++trial) {
        const int width = pick(20, 320);
        const int height = pick(20, 220);
        const int n = pick(1, trial % 4 == 0 ? 60000 : 3000);
        const int kind = pick(0, 3);
        TChartSeries s;
        double y = 0;
        double x = 0;
        for (int i = 0; i < n; ++i) {
            switch (kind) {
            case 0: y += uniform(-1, 1); break; // random walk
            case 1:
                if (pick(0, 200) == 0)
                    y = pick(-50, 50);
                break; // plateaus
            case 2: y = 40 * std::sin(i * 0.001 * pick(1, 3)) + uniform(-2, 2); break;
            default: y = pick(0, 1) ? y : uniform(-1e3, 1e3); break; // jumps
            }
            x += pick(0, 4) == 0 ? 0 : uniform(0, 2); // repeated X values too
            s.AddPoint(x, y);
        }
        const bool dotted = pick(0, 2) == 0;
        Frame frame = Fitting(width, height, s);
        if (pick(0, 1) == 0) {
            frame.x0 = uniform(-10, x);
            frame.x1 = frame.x0 + uniform(0, x - frame.x0 + 10);
            frame.y0 = uniform(-60, 30);
            frame.y1 = frame.y0 + uniform(0, 90);
        }
        frame.invertX = pick(0, 5) == 0;
        frame.invertY = pick(0, 5) == 0;
        ExpectSamePicture(s, frame, dotted ? psDot : psSolid,
                          "trial " + std::to_string(trial) + ": " + std::to_string(n) + " points, kind "
                              + std::to_string(kind));
    }
}

// In the line's last column the order of the points inside decides whether
// the final pixel is drawn (5, 10, 7, 10 draws row 10; 5, 7, 10, 10 would
// not).
TEST(FastLineWalk, TheLastColumnKeepsItsFinalPixelRule)
{
    for (const std::vector<double>& ys :
         {std::vector<double>{50, 55, 60, 57, 60}, std::vector<double>{50, 60, 55, 58, 55}}) {
        TChartSeries s;
        s.AddPoint(10, ys[0]);
        for (std::size_t i = 1; i < ys.size(); ++i)
            s.AddPoint(60, ys[i]);
        ExpectSamePicture(s, Frame{100, 100, 0, 100, 0, 100}, psSolid, std::to_string(ys[1]));
    }
}

// The last pixel column holds hundreds of points and ends on a row inside
// its hull, beyond it, or on its edge, reached there first or earlier and
// left again; only the order inside decides whether that last pixel is
// drawn.
TEST(FastLineWalk, TheLastColumnMatchesThePlainWalk)
{
    std::mt19937 random(20261209);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int trial = 0; trial < 120; ++trial) {
        const int width = pick(20, 60);
        const int n = pick(500, 20000);
        std::vector<double> ys;
        double y = 0;
        for (int i = 0; i < n; ++i)
            ys.push_back(y += std::uniform_real_distribution<double>(-1, 1)(random));
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
        TChartSeries s;
        for (int i = 0; i < n; ++i)
            s.AddPoint(i, ys[static_cast<std::size_t>(i)]);
        const auto range = std::minmax_element(ys.begin(), ys.end());
        Frame frame{width, pick(25, 60), 0, 1.25 * n, *range.first - 10, *range.second + 10};
        frame.invertY = trial % 5 == 4;
        ExpectSamePicture(s, frame, psSolid, "trial " + std::to_string(trial));
    }
}

// Values on the half-way points between pixel rows and one unit in the last
// place either side, where the row of a value is decided by the rounding
// (ties to even): runs of them must end exactly where the plain walk changes
// row.
TEST(FastLineWalk, RunsEndExactlyAtRowBorders)
{
    for (TPenStyle style : {psSolid, psDot}) {
        std::mt19937 random(11);
        // One value unit per pixel row: the borders are the half-way values.
        const int height = 100;
        TChartSeries s;
        int pick = 0;
        for (int i = 0; i < 20000; ++i) {
            const double border = 10 + (i / 700) % 40 + 0.5;
            if (random() % 9 == 0)
                pick = static_cast<int>(random() % 3);
            const double v = pick == 0 ? std::nextafter(border, -HUGE_VAL)
                : pick == 1            ? border
                                       : std::nextafter(border, HUGE_VAL);
            s.AddPoint(i, v);
        }
        ExpectSamePicture(s, Frame{140, height, 0, 20000, 0, height}, style, std::to_string(style));
    }
}

// A solid line whose points stay on one row across many columns (a settled
// response, flat stretches broken by one-point spikes, rows changing by one
// near a border) is drawn as one horizontal line per stretch: the same
// pixels as the plain walk, at sample-index X dense and sparse, with the
// axes either way round; and a constant line costs one call.
TEST(FastLineWalk, RunsAcrossColumnsMatchThePlainWalk)
{
    std::mt19937 random(20261208);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int trial = 0; trial < 24; ++trial) {
        const int width = pick(40, 700);
        const int n = trial % 3 == 0 ? pick(20, 400) : pick(2000, 80000);
        const int shape = trial % 4;
        TChartSeries s;
        if (trial % 6 == 5)
            s.YValues().SetMultiplier(2.5); // rows from scaled values
        for (int i = 0; i < n; ++i) {
            const double t = 12.0 * i / n;
            double y = 30 - 30 * std::exp(-t) * std::cos(3 * t); // settles on 30
            if (shape == 1)
                y = std::round(y); // flat stretches
            if (shape == 2 && pick(0, 300) == 0)
                y += pick(-5, 5); // one-point spikes
            if (shape == 3)
                y = 30 + 0.5 * std::sin(i * 0.01) * (i > n / 2); // near a border
            s.AddPoint(i, y);
        }
        Frame frame = Fitting(width, 200, s);
        frame.invertX = frame.invertY = trial % 5 == 4;
        ExpectSamePicture(s, frame, psSolid, "trial " + std::to_string(trial) + ", shape " + std::to_string(shape));
    }
    TChartSeries s;
    for (int i = 0; i <= 400; ++i)
        s.AddPoint(i * 0.25, 30);
    EXPECT_EQ(Record(s, Frame{100, 100, 0, 100, 0, 100}, true, true), (Calls{"MoveTo(0,70)", "LineTo(100,70)"}));
}

// Where the X values are a rule less than a pixel apart, a run on one row is
// found with the index for pens the column reduction leaves alone (styled,
// or solid in another mode), and drawn with the plain walk's own calls.
// References with steps, settling and noisy stretches, sparse and dense,
// zoomed (the line enters from outside) and with the axes either way round.
TEST(FastLineWalk, DenseRuledRunsMakeThePlainWalksCalls)
{
    std::mt19937 random(20261209);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int trial = 0; trial < 40; ++trial) {
        const int width = pick(60, 700);
        const int n = trial % 5 == 0 ? pick(width / 3, width * 2 / 3) : pick(2 * width, 40 * width);
        // Dyadic first and step: the values stay a rule, computed exactly.
        const double first = pick(-1000, 1000);
        const double step = pick(1, 256) / 256.0;
        TChartSeries s;
        double level = pick(0, 60);
        for (int i = 0; i < n; ++i) {
            if (pick(0, n / 4 + 1) == 0)
                level = pick(0, 60); // steps
            double y = level;
            if (trial % 3 == 1 && (i / 300) % 2 == 1)
                y += pick(-300, 300) / 100.0; // noisy stretches
            if (trial % 3 == 2)
                y += 8 * std::exp(-i / (0.1 * n + 1.0)); // settling
            s.AddPoint(first + i * step, y);
        }
        ASSERT_TRUE(s.XValues().IsRuled());
        Frame frame = Fitting(width, 200, s);
        if (trial % 4 == 1) {
            frame.x0 = first + 0.3 * n * step;
            frame.x1 = first + 0.7 * n * step;
        }
        frame.invertX = trial % 7 == 3;
        ASSERT_EQ(Record(s, frame, true, false), Record(s, frame, false, false))
            << "trial " << trial << ": " << width << " px, " << n << " points";
    }
}
