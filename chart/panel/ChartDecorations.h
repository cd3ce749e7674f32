// SPDX-License-Identifier: MIT
#pragma once

// The chart's decorations: fonts that repaint the chart, walls, the
// background gradient, the title and foot, and the legend settings. Each
// object invalidates its panel when one of its properties (or its pen, brush
// or font) changes; the drawing is done by TCustomChart in its paint order.

#include <memory>
#include <string>
#include <vector>

#include "chart/panel/ChartCanvas.h"
#include "chart/panel/Graphics.h"

namespace nc {

class TCustomChartPanel;

// Invalidates panel when there is one.
void InvalidateChartPanel(TCustomChartPanel* panel);

// Base of the objects that own a chart font (titles, legend, axis titles).
// The font starts as the default chart font.
class TChartFontObject : protected TRepaintsOnChange {
public:
    explicit TChartFontObject(TCustomChartPanel* parent);
    virtual ~TChartFontObject() = default;
    TChartFontObject(const TChartFontObject&) = delete;
    TChartFontObject& operator=(const TChartFontObject&) = delete;

    TFont& Font() { return *font_; }
    const TFont& Font() const { return *font_; }
    void SetFont(const TFont& font) { font_->Assign(font); }
    TCustomChartPanel* ParentChart() const { return parent_; }

protected:
    void Repaint() const;
    void RepaintOnChange() override { Repaint(); }

private:
    TCustomChartPanel* parent_;
    std::unique_ptr<TFont> font_;
};

// A brush whose colour starts unset.
class TChartBrush : public TBrush {
public:
    TChartBrush() { SetColor(UnsetColor); }
};

class TChartWall : private TRepaintsOnChange {
public:
    explicit TChartWall(TCustomChartPanel* parent);
    TChartWall(const TChartWall&) = delete;
    TChartWall& operator=(const TChartWall&) = delete;

    TBrush& Brush() { return *brush_; }
    const TBrush& Brush() const { return *brush_; }
    TChartPen& Pen() { return *pen_; }
    const TChartPen& Pen() const { return *pen_; }
    TColor Color() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    // Thickness, used only in 3D.
    int Size() const { return size_; }
    void SetSize(int value) { Store(size_, value); }
    // Copies Color, Brush, Pen and Size.
    void Assign(const TChartWall& source);

private:
    void Repaint() const;
    void RepaintOnChange() override { Repaint(); }

    TCustomChartPanel* parent_;
    std::unique_ptr<TBrush> brush_;
    TColor color_ = UnsetColor;
    std::unique_ptr<TChartPen> pen_;
    int size_ = 0;
};

class TChartGradient : private TRepaintsOnChange {
public:
    explicit TChartGradient(TCustomChartPanel* parent) : parent_(parent) {}

    TGradientDirection Direction() const { return direction_; }
    void SetDirection(TGradientDirection value) { Store(direction_, value); }
    TColor StartColor() const { return startColor_; }
    void SetStartColor(TColor value) { Store(startColor_, value); }
    TColor EndColor() const { return endColor_; }
    void SetEndColor(TColor value) { Store(endColor_, value); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }

private:
    void RepaintOnChange() override { InvalidateChartPanel(parent_); }

    TCustomChartPanel* parent_;
    TGradientDirection direction_ = gdTopBottom;
    TColor startColor_ = clWhite;
    TColor endColor_ = 0xFFFF;
    bool visible_ = false;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The title above the plot, or (as the chart's Foot) below it.
class TChartTitle : public TChartFontObject {
public:
    explicit TChartTitle(TCustomChartPanel* parent);

    bool AdjustFrame() const { return adjustFrame_; }
    void SetAdjustFrame(bool value) { Store(adjustFrame_, value); }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value) { Store(alignment_, value); }
    TChartBrush& Brush() { return *brush_; }
    TChartHiddenPen& Frame() { return *frame_; }
    const std::vector<std::string>& Text() const { return text_; }
    // Copies the lines and always repaints.
    void SetText(const std::vector<std::string>& lines);
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }
    // Where the title was last drawn.
    TRect TitleRect;

private:
    bool adjustFrame_ = true;
    TAlignment alignment_ = taCenter;
    std::unique_ptr<TChartBrush> brush_;
    std::unique_ptr<TChartHiddenPen> frame_;
    std::vector<std::string> text_;
    bool visible_ = true;
};

// The legend: while Visible, one entry per active series that is shown in
// the legend and has a title, in the series' order, each a short stroke of
// the series' line followed by its title in the legend's font. The entries
// run in rows across the top of the plot, under the title, and the plot
// gives up the rows' height. Without such a series the legend draws nothing
// and takes no room, so a chart whose series have no titles is drawn as
// before.
class TChartLegend : public TChartFontObject {
public:
    explicit TChartLegend(TCustomChartPanel* parent) : TChartFontObject(parent) {}
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }
    // Where the legend was last drawn; empty when it drew nothing.
    TRect LegendRect;

private:
    bool visible_ = true;
};

// Markers: events in the data (a push, a change of settings) shown at their
// values of the bottom axis, each a thin vertical line and a short label.
// They are drawn after the series, over them, and take no room from the
// plot. Pixel rules, with P the plot rectangle, its inside being columns
// P.Left + 1 .. P.Right - 1 and rows P.Top + 1 .. P.Bottom - 2 (what the
// series are clipped to), c the bottom axis' pixel of a marker's value and h
// the markers' font height:
//  - A marker whose c lies outside the inside's columns draws nothing.
//  - Its line covers the pixels of column c inside, from the top, dotted:
//    those whose row r has (r - P.Top) mod 6 < 3 (psDot from row P.Top), in
//    the marker's colour.
//  - Its label, when it has a text, is the text cell of ChartDevice.h in
//    the markers' font and the marker's colour, w wide, its top-left corner
//    at (x, P.Top + 1 + k h): x = c + 2, right of the line, unless the cell
//    would pass the inside's right edge (x + w > P.Right) and fits left of
//    the line, where x = c - 1 - w (the cell ends a pixel short of it).
//    Row k is the first, from 0, where the label begins at least 4 pixels
//    right of the end of the last label put in that row; row 0 when none of
//    the rows that fit inside does. The cell is opaque in the chart's
//    colour, so a curve under it does not hide it. Labels are clipped to
//    the inside like the lines.
//  - Markers are drawn in the order they were added, lines and labels
//    alike; a 3D chart draws none.
struct TChartMarker {
    double Value = 0;
    std::string Text;
    TColor Color = clBlack;
};

class TChartMarkers : public TChartFontObject {
public:
    explicit TChartMarkers(TCustomChartPanel* parent) : TChartFontObject(parent) {}
    void Add(double value, std::string text, TColor color);
    void Clear();
    const std::vector<TChartMarker>& Items() const { return items_; }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }

private:
    std::vector<TChartMarker> items_;
    bool visible_ = true;
};

} // namespace nc
