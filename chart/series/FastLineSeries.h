// SPDX-License-Identifier: MIT
#pragma once

// The fast line series (TFastLineSeries) draws its points as one polyline
// with a single pen: no symbols, no fill, no per-point colours, and no
// segment for a point that lands on the pixel drawn just before it. Its
// drawing pass over many points is chart/FastLineWalk.h.

#include <algorithm>
#include <memory>

#include "chart/axes/AxisScale.h"
#include "chart/panel/ChartCanvas.h"
#include "chart/panel/ChartPanel.h"
#include "chart/series/ChartSeries.h"
#include "chart/series/FastLineWalk.h"

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
    void SetVerticalMargins(int top, int bottom)
    {
        Store(marginTop_, std::clamp(top, 0, kLargestMargin));
        Store(marginBottom_, std::clamp(bottom, 0, kLargestMargin));
    }
    void CalcVerticalMargins(int& top, int& bottom) const override
    {
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
    int AddPoint(double x, double y, const std::string& label = {}, TColor color = clDefault) override
    {
        const int index = StorePoint(x, y, label, color);
        if (index >= 0)
            PointAdded(index);
        return index;
    }
    // The base's steps, with RequestRepaint's call to the chart made inline
    // (the chart's class is complete here): a running chart does this for
    // every point.
    void PointAdded(int index) override
    {
        if (!autoRepaint_)
            DrawAddedPoint(index);
        else if (AfterAddSteps(index) && ParentChart() != nullptr)
            ParentChart()->Invalidate();
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
    // DrawPoint for a point after the first visible one, its pixel known.
    void DrawNext(int x, int y);
    // The constants of a linear axis' value-to-pixel conversion, for the
    // fast drawing pass; false for any other axis, or none.
    static bool LinearMapper(const TCustomChartAxis* axis, LinearPixelMapper& map);

    std::unique_ptr<TChartPen> linePen_;
    TFastLineWalk::TRowBands bands_;
    bool autoRepaint_ = true;
    // Far past any picture, and the edges' sums stay in int.
    static constexpr int kLargestMargin = 1 << 20;
    int marginTop_ = 0;
    int marginBottom_ = 0;
};

// Whether pixel (px, py) lies on the segment from (xp, yp) to (x, y): less
// than about a pixel from its line and within its bounding box.
bool PointOnSegment(int px, int py, int x, int y, int xp, int yp);

} // namespace nc
