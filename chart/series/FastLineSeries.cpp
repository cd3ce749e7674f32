// SPDX-License-Identifier: MIT
#include "chart/series/FastLineSeries.h"

#include <algorithm>
#include <cstdlib>

#include "chart/panel/ChartPanel.h"

namespace nc {

TFastLineSeries::TFastLineSeries() : linePen_(std::make_unique<TChartPen>())
{
    linePen_->OnChange = [this] { RequestRepaint(); };
    KeepPointPastEnd = true;
}

TFastLineSeries::~TFastLineSeries() = default;

void TFastLineSeries::SetLinePen(const TChartPen& pen)
{
    linePen_->Assign(pen);
    SetSeriesColor(pen.Color());
}

void TFastLineSeries::SetSeriesColor(TColor value)
{
    TChartSeries::SetSeriesColor(value);
    linePen_->SetColor(value);
}

void TFastLineSeries::AssignSettings(const TFastLineSeries& source)
{
    SetLinePen(*source.linePen_);
    autoRepaint_ = source.autoRepaint_;
}

TChartCanvas3D* TFastLineSeries::Canvas() const
{
    return ParentChart() == nullptr ? nullptr : &ParentChart()->Canvas();
}

void TFastLineSeries::PrepareLinePen()
{
    TChartCanvas3D* c = Canvas();
    if (c == nullptr || c->Pen() == nullptr)
        return;
    TPen& pen = *c->Pen();
    pen.TPen::Assign(*linePen_);
    pen.SetColor(SeriesColor());
    c->Brush()->SetStyle(bsClear);
}

namespace {

// The line's calls on the chart's canvas; on a 3D chart at the series'
// depth (flat charts only: the depth is 0).
class TCanvasSink final : public TLineSink {
public:
    TCanvasSink(TChartCanvas3D& canvas, bool is3D) : canvas_(canvas), is3D_(is3D) {}
    void MoveTo(int x, int y) override
    {
        if (is3D_)
            canvas_.MoveToZ(x, y, 0);
        else
            canvas_.MoveTo(x, y);
    }
    void Line(int x0, int y0, int x1, int y1) override
    {
        if (is3D_)
            canvas_.LineZ(x0, y0, x1, y1, 0);
        else
            canvas_.Line(x0, y0, x1, y1);
    }
    void LineTo(int x, int y)
    {
        if (is3D_)
            canvas_.LineToZ(x, y, 0);
        else
            canvas_.LineTo(x, y);
    }
    void PolyLineTo(std::span<const TPoint> points) override
    {
        if (!is3D_) {
            canvas_.PolyLineTo(points);
            return;
        }
        for (const TPoint& p : points)
            canvas_.LineToZ(p.X, p.Y, 0);
    }

private:
    TChartCanvas3D& canvas_;
    bool is3D_;
};

} // namespace

bool TFastLineSeries::LinearMapper(const TCustomChartAxis* axis, LinearPixelMapper& map)
{
    AxisRange range;
    AxisSpan span;
    if (axis == nullptr || !axis->LinearPixelMap(range, span))
        return false;
    map = LinearPixelMapper(range, span, axis->Inverted());
    return true;
}

void TFastLineSeries::DrawPoints()
{
    if (FirstVisibleIndex < 0)
        return;
    PrepareLinePen();
    TChartCanvas3D* c = Canvas();
    LinearPixelMapper xMap;
    LinearPixelMapper yMap;
    if (FastDrawing && c != nullptr && LinearMapper(ResolvedHorizAxis(), xMap) && LinearMapper(ResolvedVertAxis(), yMap)
        && TFastLineWalk::Applies(XValues(), YValues())) {
        const bool is3D = ParentChart()->View3D();
        // A one-pixel solid line in copy mode draws the same pixels whatever
        // the path inside a pixel column.
        const bool reduceColumns
            = !is3D && linePen_->Width() == 1 && linePen_->Style() == psSolid && linePen_->Mode() == pmCopy;
        TCanvasSink sink(*c, is3D);
        TFastLineWalk walk(XValues(), YValues(), xMap, yMap, sink, bands_);
        walk.Walk(FirstVisibleIndex, LastVisibleIndex, reduceColumns);
        LastDrawnX = walk.LastDrawn().X;
        LastDrawnY = walk.LastDrawn().Y;
        return;
    }
    for (int i = FirstVisibleIndex; i <= LastVisibleIndex; ++i)
        DrawPoint(i);
}

void TFastLineSeries::DrawPoint(int index)
{
    TChartCanvas3D* c = Canvas();
    if (c == nullptr)
        return;
    const int x = XPixel(index);
    const int y = YPixel(index);
    if (index != FirstVisibleIndex) {
        DrawNext(x, y);
        return;
    }
    TCanvasSink sink(*c, ParentChart()->View3D());
    // The line enters the plot from the value just outside it.
    if (index <= 0)
        sink.MoveTo(x, y);
    else
        sink.Line(XPixel(index - 1), YPixel(index - 1), x, y);
    LastDrawnX = x;
    LastDrawnY = y;
}

void TFastLineSeries::DrawNext(int x, int y)
{
    if (x == LastDrawnX && y == LastDrawnY)
        return;
    TCanvasSink(*Canvas(), ParentChart()->View3D()).LineTo(x, y);
    LastDrawnX = x;
    LastDrawnY = y;
}

void TFastLineSeries::DrawAddedPoint(int index)
{
    TChartCanvas3D* c = Canvas();
    if (c == nullptr || c->Pen() == nullptr)
        return;
    c->Pen()->TPen::Assign(*linePen_);
    const int p = index == 0 ? 0 : index - 1;
    TCanvasSink(*c, ParentChart()->View3D()).MoveTo(XPixel(p), YPixel(p));
    // DrawPoint continues from the current point unless index is the first
    // visible one; as a later point, the segment runs from p to index.
    const int savedFirst = FirstVisibleIndex;
    LastDrawnX = XPixel(p);
    LastDrawnY = YPixel(p);
    if (FirstVisibleIndex == index)
        FirstVisibleIndex = -1;
    DrawPoint(index);
    FirstVisibleIndex = savedFirst;
}

bool PointOnSegment(int px, int py, int x, int y, int xp, int yp)
{
    // Pixels anywhere in int (a mouse position, a point far off the plot):
    // their differences take 33 bits and the products 66, so the cross
    // product is taken in 128.
    auto d = [](int a, int b) { return static_cast<long long>(a) - b; };
    const __int128 cross = static_cast<__int128>(d(px, x)) * d(yp, y) - static_cast<__int128>(d(py, y)) * d(xp, x);
    const long long limit = std::max(std::llabs(d(xp, x)), std::llabs(d(yp, y)));
    if (!((cross < 0 ? -cross : cross) < limit))
        return false;
    // An axis whose two ends are equal does not restrict: the line test above
    // already demands the same coordinate there.
    const bool inX = x == xp || (std::min(x, xp) <= px && px <= std::max(x, xp));
    const bool inY = y == yp || (std::min(y, yp) <= py && py <= std::max(y, yp));
    return inX && inY;
}

// Uses the visible range of the last paint, as the chart's mouse handling does.
int TFastLineSeries::PointAtPixel(int px, int py)
{
    if (FirstVisibleIndex < 0 || LastVisibleIndex < 0 || LastVisibleIndex < FirstVisibleIndex)
        return -1;
    int xp = 0;
    int yp = 0;
    for (int i = FirstVisibleIndex; i <= LastVisibleIndex; ++i) {
        const int x = XPixel(i);
        const int y = YPixel(i);
        if (px == x && py == y)
            return i;
        if (i > FirstVisibleIndex && PointOnSegment(px, py, x, y, xp, yp))
            return i - 1;
        xp = x;
        yp = y;
    }
    return -1;
}

void TFastLineSeries::DrawLegendSymbol(const TRect& rect)
{
    PrepareLinePen();
    if (TChartCanvas3D* c = Canvas())
        c->HorizLine(rect.Left, rect.Right, (rect.Top + rect.Bottom) / 2);
}

} // namespace nc
