// SPDX-License-Identifier: MIT
// The chart answers the mouse by itself: a press is offered to the click
// events first; a left drag draws a zoom box (toward the bottom right it
// zooms, any other way it undoes), a right drag scrolls the axes.

#include "chart/Chart.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>

namespace nc {
namespace {

// A box must be larger than this both ways to zoom or undo.
constexpr int kSmallestBox = 16;
// A press nearer than this to an axis line is a click on the axis.
constexpr int kAxisReach = 12;
constexpr double kSmallestRange = 1e-10;
constexpr double kAnimatedZoomDivisor = 3.0;
// A notch of the wheel (120 eighths of a degree) away from the user zooms in
// to this share of the range; toward the user out by its inverse.
constexpr double kWheelNotchFactor = 0.8;
constexpr double kWheelNotch = 120.0;

// How far apart two pixels are; mouse positions may lie anywhere in int.
long long Distance(int a, int b)
{
    return std::llabs(static_cast<long long>(a) - b);
}

TAxisSavedState Save(const TCustomChartAxis& axis)
{
    return {axis.Automatic(), axis.AutomaticMinimum(), axis.AutomaticMaximum(), axis.Minimum(), axis.Maximum()};
}

void Restore(TCustomChartAxis& axis, const TAxisSavedState& s)
{
    axis.SetAutomatic(s.Automatic);
    axis.SetAutomaticMinimum(s.AutomaticMinimum);
    axis.SetAutomaticMaximum(s.AutomaticMaximum);
    if (!s.Automatic)
        FixRange(axis, s.Maximum, s.Minimum);
}

// The range of `axis` scaled by `factor` about the value at `pixel`; on a
// logarithmic axis about its logarithm. False where an end would not be a
// finite double.
bool ScaledAbout(const TCustomChartAxis& axis, int pixel, double factor, double& minimum, double& maximum)
{
    const double anchor = axis.PixelToValue(pixel);
    const bool logarithmic = axis.Logarithmic() && axis.Minimum() > 0 && anchor > 0;
    auto in = [&](double v) { return logarithmic ? std::log(v) : v; };
    auto out = [&](double v) { return logarithmic ? std::exp(v) : v; };
    const double a = in(anchor);
    minimum = out(a - (a - in(axis.Minimum())) * factor);
    maximum = out(a + (in(axis.Maximum()) - a) * factor);
    return std::isfinite(minimum) && std::isfinite(maximum);
}

TMouseButton ButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

TShiftState ShiftOf(const QMouseEvent& event)
{
    TShiftState s = 0;
    const Qt::KeyboardModifiers m = event.modifiers();
    if (m & Qt::ShiftModifier)
        s |= ssShift;
    if (m & Qt::AltModifier)
        s |= ssAlt;
    if (m & Qt::ControlModifier)
        s |= ssCtrl;
    return s;
}

bool Inside(const TRect& r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

} // namespace

void FixRange(TCustomChartAxis& axis, double a, double b)
{
    axis.SetMinMax(std::min(a, b), std::max(a, b));
    // The difference of two huge values of opposite sign may overflow to
    // infinity, which is not below the smallest range: nothing to widen then.
    if (axis.Maximum() - axis.Minimum() < kSmallestRange) {
        const double lo = b;
        const double hi = a + kSmallestRange;
        axis.SetMinMax(std::min(lo, hi), std::max(lo, hi));
    }
}

template <class F> void TCustomChart::Guard(F&& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        if (OnError)
            OnError(e);
    }
}

TChartClickedPart TCustomChart::ClickedPart(int x, int y)
{
    TChartClickedPart part;
    // The legend as drawn last; empty when it drew nothing.
    const TRect& legend = Legend().LegendRect;
    if (legend.Right > legend.Left && x >= legend.Left && x < legend.Right && y >= legend.Top && y < legend.Bottom)
        return {cpLegend, -1, nullptr, nullptr};
    for (int i = SeriesCount() - 1; i >= 0; --i) {
        TChartSeries& s = Series(i);
        if (!s.Active())
            continue;
        const int index = s.PointAtPixel(x, y);
        if (index != -1)
            return {cpSeries, index, &s, nullptr};
    }
    for (TCustomChartAxis* axis :
         {static_cast<TCustomChartAxis*>(&TopAxis()), static_cast<TCustomChartAxis*>(&BottomAxis()),
          static_cast<TCustomChartAxis*>(&LeftAxis()), static_cast<TCustomChartAxis*>(&RightAxis()),
          static_cast<TCustomChartAxis*>(&DepthAxis())}) {
        if (!AxisInUse(*axis))
            continue;
        const bool near = axis->IsHorizontal()
            ? PlotRect.Left <= x && x <= PlotRect.Right && Distance(y, axis->AxisLinePos) < kAxisReach
            : PlotRect.Top <= y && y <= PlotRect.Bottom && Distance(x, axis->AxisLinePos) < kAxisReach;
        if (near)
            return {cpAxis, -1, nullptr, axis};
    }
    if (Title().Visible() && Inside(Title().TitleRect, x, y))
        return {cpTitle};
    if (Foot().Visible() && Inside(Foot().TitleRect, x, y))
        return {cpFoot};
    if (Inside(PlotRect, x, y)) {
        for (int i = 0; i < SeriesCount(); ++i)
            if (Series(i).Active())
                return {cpChartRect};
    }
    return part;
}

void TCustomChart::BackgroundDispatch(TMouseButton button, TShiftState shift, int x, int y, bool& handled)
{
    if (!OnClickBackground)
        return;
    ClickHandled = true;
    OnClickBackground(*this, button, shift, x, y);
    handled = ClickHandled;
}

void TCustomChart::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(button, shift, x, y);
    if (Zoom().Active || Scroll().Active)
        return;
    if (ClickHandled) {
        ClickHandled = false;
        return;
    }
    bool handled = false;
    const TChartClickedPart part = ClickedPart(x, y);
    switch (part.Part) {
    case cpLegend:
        if (OnClickLegend) {
            ClickHandled = true;
            OnClickLegend(*this, button, shift, x, y);
            handled = ClickHandled;
        }
        break;
    case cpAxis:
        if (OnClickAxis) {
            ClickHandled = true;
            OnClickAxis(*this, *part.AAxis, button, shift, x, y);
            handled = ClickHandled;
        }
        if (!handled)
            StartDrag(button, x, y);
        break;
    case cpSeries:
        // The fast line assigns no click events of its own, so the series'
        // dispatch answers "not handled".
        if (OnClickSeries) {
            ClickHandled = true;
            OnClickSeries(*this, *part.ASeries, part.PointIndex, button, shift, x, y);
            handled = ClickHandled;
        }
        if (!handled)
            StartDrag(button, x, y);
        break;
    case cpChartRect:
        BackgroundDispatch(button, shift, x, y, handled);
        if (!handled)
            StartDrag(button, x, y);
        break;
    case cpNone:
    case cpTitle:
    case cpFoot: break;
    }
    if (!handled)
        BackgroundDispatch(button, shift, x, y, handled);
    ClickHandled = false;
}

