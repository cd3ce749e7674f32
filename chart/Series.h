// SPDX-License-Identifier: MIT
#pragma once

// Series kinds. TFastLineSeries draws its points as one polyline with a
// single pen: no symbols, no fill, no per-point colours, and no segment for a
// point that lands on the pixel drawn just before it.

#include <memory>
#include <unordered_map>

#include "chart/ChartCanvas.h"
#include "chart/ChartEngine.h"
#include "chart/ChartPanel.h"

namespace nc {

class TFastLineSeries final : public TChartSeries {
public:
    TFastLineSeries();
    ~TFastLineSeries() override;

    // Black, width 1, solid, copy mode; its colour is always SeriesColor.
    TChartPen& LinePen() { return *linePen_; }
    // Copies pen (Visible included), then takes its colour as SeriesColor.
    void SetLinePen(const TChartPen& pen);
    void SetSeriesColor(TColor value) override;
    // On: an added point invalidates the chart. Off: its segment is drawn at
    // once on the canvas's current target, without a repaint.
    bool AutoRepaint() const { return autoRepaint_; }
    void SetAutoRepaint(bool value) { autoRepaint_ = value; }

    // Pixels kept free above and below the curve's extremes on an axis that
    // fits them (0 and 0 by default, each held to 0..2^20). The plot's clip
    // leaves its outline undrawn, so without them a point at an end of an
    // automatic axis lies on the outline and is not drawn at all: a response
    // settled at the top would vanish. One above and two below put the ends
    // on the first drawable row (the bottom edge is excluded, the row above
    // it is the outline's).
    void SetVerticalMargins(int top, int bottom);
    void CalcVerticalMargins(int& top, int& bottom) const override {
        top = marginTop_;
        bottom = marginBottom_;
    }

    // Copies LinePen and AutoRepaint from another fast line series.
    void AssignSettings(const TFastLineSeries& source);

    void DrawPoints() override;
    void DrawPoint(int index) override;
    // The base's addition, with PointAdded bound here (the class is final),
    // so that the commonest call of a running chart makes no second virtual
    // call.
    int AddPoint(double x, double y, const std::string& label = {}, TColor color = clDefault) override {
        const int index = StorePoint(x, y, label, color);
        if (index >= 0) PointAdded(index);
        return index;
    }
    // The base's steps, with RequestRepaint's call to the chart made inline
    // (the chart's class is complete here): a running chart does this for
    // every point.
    void PointAdded(int index) override {
        if (!autoRepaint_) DrawAddedPoint(index);
        else if (AfterAddSteps(index) && ParentChart() != nullptr) ParentChart()->Invalidate();
    }
    // The value whose pixel, or whose incoming segment, lies under (x, y);
    // -1 when none.
    int PointAtPixel(int x, int y) override;
    void DrawLegendSymbol(const TRect& rect);

    // The pixel of the point drawn last.
    int LastDrawnX = 0;
    int LastDrawnY = 0;
    // On (the default), DrawPoints passes over runs of points that land on
    // the pixel just drawn without computing each one, and reduces a pixel
    // column of a one-pixel solid copy-mode line to its extremes; the picture
    // is the same as with every point walked. Off: every point is walked.
    bool FastDrawing = true;

private:
    // AutoRepaint off: the new point's segment, drawn at once.
    void DrawAddedPoint(int index);
    void PrepareLinePen();
    TChartCanvas3D* Canvas() const;
    // Whether the pixels of the points are monotone in their index: linear
    // axes, ascending X without NaN, positive multipliers.
    bool PixelsAreMonotone() const;
    // The last index up to last whose X pixel is that of index from; the
    // search starts guess points after from.
    // One coordinate of the points as pixels for a drawing pass: the axis'
    // constants and the value list read once, the very integers XPixel and
    // YPixel give. The column search and the drawing ask for the same
    // points in turn, so the last two indexes converted are remembered.
    class TPassPixels {
    public:
        // False (and unusable) unless the axis maps linearly.
        bool Init(const TCustomChartAxis& axis, const TChartValueList& list);
        int OfRaw(double raw) const { return map_(list_->Multiplier() == 1.0 ? raw : list_->ScaledValue(raw)); }
        // How far apart, in pixels, two raw values at most gap apart land
        // before rounding (the multiplier is positive here).
        double PixelSpan(double gap) const { return gap * list_->Multiplier() * map_.PixelsPerUnit(); }
        int At(int index) {
            Memo& m = memo_[index & 1];
            if (m.Index != index) m = Memo{index, OfRaw(list_->RawAt(index))};
            return m.Pixel;
        }

    private:
        struct Memo {
            int Index = -1;
            int Pixel = 0;
        };
        LinearPixelMapper map_;
        const TChartValueList* list_ = nullptr;
        Memo memo_[2];
    };
    int ColumnEnd(int from, int last, int guess, TPassPixels& xs) const;
    // DrawPoint for a point after the first visible one, its pixel known.
    void DrawNext(int x, int y);
    // The last index m up to end (the last index of from's pixel column, or
    // of the pass for a run across columns) such that every point after from
    // up to m lands on LastDrawnY (where point from lies).
    int RunEnd(int from, int end, const TPassPixels& ys);
    // The rows that a walk from point from (on LastDrawnY) through point
    // last, all in one pixel column, visits to draw the same pixels as the
    // plain walk, in order; answers how many (1 to 3). The last is the row of
    // point last.
    int LastColumnRows(int from, int last, TPassPixels& ys, int (&rows)[3]);
    // The raw values that land on pixel row y, one of which is raw: an
    // interval, as pixels are monotone in the value. Found by bisection over
    // the doubles in their order, once per row and drawing pass.
    struct RawBand {
        double Lo;
        double Hi;
    };
    RawBand BandOf(int y, double raw, const TPassPixels& ys);
    void DrawPointsFast();

    std::unique_ptr<TChartPen> linePen_;
    std::unordered_map<int, RawBand> bands_;
    bool autoRepaint_ = true;
    int marginTop_ = 0;
    int marginBottom_ = 0;
};

// Whether pixel (px, py) lies on the segment from (xp, yp) to (x, y): less
// than about a pixel from its line and within its bounding box.
bool PointOnSegment(int px, int py, int x, int y, int xp, int yp);

}  // namespace nc
