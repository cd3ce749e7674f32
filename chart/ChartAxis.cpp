// SPDX-License-Identifier: MIT
// The axis objects of chart/ChartEngine.h: settings, range, value <-> pixel
// conversion, label step and values, room beside the plot and drawing.

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <span>

#include "chart/AxisScale.h"
#include "chart/ChartEngine.h"
#include "chart/ChartPanel.h"
#include "text/NumberText.h"

namespace nc {
namespace {

// Angles of labels and titles: 0..360, with 360 meaning 0.
int CheckedAngle(int value, const char* what) {
    if (value < 0 || value > 360) throw ChartException(std::string(what) + " Angle must be between 0 and 359 degrees");
    return value == 360 ? 0 : value;
}

bool Straight(int angle) { return angle == 0 || angle == 180; }

// Round to nearest, ties to even, of a value computed in extended precision.
int RoundTies(long double v) {
    return std::fabs(v) < 2147483647.0L ? NearestInt32(v) : static_cast<int>(NearestInteger(v));
}

constexpr unsigned kRightTop = TA_RIGHT | TA_TOP;
constexpr unsigned kLeftTop = TA_LEFT | TA_TOP;
constexpr unsigned kCentreTop = TA_CENTER | TA_TOP;
constexpr unsigned kCentreBottom = TA_CENTER | TA_BOTTOM;

}  // namespace

// ------------------------------------------------------------ TChartAxisTitle

TChartAxisTitle::TChartAxisTitle(TCustomChartAxis* axis, TCustomChartPanel* parent)
    : TChartFontObject(parent), axis_(axis) {}

void TChartAxisTitle::SetAngle(int value) {
    const int angle = CheckedAngle(value, "Axis Title");
    if (angle == angle_) return;
    angle_ = angle;
    Repaint();
}

void TChartAxisTitle::SetCaption(const std::string& value) {
    if (value == caption_) return;
    caption_ = value;
    Repaint();
}

void TChartAxisTitle::Assign(const TChartAxisTitle& source) {
    angle_ = source.angle_;
    caption_ = source.caption_;
    SetFont(source.Font());
}

// ----------------------------------------------------------- TCustomChartAxis

TCustomChartAxis::TCustomChartAxis(TCustomAxisPanel* parent, bool horizontal, bool otherSide, bool depth)
    : parent_(parent),
      horizontal_(horizontal),
      otherSide_(otherSide),
      depth_(depth),
      axisPen_(std::make_unique<TChartAxisPen>()),
      title_(std::make_unique<TChartAxisTitle>(this, parent)),
      grid_(std::make_unique<TDottedGrayPen>()),
      labelsFont_(DefaultChartFont()),
      minorTicks_(std::make_unique<TDarkGrayPen>()),
      ticks_(std::make_unique<TDarkGrayPen>()),
      ticksInner_(std::make_unique<TDarkGrayPen>()),
      visible_(!depth) {
    auto repaint = [this] { Repaint(); };
    axisPen_->OnChange = repaint;
    grid_->OnChange = repaint;
    labelsFont_->OnChange = repaint;
    minorTicks_->OnChange = repaint;
    ticks_->OnChange = repaint;
    ticksInner_->OnChange = repaint;
}

TCustomChartAxis::~TCustomChartAxis() = default;

void TCustomChartAxis::Repaint() {
    if (parent_ != nullptr) parent_->Invalidate();
}

TChartCanvas3D& TCustomChartAxis::Canvas() const { return parent_->Canvas(); }

void TCustomChartAxis::SetAutomatic(bool value) {
    const bool changed = value != automatic_ || value != automaticMinimum_ || value != automaticMaximum_;
    automatic_ = automaticMinimum_ = automaticMaximum_ = value;
    if (changed) Repaint();
}

void TCustomChartAxis::SetAutomaticMaximum(bool value) {
    if (!value) automatic_ = false;
    Store(automaticMaximum_, value);
}

void TCustomChartAxis::SetAutomaticMinimum(bool value) {
    if (!value) automatic_ = false;
    Store(automaticMinimum_, value);
}

void TCustomChartAxis::SetIncrement(double value) {
    if (value < 0) throw AxisException("Axis increment must be >= 0");
    Store(increment_, value);
}

void TCustomChartAxis::SetMaximum(double value) {
    if (value < minimum_) throw AxisException("Axis Maximum Value must be >= Minimum");
    Store(maximum_, value);
}

void TCustomChartAxis::SetMinimum(double value) {
    if (value > maximum_) throw AxisException("Axis Minimum Value must be <= Maximum");
    Store(minimum_, value);
}

void TCustomChartAxis::SetMinMax(double minimum, double maximum) {
    if (minimum > maximum) throw AxisException("Axis Minimum Value must be <= Maximum");
    automatic_ = automaticMinimum_ = automaticMaximum_ = false;
    minimum_ = minimum;
    maximum_ = maximum;
    Repaint();
}

void TCustomChartAxis::SetLabelsSeparation(int value) {
    if (value < 0) throw AxisException("Labels Separation % must be greater than 0");
    Store(labelsSeparation_, value);
}

void TCustomChartAxis::SetLogarithmic(bool value) {
    if (value) {
        RecalcIsDateTime();
        if (IsDateTimeAxis) throw AxisException("DateTime Axis cannot be Logarithmic");
        UpdateRange();
        if (EffectiveMin < 0 || EffectiveMax < 0) {
            throw AxisException("Logarithmic Axis Min and Max values should be >= 0");
        }
    }
    Store(logarithmic_, value);
}

void TCustomChartAxis::SetLabelsAngle(int value) { Store(labelsAngle_, CheckedAngle(value, "Axis Labels")); }

// ------------------------------------------------------------------- range

void TCustomChartAxis::UpdateRange() {
    if (parent_ != nullptr) {
        if (automatic_ || automaticMaximum_) maximum_ = parent_->AxisDataExtreme(*this, true);
        if (automatic_ || automaticMinimum_) minimum_ = parent_->AxisDataExtreme(*this, false);
    }
    EffectiveMax = maximum_;
    EffectiveMin = minimum_;
    EffectiveRange = EffectiveMax - EffectiveMin;
}

void TCustomChartAxis::RangeFromMargins(int left, int top, int right, int bottom) {
    if (parent_ == nullptr) return;
    if (horizontal_ ? left == 0 && right == 0 : top == 0 && bottom == 0) return;
    TCustomAxisPanel& p = *parent_;
    const TRect saved = p.PlotRect;
    const int a = horizontal_ ? saved.Left : saved.Bottom;
    const int b = horizontal_ ? saved.Right : saved.Top;
    if (horizontal_) {
        p.PlotRect.Left += left;
        p.PlotRect.Right -= right;
    } else {
        p.PlotRect.Top += top;
        p.PlotRect.Bottom -= bottom;
    }
    p.RecalcPlotSize();
    double lo = PixelToValue(a);
    double hi = PixelToValue(b);
    p.PlotRect = saved;
    p.RecalcPlotSize();
    if (lo > hi) std::swap(lo, hi);
    EffectiveMin = lo;
    EffectiveMax = hi;
    EffectiveRange = EffectiveMax - EffectiveMin;
}

int TCustomChartAxis::ValueToPixel(double value) const {
    if (parent_ == nullptr) return 0;
    if (depth_) {
        if (EffectiveRange == 0) return parent_->Depth3D;
        return RoundPixel(static_cast<long double>(parent_->Depth3D) * (value - static_cast<long double>(EffectiveMin)) /
                          EffectiveRange);
    }
    AxisRange r;
    AxisSpan s;
    LinearPixelMap(r, s);
    return logarithmic_ ? LogValueToPixel(value, r, s) : LinearValueToPixel(value, r, s, inverted_);
}

bool TCustomChartAxis::LinearPixelMap(AxisRange& range, AxisSpan& span) const {
    if (parent_ == nullptr || depth_) return false;
    const TCustomAxisPanel& p = *parent_;
    range = AxisRange{EffectiveMin, EffectiveMax, EffectiveRange};
    span = horizontal_ ? AxisSpan{p.PlotRect.Left, p.PlotRect.Right, p.PlotWidth, p.PlotCenterX}
                       : AxisSpan{p.PlotRect.Bottom, p.PlotRect.Top, -p.PlotHeight, p.PlotCenterY};
    return !logarithmic_;
}

double TCustomChartAxis::PixelToValue(int pixel) const {
    if (parent_ == nullptr) return 0;
    const TCustomAxisPanel& p = *parent_;
    const TRect& plot = p.PlotRect;
    if (!logarithmic_) {
        const AxisRange r{EffectiveMin, EffectiveMax, EffectiveRange};
        return horizontal_ ? HorizontalPixelToValue(pixel, r, plot.Left, plot.Right, p.PlotWidth, inverted_)
                           : VerticalPixelToValue(pixel, r, plot.Top, plot.Bottom, p.PlotHeight, inverted_);
    }
    const long double lmin = EffectiveMin <= 0 ? 0.0L : std::log(static_cast<long double>(EffectiveMin));
    const long double lmax = EffectiveMax <= 0 ? 0.0L : std::log(static_cast<long double>(EffectiveMax));
    if (lmax == lmin) return EffectiveMin;
    const AxisRange logs{static_cast<double>(lmin), static_cast<double>(lmax), static_cast<double>(lmax - lmin)};
    const double l = horizontal_ ? HorizontalPixelToValue(pixel, logs, plot.Left, plot.Right, p.PlotWidth, inverted_)
                                 : VerticalPixelToValue(pixel, logs, plot.Top, plot.Bottom, p.PlotHeight, inverted_);
    if ((horizontal_ ? p.PlotWidth : p.PlotHeight) < 1) return 0;
    return std::exp(l);
}

void TCustomChartAxis::RecalcIsDateTime() {
    IsDateTimeAxis = false;
    if (parent_ == nullptr || depth_) return;
    for (int i = 0; i < parent_->SeriesCount(); ++i) {
        TChartSeries& s = parent_->Series(i);
        if (!s.Active()) continue;
        if (horizontal_ && s.ResolvedHorizAxis() == this && s.XValues().DateTime()) IsDateTimeAxis = true;
        if (!horizontal_ && s.ResolvedVertAxis() == this && s.YValues().DateTime()) IsDateTimeAxis = true;
    }
}

// ------------------------------------------------------------------ labels

int TCustomChartAxis::LabelSpan(double value) {
    TChartCanvas3D& c = Canvas();
    if (c.Font() != nullptr) c.Font()->Assign(*labelsFont_);
    const bool width = horizontal_ == Straight(labelsAngle_);
    return width ? c.TextWidth(FormatLabel(value)) : c.FontHeight();
}

double TCustomChartAxis::CalcLabelIncrement() {
    const int span = std::max(LabelSpan(EffectiveMax), LabelSpan(EffectiveMin));
    const int length = parent_ == nullptr ? 0 : horizontal_ ? parent_->PlotWidth : parent_->PlotHeight;
    return IncrementForSizes(span, length);
}

double TCustomChartAxis::IncrementForSizes(int span, int length) {
    return IncrementForCount(LabelCountForSizes(span, length, labelsSeparation_));
}

// Date-time axes take the numeric step search too: no series of this program
// holds date-time values.
double TCustomChartAxis::IncrementForCount(int count) const {
    if (count <= 0) return MinimumStep;
    return StepForCount(count);
}

double TCustomChartAxis::StepForCount(int count) const {
    return nc::StepForCount(count, increment_, EffectiveRange, labelsSeparation_);
}

double TCustomChartAxis::NextNiceStep(double value) { return nc::NextNiceStep(value); }

TChartSeries* TCustomChartAxis::FirstSeriesUsingAxis() const {
    if (parent_ == nullptr) return nullptr;
    for (int i = 0; i < parent_->SeriesCount(); ++i) {
        TChartSeries& s = parent_->Series(i);
        if (s.Active() && s.AssociatedToAxis(*this)) return &s;
    }
    return nullptr;
}

TAxisLabelStyle TCustomChartAxis::EffectiveLabelStyle() const {
    if (labelStyle_ != talAuto) return labelStyle_;
    if (parent_ == nullptr) return talNone;
    if (depth_) {
        if (parent_->SeriesCount() == 0) return talText;
        for (int i = 0; i < parent_->SeriesCount(); ++i) {
            TChartSeries& s = parent_->Series(i);
            if (s.Active() && s.HighestZ() != s.LowestZ()) return talValue;
        }
        return talText;
    }
    TChartSeries* first = FirstSeriesUsingAxis();
    if (first == nullptr) return talNone;
    const bool showsOtherValues = first->IsYMandatory() ? horizontal_ : !horizontal_;
    if (showsOtherValues) {
        for (int i = 0; i < parent_->SeriesCount(); ++i) {
            TChartSeries& s = parent_->Series(i);
            const TCustomChartAxis* own = horizontal_ ? s.ResolvedHorizAxis() : s.ResolvedVertAxis();
            if (!s.Active() || own != this) continue;
            if (s.PointCount() > 0 && !s.PointLabel(0).empty()) return talText;
            break;
        }
    }
    return talValue;
}

void TCustomChartAxis::SettleLabelDecimals() {
    auto use = [this](int decimals) {
        if (decimals == labelDecimals_) return;
        numberTexts_.clear();
        labelDecimals_ = decimals;
    };
    // The step is found with labels of three decimals, as always. It only
    // climbs from where its search starts, so from a start of a thousandth
    // or more it needs no more decimals, and nothing is measured here.
    const bool fine = StartingStep(increment_, EffectiveRange) < kLabelFormatStep;
    use(kLabelFormatDecimals);
    if (fine && !IsDateTimeAxis)
        use(LabelDecimals(AxisRange{EffectiveMin, EffectiveMax, EffectiveRange}, CalcLabelIncrement()));
}

void TCustomChartAxis::ReadSeparators() {
    NumberFormat format = NumberFormat::System();
    if (format.decimal_separator != numberFormat_.decimal_separator ||
        format.thousands_separator != numberFormat_.thousands_separator) {
        numberTexts_.clear();
        numberFormat_ = std::move(format);
    }
}

std::string TCustomChartAxis::FormatLabel(double value) {
    std::string text;
    if (IsDateTimeAxis && value < 0) {
        text.clear();
    } else {
        // Every number format shows as "#,##0.###": the only one this program
        // uses; date-time values show their serial number the same way.
        if (!separatorsHeld_) ReadSeparators();
        if (numberTexts_.size() >= 1024) numberTexts_.clear();
        const auto bits = std::bit_cast<std::uint64_t>(value);
        auto found = numberTexts_.find(bits);
        if (found == numberTexts_.end())
            found = numberTexts_.emplace(bits, FormatGrouped(value, numberFormat_, labelDecimals_)).first;
        text = found->second;
    }
    if (parent_ != nullptr && parent_->OnGetAxisLabel) parent_->OnGetAxisLabel(*this, nullptr, -1, text);
    if (labelsMultiLine_) std::replace(text.begin(), text.end(), ' ', LineSeparator);
    return text;
}

std::vector<double> TCustomChartAxis::ValueLabelSequence() {
    const double step = CalcLabelIncrement();
    const AxisRange r{EffectiveMin, EffectiveMax, EffectiveRange};
    const LabelSettings settings{roundFirstLabel_, labelsOnAxis_};
    if (parent_ == nullptr || !parent_->OnGetNextAxisLabel) return nc::ValueLabelSequence(r, step, settings);
    std::vector<double> values;
    double value = EffectiveMin;
    bool stop = true;
    for (int index = 0; index <= 1000; ++index) {
        parent_->OnGetNextAxisLabel(*this, index, value, stop);
        if (stop) {
            if (index == 0) return nc::ValueLabelSequence(r, step, settings);
            break;
        }
        if (value < EffectiveMin - 1e-7 || value > EffectiveMax + 1e-7) break;
        values.push_back(value);
    }
    return values;
}

int TCustomChartAxis::WidestLabel() {
    TChartCanvas3D& c = Canvas();
    switch (EffectiveLabelStyle()) {
    case talNone:
    case talAuto:
        return 0;
    case talMark:
    case talText: {
        int widest = 0;
        if (c.Font() != nullptr) c.Font()->Assign(*labelsFont_);
        for (int i = 0; i < parent_->SeriesCount(); ++i) {
            TChartSeries& s = parent_->Series(i);
            if (!s.Active()) continue;
            for (int j = 0; j < s.PointCount(); ++j) {
                const std::string t = EffectiveLabelStyle() == talMark ? s.MarkText(j) : s.PointLabel(j);
                widest = std::max(widest, c.TextWidth(t));
            }
        }
        return widest;
    }
    case talValue:
        break;
    }
    SettleLabelDecimals();
    AxisRange r{EffectiveMin, EffectiveMax, EffectiveRange};
    LabelExtremes ends{EffectiveMin, EffectiveMax};
    if ((IsDateTimeAxis && exactDateTime_) || roundFirstLabel_) ends = WidestLabelValues(r, CalcLabelIncrement(), true);
    // The widest label is measured as drawn by default, without the handler.
    auto handler = std::move(parent_->OnGetAxisLabel);
    parent_->OnGetAxisLabel = nullptr;
    const std::string hi = FormatLabel(ends.hi);
    const std::string lo = FormatLabel(ends.lo);
    parent_->OnGetAxisLabel = std::move(handler);
    if (c.Font() != nullptr) c.Font()->Assign(*labelsFont_);
    return std::max(c.TextWidth(hi), c.TextWidth(lo)) + c.TextWidth(" ");
}

// ------------------------------------------------------------------ layout

int TCustomChartAxis::AxisWallSize() const { return parent_ == nullptr ? 0 : parent_->AxisWallSize(*this); }

TRect TCustomChartAxis::ReserveAxisSpace(const TRect& plotRect) {
    TRect r = plotRect;
    if (parent_ == nullptr) return r;
    RecalcIsDateTime();
    TChartCanvas3D& c = Canvas();
    // Shrinks r by t on the axis' side and answers the edge there.
    auto shrink = [&](long long t) {
        if (depth_) return r.Right;
        int& edge = horizontal_ ? (otherSide_ ? r.Top : r.Bottom) : (otherSide_ ? r.Right : r.Left);
        const bool grows = horizontal_ == otherSide_;  // the top and left edges move inwards by growing
        edge = Saturated(grows ? edge + t : edge - t);
        return edge;
    };
    if (!title_->Caption().empty()) {
        if (depth_) {
            TitlePos = r.Right;
        } else {
            int t = titleSize_;
            if (t == 0) {
                if (c.Font() != nullptr) c.Font()->Assign(title_->Font());
                const bool height = horizontal_ == Straight(title_->Angle());
                t = height ? c.FontHeight() : c.TextWidth(title_->Caption());
            }
            TitlePos = shrink(t);
        }
    }
    if (labels_) {
        int t = labelsSize_;
        if (t == 0) {
            if (horizontal_ == Straight(labelsAngle_)) {
                if (c.Font() != nullptr) c.Font()->Assign(*labelsFont_);
                t = c.FontHeight();
            } else {
                t = WidestLabel();
            }
        }
        LabelsPos = shrink(t);
    }
    long long t = axisPen_->Visible() ? axisPen_->Width() : 0;
    if (ticks_->Visible()) t += tickLength_;
    if (minorTicks_->Visible()) t = std::max<long long>(t, minorTickLength_);
    t += AxisWallSize();
    if (t > 0) shrink(t);
    return r;
}

// ----------------------------------------------------------------- drawing

void TCustomChartAxis::PaintAxis() {
    if (parent_ == nullptr) return;
    TCustomAxisPanel& p = *parent_;
    ReadSeparators();
    separatorsHeld_ = true;
    struct Release {
        bool& held;
        ~Release() { held = false; }
    } release{separatorsHeld_};
    RecalcIsDateTime();
    wallSize_ = AxisWallSize();
    TChartCanvas3D& c = Canvas();
    if (c.Font() != nullptr) c.Font()->Assign(*labelsFont_);
    SettleLabelDecimals();
    const double step = CalcLabelIncrement();
    if (depth_) AxisLinePos = p.PlotRect.Right;
    else if (horizontal_) AxisLinePos = otherSide_ ? p.PlotRect.Top : p.PlotRect.Bottom;
    else AxisLinePos = otherSide_ ? p.PlotRect.Right : p.PlotRect.Left;
    if (!title_->Caption().empty()) DrawAxisTitle();
    if (step > 0 && EffectiveMax >= EffectiveMin) {
        lastLabelPos_ = -1;
        lastLabelHalf_ = 0;
        prevTickPos_ = -1;
        const TAxisLabelStyle style = EffectiveLabelStyle();
        if (style == talValue) {
            for (double v : ValueLabelSequence()) DrawValueLabel(v);
        } else if (style == talMark || style == talText) {
            DrawPointLabels(style);
        }
    }
    if (axisPen_->Visible()) DrawAxisLine();
}

void TCustomChartAxis::DrawValueLabel(double value) {
    labelValue_ = value;
    const int pos = ValueToPixel(value);
    if (!tickOnLabelsOnly_) TicksAndGrid(pos, value);
    if (labels_) PlaceLabel(pos, FormatLabel(value), false);
}

void TCustomChartAxis::DrawPointLabels(TAxisLabelStyle style) {
    TChartSeries* series = nullptr;
    for (int i = 0; i < parent_->SeriesCount() && series == nullptr; ++i) {
        TChartSeries& s = parent_->Series(i);
        if (!s.Active()) continue;
        if (style == talMark ? s.AssociatedToAxis(*this)
                             : (horizontal_ ? s.ResolvedHorizAxis() : s.ResolvedVertAxis()) == this) {
            series = &s;
        }
    }
    if (series == nullptr) return;
    series->CalcVisibleRange();
    if (series->FirstVisibleIndex < 0) return;
    bool drawn = false;
    for (int i = series->FirstVisibleIndex; i <= series->LastVisibleIndex; ++i) {
        const double value = horizontal_ ? series->XValue(i) : series->YValue(i);
        if (value < EffectiveMin || value > EffectiveMax) continue;
        labelValue_ = value;
        const int pos = ValueToPixel(value);
        if (!tickOnLabelsOnly_) TicksAndGrid(pos, value);
        if (!labels_) continue;
        std::string text = style == talMark ? series->MarkText(i) : series->PointLabel(i);
        if (parent_->OnGetAxisLabel) parent_->OnGetAxisLabel(*this, series, i, text);
        PlaceLabel(pos, text, labelsSeparation_ != 0 && drawn);
        drawn = true;
    }
}

void TCustomChartAxis::PlaceLabel(int pos, const std::string& text, bool check) {
    TChartCanvas3D& c = Canvas();
    if (c.Font() != nullptr) c.Font()->Assign(*labelsFont_);
    int extent = horizontal_ == Straight(labelsAngle_) ? c.TextWidth(text) : c.FontHeight();
    // A separation of millions of percent widens a label past int's range:
    // the extent stops at the largest int (one label fits), where the sum
    // would wrap to a negative extent and every label would fit.
    const long double room = extent * 0.02L * labelsSeparation_;
    constexpr int kWidest = std::numeric_limits<int>::max();
    extent = room < static_cast<long double>(kWidest - extent) ? extent + TruncInt32(room) : kWidest;
    const int half = extent / 2;
    bool ok = true;
    if (check) {
        ok = pos >= lastLabelPos_ ? lastLabelPos_ + lastLabelHalf_ <= pos - half
                                  : lastLabelPos_ - lastLabelHalf_ >= pos + half;
    }
    lastLabelHalf_ = half;
    if (!ok) return;
    if (tickOnLabelsOnly_) TicksAndGrid(pos, labelValue_);
    if (c.Font() != nullptr) c.Font()->Assign(*labelsFont_);
    if (c.Brush() != nullptr) {
        c.Brush()->SetColor(parent_->Color());
        c.Brush()->SetStyle(bsClear);
    }
    if (depth_) {
        c.SetTextAlign(kLeftTop);
        c.TextOutZ(LabelsPos, parent_->PlotRect.Bottom, pos, text);
    } else if (horizontal_) {
        DrawAxisText(pos, LabelsPos, text, labelsAngle_);
    } else {
        DrawAxisText(LabelsPos, pos, text, labelsAngle_);
    }
    lastLabelPos_ = pos;
}

void TCustomChartAxis::TicksAndGrid(int pos, double value) {
    TChartCanvas3D& c = Canvas();
    if (ticks_->Visible()) {
        c.ApplyChartPen(*ticks_);
        DrawTick(pos, 1, tickLength_);
    }
    if (grid_->Visible() && value != EffectiveMax && value != EffectiveMin) {
        if (gridCentered_) {
            if (prevTickPos_ >= 0) DrawGridLine(RoundTies((static_cast<long double>(pos) + prevTickPos_) * 0.5L));
        } else {
            DrawGridLine(pos);
        }
    }
    if (ticksInner_->Visible()) {
        c.ApplyChartPen(*ticksInner_);
        DrawTick(pos, -1, -static_cast<long long>(tickInnerLength_));
    }
    if (minorTicks_->Visible() && prevTickPos_ >= 0) {
        c.ApplyChartPen(*minorTicks_);
        DrawMinorTicks(pos);
    }
    prevTickPos_ = pos;
}

// The minor ticks between the previous tick and this one, at
// pos - Round(i x d) for i = 1 to MinorTickCount.
void TCustomChartAxis::DrawMinorTicks(int pos) {
    // The count plus one, and the indices, stay clear of int's end at the
    // largest count.
    const double d = (pos - prevTickPos_) * 1.0 / (minorTickCount_ + 1.0);
    const auto offset = [d](long long i) { return RoundTies(i * static_cast<long double>(d)); };
    // Offsets only grow, or only shrink: key grows with i either way, so the
    // first index whose key reaches k is found by halving.
    const bool forward = d > 0;
    const auto key = [&](long long i) { return forward ? 1LL * offset(i) : -1LL * offset(i); };
    const auto firstFrom = [&](long long k, long long a) {
        long long z = minorTickCount_ + 1LL;
        while (a < z) {
            const long long m = a + (z - a) / 2;
            if (key(m) >= k) z = m;
            else a = m + 1;
        }
        return a;
    };
    long long first = 1;
    long long end = minorTickCount_ + 1LL;
    // A tick lying further off the picture than its pen is wide leaves no
    // pixel: only the ticks that reach the picture are walked. They lie
    // between the previous tick and this one, so with both of those on the
    // picture (the usual case) there is nothing to look for. (The depth
    // axis's ticks all project onto one place, so they are walked whole.)
    TChartCanvas3D& c = Canvas();
    const DrawDevice* device = c.TargetCanvas() != nullptr ? c.TargetCanvas()->Device() : nullptr;
    if (!depth_ && device != nullptr) {
        const TRect b = device->Bounds();
        const long long reach = 1LL + std::max(1, minorTicks_->Width());
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
        long long next = i + 1;  // the start of the next run
        int nextAt = next < end ? offset(next) : 0;
        if (next < end && nextAt == at) {
            next = std::min(end, firstFrom(key(i) + 1, next));
            nextAt = next < end ? offset(next) : 0;
        }
        DrawTick(pos - at, 1, minorTickLength_);
        if ((next - i) % 2 == 0) DrawTick(pos - at, 1, minorTickLength_);
        i = next;
        at = nextAt;
    }
}

void TCustomChartAxis::DrawTick(int pos, int from, long long length) {
    TChartCanvas3D& c = Canvas();
    const long long a = AxisLinePos;
    const int z = parent_->Depth3D;
    auto horiz = [&](long long x0, long long x1, int y, int depth) {
        c.HorizLineZ(Saturated(x0), Saturated(x1), y, depth);
    };
    auto vert = [&](int x, long long y0, long long y1, int depth) {
        c.VertLineZ(x, Saturated(y0), Saturated(y1), depth);
    };
    if (depth_) {
        horiz(a + from, a + from + length, parent_->PlotRect.Bottom, pos);
    } else if (horizontal_) {
        if (otherSide_) vert(pos, a - from, a - from - length, z);
        else vert(pos, a + from + wallSize_, a + from + wallSize_ + length, 0);
    } else {
        if (otherSide_) horiz(a + from, a + from + length, pos, z);
        else horiz(a - from - wallSize_, a - from - wallSize_ - length, pos, 0);
    }
}

void TCustomChartAxis::DrawGridLine(int pos) {
    TChartCanvas3D& c = Canvas();
    const TRect& plot = parent_->PlotRect;
    if (c.Brush() != nullptr) c.Brush()->SetStyle(bsClear);
    // Transparent, so that the gaps of a dotted pen stay unpainted.
    c.SetBackMode(TRANSPARENT);
    c.ApplyChartPen(*grid_);
    if (c.Pen() != nullptr && grid_->Visible() && grid_->Color() == UnsetColor) c.Pen()->SetColor(clGray);
    const int a = AxisLinePos;
    const int z = parent_->Depth3D;
    if (depth_) {
        c.HorizLineZ(plot.Left, plot.Right, plot.Bottom, pos);
    } else if (horizontal_) {
        if (otherSide_) c.VertLineZ(pos, a + 1, plot.Bottom, z);
        else c.VertLineZ(pos, a - 1, plot.Top, z);
    } else {
        if (otherSide_) c.HorizLineZ(a - 1, plot.Left, pos, z);
        else c.HorizLineZ(a + 1, plot.Right, pos, z);
    }
    c.SetBackMode(OPAQUE);
}

void TCustomChartAxis::DrawAxisTitle() {
    TChartCanvas3D& c = Canvas();
    TCustomAxisPanel& p = *parent_;
    if (c.Font() != nullptr) c.Font()->Assign(title_->Font());
    if (c.Brush() != nullptr) {
        c.Brush()->SetColor(p.Color());
        c.Brush()->SetStyle(bsClear);
    }
    if (depth_) {
        c.SetTextAlign(kLeftTop);
        c.TextOutZ(TitlePos, p.PlotRect.Bottom, p.Depth3D / 2, title_->Caption());
    } else if (horizontal_) {
        DrawAxisText(p.PlotCenterX, TitlePos, title_->Caption(), title_->Angle());
    } else {
        DrawAxisText(TitlePos, p.PlotCenterY, title_->Caption(), title_->Angle());
    }
}

void TCustomChartAxis::DrawAxisLine() {
    TChartCanvas3D& c = Canvas();
    TCustomAxisPanel& p = *parent_;
    const TRect& plot = p.PlotRect;
    c.ApplyChartPen(*axisPen_);
    const int a = AxisLinePos;
    if (depth_) {
        const int y = Saturated(plot.Bottom + 1LL * p.AxisWallSize(p.BottomAxis()));
        const TPoint near = c.ProjectPoint(plot.Right, y, 0);
        const TPoint far = c.ProjectPoint(plot.Right, y, p.Depth3D);
        c.Line(near.X, near.Y, far.X, far.Y);
    } else if (horizontal_) {
        if (otherSide_) c.HorizLineZ(plot.Left, plot.Right, a, p.Depth3D);
        else c.HorizLineZ(Saturated(plot.Left - 1LL * p.AxisWallSize(p.LeftAxis())), plot.Right,
                          Saturated(a + 1LL * wallSize_), 0);
    } else {
        if (otherSide_) c.VertLineZ(a, plot.Top, plot.Bottom, p.Depth3D);
        else c.VertLineZ(Saturated(a - 1LL * wallSize_), plot.Top,
                         Saturated(plot.Bottom + 1LL * p.AxisWallSize(p.BottomAxis())), 0);
    }
}

void TCustomChartAxis::DrawAxisText(long long x, long long y, const std::string& text, int angle) {
    TChartCanvas3D& c = Canvas();
    const int fontHeight = c.FontHeight();
    const int halfHeight = fontHeight / 2;
    const bool bottom = horizontal_ && !otherSide_;
    const bool top = horizontal_ && otherSide_;
    const bool left = !horizontal_ && !otherSide_;
    unsigned align = kLeftTop;
    switch (angle) {
    case 0:
        if (bottom) align = kCentreTop;
        else if (top) align = kCentreBottom;
        else if (left) align = kRightTop, y -= halfHeight;
        else align = kLeftTop, y -= halfHeight;
        break;
    case 90:
        if (bottom) align = kRightTop, x -= halfHeight;
        else if (top) align = kLeftTop, x -= halfHeight;
        else if (left) align = kCentreBottom;
        else align = kCentreTop;
        break;
    case 180:
        if (bottom) align = kCentreBottom;
        else if (top) align = kCentreTop;
        else if (left) align = kLeftTop, y += halfHeight;
        else align = kRightTop, y += halfHeight;
        break;
    case 270:
        if (bottom) align = kLeftTop, x += halfHeight;
        else if (top) align = kRightTop, x += halfHeight;
        else if (left) align = kCentreTop;
        else align = kCentreBottom;
        break;
    default:
        break;
    }
    const int z = otherSide_ ? parent_->Depth3D : 0;
    c.SetTextAlign(align);

    // Most labels are one line, drawn from the text itself.
    std::vector<std::string> split;
    const bool oneLine = text.find(LineSeparator) == std::string::npos;
    if (!oneLine) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == LineSeparator) {
                split.push_back(text.substr(start, i - start));
                start = i + 1;
            }
        }
        if (start < text.size()) split.push_back(text.substr(start));
    }
    const std::span<const std::string> lines =
        oneLine ? std::span<const std::string>(&text, text.empty() ? 0 : 1) : std::span<const std::string>(split);
    const long double n = static_cast<long double>(lines.size());

    int h = fontHeight;
    if (angle == 180 || angle == 270) h = -h;
    const bool vertical90 = angle == 90 || angle == 270;
    if (horizontal_) {
        if (angle == 0) y -= bottom ? h : RoundTies(h * n);
        else if (angle == 180) y -= bottom ? RoundTies(h * n) : h;
        else if (vertical90) x -= RoundTies(h * 0.5L * (n + 1));
    } else {
        if (Straight(angle)) y -= RoundTies(h * 0.5L * (n + 1));
        else if (angle == 90) x -= left ? RoundTies(h * n) : h;
        else if (angle == 270) x -= left ? h : RoundTies(h * n);
    }
    for (const std::string& line : lines) {
        if (angle == 0) {
            y += h;
            c.TextOutZ(Saturated(x), Saturated(y), z, line);
            continue;
        }
        if (angle == 180) y += h;
        else if (vertical90) x += h;
        c.TextOutRotatedZ(Saturated(x), Saturated(y), z, line, angle);
    }
    c.SetTextAlign(kLeftTop);
}

}  // namespace nc
