// SPDX-License-Identifier: MIT
#pragma once

// The axis objects as a model: their settings, the range they take from the
// series on every paint, the value <-> pixel conversion, the label step for
// labels of a given size, the label values and the label texts. Nothing here
// touches a canvas; chart/AxisPainter.h measures the labels in their font,
// reserves the axis' room beside the plot and draws it.
//
// The arithmetic itself lives in chart/AxisScale.h as pure functions; an axis
// feeds them from its settings and its chart's plot rectangle. An axis
// without a chart keeps its settings and computes its labels, and maps every
// value to pixel 0.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "chart/axes/AxisScale.h"
#include "chart/panel/ChartCanvas.h"
#include "chart/panel/ChartDecorations.h"
#include "chart/ChartTypes.h"
#include "core/numbers/NumberText.h"

namespace nc {

class TChartSeries;
class TCustomAxisPanel;
class TCustomChartAxis;

// A failed axis property check; the message is shown to the user unchanged.
class AxisException : public ChartException {
public:
    using ChartException::ChartException;
};

enum TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };

// Splits axis titles and labels into lines.
inline constexpr char LineSeparator = '\r';

// The axis' title: caption, angle and font.
class TChartAxisTitle : public TChartFontObject {
public:
    TChartAxisTitle(TCustomChartAxis* axis, TCustomChartPanel* parent);

    TCustomChartAxis* Axis() const { return axis_; }
    int Angle() const { return angle_; }
    // 0..360, 360 stored as 0; otherwise ChartException.
    void SetAngle(int value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { Store(caption_, value); }
    // Copies Angle, Caption and the font.
    void Assign(const TChartAxisTitle& source);

private:
    TCustomChartAxis* axis_;
    int angle_ = 0;
    std::string caption_;
};

// An axis: its range (automatic or fixed), the value <-> pixel conversion
// within the chart's PlotRect, the label step and the label values and texts.
class TCustomChartAxis : protected TRepaintsOnChange {
public:
    TCustomChartAxis(TCustomAxisPanel* parent, bool horizontal, bool otherSide, bool depth = false);
    virtual ~TCustomChartAxis();
    TCustomChartAxis(const TCustomChartAxis&) = delete;
    TCustomChartAxis& operator=(const TCustomChartAxis&) = delete;

    TCustomAxisPanel* ParentChart() const { return parent_; }
    TCustomAxisPanel* OwnerChart() const { return parent_; }
    bool Horizontal() const { return horizontal_; }
    bool IsHorizontal() const { return horizontal_; }
    bool OtherSide() const { return otherSide_; }
    bool IsOtherSide() const { return otherSide_; }
    bool IsDepthAxis() const { return depth_; }

