// SPDX-License-Identifier: MIT
#pragma once

// The chart panel: the chart control itself. It owns the canvas, the series
// and the axes, and decides the order in which everything is drawn.
//
// Repaint model. A change of data or of a visible property only calls
// Invalidate, which marks the canvas dirty and asks Qt for one repaint
// (however many changes come before the paint). The paint then draws the
// whole chart into the canvas's off-screen bitmap and copies it to the
// control's screen image; a paint without changes is one copy.
//
// The control's "screen" is an image the size of the widget (its control
// canvas draws there); paintEvent shows it. Between paints the chart canvas
// targets the control canvas.
//
// Paint order (DrawContents), fixed:
//   1. DrawPanelBackground, DrawBackImage (when not inside), DrawBevels
//   2. each active series' DoBeforeDrawChart
//   3. DrawTitles (shrinks PlotRect)
//   4. depth indexes (all 0 in 2D)
//   5. axes: UpdateRange of left, right, top, bottom, depth; then the axes in
//      use reserve their space (ReserveAxisSpace) in the order left, right,
//      top, bottom, depth
//   6. depth positions (0 in 2D)
//   7. series margins to RangeFromMargins of top, left, right, bottom
//   8. canvas SetProjection
//   9. OnBeforeDrawAxes
//  10. PaintWalls
//  11. PaintAxis of top, bottom, left, right (in use); depth (3D and visible)
//  12. OnBeforeDrawSeries
//  13. PaintSeries of each active series, in list order
//  14. DrawMarkers (the chart's markers, over the series)
//  15. DrawZoomBox when a zoom drag is active
//  16. canvas ResetDrawingState
//  17. OnAfterDraw
// The axis steps call the model of TCustomChartAxis (chart/ChartAxis.h) for
// the ranges and an AxisPainter (chart/AxisPainter.h) for the room and the
// drawing; the series steps call TChartSeries::DrawPoints, which series kinds fill by
// overriding DrawPoint.

#include <QCursor>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "chart/panel/ChartCanvas.h"
#include "chart/ChartEngine.h"
#include "chart/panel/Graphics.h"

namespace nc {

// One mouse drag: where it started (X0, Y0) and its other corner (X1, Y1).
struct TZoomPanningRecord {
    int X0 = 0;
    int Y0 = 0;
    int X1 = 0;
    int Y1 = 0;
    bool Active = false;
};

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomChartPanel : public QWidget, protected TRepaintsOnChange {
public:
    explicit TCustomChartPanel(QWidget* parent = nullptr);
    ~TCustomChartPanel() override;

    // The rectangle of the current paint, in canvas coordinates.
    TRect PanelRect;
    // Where walls, grid and series go; recomputed on every paint.
    TRect PlotRect;
    int PlotWidth = 0;
    int PlotHeight = 0;
    int PlotCenterX = 0;
    int PlotCenterY = 0;
    // Depth of the 3D box in pixels; 0 whenever View3D is false.
    int Depth3D = 0;

    int MarginLeft() const { return marginLeft_; }
    void SetMarginLeft(int value) { Store(marginLeft_, value); }
    int MarginTop() const { return marginTop_; }
    void SetMarginTop(int value) { Store(marginTop_, value); }
    int MarginRight() const { return marginRight_; }
    void SetMarginRight(int value) { Store(marginRight_, value); }
    int MarginBottom() const { return marginBottom_; }
    void SetMarginBottom(int value) { Store(marginBottom_, value); }
    bool View3D() const { return view3D_; }
    void SetView3D(bool value) { Store(view3D_, value); }
    TView3DOptions& View3DOptions() { return *view3DOptions_; }
    bool Monochrome() const { return canvas_->Monochrome(); }
    void SetMonochrome(bool value);

    // Panel colour (the background fill) and frame.
    TColor Color() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel value) { Store(bevelOuter_, value); }
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel value) { Store(bevelInner_, value); }
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value) { Store(bevelWidth_, value); }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value) { Store(borderWidth_, value); }

    TChartCanvas3D& Canvas() { return *canvas_; }
    // The control's own canvas, drawing on its screen image.
    TCanvas& ControlCanvas();
    // The screen image's device, or the one a test installed.
    DrawDevice& ControlDevice();
    // Replaces the control's screen device (tests install a recording device).
    void SetControlDevice(std::unique_ptr<DrawDevice> device);

    TZoomPanningRecord& Zoom() { return *zoom_; }
    TZoomPanningRecord& Scroll() { return *scroll_; }
    bool CreationComplete() const { return creationComplete_; }

    // Marks the canvas dirty and requests one repaint; ignored until the
    // chart is fully constructed. Inline for the commonest call by far: a
    // point added while a repaint is already asked for and the canvas
    // already marked, where there is nothing left to do.
    void Invalidate()
    {
        if (repaintPending_ && creationComplete_ && canvas_->Dirty())
            return;
        RequestPaint();
    }
    // True from the first invalidation after a Paint until the next Paint.
    bool RepaintPending() const { return repaintPending_; }
    // How many repaint requests went to Qt (for tests: one per paint cycle).
    int RepaintRequests() const { return repaintRequests_; }

    // The paint request: one copy when the picture is current, else DrawChart.
    void Paint();
    // Draws the whole chart on userCanvas within userRect.
    void DrawChart(TCanvas& userCanvas, const TRect& userRect);
    // The whole chart drawn into a new picture of this size, as a control of
    // that size shows it: its own lines and texts, not the control's picture
    // scaled. The control's picture and plot rectangle (which the mouse and
    // the hint read) are drawn again for its own size before it returns.
    QImage DrawPicture(int width, int height);
    // Repairs an empty or inverted PlotRect and derives width, height, centre.
    void RecalcPlotSize();
    TRect ClientRect() const { return TRect{0, 0, width(), height()}; }
    // Drops the off-screen bitmap, then moves and resizes the control.
    void SetBounds(int left, int top, int width, int height);
    // Not-xor rectangle of the zoom drag; drawing it twice restores the picture.
    void DrawZoomBox();
    // Shows what was drawn straight on the control (the zoom box) without
    // copying the off-screen picture over it first.
    void ShowScreen();

    std::function<void(TCustomChartPanel&)> OnAfterDraw;

