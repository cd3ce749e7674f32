#pragma once

// Series kinds. TFastLineSeries draws its points as one polyline with a
// single pen: no symbols, no fill, no per-point colours, and no segment for a
// point that lands on the pixel drawn just before it.

#include <memory>

#include "chart/ChartCanvas.h"
#include "chart/ChartEngine.h"

namespace nc {

class TFastLineSeries : public TChartSeries {
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

    // Copies LinePen and AutoRepaint from another fast line series.
    void AssignSettings(const TFastLineSeries& source);

    void DrawPoints() override;
    void DrawPoint(int index) override;
    void PointAdded(int index) override;
    // The value whose pixel, or whose incoming segment, lies under (x, y);
    // -1 when none.
    int PointAtPixel(int x, int y);
    void DrawLegendSymbol(const TRect& rect);

    // The pixel of the point drawn last.
    int LastDrawnX = 0;
    int LastDrawnY = 0;

private:
    void PrepareLinePen();
    TChartCanvas3D* Canvas() const;

    std::unique_ptr<TChartPen> linePen_;
    bool autoRepaint_ = true;
};

// Whether pixel (px, py) lies on the segment from (xp, yp) to (x, y): less
// than about a pixel from its line and within its bounding box.
bool PointOnSegment(int px, int py, int x, int y, int xp, int yp);

}  // namespace nc