    // ---- settings (setters repaint the chart only when the value changed)
    bool Automatic() const { return automatic_; }
    // Sets AutomaticMinimum and AutomaticMaximum to the same value.
    void SetAutomatic(bool value);
    bool AutomaticMaximum() const { return automaticMaximum_; }
    // Clearing it clears Automatic.
    void SetAutomaticMaximum(bool value);
    bool AutomaticMinimum() const { return automaticMinimum_; }
    void SetAutomaticMinimum(bool value);
    double Increment() const { return increment_; }
    void SetIncrement(double value);
    double Maximum() const { return maximum_; }
    void SetMaximum(double value);
    double Minimum() const { return minimum_; }
    void SetMinimum(double value);
    // Both ends at once, checked as a pair.
    void SetMinMax(double minimum, double maximum);
    bool Logarithmic() const { return logarithmic_; }
    void SetLogarithmic(bool value);
    TChartAxisPen& Axis() { return *axisPen_; }
    TChartAxisTitle& Title() { return *title_; }
    int TitleSize() const { return titleSize_; }
    void SetTitleSize(int value) { Store(titleSize_, value); }
    TDottedGrayPen& Grid() { return *grid_; }
    bool GridCentered() const { return gridCentered_; }
    void SetGridCentered(bool value) { Store(gridCentered_, value); }
    bool Labels() const { return labels_; }
    void SetLabels(bool value) { Store(labels_, value); }
    int LabelsAngle() const { return labelsAngle_; }
    // 0..360, 360 stored as 0; otherwise ChartException.
    void SetLabelsAngle(int value);
    TFont& LabelsFont() { return *labelsFont_; }
    bool LabelsOnAxis() const { return labelsOnAxis_; }
    void SetLabelsOnAxis(bool value) { Store(labelsOnAxis_, value); }
    int LabelsSeparation() const { return labelsSeparation_; }
    void SetLabelsSeparation(int value);
    int LabelsSize() const { return labelsSize_; }
    void SetLabelsSize(int value) { Store(labelsSize_, value); }
    TAxisLabelStyle LabelStyle() const { return labelStyle_; }
    void SetLabelStyle(TAxisLabelStyle value) { Store(labelStyle_, value); }
    const std::string& AxisValuesFormat() const { return axisValuesFormat_; }
    void SetAxisValuesFormat(const std::string& value) { Store(axisValuesFormat_, value); }
    const std::string& DateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(const std::string& value) { Store(dateTimeFormat_, value); }
    bool ExactDateTime() const { return exactDateTime_; }
    void SetExactDateTime(bool value) { Store(exactDateTime_, value); }
    bool RoundFirstLabel() const { return roundFirstLabel_; }
    void SetRoundFirstLabel(bool value) { Store(roundFirstLabel_, value); }
    bool LabelsMultiLine() const { return labelsMultiLine_; }
    void SetLabelsMultiLine(bool value) { Store(labelsMultiLine_, value); }
    int MinorTickCount() const { return minorTickCount_; }
    void SetMinorTickCount(int value) { Store(minorTickCount_, value); }
    int MinorTickLength() const { return minorTickLength_; }
    void SetMinorTickLength(int value) { Store(minorTickLength_, value); }
    TDarkGrayPen& MinorTicks() { return *minorTicks_; }
    TDarkGrayPen& Ticks() { return *ticks_; }
    TDarkGrayPen& TicksInner() { return *ticksInner_; }
    int TickInnerLength() const { return tickInnerLength_; }
    void SetTickInnerLength(int value) { Store(tickInnerLength_, value); }
    int TickLength() const { return tickLength_; }
    void SetTickLength(int value) { Store(tickLength_, value); }
    bool TickOnLabelsOnly() const { return tickOnLabelsOnly_; }
    void SetTickOnLabelsOnly(bool value) { Store(tickOnLabelsOnly_, value); }
    bool Inverted() const { return inverted_; }
    void SetInverted(bool value) { Store(inverted_, value); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }

    // ---- the range of the current paint
    double EffectiveMax = 0;
    double EffectiveMin = 0;
    double EffectiveRange = 0;
    bool IsDateTimeAxis = false;
    AxisRange Effective() const { return AxisRange{EffectiveMin, EffectiveMax, EffectiveRange}; }
    // Pixel positions where the painter last put the title band and the
    // labels band (when it reserved the room) and the axis line (when it
    // drew).
    int AxisLinePos = 0;
    int TitlePos = 0;
    int LabelsPos = 0;

    // Recomputes Minimum/Maximum from the series where automatic (bypassing
    // the setters) and sets the effective range. Called for all five axes on
    // every paint.
    virtual void UpdateRange();
    // Widens the effective range so that the pixel margins the series ask
    // for stay empty between the data and the plot edges.
    virtual void RangeFromMargins(int left, int top, int right, int bottom);
    // Value <-> pixel along this axis within the chart's PlotRect.
    virtual int ValueToPixel(double value) const;
    // The constants ValueToPixel applies on a flat linear axis within a
    // chart, read once so that a drawing loop maps many values through
    // LinearValueToPixel without the calls; false for any other axis.
    bool LinearPixelMap(AxisRange& range, AxisSpan& span) const;
    virtual double PixelToValue(int pixel) const;
    // Whether any series shows date-time values on this axis.
    void RecalcIsDateTime();

