// SPDX-License-Identifier: MIT
#include "chart/Chart.h"

#include "chart/series/FastLineSeries.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace nc {

TCustomChart::TCustomChart(QWidget* parent) : TCustomAxisPanel(parent)
{
    BeginCreation();
    title_ = std::make_unique<TChartTitle>(this);
    foot_ = std::make_unique<TChartTitle>(this);
    gradient_ = std::make_unique<TChartGradient>(this);
    backWall_ = std::make_unique<TChartWall>(this);
    leftWall_ = std::make_unique<TChartWall>(this);
    bottomWall_ = std::make_unique<TChartWall>(this);
    backWall_->Brush().SetStyle(bsClear);
    leftWall_->SetColor(0x80FFFF);
    bottomWall_->SetColor(0xFFFFFF);
    legend_ = std::make_unique<TChartLegend>(this);
    markers_ = std::make_unique<TChartMarkers>(this);
    EndCreation();
}

TCustomChart::~TCustomChart() = default;

void TCustomChart::SetBackColor(TColor value)
{
    backWall_->SetColor(value);
    backWall_->Brush().SetStyle(bsSolid);
}

void TCustomChart::SetBackImage(const QImage& value)
{
    backImage_ = value;
    Invalidate();
}

void TCustomChart::DrawPanelBackground(const TRect& rect)
{
    TChartCanvas3D& canvas = Canvas();
    if (gradient_->Visible()) {
        canvas.GradientFill(rect, gradient_->StartColor(), gradient_->EndColor(), gradient_->Direction());
        return;
    }
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(rect);
}

void TCustomChart::DrawBackImage(const TRect& rect)
{
    if (backImage_.isNull())
        return;
    TChartCanvas3D& canvas = Canvas();
    if (backImageMode_ == pbmStretch) {
        canvas.StretchDraw(rect, backImage_);
        return;
    }
    canvas.ClipToPlotArea(rect, 0, Depth3D);
    const int w = backImage_.width();
    const int h = backImage_.height();
    if (backImageMode_ == pbmTile) {
        if (w > 0 && h > 0) {
            for (int dy = 0; dy < rect.Height(); dy += h)
                for (int dx = 0; dx < rect.Width(); dx += w)
                    canvas.Draw(rect.Left + dx, rect.Top + dy, backImage_);
        }
    } else {
        DrawPanelBackground(rect);
        canvas.Draw(rect.Left + (rect.Width() - w) / 2, rect.Top + (rect.Height() - h) / 2, backImage_);
    }
    canvas.ResetClip();
}

void TCustomChart::DrawBevels(const TRect& rect)
{
    TChartCanvas3D& canvas = Canvas();
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetMode(pmCopy);
    canvas.Brush()->SetStyle(bsClear);
    TRect r = rect;
    auto bevel = [&](TPanelBevel kind) {
        if (kind == bvNone)
            return;
        TColor top = clBtnHighlight;
        TColor bottom = clBtnShadow;
        if (kind == bvLowered)
            std::swap(top, bottom);
        if (kind == bvSpace)
            bottom = top;
        canvas.Frame3D(r, top, bottom, BevelWidth());
    };
    bevel(BevelOuter());
    if (BorderWidth() > 0)
        canvas.Frame3D(r, Color(), Color(), BorderWidth());
    bevel(BevelInner());
}

// The legend sits under the title, so the title takes its room first.
void TCustomChart::DrawTitles()
{
    if (title_->Visible())
        DrawTitle(*title_, true);
    if (foot_->Visible())
        DrawTitle(*foot_, false);
    legend_->LegendRect = TRect{};
    if (legend_->Visible())
        DrawLegend();
}

std::vector<TChartSeries*> TCustomChart::LegendSeries() const
{
    std::vector<TChartSeries*> named;
    for (int i = 0; i < SeriesCount(); ++i) {
        TChartSeries& s = Series(i);
        if (s.Active() && s.ShowInLegend() && !s.Title().empty())
            named.push_back(&s);
    }
    return named;
}