void TCustomChart::StartDrag(TMouseButton button, int x, int y)
{
    if (AllowZoom() && button == mbLeft) {
        setCursor(Qt::ArrowCursor);
        Zoom() = TZoomPanningRecord{x, y, x, y, true};
        DrawZoomBox();
        ShowScreen();
    }
    if (AllowPanning() != pmNone && button == mbRight) {
        setCursor(Qt::ArrowCursor);
        Scroll() = TZoomPanningRecord{x, y, x, y, true};
    }
}

void TCustomChart::SaveAxes()
{
    if (!nothingSaved_)
        return;
    saved_ = {Save(TopAxis()), Save(BottomAxis()), Save(LeftAxis()), Save(RightAxis())};
    nothingSaved_ = false;
}

void TCustomChart::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(shift, x, y);
    TZoomPanningRecord& zoom = Zoom();
    if (zoom.Active) {
        if (x != zoom.X1 || y != zoom.Y1) {
            DrawZoomBox(); // drawn inverting: this erases the old box
            zoom.X1 = x;
            zoom.Y1 = y;
            DrawZoomBox();
            ShowScreen();
        }
        return;
    }
    TZoomPanningRecord& scroll = Scroll();
    if (scroll.Active) {
        if (!Inside(PlotRect, x, y)) {
            scroll.Active = false;
            return;
        }
        if (x == scroll.X1 && y == scroll.Y1)
            return;
        SaveAxes();
        bool scrolled = false;
        const TPanningMode mode = AllowPanning();
        if (x != scroll.X1 && (mode == pmHorizontal || mode == pmBoth)) {
            scrolled = ScrollAxis(BottomAxis(), scroll.X1, x) || scrolled;
            scrolled = ScrollAxis(TopAxis(), scroll.X1, x) || scrolled;
        }
        if (y != scroll.Y1 && (mode == pmVertical || mode == pmBoth)) {
            scrolled = ScrollAxis(LeftAxis(), scroll.Y1, y) || scrolled;
            scrolled = ScrollAxis(RightAxis(), scroll.Y1, y) || scrolled;
        }
        scroll.X1 = x;
        scroll.Y1 = y;
        if (scrolled) {
            if (OnScroll)
                OnScroll(*this);
            Invalidate();
        }
        return;
    }
    // No series here sets a cursor of its own, so the pointer keeps the
    // control's loaded cursor.
    setCursor(LoadedCursor());
}

