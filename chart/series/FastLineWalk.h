// SPDX-License-Identifier: MIT
#pragma once

// The fast line's drawing pass (TFastLineWalk), apart from any chart: the
// points come from two value lists, their pixels from two linear pixel
// mappers (chart/AxisScale.h), and the line's calls go to a sink (TLineSink),
// which the series implements over the canvas and tests over a device or a
// transcript.
//
// The plain walk (WalkPlain) defines the line: at the first point a MoveTo,
// or the line from the point just before it when there is one; then a LineTo
// to each later point that lands on a pixel other than the one drawn last.
//
// Walk makes the same calls as the plain walk, or fewer for the same pixels,
// with less work. It needs pixels monotone in the index (Applies), and takes
// these steps:
//  - Runs on one pixel: the plain walk makes no call for a point on the
//    pixel just drawn; once one point is found on it, the run's end is
//    searched for with the extremes index instead of visiting each point.
//  - Column reduction, for a pen whose pixels do not depend on the path (one
//    pixel wide, solid, copy mode, flat): the pixels of a pixel column (all
//    but the last one with points) are the vertical hull of its points plus
//    the segments that enter and leave it, whatever the path inside, so the
//    points between the column's first and last point become two vertical
//    moves to their extremes.
//  - The last column: there the order inside decides whether the line's
//    final pixel is drawn; it takes up to three moves (LastColumnRows).
//  - Runs across columns: with the same pen, points that stay on one pixel
//    row across columns (a settled response) draw one horizontal line, as
//    the plain walk's segments between them lie on that row and join end to
//    start. With any other pen the same run is found the same way where the
//    X values are a rule less than a pixel apart, and its calls are the
//    plain walk's own, one per pixel column (a dotted reference).
// The LineTo calls reach the sink in batches: the same calls in the same
// order, with the way through the sink paid once per batch.

#include <span>
#include <unordered_map>

#include "chart/axes/AxisScale.h"
#include "chart/ChartTypes.h"
#include "chart/data/ChartValueList.h"

namespace nc {

// Where a line's calls go.
class TLineSink {
public:
    virtual void MoveTo(int x, int y) = 0;
    // MoveTo (x0, y0), then LineTo (x1, y1).
    virtual void Line(int x0, int y0, int x1, int y1) = 0;
    // LineTo to each point in turn.
    virtual void PolyLineTo(std::span<const TPoint> points) = 0;

protected:
    ~TLineSink() = default;
};

class TFastLineWalk {
public:
    // Whether Walk may take its shortcuts over these lists on linear axes:
    // ascending X without NaN, Y without NaN, positive multipliers (the
    // points' pixels are then monotone in their index).
    static bool Applies(const TChartValueList& xs, const TChartValueList& ys);

    // The raw values that land on a pixel row: an interval, as pixels are
    // monotone in the value. Found by bisection over the doubles in their
    // order, once per row and pass.
    struct TRawBand {
        double Lo;
        double Hi;
    };
    // The rows' bands of a pass, by row. Walk clears it (the bands hold for
    // one pass's mappers only); its owner keeps it between passes, so that
    // the table keeps the size it grew to.
    using TRowBands = std::unordered_map<int, TRawBand>;

    TFastLineWalk(const TChartValueList& xs, const TChartValueList& ys, const LinearPixelMapper& xMap,
                  const LinearPixelMapper& yMap, TLineSink& sink, TRowBands& bands);
    TFastLineWalk(const TFastLineWalk&) = delete;
    TFastLineWalk& operator=(const TFastLineWalk&) = delete;