// Entries left to right from the plot's left edge, a new row where the next
// would pass its right edge; a row holds at least one entry however narrow
// the plot.
void TCustomChart::DrawLegend()
{
    const std::vector<TChartSeries*> named = LegendSeries();
    if (named.empty())
        return;
    TChartCanvas3D& canvas = Canvas();
    canvas.Font()->Assign(legend_->Font());
    const int h = canvas.FontHeight();
    const int stroke = 2 * h;
    const int gap = std::max(2, h / 2);
    canvas.SetBackMode(TRANSPARENT);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    int x = PlotRect.Left;
    int y = PlotRect.Top;
    int right = x;
    for (TChartSeries* s : named) {
        const int w = stroke + gap + canvas.TextWidth(s->Title());
        if (x > PlotRect.Left && x + w > PlotRect.Right) {
            x = PlotRect.Left;
            y += h;
        }
        // The stroke two rows thick, so that it reads beside the text.
        const int mid = y + h / 2;
        if (auto* line = dynamic_cast<TFastLineSeries*>(s)) {
            line->DrawLegendSymbol(TRect{x, mid - 1, x + stroke, mid});
            line->DrawLegendSymbol(TRect{x, mid, x + stroke, mid + 1});
        } else {
            canvas.Pen()->SetStyle(psSolid);
            canvas.Pen()->SetWidth(1);
            canvas.Pen()->SetMode(pmCopy);
            canvas.Pen()->SetColor(s->SeriesColor());
            canvas.HorizLine(x, x + stroke, mid - 1);
            canvas.HorizLine(x, x + stroke, mid);
        }
        canvas.TextOut(x + stroke + gap, y, s->Title());
        right = std::max(right, x + w);
        x += w + 2 * gap;
    }
    legend_->LegendRect = TRect{PlotRect.Left, PlotRect.Top, right, y + h};
    PlotRect.Top = y + h + gap;
    RecalcPlotSize();
}

void TCustomChart::DrawMarkers()
{
    if (!markers_->Visible() || markers_->Items().empty() || View3D())
        return;
    const TRect& p = PlotRect;
    TChartCanvas3D& canvas = Canvas();
    canvas.ClipToPlotArea(p, 0, 0);
    canvas.Font()->Assign(markers_->Font());
    const int h = std::max(1, canvas.FontHeight());
    const int rows = std::max(1, (p.Bottom - 1 - (p.Top + 1)) / h);
    constexpr int kGap = 4;
    // Where the last label of each row ends; none yet.
    std::vector<int> ends(static_cast<std::size_t>(rows), std::numeric_limits<int>::min());
    canvas.Pen()->SetStyle(psDot);
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetMode(pmCopy);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    for (const TChartMarker& m : markers_->Items()) {
        const int c = BottomAxis().ValueToPixel(m.Value);
        if (c <= p.Left || c >= p.Right)
            continue;
        canvas.Pen()->SetColor(m.Color);
        canvas.VertLine(c, p.Top, p.Bottom);
        if (m.Text.empty())
            continue;
        const int w = canvas.TextWidth(m.Text);
        int x = c + 2;
        if (x + w > p.Right && c - 1 - w > p.Left)
            x = c - 1 - w;
        std::size_t row = 0;
        while (row < ends.size() && ends[row] > x - kGap)
            ++row;
        if (row == ends.size())
            row = 0;
        canvas.Font()->SetColor(m.Color);
        // A solid brush makes the text cell opaque in its colour.
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(Color());
        canvas.TextOut(x, p.Top + 1 + static_cast<int>(row) * h, m.Text);
        ends[row] = x + w;
    }
    canvas.ResetClip();
}

