// SPDX-License-Identifier: MIT
// The axis on the canvas (chart/AxisPainter.h): label measurement, the room
// beside the plot and the drawing.

#include "chart/axes/AxisPainter.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <span>

#include "chart/axes/AxisScale.h"
#include "chart/panel/ChartPanel.h"

namespace nc {
namespace {

bool Straight(int angle)
{
    return angle == 0 || angle == 180;
}

// Round to nearest, ties to even, of a value computed in extended precision.
int RoundTies(long double v)
{
    return std::fabs(v) < 2147483647.0L ? NearestInt32(v) : static_cast<int>(NearestInteger(v));
}

constexpr unsigned kRightTop = TA_RIGHT | TA_TOP;
constexpr unsigned kLeftTop = TA_LEFT | TA_TOP;
constexpr unsigned kCentreTop = TA_CENTER | TA_TOP;
constexpr unsigned kCentreBottom = TA_CENTER | TA_BOTTOM;

TCustomAxisPanel& ChartOf(const TCustomChartAxis& axis)
{
    assert(axis.ParentChart() != nullptr && "an axis is measured and drawn on its chart: give it one");
    return *axis.ParentChart();
}

} // namespace

AxisPainter::AxisPainter(TCustomChartAxis& axis)
    : axis_(axis), chart_(ChartOf(axis)), canvas_(chart_.Canvas()), horizontal_(axis.Horizontal()),
      otherSide_(axis.OtherSide()), depth_(axis.IsDepthAxis()), wallSize_(chart_.AxisWallSize(axis))
{}

// --------------------------------------------------------------- measuring

int AxisPainter::LabelSpan(double value)
{
    TChartCanvas3D& c = canvas_;
    if (c.Font() != nullptr)
        c.Font()->Assign(axis_.LabelsFont());
    const bool width = horizontal_ == Straight(axis_.LabelsAngle());
    return width ? c.TextWidth(axis_.FormatLabel(value)) : c.FontHeight();
}

double AxisPainter::CalcLabelIncrement()
{
    const int span = std::max(LabelSpan(axis_.EffectiveMax), LabelSpan(axis_.EffectiveMin));
    return axis_.IncrementForSizes(span, horizontal_ ? chart_.PlotWidth : chart_.PlotHeight);
}

std::vector<double> AxisPainter::ValueLabelSequence()
{
    return axis_.ValueLabelSequence(CalcLabelIncrement());
}

void AxisPainter::SettleLabelDecimals()
{
    // The step is found with labels of three decimals, as always. It only
    // climbs from where its search starts, so from a start of a thousandth
    // or more it needs no more decimals, and nothing is measured here.
    const bool fine = StartingStep(axis_.Increment(), axis_.EffectiveRange) < kLabelFormatStep;
    axis_.SetLabelTextDecimals(kLabelFormatDecimals);
    if (fine && !axis_.IsDateTimeAxis)
        axis_.SetLabelTextDecimals(LabelDecimals(axis_.Effective(), CalcLabelIncrement()));
}

int AxisPainter::WidestLabel()
{
    TChartCanvas3D& c = canvas_;
    switch (axis_.EffectiveLabelStyle()) {
    case talNone:
    case talAuto: return 0;
    case talMark:
    case talText: {
        int widest = 0;
        if (c.Font() != nullptr)
            c.Font()->Assign(axis_.LabelsFont());
        for (int i = 0; i < chart_.SeriesCount(); ++i) {
            TChartSeries& s = chart_.Series(i);
            if (!s.Active())
                continue;
            for (int j = 0; j < s.PointCount(); ++j) {
                const std::string t = axis_.EffectiveLabelStyle() == talMark ? s.MarkText(j) : s.PointLabel(j);
                widest = std::max(widest, c.TextWidth(t));
            }
        }
        return widest;
    }
    case talValue: break;
    }
    SettleLabelDecimals();
    const AxisRange r = axis_.Effective();
    LabelExtremes ends{axis_.EffectiveMin, axis_.EffectiveMax};
    if ((axis_.IsDateTimeAxis && axis_.ExactDateTime()) || axis_.RoundFirstLabel())
        ends = WidestLabelValues(r, CalcLabelIncrement(), true);
    // The widest label is measured as drawn by default, without the handler.
    auto handler = std::move(chart_.OnGetAxisLabel);
    chart_.OnGetAxisLabel = nullptr;
    const std::string hi = axis_.FormatLabel(ends.hi);
    const std::string lo = axis_.FormatLabel(ends.lo);
    chart_.OnGetAxisLabel = std::move(handler);
    if (c.Font() != nullptr)
        c.Font()->Assign(axis_.LabelsFont());
    return std::max(c.TextWidth(hi), c.TextWidth(lo)) + c.TextWidth(" ");
}

// ------------------------------------------------------------------ layout

TRect AxisPainter::ReserveAxisSpace(const TRect& plotRect)
{
    TRect r = plotRect;
    axis_.RecalcIsDateTime();
    TChartCanvas3D& c = canvas_;
    // Shrinks r by t on the axis' side and answers the edge there.
    auto shrink = [&](long long t) {
        if (depth_)
            return r.Right;
        int& edge = horizontal_ ? (otherSide_ ? r.Top : r.Bottom) : (otherSide_ ? r.Right : r.Left);
        const bool grows = horizontal_ == otherSide_; // the top and left edges move inwards by growing
        edge = Saturated(grows ? edge + t : edge - t);
        return edge;
    };
    TChartAxisTitle& title = axis_.Title();
    if (!title.Caption().empty()) {
        if (depth_) {
            axis_.TitlePos = r.Right;
        } else {
            int t = axis_.TitleSize();
            if (t == 0) {
                if (c.Font() != nullptr)
                    c.Font()->Assign(title.Font());
                const bool height = horizontal_ == Straight(title.Angle());
                t = height ? c.FontHeight() : c.TextWidth(title.Caption());
            }
            axis_.TitlePos = shrink(t);
        }
    }
    if (axis_.Labels()) {
        int t = axis_.LabelsSize();
        if (t == 0) {
            if (horizontal_ == Straight(axis_.LabelsAngle())) {
                if (c.Font() != nullptr)
                    c.Font()->Assign(axis_.LabelsFont());
                t = c.FontHeight();
            } else {
                t = WidestLabel();
            }
        }
        axis_.LabelsPos = shrink(t);
    }
    long long t = axis_.Axis().Visible() ? axis_.Axis().Width() : 0;
    if (axis_.Ticks().Visible())
        t += axis_.TickLength();
    if (axis_.MinorTicks().Visible())
        t = std::max<long long>(t, axis_.MinorTickLength());
    t += chart_.AxisWallSize(axis_);
    if (t > 0)
        shrink(t);
    return r;
}

// ----------------------------------------------------------------- drawing

void AxisPainter::PaintAxis()
{
    const TRect& plot = chart_.PlotRect;
    axis_.HoldSeparators(true);
    struct Release {
        TCustomChartAxis& axis;
        ~Release() { axis.HoldSeparators(false); }
    } release{axis_};
    axis_.RecalcIsDateTime();
    TChartCanvas3D& c = canvas_;
    if (c.Font() != nullptr)
        c.Font()->Assign(axis_.LabelsFont());
    SettleLabelDecimals();
    const double step = CalcLabelIncrement();
    if (depth_)
        axis_.AxisLinePos = plot.Right;
    else if (horizontal_)
        axis_.AxisLinePos = otherSide_ ? plot.Top : plot.Bottom;
    else
        axis_.AxisLinePos = otherSide_ ? plot.Right : plot.Left;
    if (!axis_.Title().Caption().empty())
        DrawAxisTitle();
    if (step > 0 && axis_.EffectiveMax >= axis_.EffectiveMin) {
        lastLabelPos_ = -1;
        lastLabelHalf_ = 0;
        prevTickPos_ = -1;
        const TAxisLabelStyle style = axis_.EffectiveLabelStyle();
        if (style == talValue) {
            for (double v : ValueLabelSequence())
                DrawValueLabel(v);
        } else if (style == talMark || style == talText) {
            DrawPointLabels(style);
        }
    }
    if (axis_.Axis().Visible())
        DrawAxisLine();
}

void AxisPainter::DrawValueLabel(double value)
{
    labelValue_ = value;
    const int pos = axis_.ValueToPixel(value);
    if (!axis_.TickOnLabelsOnly())
        TicksAndGrid(pos, value);
    if (axis_.Labels())
        PlaceLabel(pos, axis_.FormatLabel(value), false);
}

void AxisPainter::DrawPointLabels(TAxisLabelStyle style)
{
    TChartSeries* series = nullptr;
    for (int i = 0; i < chart_.SeriesCount() && series == nullptr; ++i) {
        TChartSeries& s = chart_.Series(i);
        if (!s.Active())
            continue;
        if (style == talMark ? s.AssociatedToAxis(axis_)
                             : (horizontal_ ? s.ResolvedHorizAxis() : s.ResolvedVertAxis()) == &axis_) {
            series = &s;
        }
    }
    if (series == nullptr)
        return;
    series->CalcVisibleRange();
    if (series->FirstVisibleIndex < 0)
        return;
    bool drawn = false;
    for (int i = series->FirstVisibleIndex; i <= series->LastVisibleIndex; ++i) {
        const double value = horizontal_ ? series->XValue(i) : series->YValue(i);
        if (value < axis_.EffectiveMin || value > axis_.EffectiveMax)
            continue;
        labelValue_ = value;
        const int pos = axis_.ValueToPixel(value);
        if (!axis_.TickOnLabelsOnly())
            TicksAndGrid(pos, value);
        if (!axis_.Labels())
            continue;
        std::string text = style == talMark ? series->MarkText(i) : series->PointLabel(i);
        if (chart_.OnGetAxisLabel)
            chart_.OnGetAxisLabel(axis_, series, i, text);
        PlaceLabel(pos, text, axis_.LabelsSeparation() != 0 && drawn);
        drawn = true;
    }
}

void AxisPainter::PlaceLabel(int pos, const std::string& text, bool check)
{
    TChartCanvas3D& c = canvas_;
    if (c.Font() != nullptr)
        c.Font()->Assign(axis_.LabelsFont());
    int extent = horizontal_ == Straight(axis_.LabelsAngle()) ? c.TextWidth(text) : c.FontHeight();
    // A separation of millions of percent widens a label past int's range:
    // the extent stops at the largest int (one label fits), where the sum
    // would wrap to a negative extent and every label would fit.
    const long double room = extent * 0.02L * axis_.LabelsSeparation();
    constexpr int kWidest = std::numeric_limits<int>::max();
    extent = room < static_cast<long double>(kWidest - extent) ? extent + TruncInt32(room) : kWidest;
    const int half = extent / 2;
    bool ok = true;
    if (check) {
        ok = pos >= lastLabelPos_ ? lastLabelPos_ + lastLabelHalf_ <= pos - half
                                  : lastLabelPos_ - lastLabelHalf_ >= pos + half;
    }
    lastLabelHalf_ = half;
    if (!ok)
        return;
    if (axis_.TickOnLabelsOnly())
        TicksAndGrid(pos, labelValue_);
    if (c.Font() != nullptr)
        c.Font()->Assign(axis_.LabelsFont());
    if (c.Brush() != nullptr) {
        c.Brush()->SetColor(chart_.Color());
        c.Brush()->SetStyle(bsClear);
    }
    if (depth_) {
        c.SetTextAlign(kLeftTop);
        c.TextOutZ(axis_.LabelsPos, chart_.PlotRect.Bottom, pos, text);
    } else if (horizontal_) {
        DrawAxisText(pos, axis_.LabelsPos, text, axis_.LabelsAngle());
    } else {
        DrawAxisText(axis_.LabelsPos, pos, text, axis_.LabelsAngle());
    }
    lastLabelPos_ = pos;
}

void AxisPainter::TicksAndGrid(int pos, double value)
{
    TChartCanvas3D& c = canvas_;
    if (axis_.Ticks().Visible()) {
        c.ApplyChartPen(axis_.Ticks());
        DrawTick(pos, 1, axis_.TickLength());
    }
    if (axis_.Grid().Visible() && value != axis_.EffectiveMax && value != axis_.EffectiveMin) {
        if (axis_.GridCentered()) {
            if (prevTickPos_ >= 0)
                DrawGridLine(RoundTies((static_cast<long double>(pos) + prevTickPos_) * 0.5L));
        } else {
            DrawGridLine(pos);
        }
    }
    if (axis_.TicksInner().Visible()) {
        c.ApplyChartPen(axis_.TicksInner());
        DrawTick(pos, -1, -static_cast<long long>(axis_.TickInnerLength()));
    }
    if (axis_.MinorTicks().Visible() && prevTickPos_ >= 0) {
        c.ApplyChartPen(axis_.MinorTicks());
        DrawMinorTicks(pos);
    }
    prevTickPos_ = pos;
}

// The minor ticks between the previous tick and this one, at
// pos - Round(i x d) for i = 1 to MinorTickCount.
void AxisPainter::DrawMinorTicks(int pos)
{
    // The count plus one, and the indices, stay clear of int's end at the
    // largest count.
    const double d = (pos - prevTickPos_) * 1.0 / (axis_.MinorTickCount() + 1.0);
    const auto offset = [d](long long i) { return RoundTies(i * static_cast<long double>(d)); };
    // Offsets only grow, or only shrink: key grows with i either way, so the
    // first index whose key reaches k is found by halving.
    const bool forward = d > 0;
    const auto key = [&](long long i) { return forward ? 1LL * offset(i) : -1LL * offset(i); };
    const auto firstFrom = [&](long long k, long long a) {
        long long z = axis_.MinorTickCount() + 1LL;
        while (a < z) {
            const long long m = a + (z - a) / 2;
            if (key(m) >= k)
                z = m;
            else
                a = m + 1;
        }
        return a;
    };
    long long first = 1;
    long long end = axis_.MinorTickCount() + 1LL;
    // A tick lying further off the picture than its pen is wide leaves no
    // pixel: only the ticks that reach the picture are walked. They lie
    // between the previous tick and this one, so with both of those on the
    // picture (the usual case) there is nothing to look for. (The depth
    // axis's ticks all project onto one place, so they are walked whole.)
    TChartCanvas3D& c = canvas_;
    const DrawDevice* device = c.TargetCanvas() != nullptr ? c.TargetCanvas()->Device() : nullptr;
    if (!depth_ && device != nullptr) {
        const TRect b = device->Bounds();
        const long long reach = 1LL + std::max(1, axis_.MinorTicks().Width());
        const long long lo = (horizontal_ ? b.Left : b.Top) - reach;
        const long long hi = (horizontal_ ? b.Right : b.Bottom) + reach;
        if (lo > std::min(pos, prevTickPos_) || std::max(pos, prevTickPos_) > hi) {
            // The tick at pos - offset lies in [lo, hi].
            first = firstFrom(forward ? pos - hi : lo - pos, 1);
            end = firstFrom((forward ? pos - lo : hi - pos) + 1, 1);
        }
    }
    // Past one tick per pixel, ticks fall on one another. Every bit of a pen
    // mode is a constant, itself or its inverse, so a line drawn three times
    // leaves what it leaves drawn once: a run of ticks at one place draws one
    // tick when the run is odd and two when it is even. The same pixels, in a
    // time that follows the gap's width, not the count.
    int at = first < end ? offset(first) : 0;
    for (long long i = first; i < end;) {
        long long next = i + 1; // the start of the next run
        int nextAt = next < end ? offset(next) : 0;
        if (next < end && nextAt == at) {
            next = std::min(end, firstFrom(key(i) + 1, next));
            nextAt = next < end ? offset(next) : 0;
        }
        DrawTick(pos - at, 1, axis_.MinorTickLength());
        if ((next - i) % 2 == 0)
            DrawTick(pos - at, 1, axis_.MinorTickLength());
        i = next;
        at = nextAt;
    }
}

void AxisPainter::DrawTick(int pos, int from, long long length)
{
    TChartCanvas3D& c = canvas_;
    const long long a = axis_.AxisLinePos;
    const int z = chart_.Depth3D;
    auto horiz
        = [&](long long x0, long long x1, int y, int depth) { c.HorizLineZ(Saturated(x0), Saturated(x1), y, depth); };
    auto vert
        = [&](int x, long long y0, long long y1, int depth) { c.VertLineZ(x, Saturated(y0), Saturated(y1), depth); };
    if (depth_) {
        horiz(a + from, a + from + length, chart_.PlotRect.Bottom, pos);
    } else if (horizontal_) {
        if (otherSide_)
            vert(pos, a - from, a - from - length, z);
        else
            vert(pos, a + from + wallSize_, a + from + wallSize_ + length, 0);
    } else {
        if (otherSide_)
            horiz(a + from, a + from + length, pos, z);
        else
            horiz(a - from - wallSize_, a - from - wallSize_ - length, pos, 0);
    }
}

void AxisPainter::DrawGridLine(int pos)
{
    TChartCanvas3D& c = canvas_;
    const TRect& plot = chart_.PlotRect;
    if (c.Brush() != nullptr)
        c.Brush()->SetStyle(bsClear);
    // Transparent, so that the gaps of a dotted pen stay unpainted.
    c.SetBackMode(TRANSPARENT);
    c.ApplyChartPen(axis_.Grid());
    if (c.Pen() != nullptr && axis_.Grid().Visible() && axis_.Grid().Color() == UnsetColor)
        c.Pen()->SetColor(clGray);
    const int a = axis_.AxisLinePos;
    const int z = chart_.Depth3D;
    if (depth_) {
        c.HorizLineZ(plot.Left, plot.Right, plot.Bottom, pos);
    } else if (horizontal_) {
        if (otherSide_)
            c.VertLineZ(pos, a + 1, plot.Bottom, z);
        else
            c.VertLineZ(pos, a - 1, plot.Top, z);
    } else {
        if (otherSide_)
            c.HorizLineZ(a - 1, plot.Left, pos, z);
        else
            c.HorizLineZ(a + 1, plot.Right, pos, z);
    }
    c.SetBackMode(OPAQUE);
}

void AxisPainter::DrawAxisTitle()
{
    TChartCanvas3D& c = canvas_;
    TCustomAxisPanel& p = chart_;
    if (c.Font() != nullptr)
        c.Font()->Assign(axis_.Title().Font());
    if (c.Brush() != nullptr) {
        c.Brush()->SetColor(p.Color());
        c.Brush()->SetStyle(bsClear);
    }
    if (depth_) {
        c.SetTextAlign(kLeftTop);
        c.TextOutZ(axis_.TitlePos, p.PlotRect.Bottom, p.Depth3D / 2, axis_.Title().Caption());
    } else if (horizontal_) {
        DrawAxisText(p.PlotCenterX, axis_.TitlePos, axis_.Title().Caption(), axis_.Title().Angle());
    } else {
        DrawAxisText(axis_.TitlePos, p.PlotCenterY, axis_.Title().Caption(), axis_.Title().Angle());
    }
}

void AxisPainter::DrawAxisLine()
{
    TChartCanvas3D& c = canvas_;
    TCustomAxisPanel& p = chart_;
    const TRect& plot = p.PlotRect;
    c.ApplyChartPen(axis_.Axis());
    const int a = axis_.AxisLinePos;
    if (depth_) {
        const int y = Saturated(plot.Bottom + 1LL * p.AxisWallSize(p.BottomAxis()));
        const TPoint near = c.ProjectPoint(plot.Right, y, 0);
        const TPoint far = c.ProjectPoint(plot.Right, y, p.Depth3D);
        c.Line(near.X, near.Y, far.X, far.Y);
    } else if (horizontal_) {
        if (otherSide_)
            c.HorizLineZ(plot.Left, plot.Right, a, p.Depth3D);
        else
            c.HorizLineZ(Saturated(plot.Left - 1LL * p.AxisWallSize(p.LeftAxis())), plot.Right,
                         Saturated(a + 1LL * wallSize_), 0);
    } else {
        if (otherSide_)
            c.VertLineZ(a, plot.Top, plot.Bottom, p.Depth3D);
        else
            c.VertLineZ(Saturated(a - 1LL * wallSize_), plot.Top,
                        Saturated(plot.Bottom + 1LL * p.AxisWallSize(p.BottomAxis())), 0);
    }
}

namespace {

// Where an axis' labels stand against the plot.
enum class AxisSide { Bottom, Top, Left, Right };

// A label's alignment at its anchor for its angle and its axis' side, and
// the half line the anchor moves by where the label stands across it.
unsigned AlignLabel(int angle, AxisSide side, int halfHeight, long long& x, long long& y)
{
    switch (angle) {
    case 0:
        switch (side) {
        case AxisSide::Bottom: return kCentreTop;
        case AxisSide::Top: return kCentreBottom;
        case AxisSide::Left: y -= halfHeight; return kRightTop;
        case AxisSide::Right: y -= halfHeight; return kLeftTop;
        }
        break;
    case 90:
        switch (side) {
        case AxisSide::Bottom: x -= halfHeight; return kRightTop;
        case AxisSide::Top: x -= halfHeight; return kLeftTop;
        case AxisSide::Left: return kCentreBottom;
        case AxisSide::Right: return kCentreTop;
        }
        break;
    case 180:
        switch (side) {
        case AxisSide::Bottom: return kCentreBottom;
        case AxisSide::Top: return kCentreTop;
        case AxisSide::Left: y += halfHeight; return kLeftTop;
        case AxisSide::Right: y += halfHeight; return kRightTop;
        }
        break;
    case 270:
        switch (side) {
        case AxisSide::Bottom: x += halfHeight; return kLeftTop;
        case AxisSide::Top: x += halfHeight; return kRightTop;
        case AxisSide::Left: return kCentreTop;
        case AxisSide::Right: return kCentreBottom;
        }
        break;
    default: break;
    }
    return kLeftTop;
}

// A label's lines: most labels are one line, read from the text itself;
// one with line separators is split into `split`.
std::span<const std::string> LabelLines(const std::string& text, std::vector<std::string>& split)
{
    if (text.find(LineSeparator) == std::string::npos)
        return std::span<const std::string>(&text, text.empty() ? 0 : 1);
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == LineSeparator) {
            split.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (start < text.size())
        split.push_back(text.substr(start));
    return split;
}

} // namespace

void AxisPainter::DrawAxisText(long long x, long long y, const std::string& text, int angle)
{
    TChartCanvas3D& c = canvas_;
    const int fontHeight = c.FontHeight();
    const bool bottom = horizontal_ && !otherSide_;
    const bool left = !horizontal_ && !otherSide_;
    const AxisSide side = horizontal_ ? (otherSide_ ? AxisSide::Top : AxisSide::Bottom)
                                      : (otherSide_ ? AxisSide::Right : AxisSide::Left);
    const int z = otherSide_ ? chart_.Depth3D : 0;
    c.SetTextAlign(AlignLabel(angle, side, fontHeight / 2, x, y));

    std::vector<std::string> split;
    const std::span<const std::string> lines = LabelLines(text, split);
    const long double n = static_cast<long double>(lines.size());

    // The anchor moves back by the lines before the first, so that the
    // block of lines stands where one line would.
    int h = fontHeight;
    if (angle == 180 || angle == 270)
        h = -h;
    const bool vertical90 = angle == 90 || angle == 270;
    if (horizontal_) {
        if (angle == 0)
            y -= bottom ? h : RoundTies(h * n);
        else if (angle == 180)
            y -= bottom ? RoundTies(h * n) : h;
        else if (vertical90)
            x -= RoundTies(h * 0.5L * (n + 1));
    } else {
        if (Straight(angle))
            y -= RoundTies(h * 0.5L * (n + 1));
        else if (angle == 90)
            x -= left ? RoundTies(h * n) : h;
        else if (angle == 270)
            x -= left ? h : RoundTies(h * n);
    }
    for (const std::string& line : lines) {
        if (angle == 0) {
            y += h;
            c.TextOutZ(Saturated(x), Saturated(y), z, line);
            continue;
        }
        if (angle == 180)
            y += h;
        else if (vertical90)
            x += h;
        c.TextOutRotatedZ(Saturated(x), Saturated(y), z, line, angle);
    }
    c.SetTextAlign(kLeftTop);
}

} // namespace nc