    // ---- labels
    // The label step for labels `span` pixels long (the longer of the two
    // end labels, measured in the labels' font) on an axis `length` pixels
    // long.
    double IncrementForSizes(int span, int length);
    double IncrementForCount(int count) const;
    double StepForCount(int count) const;
    static double NextNiceStep(double value);
    TAxisLabelStyle EffectiveLabelStyle() const;
    // The label of value: the number written with the regional separators,
    // offered to the chart's OnGetAxisLabel; spaces become LineSeparator
    // with LabelsMultiLine.
    std::string FormatLabel(double value);
    // The label values for the label step `step`, from the top down; the
    // chart's OnGetNextAxisLabel may supply them instead.
    std::vector<double> ValueLabelSequence(double step);
    // The decimals FormatLabel writes numbers with (LabelDecimals in
    // chart/AxisScale.h). The painter settles them before it measures the
    // labels for the axis' room and before it draws them.
    int LabelTextDecimals() const { return labelDecimals_; }
    void SetLabelTextDecimals(int decimals);
    // While held, FormatLabel writes with the separators read when the hold
    // began instead of reading them for every label: the painter holds them
    // for one paint of the axis.
    void HoldSeparators(bool hold);

protected:
    void Repaint();
    void RepaintOnChange() override { Repaint(); }

private:
    TChartSeries* FirstSeriesUsingAxis() const;

    TCustomAxisPanel* parent_;
    bool horizontal_;
    bool otherSide_;
    bool depth_;

    bool automatic_ = true;
    bool automaticMaximum_ = true;
    bool automaticMinimum_ = true;
    double increment_ = 0;
    double maximum_ = 0;
    double minimum_ = 0;
    bool logarithmic_ = false;
    std::unique_ptr<TChartAxisPen> axisPen_;
    std::unique_ptr<TChartAxisTitle> title_;
    int titleSize_ = 0;
    std::unique_ptr<TDottedGrayPen> grid_;
    bool gridCentered_ = false;
    bool labels_ = true;
    int labelsAngle_ = 0;
    std::unique_ptr<TFont> labelsFont_;
    bool labelsOnAxis_ = true;
    int labelsSeparation_ = 10;
    int labelsSize_ = 0;
    TAxisLabelStyle labelStyle_ = talAuto;
    std::string axisValuesFormat_ = "#,##0.###";
    std::string dateTimeFormat_;
    bool exactDateTime_ = true;
    bool roundFirstLabel_ = true;
    bool labelsMultiLine_ = false;
    int minorTickCount_ = 3;
    int minorTickLength_ = 2;
    std::unique_ptr<TDarkGrayPen> minorTicks_;
    std::unique_ptr<TDarkGrayPen> ticks_;
    std::unique_ptr<TDarkGrayPen> ticksInner_;
    int tickInnerLength_ = 0;
    int tickLength_ = 4;
    bool tickOnLabelsOnly_ = true;
    bool inverted_ = false;
    bool visible_;

    // The number texts of recent label values (by the value's bits), written
    // with the separators in numberFormat_: the same labels are formatted
    // several times per paint and again paint after paint. The text depends on
    // nothing else but the labels' decimals, so the table cannot go stale; it
    // is dropped whole when the separators or the decimals change or it
    // outgrows a bound.
    std::unordered_map<std::uint64_t, std::string> numberTexts_;
    NumberFormat numberFormat_;
    // Reading the regional separators costs more than a label from the
    // table; see HoldSeparators.
    bool separatorsHeld_ = false;
    // Takes the system's separators as numberFormat_ (dropping the table
    // when they changed).
    void ReadSeparators();
    int labelDecimals_ = kLabelFormatDecimals;
};

class TChartAxis : public TCustomChartAxis {
public:
    using TCustomChartAxis::TCustomChartAxis;
};

class TChartDepthAxis : public TCustomChartAxis {
public:
    explicit TChartDepthAxis(TCustomAxisPanel* parent) : TCustomChartAxis(parent, false, true, true) {}
};

} // namespace nc