void TCustomChart::DrawTitle(TChartTitle& title, bool atTop)
{
    const bool frameCounts = title.Frame().Visible() && title.Frame().Color() != UnsetColor;
    const auto& lines = title.Text();
    // Without lines and without a frame a title draws nothing and takes no room.
    if (lines.empty() && !frameCounts)
        return;
    TChartCanvas3D& canvas = Canvas();
    canvas.Font()->Assign(title.Font());
    const int h = canvas.FontHeight();
    canvas.Brush()->Assign(title.Brush());
    if (title.Brush().Color() == UnsetColor)
        canvas.Brush()->SetStyle(bsClear);

    const int f = frameCounts ? title.Frame().Width() : 0;
    const int n = static_cast<int>(lines.size());

    TRect r{PlotRect.Left + f, 0, PlotRect.Right - f, 0};
    if (atTop) {
        r.Top = PlotRect.Top + f;
        r.Bottom = r.Top + n * h;
    } else {
        r.Bottom = PlotRect.Bottom - f;
        r.Top = r.Bottom - n * h;
    }
    InflateRect(r, f, f);
    if (frameCounts && title.AdjustFrame()) {
        int widest = 0;
        for (const auto& line : lines)
            widest = std::max(widest, canvas.TextWidth(line));
        const int w = widest + 2 * f;
        switch (title.Alignment()) {
        case taLeftJustify: r.Right = r.Left + w; break;
        case taRightJustify: r.Left = r.Right - w; break;
        case taCenter: {
            const int m = (r.Left + r.Right) / 2;
            const int k = w / 2 + 2 * f;
            r.Left = m - k;
            r.Right = m + k;
            break;
        }
        }
    }
    title.TitleRect = r;
    if (frameCounts) {
        canvas.ApplyChartPen(title.Frame());
        canvas.RectangleR(r);
    }

    canvas.SetBackMode(TRANSPARENT);
    // Text positions below are left/top corners whatever the axes chose last.
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    const int left = PlotRect.Left + f;
    const int right = PlotRect.Right - f;
    for (int i = 0; i < n; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        const int w = canvas.TextWidth(line);
        int x = left;
        if (title.Alignment() == taRightJustify)
            x = right - w;
        else if (title.Alignment() == taCenter)
            x = (left + right) / 2 - w / 2;
        const int y = atTop ? PlotRect.Top + f + i * h : PlotRect.Bottom - f - (n - i) * h;
        canvas.TextOut(x, y, line);
    }

    const int taken = f + n * h + (frameCounts ? 2 * f : 0) + 5;
    if (atTop)
        PlotRect.Top += taken;
    else
        PlotRect.Bottom -= taken;
    RecalcPlotSize();
}

void TCustomChart::PaintWalls()
{
    PrepareWall(*backWall_);
    Canvas().Rectangle(PlotRect.Left, PlotRect.Top, PlotRect.Right + 1, PlotRect.Bottom);
    if (backImageInside_)
        DrawBackImage(PlotRect);
    // The left and bottom walls belong to the 3D view, which is not built.
}

void TCustomChart::PrepareWall(const TChartWall& wall)
{
    TChartCanvas3D& canvas = Canvas();
    canvas.ApplyChartPen(wall.Pen());
    if (!wall.Brush().Bitmap().isNull()) {
        canvas.Brush()->SetBitmap(wall.Brush().Bitmap());
        return;
    }
    canvas.Brush()->SetBitmap(QImage());
    if (wall.Color() == UnsetColor && wall.Brush().Style() == bsSolid) {
        canvas.Brush()->SetStyle(bsClear);
    } else {
        SetFillStyle(wall.Color(), wall.Brush().Style(), wall.Brush().Color());
    }
}

void TCustomChart::SetFillStyle(TColor color, TBrushStyle style, TColor background)
{
    TChartCanvas3D& canvas = Canvas();
    if (style != bsSolid && color == background)
        color = background == clBlack ? clWhite : clBlack;
    canvas.Brush()->SetColor(color);
    canvas.Brush()->SetStyle(style);
    if (style == bsSolid) {
        canvas.SetBackMode(TRANSPARENT);
    } else {
        canvas.SetBackMode(OPAQUE);
        canvas.SetBackColor(background);
    }
}

} // namespace nc
