// SPDX-License-Identifier: MIT
#include "chart/panel/ChartDecorations.h"

#include "chart/panel/ChartPanel.h"

namespace nc {

void InvalidateChartPanel(TCustomChartPanel* panel)
{
    if (panel != nullptr)
        panel->Invalidate();
}

TChartFontObject::TChartFontObject(TCustomChartPanel* parent) : parent_(parent), font_(DefaultChartFont())
{
    font_->OnChange = [this] { Repaint(); };
}

void TChartFontObject::Repaint() const
{
    InvalidateChartPanel(parent_);
}

// ------------------------------------------------------------------ walls

TChartWall::TChartWall(TCustomChartPanel* parent)
    : parent_(parent), brush_(std::make_unique<TBrush>()), pen_(std::make_unique<TChartPen>())
{
    brush_->OnChange = [this] { Repaint(); };
    pen_->OnChange = [this] { Repaint(); };
}

void TChartWall::Repaint() const
{
    InvalidateChartPanel(parent_);
}

void TChartWall::Assign(const TChartWall& source)
{
    if (&source == this)
        return;
    SetColor(source.color_);
    brush_->Assign(*source.brush_);
    pen_->Assign(*source.pen_);
    SetSize(source.size_);
}

// ------------------------------------------------------------------ title

TChartTitle::TChartTitle(TCustomChartPanel* parent)
    : TChartFontObject(parent), brush_(std::make_unique<TChartBrush>()), frame_(std::make_unique<TChartHiddenPen>())
{
    Font().SetColor(clBlue);
    brush_->OnChange = [this] { Repaint(); };
    frame_->OnChange = [this] { Repaint(); };
}

void TChartTitle::SetText(const std::vector<std::string>& lines)
{
    text_ = lines;
    Repaint();
}

// ---------------------------------------------------------------- markers

void TChartMarkers::Add(double value, std::string text, TColor color)
{
    items_.push_back({value, std::move(text), color});
    Repaint();
}

void TChartMarkers::Clear()
{
    if (items_.empty())
        return;
    items_.clear();
    Repaint();
}

} // namespace nc
