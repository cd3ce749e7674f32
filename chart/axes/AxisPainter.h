// SPDX-License-Identifier: MIT
#pragma once

// The axis on the canvas: the room it reserves beside the plot and its
// drawing. The model (chart/ChartAxis.h) says which values get a label and
// what they read; the painter measures those labels in the labels' font,
// which decides the label step, and draws the title, ticks, grid lines,
// minor ticks, labels and axis line.
//
// A painter lives for one call of the chart's paint (ReserveAxisSpace or
// PaintAxis) and holds that call's drawing state: the previous tick, the last
// label placed and its half extent. The chart makes one per axis and step:
//
//   AxisPainter(axis).ReserveAxisSpace(room);   // sets TitlePos, LabelsPos
//   AxisPainter(axis).PaintAxis();              // sets AxisLinePos
//
// Room, outermost first: the title band, the labels band, then the ticks
// beside the axis line. Drawing order: title, then for each label its tick,
// grid line, inner tick, the minor ticks back to the previous tick and the
// label itself, and the axis line last, over the ends of the ticks and grid
// lines. The range ends get no grid line: they lie on the plot's frame.

#include <string>
#include <vector>

#include "chart/axes/ChartAxis.h"
#include "chart/ChartTypes.h"

namespace nc {

class TChartCanvas3D;
class TCustomAxisPanel;

class AxisPainter {
public:
    // The axis must belong to a chart; it draws on that chart's canvas.
    explicit AxisPainter(TCustomChartAxis& axis);
    AxisPainter(const AxisPainter&) = delete;
    AxisPainter& operator=(const AxisPainter&) = delete;

    // ---- measuring
    // The label of value measured along the axis, in the labels' font.
    int LabelSpan(double value);
    // The label step for the chart's current plot size.
    double CalcLabelIncrement();
    // The axis' label values at that step, from the top down.
    std::vector<double> ValueLabelSequence();
    // The width of the widest label to expect.
    int WidestLabel();

    // ---- layout and drawing
    // The rectangle left of plotRect after this axis' title, labels and ticks
    // take their room; sets the axis' TitlePos and LabelsPos.
    TRect ReserveAxisSpace(const TRect& plotRect);
    // Title, ticks, grid, minor ticks, labels, axis line; sets AxisLinePos.
    void PaintAxis();
    void DrawValueLabel(double value);
    // Draws text at pos unless (with check) it would overlap the last label.
    void PlaceLabel(int pos, const std::string& text, bool check);
    void TicksAndGrid(int pos, double value);
    void DrawMinorTicks(int pos);
    void DrawTick(int pos, int from, long long length);
    void DrawGridLine(int pos);
    void DrawAxisTitle();
    void DrawAxisLine();
    // Text placed by the axis' side and the angle; multi-line at LineSeparator.
    void DrawAxisText(long long x, long long y, const std::string& text, int angle);

private:
    // Settles the decimals the labels are written with before they are
    // measured or drawn.
    void SettleLabelDecimals();
    void DrawPointLabels(TAxisLabelStyle style);

    TCustomChartAxis& axis_;
    TCustomAxisPanel& chart_;
    TChartCanvas3D& canvas_;
    const bool horizontal_;
    const bool otherSide_;
    const bool depth_;
    // The wall beside the axis (3D charts only), as the paint began.
    const int wallSize_;

    // Drawing state of one PaintAxis call.
    double labelValue_ = 0;
    int prevTickPos_ = -1;
    int lastLabelPos_ = -1;
    int lastLabelHalf_ = 0;
};

} // namespace nc
