// SPDX-License-Identifier: MIT
#pragma once

// The chart canvas: the surface every part of the chart draws on. It draws a
// whole chart into an off-screen bitmap and shows it with one block copy, so
// a repaint of an unchanged chart is a single copy and a changed chart never
// flickers. Every primitive has a flat form and a depth form; while Is3D is
// false the depth is ignored and each depth form behaves as its flat twin.
//
// Which pixels each primitive covers is the device's business and is written
// down once, in chart/ChartDevice.h. Callers never need to clip: drawing
// outside the clip rectangle is dropped.

#include <functional>
#include <memory>
#include <string>

#include "chart/device/ChartDevice.h"
#include "chart/ChartTypes.h"
#include "chart/panel/Graphics.h"

namespace nc {

// ------------------------------------------------------------ pen classes

// A pen with a visibility flag. A hidden pen draws nothing (ApplyChartPen
// turns it into a clear pen). Changing Visible notifies OnChange like any
// other property, so the owner repaints the chart.
class TChartPen : public TPen {
public:
    TChartPen() = default;
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }
    // From another chart pen Visible is copied too.
    void Assign(const TPen& source) override;

private:
    bool visible_ = true;
};

class TChartHiddenPen : public TChartPen {
public:
    TChartHiddenPen();
};

class TDottedGrayPen : public TChartPen {
public:
    TDottedGrayPen();
};

class TDarkGrayPen : public TChartPen {
public:
    TDarkGrayPen();
};

class TChartAxisPen : public TChartPen {
public:
    TChartAxisPen();
};

class TChartArrowPen : public TChartPen {
public:
    TChartArrowPen();
};

// ------------------------------------------------------------ view options

// The 3D view settings. Each setter invalidates the owning panel (through the
// repaint handler the panel installs) only when the value changed.
class TView3DOptions : private TRepaintsOnChange {
public:
    TView3DOptions() = default;
    TView3DOptions(const TView3DOptions&) = delete;
    TView3DOptions& operator=(const TView3DOptions&) = delete;

    int Elevation() const { return elevation_; }
    void SetElevation(int v) { Store(elevation_, v); }
    int HorizOffset() const { return horizOffset_; }
    void SetHorizOffset(int v) { Store(horizOffset_, v); }
    bool Orthogonal() const { return orthogonal_; }
    void SetOrthogonal(bool v) { Store(orthogonal_, v); }
    int Rotation() const { return rotation_; }
    void SetRotation(int v) { Store(rotation_, v); }
    int Tilt() const { return tilt_; }
    void SetTilt(int v) { Store(tilt_, v); }
    int VertOffset() const { return vertOffset_; }
    void SetVertOffset(int v) { Store(vertOffset_, v); }
    int Zoom() const { return zoom_; }
    void SetZoom(int v) { Store(zoom_, v); }

    // Copies all seven values; invalidates nothing.
    void Assign(const TView3DOptions& source);

    void SetRepaintHandler(std::function<void()> handler) { repaint_ = std::move(handler); }
    void Repaint() const
    {
        if (repaint_)
            repaint_();
    }

private:
    void RepaintOnChange() override { Repaint(); }

    int elevation_ = 345;
    int horizOffset_ = 0;
    bool orthogonal_ = true;
    int rotation_ = 345;
    int tilt_ = 0;
    int vertOffset_ = 0;
    int zoom_ = 100;
    std::function<void()> repaint_;
};

enum TGradientDirection {
    gdTopBottom,
    gdBottomTop,
    gdLeftRight,
    gdRightLeft,
    gdFromCenter,
    gdFromTopLeft,
    gdFromBottomLeft
};

// ------------------------------------------------------------ canvases

// The root canvas: the target canvas it draws on and the drawing operations.
// Font(), Pen() and Brush() are the target canvas's own objects (null while
// there is no target).
class TChartCanvas {
public:
    TChartCanvas() = default;
    virtual ~TChartCanvas() = default;
    TChartCanvas(const TChartCanvas&) = delete;
    TChartCanvas& operator=(const TChartCanvas&) = delete;

    TCanvas* TargetCanvas() const { return target_; }
    TFont* Font() const { return target_ ? &target_->Font() : nullptr; }
    TPen* Pen() const { return target_ ? &target_->Pen() : nullptr; }
    TBrush* Brush() const { return target_ ? &target_->Brush() : nullptr; }
    bool Metafiling = false;

    void AttachCanvas(TCanvas* canvas) { target_ = canvas; }
    // A hidden chart pen only clears the canvas pen's style; a visible one is
    // assigned (colour, mode, style, width).
    void ApplyChartPen(const TChartPen& pen);
    // Pen black, width 1, solid; brush white, solid; font black, 10 points;
    // device background white and opaque.
    void ResetDrawingState();
    int FontHeight() { return TextHeight("W"); }

