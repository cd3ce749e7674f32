// SPDX-License-Identifier: MIT
// The axis model of chart/ChartAxis.h: settings, range, value <-> pixel
// conversion, label step, label values and label texts.

#include "chart/axes/ChartAxis.h"
#include "locale/RegionalFormat.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "chart/panel/ChartPanel.h"
#include "core/numbers/NumberText.h"

namespace nc {
namespace {

// Angles of labels and titles: 0..360, with 360 meaning 0.
int CheckedAngle(int value, const char* what)
{
    if (value < 0 || value > 360)
        throw ChartException(std::string(what) + " Angle must be between 0 and 359 degrees");
    return value == 360 ? 0 : value;
}

} // namespace

// ------------------------------------------------------------ TChartAxisTitle

TChartAxisTitle::TChartAxisTitle(TCustomChartAxis* axis, TCustomChartPanel* parent)
    : TChartFontObject(parent), axis_(axis)
{}

void TChartAxisTitle::SetAngle(int value)
{
    Store(angle_, CheckedAngle(value, "Axis Title"));
}

void TChartAxisTitle::Assign(const TChartAxisTitle& source)
{
    angle_ = source.angle_;
    caption_ = source.caption_;
    SetFont(source.Font());
}

// ----------------------------------------------------------- TCustomChartAxis

TCustomChartAxis::TCustomChartAxis(TCustomAxisPanel* parent, bool horizontal, bool otherSide, bool depth)
    : parent_(parent), horizontal_(horizontal), otherSide_(otherSide), depth_(depth),
      axisPen_(std::make_unique<TChartAxisPen>()), title_(std::make_unique<TChartAxisTitle>(this, parent)),
      grid_(std::make_unique<TDottedGrayPen>()), labelsFont_(DefaultChartFont()),
      minorTicks_(std::make_unique<TDarkGrayPen>()), ticks_(std::make_unique<TDarkGrayPen>()),
      ticksInner_(std::make_unique<TDarkGrayPen>()), visible_(!depth)
{
    auto repaint = [this] { Repaint(); };
    axisPen_->OnChange = repaint;
    grid_->OnChange = repaint;
    labelsFont_->OnChange = repaint;
    minorTicks_->OnChange = repaint;
    ticks_->OnChange = repaint;
    ticksInner_->OnChange = repaint;
}

TCustomChartAxis::~TCustomChartAxis() = default;

void TCustomChartAxis::Repaint()
{
    if (parent_ != nullptr)
        parent_->Invalidate();
}

void TCustomChartAxis::SetAutomatic(bool value)
{
    bool changed = StoreChanged(automatic_, value);
    changed |= StoreChanged(automaticMinimum_, value);
    changed |= StoreChanged(automaticMaximum_, value);
    RepaintIf(changed);
}

void TCustomChartAxis::SetAutomaticMaximum(bool value)
{
    if (!value)
        automatic_ = false;
    Store(automaticMaximum_, value);
}

void TCustomChartAxis::SetAutomaticMinimum(bool value)
{
    if (!value)
        automatic_ = false;
    Store(automaticMinimum_, value);
}

void TCustomChartAxis::SetIncrement(double value)
{
    if (value < 0)
        throw AxisException("Axis increment must be >= 0");
    Store(increment_, value);
}

void TCustomChartAxis::SetMaximum(double value)
{
    if (value < minimum_)
        throw AxisException("Axis Maximum Value must be >= Minimum");
    Store(maximum_, value);
}

void TCustomChartAxis::SetMinimum(double value)
{
    if (value > maximum_)
        throw AxisException("Axis Minimum Value must be <= Maximum");
    Store(minimum_, value);
}

void TCustomChartAxis::SetMinMax(double minimum, double maximum)
{
    if (minimum > maximum)
        throw AxisException("Axis Minimum Value must be <= Maximum");
    automatic_ = automaticMinimum_ = automaticMaximum_ = false;
    minimum_ = minimum;
    maximum_ = maximum;
    Repaint();
}

void TCustomChartAxis::SetLabelsSeparation(int value)
{
    if (value < 0)
        throw AxisException("Labels Separation % must be greater than 0");
    Store(labelsSeparation_, value);
}

void TCustomChartAxis::SetLogarithmic(bool value)
{
    if (value) {
        RecalcIsDateTime();
        if (IsDateTimeAxis)
            throw AxisException("DateTime Axis cannot be Logarithmic");
        UpdateRange();
        if (EffectiveMin < 0 || EffectiveMax < 0) {
            throw AxisException("Logarithmic Axis Min and Max values should be >= 0");
        }
    }
    Store(logarithmic_, value);
}

void TCustomChartAxis::SetLabelsAngle(int value)
{
    Store(labelsAngle_, CheckedAngle(value, "Axis Labels"));
}

// ------------------------------------------------------------------- range

void TCustomChartAxis::UpdateRange()
{
    if (parent_ != nullptr) {
        if (automatic_ || automaticMaximum_)
            maximum_ = parent_->AxisDataExtreme(*this, true);
        if (automatic_ || automaticMinimum_)
            minimum_ = parent_->AxisDataExtreme(*this, false);
    }
    EffectiveMax = maximum_;
    EffectiveMin = minimum_;
    EffectiveRange = EffectiveMax - EffectiveMin;
}

void TCustomChartAxis::RangeFromMargins(int left, int top, int right, int bottom)
{
    if (parent_ == nullptr)
        return;
    if (horizontal_ ? left == 0 && right == 0 : top == 0 && bottom == 0)
        return;
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
    if (lo > hi)
        std::swap(lo, hi);
    EffectiveMin = lo;
    EffectiveMax = hi;
    EffectiveRange = EffectiveMax - EffectiveMin;
}

int TCustomChartAxis::ValueToPixel(double value) const
{
    if (parent_ == nullptr)
        return 0;
    if (depth_) {
        if (EffectiveRange == 0)
            return parent_->Depth3D;
        return RoundPixel(static_cast<long double>(parent_->Depth3D) * (value - static_cast<long double>(EffectiveMin))
                          / EffectiveRange);
    }
    AxisRange r;
    AxisSpan s;
    LinearPixelMap(r, s);
    return logarithmic_ ? LogValueToPixel(value, r, s) : LinearValueToPixel(value, r, s, inverted_);
}

bool TCustomChartAxis::LinearPixelMap(AxisRange& range, AxisSpan& span) const
{
    if (parent_ == nullptr || depth_)
        return false;
    const TCustomAxisPanel& p = *parent_;
    range = AxisRange{EffectiveMin, EffectiveMax, EffectiveRange};
    span = horizontal_ ? AxisSpan{p.PlotRect.Left, p.PlotRect.Right, p.PlotWidth, p.PlotCenterX}
                       : AxisSpan{p.PlotRect.Bottom, p.PlotRect.Top, -p.PlotHeight, p.PlotCenterY};
    return !logarithmic_;
}

double TCustomChartAxis::PixelToValue(int pixel) const
{
    if (parent_ == nullptr)
        return 0;
    const TCustomAxisPanel& p = *parent_;
    const TRect& plot = p.PlotRect;
    if (!logarithmic_) {
        const AxisRange r{EffectiveMin, EffectiveMax, EffectiveRange};
        return horizontal_ ? HorizontalPixelToValue(pixel, r, plot.Left, plot.Right, p.PlotWidth, inverted_)
                           : VerticalPixelToValue(pixel, r, plot.Top, plot.Bottom, p.PlotHeight, inverted_);
    }
    const long double lmin = EffectiveMin <= 0 ? 0.0L : std::log(static_cast<long double>(EffectiveMin));
    const long double lmax = EffectiveMax <= 0 ? 0.0L : std::log(static_cast<long double>(EffectiveMax));
    if (lmax == lmin)
        return EffectiveMin;
    const AxisRange logs{static_cast<double>(lmin), static_cast<double>(lmax), static_cast<double>(lmax - lmin)};
    const double l = horizontal_ ? HorizontalPixelToValue(pixel, logs, plot.Left, plot.Right, p.PlotWidth, inverted_)
                                 : VerticalPixelToValue(pixel, logs, plot.Top, plot.Bottom, p.PlotHeight, inverted_);
    if ((horizontal_ ? p.PlotWidth : p.PlotHeight) < 1)
        return 0;
    return std::exp(l);
}

void TCustomChartAxis::RecalcIsDateTime()
{
    IsDateTimeAxis = false;
    if (parent_ == nullptr || depth_)
        return;
    for (int i = 0; i < parent_->SeriesCount(); ++i) {
        TChartSeries& s = parent_->Series(i);
        if (!s.Active())
            continue;
        if (horizontal_ && s.ResolvedHorizAxis() == this && s.XValues().DateTime())
            IsDateTimeAxis = true;
        if (!horizontal_ && s.ResolvedVertAxis() == this && s.YValues().DateTime())
            IsDateTimeAxis = true;
    }
}

// ------------------------------------------------------------------ labels

double TCustomChartAxis::IncrementForSizes(int span, int length)
{
    return IncrementForCount(LabelCountForSizes(span, length, labelsSeparation_));
}

// Date-time axes take the numeric step search too: no series of this program
// holds date-time values.
double TCustomChartAxis::IncrementForCount(int count) const
{
    if (count <= 0)
        return MinimumStep;
    return StepForCount(count);
}

double TCustomChartAxis::StepForCount(int count) const
{
    return nc::StepForCount(count, increment_, EffectiveRange, labelsSeparation_);
}

double TCustomChartAxis::NextNiceStep(double value)
{
    return nc::NextNiceStep(value);
}

TChartSeries* TCustomChartAxis::FirstSeriesUsingAxis() const
{
    if (parent_ == nullptr)
        return nullptr;
    for (int i = 0; i < parent_->SeriesCount(); ++i) {
        TChartSeries& s = parent_->Series(i);
        if (s.Active() && s.AssociatedToAxis(*this))
            return &s;
    }
    return nullptr;
}

TAxisLabelStyle TCustomChartAxis::EffectiveLabelStyle() const
{
    if (labelStyle_ != talAuto)
        return labelStyle_;
    if (parent_ == nullptr)
        return talNone;
    if (depth_) {
        if (parent_->SeriesCount() == 0)
            return talText;
        for (int i = 0; i < parent_->SeriesCount(); ++i) {
            TChartSeries& s = parent_->Series(i);
            if (s.Active() && s.HighestZ() != s.LowestZ())
                return talValue;
        }
        return talText;
    }
    TChartSeries* first = FirstSeriesUsingAxis();
    if (first == nullptr)
        return talNone;
    const bool showsOtherValues = first->IsYMandatory() ? horizontal_ : !horizontal_;
    if (showsOtherValues) {
        for (int i = 0; i < parent_->SeriesCount(); ++i) {
            TChartSeries& s = parent_->Series(i);
            const TCustomChartAxis* own = horizontal_ ? s.ResolvedHorizAxis() : s.ResolvedVertAxis();
            if (!s.Active() || own != this)
                continue;
            if (s.PointCount() > 0 && !s.PointLabel(0).empty())
                return talText;
            break;
        }
    }
    return talValue;
}

void TCustomChartAxis::SetLabelTextDecimals(int decimals)
{
    if (StoreChanged(labelDecimals_, decimals))
        numberTexts_.clear();
}

void TCustomChartAxis::HoldSeparators(bool hold)
{
    if (hold)
        ReadSeparators();
    separatorsHeld_ = hold;
}

void TCustomChartAxis::ReadSeparators()
{
    NumberFormat format = RegionalNumberFormat();
    if (format.decimal_separator != numberFormat_.decimal_separator
        || format.thousands_separator != numberFormat_.thousands_separator) {
        numberTexts_.clear();
        numberFormat_ = std::move(format);
    }
}

std::string TCustomChartAxis::FormatLabel(double value)
{
    std::string text;
    if (IsDateTimeAxis && value < 0) {
        text.clear();
    } else {
        // Every number format shows as "#,##0.###": the only one this program
        // uses; date-time values show their serial number the same way.
        if (!separatorsHeld_)
            ReadSeparators();
        if (numberTexts_.size() >= 1024)
            numberTexts_.clear();
        const auto bits = std::bit_cast<std::uint64_t>(value);
        auto found = numberTexts_.find(bits);
        if (found == numberTexts_.end())
            found = numberTexts_.emplace(bits, FormatGrouped(value, numberFormat_, labelDecimals_)).first;
        text = found->second;
    }
    if (parent_ != nullptr && parent_->OnGetAxisLabel)
        parent_->OnGetAxisLabel(*this, nullptr, -1, text);
    if (labelsMultiLine_)
        std::replace(text.begin(), text.end(), ' ', LineSeparator);
    return text;
}

std::vector<double> TCustomChartAxis::ValueLabelSequence(double step)
{
    const AxisRange r = Effective();
    const LabelSettings settings{roundFirstLabel_, labelsOnAxis_};
    if (parent_ == nullptr || !parent_->OnGetNextAxisLabel)
        return nc::ValueLabelSequence(r, step, settings);
    std::vector<double> values;
    double value = EffectiveMin;
    bool stop = true;
    for (int index = 0; index <= 1000; ++index) {
        parent_->OnGetNextAxisLabel(*this, index, value, stop);
        if (stop) {
            if (index == 0)
                return nc::ValueLabelSequence(r, step, settings);
            break;
        }
        if (value < EffectiveMin - 1e-7 || value > EffectiveMax + 1e-7)
            break;
        values.push_back(value);
    }
    return values;
}

} // namespace nc