bool TCustomChart::ScrollAxis(TCustomChartAxis& axis, int from, int to)
{
    const double d = axis.PixelToValue(from) - axis.PixelToValue(to);
    double newMinimum = axis.Minimum() + d;
    double newMaximum = axis.Maximum() + d;
    bool allowed = true;
    if (OnAllowScroll)
        OnAllowScroll(axis, newMinimum, allowed, newMaximum);
    if (allowed)
        FixRange(axis, newMaximum, newMinimum);
    return allowed;
}

void TCustomChart::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(button, shift, x, y);
    TZoomPanningRecord& zoom = Zoom();
    if (zoom.Active && button == mbLeft) {
        zoom.Active = false;
        DrawZoomBox(); // erases the box
        ShowScreen();
        Canvas().Pen()->SetMode(pmCopy);
        zoom.X1 = x;
        zoom.Y1 = y;
        if (Distance(zoom.X1, zoom.X0) > kSmallestBox && Distance(zoom.Y1, zoom.Y0) > kSmallestBox) {
            if (zoom.X0 < zoom.X1 && zoom.Y0 < zoom.Y1)
                ZoomToDrag();
            else
                UndoZoom();
            Invalidate();
        }
    }
    Scroll().Active = false;
}

void TCustomChart::ZoomToDrag()
{
    TZoomPanningRecord& z = Zoom();
    if (z.X0 > z.X1)
        std::swap(z.X0, z.X1);
    if (z.Y0 > z.Y1)
        std::swap(z.Y0, z.Y1);
    ZoomToValues(LeftAxis().PixelToValue(z.Y0), LeftAxis().PixelToValue(z.Y1), RightAxis().PixelToValue(z.Y0),
                 RightAxis().PixelToValue(z.Y1), TopAxis().PixelToValue(z.X1), TopAxis().PixelToValue(z.X0),
                 BottomAxis().PixelToValue(z.X1), BottomAxis().PixelToValue(z.X0));
}

void TCustomChart::ZoomToValues(double leftMax, double leftMin, double rightMax, double rightMin, double topMax,
                                double topMin, double bottomMax, double bottomMin)
{
    SaveAxes();
    struct Target {
        TCustomChartAxis& axis;
        double max, min;
    };
    Target targets[] = {{LeftAxis(), leftMax, leftMin},
                        {RightAxis(), rightMax, rightMin},
                        {TopAxis(), topMax, topMin},
                        {BottomAxis(), bottomMax, bottomMin}};
    if (AnimatedZoom()) {
        for (int step = 1; step < AnimatedZoomSteps(); ++step) {
            for (Target& t : targets)
                FixRange(t.axis, t.axis.Maximum() - (t.axis.Maximum() - t.max) / kAnimatedZoomDivisor,
                         t.axis.Minimum() + (t.min - t.axis.Minimum()) / kAnimatedZoomDivisor);
            repaint();
        }
    }
    for (Target& t : targets)
        FixRange(t.axis, t.max, t.min);
    isZoomed_ = true;
    if (OnZoom)
        OnZoom(*this);
}

