#include "chart/Series.h"

#include <algorithm>
#include <cstdlib>

#include "chart/ChartPanel.h"

namespace nc {

TFastLineSeries::TFastLineSeries() : linePen_(std::make_unique<TChartPen>()) {
    linePen_->OnChange = [this] { RequestRepaint(); };
    KeepPointPastEnd = true;
}

TFastLineSeries::~TFastLineSeries() = default;

void TFastLineSeries::SetLinePen(const TChartPen& pen) {
    linePen_->Assign(pen);
    SetSeriesColor(pen.Color());
}

void TFastLineSeries::SetSeriesColor(TColor value) {
    TChartSeries::SetSeriesColor(value);
    linePen_->SetColor(value);
}

void TFastLineSeries::AssignSettings(const TFastLineSeries& source) {
    SetLinePen(*source.linePen_);
    autoRepaint_ = source.autoRepaint_;
}

TChartCanvas3D* TFastLineSeries::Canvas() const {
    return ParentChart() == nullptr ? nullptr : &ParentChart()->Canvas();
}

void TFastLineSeries::PrepareLinePen() {
    TChartCanvas3D* c = Canvas();
    if (c == nullptr || c->Pen() == nullptr) return;
    TPen& pen = *c->Pen();
    pen.TPen::Assign(*linePen_);
    pen.SetColor(SeriesColor());
    c->Brush()->SetStyle(bsClear);
}

void TFastLineSeries::DrawPoints() {
    if (FirstVisibleIndex < 0) return;
    PrepareLinePen();
    for (int i = FirstVisibleIndex; i <= LastVisibleIndex; ++i) DrawPoint(i);
}

void TFastLineSeries::DrawPoint(int index) {
    TChartCanvas3D* c = Canvas();
    if (c == nullptr) return;
    const int x = XPixel(index);
    const int y = YPixel(index);
    const bool is3D = ParentChart()->View3D();
    const int z = 0;  // the series' depth: flat charts only
    if (index == FirstVisibleIndex) {
        if (index <= 0) {
            if (is3D) c->MoveToZ(x, y, z);
            else c->MoveTo(x, y);
        } else {
            // The line enters the plot from the value just outside it.
            const int xp = XPixel(index - 1);
            const int yp = YPixel(index - 1);
            if (is3D) c->LineZ(xp, yp, x, y, z);
            else c->Line(xp, yp, x, y);
        }
    } else {
        if (x == LastDrawnX && y == LastDrawnY) return;
        if (is3D) c->LineToZ(x, y, z);
        else c->LineTo(x, y);
    }
    LastDrawnX = x;
    LastDrawnY = y;
}

void TFastLineSeries::PointAdded(int index) {
    if (autoRepaint_) {
        TChartSeries::PointAdded(index);
        return;
    }
    TChartCanvas3D* c = Canvas();
    if (c == nullptr || c->Pen() == nullptr) return;
    c->Pen()->TPen::Assign(*linePen_);
    const int p = index == 0 ? 0 : index - 1;
    if (ParentChart()->View3D()) c->MoveToZ(XPixel(p), YPixel(p), 0);
    else c->MoveTo(XPixel(p), YPixel(p));
    // DrawPoint continues from the current point unless index is the first
    // visible one; as a later point, the segment runs from p to index.
    const int savedFirst = FirstVisibleIndex;
    LastDrawnX = XPixel(p);
    LastDrawnY = YPixel(p);
    if (FirstVisibleIndex == index) FirstVisibleIndex = -1;
    DrawPoint(index);
    FirstVisibleIndex = savedFirst;
}

bool PointOnSegment(int px, int py, int x, int y, int xp, int yp) {
    const long long cross = static_cast<long long>(px - x) * (yp - y) - static_cast<long long>(py - y) * (xp - x);
    const long long limit = std::max(std::llabs(static_cast<long long>(xp) - x), std::llabs(static_cast<long long>(yp) - y));
    if (!(std::llabs(cross) < limit)) return false;
    // An axis whose two ends are equal does not restrict: the line test above
    // already demands the same coordinate there.
    const bool inX = x == xp || (std::min(x, xp) <= px && px <= std::max(x, xp));
    const bool inY = y == yp || (std::min(y, yp) <= py && py <= std::max(y, yp));
    return inX && inY;
}

// Uses the visible range of the last paint, as the chart's mouse handling does.
int TFastLineSeries::PointAtPixel(int px, int py) {
    if (FirstVisibleIndex < 0 || LastVisibleIndex < 0 || LastVisibleIndex < FirstVisibleIndex) return -1;
    int xp = 0;
    int yp = 0;
    for (int i = FirstVisibleIndex; i <= LastVisibleIndex; ++i) {
        const int x = XPixel(i);
        const int y = YPixel(i);
        if (px == x && py == y) return i;
        if (i > FirstVisibleIndex && PointOnSegment(px, py, x, y, xp, yp)) return i - 1;
        xp = x;
        yp = y;
    }
    return -1;
}

void TFastLineSeries::DrawLegendSymbol(const TRect& rect) {
    PrepareLinePen();
    if (TChartCanvas3D* c = Canvas()) c->HorizLine(rect.Left, rect.Right, (rect.Top + rect.Bottom) / 2);
}

}  // namespace nc