protected:
    virtual void DrawContents(const TRect& panelRect) = 0;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Puts back the cursor the control had when it was created.
    void leaveEvent(QEvent* event) override;

    // Construction of a derived class runs with invalidation off.
    void BeginCreation() { creationComplete_ = false; }
    void EndCreation() { creationComplete_ = true; }
    const QCursor& LoadedCursor() const { return loadedCursor_; }

    void RepaintOnChange() override { Invalidate(); }

private:
    void DropBitmap();
    void FitScreenToWidget();
    // Invalidate's work when there is some: marks the canvas, asks Qt once.
    void RequestPaint();

    int marginLeft_ = 3;
    int marginTop_ = 4;
    int marginRight_ = 3;
    int marginBottom_ = 4;
    bool view3D_ = true;
    TColor color_ = clBtnFace;
    TPanelBevel bevelOuter_ = bvRaised;
    TPanelBevel bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;

    std::unique_ptr<TView3DOptions> view3DOptions_;
    std::unique_ptr<DrawDevice> screen_;
    bool ownScreen_ = true; // false once a test installed its own device
    std::unique_ptr<TCanvas> controlCanvas_;
    std::unique_ptr<TChartCanvas3D> canvas_;
    std::unique_ptr<TZoomPanningRecord> zoom_;
    std::unique_ptr<TZoomPanningRecord> scroll_;
    bool creationComplete_ = false;
    bool repaintPending_ = false;
    bool screenOnly_ = false;
    // Data may arrive a thousand times a second; the chart is redrawn at most
    // once per frame interval, the changes of the interval drawn together.
    QElapsedTimer sinceLastPaint_;
    QTimer* frameTimer_ = nullptr; // a Qt child of the control
    int repaintRequests_ = 0;
    QCursor loadedCursor_;
};

// Adds the series list and the five axes, and runs the paint order.
class TCustomAxisPanel : public TCustomChartPanel {
public:
    explicit TCustomAxisPanel(QWidget* parent = nullptr);
    ~TCustomAxisPanel() override;

    // ---- series list (the chart owns its series)
    // Attaches series: gives it a palette colour when it has none, appends
    // it and invalidates. Answers the series.
    TChartSeries* AddSeries(std::unique_ptr<TChartSeries> series);
    template <class S, class... Args> S* AddSeries(Args&&... args)
    {
        auto series = std::make_unique<S>(std::forward<Args>(args)...);
        S* raw = series.get();
        AddSeries(std::unique_ptr<TChartSeries>(std::move(series)));
        return raw;
    }
    // Detaches series and hands it back; null when it is not in the list.
    std::unique_ptr<TChartSeries> RemoveSeries(TChartSeries* series);
    int SeriesCount() const { return static_cast<int>(series_.size()); }
    TChartSeries& Series(int index) const { return *series_.at(static_cast<std::size_t>(index)); }
    // The first palette colour no series has and that differs from Color and
    // BackColor; red when all sixteen are taken.
    TColor FreeSeriesColor() const;
    bool Destroying() const { return destroying_; }