    // Points first..last (first <= last, both valid), one at a time.
    void WalkPlain(int first, int last);
    // The same pixels as WalkPlain, with the shortcuts above; reduceColumns
    // says that the pen's pixels do not depend on the path (see above).
    void Walk(int first, int last, bool reduceColumns);
    // The pixel of the point drawn last.
    TPoint LastDrawn() const { return last_; }

private:
    // One coordinate of the points as pixels for the pass: the very integers
    // the axis gives for the scaled values. The column search and the drawing
    // ask for the same points in turn, so the last two indexes converted are
    // remembered.
    class TPassPixels {
    public:
        TPassPixels(const LinearPixelMapper& map, const TChartValueList& list) : map_(map), list_(list) {}
        int OfRaw(double raw) const { return map_(list_.Multiplier() == 1.0 ? raw : list_.ScaledValue(raw)); }
        // How far apart, in pixels, two raw values at most gap apart land
        // before rounding (the multiplier is positive here).
        double PixelSpan(double gap) const { return gap * list_.Multiplier() * map_.PixelsPerUnit(); }
        int At(int index)
        {
            Memo& m = memo_[index & 1];
            if (m.Index != index)
                m = Memo{index, OfRaw(list_.RawAt(index))};
            return m.Pixel;
        }

    private:
        struct Memo {
            int Index = -1;
            int Pixel = 0;
        };
        LinearPixelMapper map_;
        const TChartValueList& list_;
        Memo memo_[2];
    };

    // The pixel column of the point drawn last, once searched for.
    struct TColumn {
        bool Open = false;
        int X = 0;
        int End = 0;          // its last index
        int Width = 1;        // its points after the first, at least 1
        bool Reduced = false; // column reduction tried
    };

    // ---- the line's calls
    // The first point: MoveTo, or the line from the point before.
    void Start(int first);
    // LineTo (x, y), unless it is the pixel drawn last; whether it drew.
    bool Next(int x, int y)
    {
        if (x == last_.X && y == last_.Y)
            return false;
        LineTo(x, y);
        return true;
    }
    void LineTo(int x, int y)
    {
        batch_[batched_++] = TPoint{x, y};
        if (batched_ == kLineBatch)
            Flush();
        last_ = TPoint{x, y};
    }
    void Flush();

    // ---- the steps of Walk
    // From point i, on the pixel drawn last at the start of its column: the
    // run across columns on its row, drawn, with i moved to its end; false
    // when there is none worth drawing so (the next looks then wait).
    bool RunAcrossColumns(int& i, int last);
    // Searches for the end of point i's column.
    void OpenColumn(int i, int last);
    // Column reduction: points i+1..j-1 as two vertical moves, then point j.
    void ReduceColumn(int i, int j);
    // Points i+1..j, the last column, as LastColumnRows says.
    void DrawLastColumn(int i, int j);
    // The next point of the column that moves the line, after passing the
    // run on the pixel drawn last that point i began; answers its index.
    int StepInColumn(int i, int last);

    // ---- searches
    // The last index up to last whose X pixel is that of index from; the
    // search starts guess points after from.
    int ColumnEnd(int from, int last, int guess);
    // The last index m up to end such that every point after from up to m
    // lands on the row drawn last (where point from lies).
    int RunEnd(int from, int end);
    // The rows that a walk from point from (on the row drawn last) through
    // point last, all in one pixel column, visits to draw the same pixels as
    // the plain walk, in order; answers how many (1 to 3). The last is the
    // row of point last.
    int LastColumnRows(int from, int last, int (&rows)[3]);
    // The band of row y, where raw lies.
    TRawBand BandOf(int y, double raw);

    // Line ends handed to the sink at a time.
    static constexpr int kLineBatch = 256;

    const TChartValueList& xs_;
    const TChartValueList& ys_;
    TPassPixels xPixels_;
    TPassPixels yPixels_;
    TLineSink& sink_;
    TPoint last_;
    TPoint batch_[kLineBatch];
    int batched_ = 0;

    // Walk's state.
    bool reduceColumns_ = false;
    // X values kept as a rule less than a pixel apart (see Walk).
    bool denseColumns_ = false;
    TColumn column_;
    // Point StepInColumn stopped at lies on the pixel drawn before it.
    bool onPixel_ = false;
    // Column starts to pass before the next look for a run across columns,
    // and how many the next miss makes wait.
    int runWait_ = 0;
    int runBackoff_ = 1;
    TRowBands& bands_;
};

} // namespace nc