bool TCustomChart::ZoomAbout(int x, int y, double factor)
{
    if (!AllowZoom() || !Inside(PlotRect, x, y) || !(factor > 0) || !std::isfinite(factor))
        return false;
    int kept = 0;
    auto scale = [&](const TCustomChartAxis& axis, int pixel, double& minimum, double& maximum) {
        if (!ScaledAbout(axis, pixel, factor, minimum, maximum))
            return false;
        // Below the smallest range the zoom would widen the range again from
        // its lower end, and each notch would move the view off the pointer:
        // such an axis stays as it is.
        if (maximum - minimum < kSmallestRange) {
            minimum = axis.Minimum();
            maximum = axis.Maximum();
            ++kept;
        }
        return true;
    };
    double l0, l1, r0, r1, t0, t1, b0, b1;
    if (!scale(LeftAxis(), y, l0, l1) || !scale(RightAxis(), y, r0, r1) || !scale(TopAxis(), x, t0, t1)
        || !scale(BottomAxis(), x, b0, b1) || kept == 4)
        return false;
    ZoomToValues(l1, l0, r1, r0, t1, t0, b1, b0);
    Invalidate();
    return true;
}

void TCustomChart::UndoZoom()
{
    if (!nothingSaved_) {
        Restore(TopAxis(), saved_.Top);
        Restore(BottomAxis(), saved_.Bottom);
        Restore(LeftAxis(), saved_.Left);
        Restore(RightAxis(), saved_.Right);
    }
    nothingSaved_ = true;
    if (OnUndoZoom)
        OnUndoZoom(*this);
    Invalidate();
    isZoomed_ = false;
}

void TCustomChart::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    // Only a right button pressed alone can make a click for the menu.
    rightClickPending_ = event->button() == Qt::RightButton && event->buttons() == Qt::RightButton;
    rightPressAt_ = p;
    Guard([&] { MouseDown(ButtonOf(event->button()), ShiftOf(*event), p.x(), p.y()); });
    event->accept();
}

void TCustomChart::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    Guard([&] { MouseDown(ButtonOf(event->button()), ShiftOf(*event) | ssDouble, p.x(), p.y()); });
    event->accept();
}

void TCustomChart::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (p != rightPressAt_)
        rightClickPending_ = false;
    Guard([&] { MouseMove(ShiftOf(*event), p.x(), p.y()); });
    event->accept();
}

void TCustomChart::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    Guard([&] { MouseUp(ButtonOf(event->button()), ShiftOf(*event), p.x(), p.y()); });
    event->accept();
    const bool menu = rightClickPending_ && event->button() == Qt::RightButton && p == rightPressAt_;
    rightClickPending_ = false;
    if (menu && OnContextPopup)
        Guard([&] { OnContextPopup(p.x(), p.y()); });
}

// A wheel turned while a box is drawn or the axes are scrolled changes nothing.
void TCustomChart::wheelEvent(QWheelEvent* event)
{
    const QPoint p = event->position().toPoint();
    const int eighths = event->angleDelta().y();
    bool zoomed = false;
    if (eighths != 0 && !Zoom().Active && !Scroll().Active)
        Guard([&] { zoomed = ZoomAbout(p.x(), p.y(), std::pow(kWheelNotchFactor, eighths / kWheelNotch)); });
    event->setAccepted(zoomed);
}

// The mouse's context menu comes from the release above (on some platforms Qt
// sends this event at the press, which would open a menu at every right
// drag); the keyboard's opens here.
void TCustomChart::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Mouse || !OnContextPopup) {
        event->ignore();
        return;
    }
    const QPoint p = event->pos();
    Guard([&] { OnContextPopup(p.x(), p.y()); });
    event->accept();
}

// Qt asks for a hint only while no button is held, so a drag shows none.
bool TCustomChart::event(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        hintAt_.reset();
    if (event->type() != QEvent::ToolTip || !OnHint)
        return TCustomAxisPanel::event(event);
    if (!ShowHint(static_cast<QHelpEvent*>(event)->pos()))
        event->ignore();
    return true;
}

// A hint left showing while samples arrive would name the sample that was
// under the pointer when it appeared.
void TCustomChart::paintEvent(QPaintEvent* event)
{
    TCustomAxisPanel::paintEvent(event);
    if (!hintAt_)
        return;
    if (QToolTip::isVisible())
        ShowHint(*hintAt_);
    else
        hintAt_.reset();
}

// Qt neither moves nor redraws a tip whose text is the one it shows, so a
// paint that changed nothing under the pointer costs only the text.
bool TCustomChart::ShowHint(QPoint at)
{
    std::string text;
    if (OnHint)
        Guard([&] { text = OnHint(at.x(), at.y()); });
    if (text.empty()) {
        hintAt_.reset();
        QToolTip::hideText();
        return false;
    }
    hintAt_ = at;
    QToolTip::showText(mapToGlobal(at), QString::fromStdString(text), this);
    return true;
}

} // namespace nc