    // ---- axes
    TChartAxis& LeftAxis() { return *leftAxis_; }
    TChartAxis& TopAxis() { return *topAxis_; }
    TChartAxis& RightAxis() { return *rightAxis_; }
    TChartAxis& BottomAxis() { return *bottomAxis_; }
    TChartDepthAxis& DepthAxis() { return *depthAxis_; }
    // AxisVisible, the axis' own Visible, and (but for the depth axis) at
    // least one active series drawing with axes that uses it.
    bool AxisInUse(const TCustomChartAxis& axis) const;
    // The lowest (highest) value that the active series show on axis; 0 when
    // none shows any. Paging narrows it to the current page.
    double AxisDataExtreme(const TCustomChartAxis& axis, bool highest) const;
    // The wall thickness beside the left or bottom axis in a 3D chart with
    // walls; 0 otherwise.
    int AxisWallSize(const TCustomChartAxis& axis);
    // Asked for the text of every axis label: the axis, the series and point
    // index (null and -1 for value labels) and the text, which it may change.
    std::function<void(TCustomChartAxis&, TChartSeries*, int, std::string&)> OnGetAxisLabel;
    // Supplies label values instead of the step sequence: axis, label index,
    // value and stop flag (see TCustomChartAxis::ValueLabelSequence).
    std::function<void(TCustomChartAxis&, int, double&, bool&)> OnGetNextAxisLabel;

    // ---- properties
    bool AxisVisible() const { return axisVisible_; }
    void SetAxisVisible(bool value) { Store(axisVisible_, value); }
    bool View3DWalls() const { return view3DWalls_; }
    void SetView3DWalls(bool value) { Store(view3DWalls_, value); }
    int Chart3DPercent() const { return chart3DPercent_; }
    // Throws ChartException unless 1 <= value <= 100.
    void SetChart3DPercent(int value);
    bool ClipPoints() const { return clipPoints_; }
    void SetClipPoints(bool value) { Store(clipPoints_, value); }
    int MaxPointsPerPage() const { return maxPointsPerPage_; }
    // Throws ChartException when value < 0.
    void SetMaxPointsPerPage(int value);
    int Page() const { return page_; }
    // Clamped to 1 .. NumPages; fires OnPageChange when the page changes.
    void SetPage(int value);
    int NumPages() const;
    bool ScaleLastPage() const { return scaleLastPage_; }
    void SetScaleLastPage(bool value) { Store(scaleLastPage_, value); }

    std::function<void(TCustomAxisPanel&)> OnPageChange;
    // Unpublished notifications just before the axes and the series are drawn.
    std::function<void(TCustomAxisPanel&)> OnBeforeDrawAxes;
    std::function<void(TCustomAxisPanel&)> OnBeforeDrawSeries;

protected:
    void DrawContents(const TRect& panelRect) override;
    // One series: visible range, events, clip, points, marks.
    virtual void PaintSeries(TChartSeries& series);

    // Decorations; the chart class draws them, the axis panel draws none.
    virtual void DrawPanelBackground(const TRect& /*rect*/) {}
    virtual void DrawBackImage(const TRect& /*rect*/) {}
    virtual bool BackImageInside() const { return false; }
    virtual void DrawBevels(const TRect& /*rect*/) {}
    virtual void DrawTitles() {}
    virtual void PaintWalls() {}
    virtual void DrawMarkers() {}
    // The left and bottom walls' thickness (only the chart has walls).
    virtual int WallSize(bool /*left*/) const { return 0; }
    // The back wall's colour, avoided by the palette.
    virtual TColor BackColor() const { return UnsetColor; }

private:
    std::vector<std::unique_ptr<TChartSeries>> series_;
    std::unique_ptr<TChartAxis> leftAxis_;
    std::unique_ptr<TChartAxis> topAxis_;
    std::unique_ptr<TChartAxis> rightAxis_;
    std::unique_ptr<TChartAxis> bottomAxis_;
    std::unique_ptr<TChartDepthAxis> depthAxis_;
    bool axisVisible_ = true;
    bool view3DWalls_ = true;
    int chart3DPercent_ = 15;
    bool clipPoints_ = true;
    int maxPointsPerPage_ = 0;
    int page_ = 1;
    bool scaleLastPage_ = true;
    bool destroying_ = false;
};

} // namespace nc