    virtual TColor GetBackColor() = 0;
    virtual int GetBackMode() = 0;
    // The target device after making pen, brush and font effective; may be null.
    virtual DrawDevice* GetHandle() = 0;
    virtual bool Monochrome() const = 0;
    virtual unsigned GetTextAlign() = 0;
    virtual bool Buffered() const = 0;
    virtual void SetBackColor(TColor color) = 0;
    virtual void SetBackMode(int mode) = 0;
    virtual void SetMonochrome(bool value) = 0;
    virtual void SetPixel(int x, int y, TColor color) = 0;
    virtual void SetTextAlign(unsigned flags) = 0;
    virtual void SetBuffered(bool value) = 0;
    virtual void Draw(int x, int y, const QImage& picture) = 0;
    virtual void Ellipse(int x0, int y0, int x1, int y1) = 0;
    virtual void FillRect(const TRect& r) = 0;
    // A 3D frame: per pixel ring, top and left in topColor, bottom and right
    // in bottomColor; r shrinks by one on each side per ring.
    virtual void Frame3D(TRect& r, TColor topColor, TColor bottomColor, int width) = 0;
    virtual void LineTo(int x, int y) = 0;
    // LineTo to each point in turn, for drawing loops that make many.
    virtual void PolyLineTo(std::span<const TPoint> points)
    {
        for (const TPoint& p : points)
            LineTo(p.X, p.Y);
    }
    virtual void MoveTo(int x, int y) = 0;
    virtual void Rectangle(int x0, int y0, int x1, int y1) = 0;
    virtual void StretchDraw(const TRect& r, const QImage& picture) = 0;
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    // Text extents in the current font; 0 when the device cannot measure.
    virtual int TextWidth(const std::string& text);
    virtual int TextHeight(const std::string& text);
    virtual void ClipToRect(const TRect& r) = 0;
    virtual void HorizLine(int x0, int x1, int y) = 0;
    virtual void RectangleR(const TRect& r) = 0;
    virtual void VertLine(int x, int y0, int y1) = 0;
    virtual void EraseBackground(const TRect& r) = 0;
    virtual void GradientFill(const TRect& r, TColor startColor, TColor endColor, TGradientDirection direction) = 0;
    virtual void MarkDirty() = 0;
    virtual void Line(int x0, int y0, int x1, int y1) = 0;
    virtual void Polygon(std::span<const TPoint> points) = 0;
    virtual void TextOutRotated(int x, int y, const std::string& text, int angle) = 0;
    virtual void ResetClip() = 0;

private:
    TCanvas* target_ = nullptr;
};

// Adds the view options in force for the current paint (not owned).
class TCanvas3D : public TChartCanvas {
public:
    TView3DOptions* ViewOptions = nullptr;
    bool IsOrthogonal = true;

    virtual TPoint ProjectPoint(int x, int y, int z) const = 0;
    virtual TRect BeginDrawing(TCanvas* userCanvas, TView3DOptions* options, TColor backColor, bool is3D,
                               const TRect& userRect)
        = 0;
    // Copies the settings of another canvas (its Monochrome).
    virtual void AssignSettings(const TCanvas3D& other) { SetMonochrome(other.Monochrome()); }
    virtual void SetProjection(int depth, const TRect& panelRect, const TRect& plotRect) = 0;
    virtual void EndDrawing(TCanvas* userCanvas, TCanvas* controlCanvas, const TRect& userRect) = 0;
    virtual bool ShowBufferedImage() = 0;
    virtual void ClipToPlotArea(const TRect& r, int z0, int z1) = 0;
    virtual void HorizLineZ(int x0, int x1, int y, int z) = 0;
    virtual void VertLineZ(int x, int y0, int y1, int z) = 0;
    virtual void DepthLine(int x, int y, int z0, int z1) = 0;
    virtual void EllipseZ(const TRect& r, int z) = 0;
    virtual void ProjectionOff() = 0;
    virtual void ProjectionOn() = 0;
    virtual void LineZ(int x0, int y0, int x1, int y1, int z) = 0;
    virtual void MoveToZ(int x, int y, int z) = 0;
    virtual void LineToZ(int x, int y, int z) = 0;
    virtual void RectangleZ(const TRect& r, int z) = 0;
    virtual void TextOutRotatedZ(int x, int y, int z, const std::string& text, int angle) = 0;
    virtual void TextOutZ(int x, int y, int z, const std::string& text) = 0;
};

// The canvas the panel owns. Between paints it targets the control's canvas;
// during a buffered paint, its off-screen bitmap.
class TChartCanvas3D : public TCanvas3D {
public:
    using DeviceFactory = std::function<std::unique_ptr<DrawDevice>(int width, int height, bool monochrome)>;

    TChartCanvas3D();
    ~TChartCanvas3D() override;

