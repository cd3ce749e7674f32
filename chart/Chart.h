// SPDX-License-Identifier: MIT
#pragma once

// The chart control: the axis panel plus its decorations (titles, walls,
// gradient, legend settings, background picture) and the mouse settings.
// TChart is the class a window places; create it with a Qt parent, which owns
// it:
//
//   auto* chart = new nc::TChart(window);          // parent owns the widget
//   chart->SetBounds(8, 8, 257, 204);
//   chart->SetView3D(false);
//   auto* s = chart->AddSeries<SomeSeriesKind>();    // the chart owns the series
//   s->AddPoint(0, 30);                              // invalidates; drawn at the next paint
//   s->ClearPoints();

#include <QImage>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chart/panel/ChartDecorations.h"
#include "chart/panel/ChartPanel.h"

namespace nc {

enum TBackImageMode { pbmStretch, pbmTile, pbmCenter };
enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };

enum TMouseButton { mbLeft, mbRight, mbMiddle };
// Shift state flags; ssDouble marks the press of a double click.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssDouble = 8;

// What lies under a pixel of the chart, first match winning in this order.
enum TChartClickedPartStyle { cpNone, cpLegend, cpSeries, cpAxis, cpTitle, cpFoot, cpChartRect };
struct TChartClickedPart {
    TChartClickedPartStyle Part = cpNone;
    int PointIndex = -1;
    TChartSeries* ASeries = nullptr;
    TCustomChartAxis* AAxis = nullptr;
};

// One axis' settings as a zoom or a scroll found them, for the undo.
struct TAxisSavedState {
    bool Automatic = true;
    bool AutomaticMinimum = true;
    bool AutomaticMaximum = true;
    double Minimum = 0;
    double Maximum = 0;
};
struct TSavedAxesState {
    TAxisSavedState Top, Bottom, Left, Right;
};

// Sets an axis' range for a zoom or a scroll: the axis stops following the
// data, the ends are put in order, and a range below 1e-10 is widened to it.
void FixRange(TCustomChartAxis& axis, double a, double b);

class TCustomChart : public TCustomAxisPanel {
public:
    explicit TCustomChart(QWidget* parent = nullptr);
    ~TCustomChart() override;

    TChartTitle& Title() { return *title_; }
    TChartTitle& Foot() { return *foot_; }
    TChartGradient& Gradient() { return *gradient_; }
    TChartWall& BackWall() { return *backWall_; }
    TChartWall& LeftWall() { return *leftWall_; }
    TChartWall& BottomWall() { return *bottomWall_; }
    TChartLegend& Legend() { return *legend_; }
    TChartMarkers& Markers() { return *markers_; }
    // The series the legend names, in its order (see TChartLegend).
    std::vector<TChartSeries*> LegendSeries() const;

    // The back wall's pen.
    TChartPen& Frame() { return backWall_->Pen(); }
    // The back wall's colour; setting it also makes the wall's brush solid.
    TColor BackColor() const override { return backWall_->Color(); }
    void SetBackColor(TColor value);

    const QImage& BackImage() const { return backImage_; }
    void SetBackImage(const QImage& value);
    TBackImageMode BackImageMode() const { return backImageMode_; }
    void SetBackImageMode(TBackImageMode value) { Store(backImageMode_, value); }
    bool BackImageInside() const override { return backImageInside_; }
    void SetBackImageInside(bool value) { Store(backImageInside_, value); }

    // Mouse zoom and scroll settings.
    bool AllowZoom() const { return allowZoom_; }
    void SetAllowZoom(bool value) { allowZoom_ = value; }
    TPanningMode AllowPanning() const { return allowPanning_; }
    void SetAllowPanning(TPanningMode value) { allowPanning_ = value; }
    bool AnimatedZoom() const { return animatedZoom_; }
    void SetAnimatedZoom(bool value) { animatedZoom_ = value; }
    int AnimatedZoomSteps() const { return animatedZoomSteps_; }
    void SetAnimatedZoomSteps(int value) { animatedZoomSteps_ = value; }