    int CenterX = 0;
    int CenterY = 0;
    int CenterZ = 0;
    int OffsetCenterX = 0;
    int OffsetCenterY = 0;
    double ZoomFactor = 1.0;
    bool Is3D = true;
    TRect Bounds;

    bool Dirty() const { return dirty_; }
    const TBitmap* OffscreenBitmap() const { return bitmap_.get(); }
    // Chooses the device of the bitmaps created from now on (tests record).
    void SetDeviceFactory(DeviceFactory factory) { factory_ = std::move(factory); }

    TColor GetBackColor() override;
    int GetBackMode() override;
    DrawDevice* GetHandle() override;
    bool Monochrome() const override { return monochrome_; }
    unsigned GetTextAlign() override;
    bool Buffered() const override { return buffered_; }
    void SetBackColor(TColor color) override;
    void SetBackMode(int mode) override;
    void SetMonochrome(bool value) override;
    void SetPixel(int x, int y, TColor color) override;
    void SetTextAlign(unsigned flags) override;
    void SetBuffered(bool value) override;
    void Draw(int x, int y, const QImage& picture) override;
    void Ellipse(int x0, int y0, int x1, int y1) override;
    void FillRect(const TRect& r) override;
    void Frame3D(TRect& r, TColor topColor, TColor bottomColor, int width) override;
    void LineTo(int x, int y) override;
    void PolyLineTo(std::span<const TPoint> points) override;
    void MoveTo(int x, int y) override;
    void Rectangle(int x0, int y0, int x1, int y1) override;
    void StretchDraw(const TRect& r, const QImage& picture) override;
    void TextOut(int x, int y, const std::string& text) override;
    void ClipToRect(const TRect& r) override;
    void HorizLine(int x0, int x1, int y) override;
    void RectangleR(const TRect& r) override;
    void VertLine(int x, int y0, int y1) override;
    void EraseBackground(const TRect& r) override { FillRect(r); }
    void GradientFill(const TRect& r, TColor startColor, TColor endColor, TGradientDirection direction) override;
    void MarkDirty() override { dirty_ = true; }
    void Line(int x0, int y0, int x1, int y1) override;
    void Polygon(std::span<const TPoint> points) override;
    void TextOutRotated(int x, int y, const std::string& text, int angle) override;
    void ResetClip() override;

    // While Is3D is false the point comes back unchanged. The 3D projection is
    // not built yet: a 3D canvas maps points unchanged too.
    TPoint ProjectPoint(int x, int y, int z) const override;
    // Starts a paint and answers the rectangle to draw in: (0, 0, w, h) of the
    // bitmap when buffered, the user rectangle otherwise. An existing bitmap
    // is reused whatever its size; the panel drops it on resize.
    TRect BeginDrawing(TCanvas* userCanvas, TView3DOptions* options, TColor backColor, bool is3D,
                       const TRect& userRect) override;
    void SetProjection(int depth, const TRect& panelRect, const TRect& plotRect) override;
    // Copies the bitmap to the user canvas at the user rectangle's corner (when
    // buffered), clears Dirty and targets the control canvas again.
    void EndDrawing(TCanvas* userCanvas, TCanvas* controlCanvas, const TRect& userRect) override;
    // When the picture is current, copies it to the target at (0, 0) and
    // answers true; the panel then draws nothing.
    bool ShowBufferedImage() override;
    // In 2D: ClipToRect (Left + 1, Top + 1, Right, Bottom - 1), exactly the
    // inside of the back wall outline.
    void ClipToPlotArea(const TRect& r, int z0, int z1) override;
    void HorizLineZ(int x0, int x1, int y, int z) override;
    void VertLineZ(int x, int y0, int y1, int z) override;
    void DepthLine(int x, int y, int z0, int z1) override;
    void EllipseZ(const TRect& r, int z) override;
    void ProjectionOff() override;
    void ProjectionOn() override;
    void LineZ(int x0, int y0, int x1, int y1, int z) override;
    void MoveToZ(int x, int y, int z) override;
    void LineToZ(int x, int y, int z) override;
    void RectangleZ(const TRect& r, int z) override;
    void TextOutRotatedZ(int x, int y, int z, const std::string& text, int angle) override;
    void TextOutZ(int x, int y, int z, const std::string& text) override;

private:
    void FreeBitmap();

    bool saved3D_ = true;
    std::unique_ptr<TBitmap> bitmap_;
    bool buffered_ = true;
    bool monochrome_ = false;
    bool dirty_ = true; // the bitmap does not show the chart's current state
    DeviceFactory factory_;
};

// Sets font to the chart texts' default: "Arial", 8 points, black, no style
// (on a Japanese system the desktop's default font and size instead).
void InitDefaultChartFont(TFont& font);
std::unique_ptr<TFont> DefaultChartFont();

} // namespace nc