    // ---- the mouse: click events, zoom box, scrolling
    TChartClickedPart ClickedPart(int x, int y);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseMove(TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void ZoomToValues(double leftMax, double leftMin, double rightMax, double rightMin, double topMax, double topMin,
                      double bottomMax, double bottomMin);
    void UndoZoom();
    // The wheel's zoom: every axis's range scaled by `factor` (below 1 in,
    // above 1 out) about the value at (x, y), which stays under the pointer;
    // through ZoomToValues, so that the undo gives the axes back. Nothing
    // outside the plot, without AllowZoom, or where a range would leave
    // double's; true when it zoomed.
    bool ZoomAbout(int x, int y, double factor);
    bool IsZoomed() const { return isZoomed_; }
    bool NothingSaved() const { return nothingSaved_; }
    const TSavedAxesState& SavedAxesState() const { return saved_; }
    // True while a click event is being dispatched.
    bool ClickHandled = false;

    std::function<void(TMouseButton, TShiftState, int, int)> OnMouseDown;
    std::function<void(TShiftState, int, int)> OnMouseMove;
    std::function<void(TMouseButton, TShiftState, int, int)> OnMouseUp;
    std::function<void(TCustomChart&, TCustomChartAxis&, TMouseButton, TShiftState, int, int)> OnClickAxis;
    std::function<void(TCustomChart&, TChartSeries&, int, TMouseButton, TShiftState, int, int)> OnClickSeries;
    std::function<void(TCustomChart&, TMouseButton, TShiftState, int, int)> OnClickLegend;
    std::function<void(TCustomChart&, TMouseButton, TShiftState, int, int)> OnClickBackground;
    std::function<void(TCustomChart&)> OnZoom;
    std::function<void(TCustomChart&)> OnUndoZoom;
    std::function<void(TCustomChart&)> OnScroll;
    std::function<void(TCustomChartAxis&, double& newMinimum, bool& allow, double& newMaximum)> OnAllowScroll;
    // A right click that did not move between press and release (a right
    // drag scrolls instead), or the keyboard's menu key; at the control's
    // point where the menu belongs.
    std::function<void(int x, int y)> OnContextPopup;
    // The pointer at rest over the control, at the control's point: the text
    // to show beside it, or an empty one for none. While it shows, every
    // paint asks again for the same point, so that the text follows the data
    // under a pointer that has not moved.
    std::function<std::string(int x, int y)> OnHint;
    // Where an exception thrown by a handler above goes: Qt's event loop must
    // never see one. Without a sink the exception is dropped.
    std::function<void(const std::exception&)> OnError;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    void DrawPanelBackground(const TRect& rect) override;
    void DrawBackImage(const TRect& rect) override;
    void DrawBevels(const TRect& rect) override;
    void DrawTitles() override;
    void PaintWalls() override;
    void DrawMarkers() override;
    int WallSize(bool left) const override { return left ? leftWall_->Size() : bottomWall_->Size(); }
    void PrepareWall(const TChartWall& wall);
    void SetFillStyle(TColor color, TBrushStyle style, TColor background);

private:
    void DrawTitle(TChartTitle& title, bool atTop);
    void DrawLegend();
    void StartDrag(TMouseButton button, int x, int y);
    void ZoomToDrag();
    bool ScrollAxis(TCustomChartAxis& axis, int from, int to);
    void SaveAxes();
    void BackgroundDispatch(TMouseButton button, TShiftState shift, int x, int y, bool& handled);
    template <class F> void Guard(F&& body);

    std::unique_ptr<TChartTitle> title_;
    std::unique_ptr<TChartTitle> foot_;
    std::unique_ptr<TChartGradient> gradient_;
    std::unique_ptr<TChartWall> backWall_;
    std::unique_ptr<TChartWall> leftWall_;
    std::unique_ptr<TChartWall> bottomWall_;
    std::unique_ptr<TChartLegend> legend_;
    std::unique_ptr<TChartMarkers> markers_;
    QImage backImage_;
    TBackImageMode backImageMode_ = pbmStretch;
    bool backImageInside_ = false;
    bool allowZoom_ = true;
    TPanningMode allowPanning_ = pmBoth;
    bool animatedZoom_ = false;
    int animatedZoomSteps_ = 8;
    TSavedAxesState saved_;
    bool nothingSaved_ = true;
    bool isZoomed_ = false;
    // The right press that may still become a click for the context menu:
    // it stops being one as soon as the pointer moves.
    QPoint rightPressAt_;
    bool rightClickPending_ = false;
    // Where the hint showing was asked for; none once it is hidden or the
    // pointer has left.
    std::optional<QPoint> hintAt_;
    // Asks OnHint for the text at `at` and shows it there, or hides the
    // hint; true when one shows.
    bool ShowHint(QPoint at);
};

// The chart as a window places it.
class TChart : public TCustomChart {
public:
    using TCustomChart::TCustomChart;
};

} // namespace nc
