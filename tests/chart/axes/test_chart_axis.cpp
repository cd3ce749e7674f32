// SPDX-License-Identifier: MIT
// The axis objects: settings and their checks, the range taken from the
// series, value <-> pixel conversion, the label step and the label values.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "tests/chart/ChartRig.h"
#include "locale/RegionalFormat.h"
#include "chart/axes/AxisPainter.h"
#include "chart/Series.h"
#include "core/numbers/NumberText.h"

using namespace nc;
using nc::test::RecordingChart;

TEST(ChartAxis, Defaults)
{
    TChart chart;
    TChartAxis& a = chart.BottomAxis();
    EXPECT_TRUE(a.Automatic());
    EXPECT_TRUE(a.AutomaticMaximum());
    EXPECT_TRUE(a.AutomaticMinimum());
    EXPECT_EQ(a.Increment(), 0);
    EXPECT_FALSE(a.Logarithmic());
    EXPECT_EQ(a.Axis().Width(), 2);
    EXPECT_EQ(a.Grid().Color(), clGray);
    EXPECT_EQ(a.Grid().Style(), psDot);
    EXPECT_EQ(a.Ticks().Color(), clGray);
    EXPECT_EQ(a.Ticks().Style(), psSolid);
    EXPECT_EQ(a.MinorTicks().Color(), clGray);
    EXPECT_TRUE(a.Labels());
    EXPECT_TRUE(a.LabelsOnAxis());
    EXPECT_EQ(a.LabelsSeparation(), 10);
    EXPECT_EQ(a.LabelStyle(), talAuto);
    EXPECT_EQ(a.AxisValuesFormat(), "#,##0.###");
    EXPECT_TRUE(a.RoundFirstLabel());
    EXPECT_EQ(a.MinorTickCount(), 3);
    EXPECT_EQ(a.MinorTickLength(), 2);
    EXPECT_EQ(a.TickLength(), 4);
    EXPECT_EQ(a.TickInnerLength(), 0);
    EXPECT_TRUE(a.TickOnLabelsOnly());
    EXPECT_EQ(a.LabelsFont().Name(), "Arial");
    EXPECT_EQ(chart.BottomAxis().Title().Angle(), 0);
    EXPECT_EQ(chart.LeftAxis().Title().Angle(), 90);
    EXPECT_EQ(chart.RightAxis().Title().Angle(), 270);
    EXPECT_TRUE(chart.BottomAxis().IsHorizontal());
    EXPECT_TRUE(chart.TopAxis().IsOtherSide());
    EXPECT_TRUE(chart.DepthAxis().IsDepthAxis());
    EXPECT_FALSE(chart.DepthAxis().Visible());
    EXPECT_TRUE(chart.LeftAxis().Visible());
}

struct SetterCheck {
    const char* name;
    std::function<void(TChart&)> set;
    const char* message;
};

TEST(ChartAxis, SetterChecksRaiseWithExactTextsAndKeepTheValue)
{
    const SetterCheck rows[] = {
        {"increment", [](TChart& c) { c.LeftAxis().SetIncrement(-1); }, "Axis increment must be >= 0"},
        {"minimum", [](TChart& c) { c.LeftAxis().SetMinimum(1); }, "Axis Minimum Value must be <= Maximum"},
        {"maximum", [](TChart& c) { c.LeftAxis().SetMaximum(-1); }, "Axis Maximum Value must be >= Minimum"},
        {"separation", [](TChart& c) { c.LeftAxis().SetLabelsSeparation(-1); },
         "Labels Separation % must be greater than 0"},
        {"labels angle", [](TChart& c) { c.LeftAxis().SetLabelsAngle(361); },
         "Axis Labels Angle must be between 0 and 359 degrees"},
        {"labels angle below", [](TChart& c) { c.LeftAxis().SetLabelsAngle(-1); },
         "Axis Labels Angle must be between 0 and 359 degrees"},
        {"title angle", [](TChart& c) { c.LeftAxis().Title().SetAngle(400); },
         "Axis Title Angle must be between 0 and 359 degrees"},
        {"logarithmic",
         [](TChart& c) {
             c.AddSeries<TFastLineSeries>()->AddPoint(0, -5);
             c.LeftAxis().SetLogarithmic(true);
         },
         "Logarithmic Axis Min and Max values should be >= 0"},
    };
    for (const auto& row : rows) {
        TChart chart;
        try {
            row.set(chart);
            ADD_FAILURE() << row.name << ": no exception";
        } catch (const ChartException& e) {
            EXPECT_STREQ(e.what(), row.message) << row.name;
        }
        TChartAxis& a = chart.LeftAxis();
        EXPECT_EQ(a.Increment(), 0) << row.name;
        if (a.Logarithmic() == false && chart.SeriesCount() == 0) {
            EXPECT_EQ(a.Minimum(), 0) << row.name;
            EXPECT_EQ(a.Maximum(), 0) << row.name;
        }
        EXPECT_EQ(a.LabelsSeparation(), 10) << row.name;
        EXPECT_EQ(a.LabelsAngle(), 0) << row.name;
        EXPECT_EQ(a.Title().Angle(), 90) << row.name;
        EXPECT_FALSE(a.Logarithmic()) << row.name;
    }
    TChart chart;
    EXPECT_THROW(chart.LeftAxis().SetIncrement(-1), AxisException);
    chart.LeftAxis().SetLabelsAngle(360);
    EXPECT_EQ(chart.LeftAxis().LabelsAngle(), 0);
    chart.LeftAxis().Title().SetAngle(360);
    EXPECT_EQ(chart.LeftAxis().Title().Angle(), 0);
}

TEST(ChartAxis, AutomaticTiesBothFlags)
{
    TChart chart;
    TChartAxis& a = chart.BottomAxis();
    a.SetAutomaticMaximum(false);
    EXPECT_FALSE(a.Automatic());
    EXPECT_TRUE(a.AutomaticMinimum());
    a.SetAutomatic(true);
    EXPECT_TRUE(a.AutomaticMaximum());
    a.SetAutomatic(false);
    EXPECT_FALSE(a.AutomaticMinimum());
    EXPECT_FALSE(a.AutomaticMaximum());
}

TEST(ChartAxis, UpdateRangeTakesTheExtremesOfTheActiveSeries)
{
    TChart chart;
    auto* a = chart.AddSeries<TFastLineSeries>();
    auto* b = chart.AddSeries<TFastLineSeries>();
    auto* off = chart.AddSeries<TFastLineSeries>();
    a->AddPoint(2, 5);
    a->AddPoint(4, -1);
    b->AddPoint(1, 3);
    b->AddPoint(9, 30);
    off->AddPoint(-50, 500);
    off->SetActive(false);
    chart.BottomAxis().UpdateRange();
    chart.LeftAxis().UpdateRange();
    EXPECT_EQ(chart.BottomAxis().EffectiveMin, 1);
    EXPECT_EQ(chart.BottomAxis().EffectiveMax, 9);
    EXPECT_EQ(chart.BottomAxis().EffectiveRange, 8);
    EXPECT_EQ(chart.LeftAxis().EffectiveMin, -1);
    EXPECT_EQ(chart.LeftAxis().EffectiveMax, 30);
    // The top axis shows no series: 0..0.
    chart.TopAxis().UpdateRange();
    EXPECT_EQ(chart.TopAxis().EffectiveRange, 0);
    // A fixed end stays.
    chart.LeftAxis().SetAutomaticMaximum(false);
    chart.LeftAxis().SetMaximum(100);
    chart.LeftAxis().UpdateRange();
    EXPECT_EQ(chart.LeftAxis().EffectiveMin, -1);
    EXPECT_EQ(chart.LeftAxis().EffectiveMax, 100);
}

TEST(ChartAxis, PagingScalesToThePage)
{
    TChart chart;
    auto* s = chart.AddSeries<TFastLineSeries>();
    for (int i = 0; i < 25; ++i)
        s->AddPoint(i * 10, i);
    chart.SetMaxPointsPerPage(10);
    struct Row {
        int page;
        bool scaleLast;
        double lo, hi;
    };
    const Row rows[] = {{1, true, 0, 90}, {2, true, 100, 190}, {3, true, 200, 240}, {3, false, 200, 280}};
    for (const Row& r : rows) {
        chart.SetPage(r.page);
        chart.SetScaleLastPage(r.scaleLast);
        EXPECT_EQ(chart.AxisDataExtreme(chart.BottomAxis(), false), r.lo) << r.page;
        EXPECT_EQ(chart.AxisDataExtreme(chart.BottomAxis(), true), r.hi) << r.page;
    }
}

TEST(ChartAxis, EmptyAndOnePointRangesMapToTheCentre)
{
    RecordingChart rig;
    auto* s = rig.chart.AddSeries<TFastLineSeries>();
    rig.chart.Paint();
    EXPECT_EQ(rig.chart.BottomAxis().EffectiveRange, 0);
    EXPECT_EQ(rig.chart.BottomAxis().ValueToPixel(12345), rig.chart.PlotCenterX);
    s->AddPoint(1, 30);
    rig.chart.Paint();
    EXPECT_EQ(rig.chart.BottomAxis().EffectiveMin, 1);
    EXPECT_EQ(rig.chart.LeftAxis().EffectiveMax, 30);
    EXPECT_EQ(s->XPixel(0), rig.chart.PlotCenterX);
    EXPECT_EQ(s->YPixel(0), rig.chart.PlotCenterY);
    EXPECT_EQ(AxisPainter(rig.chart.BottomAxis()).ValueLabelSequence(), std::vector<double>{1});
    EXPECT_EQ(AxisPainter(rig.chart.LeftAxis()).ValueLabelSequence(), std::vector<double>{30});
}

TEST(ChartAxis, ValueToPixelAndBack)
{
    RecordingChart rig;
    rig.Frame(TRect{10, 20, 110, 220}, 0, 100, 0, 50);
    TChartAxis& x = rig.chart.BottomAxis();
    TChartAxis& y = rig.chart.LeftAxis();
    EXPECT_EQ(x.ValueToPixel(0), 10);
    EXPECT_EQ(x.ValueToPixel(100), 110);
    EXPECT_EQ(x.ValueToPixel(0.5), 10); // 0.5 rounds to even 0
    EXPECT_EQ(x.ValueToPixel(1.5), 12); // 1.5 rounds to even 2
    EXPECT_EQ(y.ValueToPixel(0), 220);
    EXPECT_EQ(y.ValueToPixel(50), 20);
    EXPECT_EQ(y.ValueToPixel(25), 120);
    EXPECT_DOUBLE_EQ(x.PixelToValue(60), 50);
    EXPECT_DOUBLE_EQ(y.PixelToValue(20), 50);
    EXPECT_DOUBLE_EQ(y.PixelToValue(220), 0);
    y.SetInverted(true);
    EXPECT_EQ(y.ValueToPixel(0), 20); // the minimum at the top
    EXPECT_EQ(y.ValueToPixel(50), 220);
    EXPECT_DOUBLE_EQ(y.PixelToValue(20), 0);
    // Logarithmic: 1..100 over 100 pixels puts 10 in the middle.
    RecordingChart::Range(x, 1, 100);
    x.SetLogarithmic(true);
    RecordingChart::Range(x, 1, 100);
    EXPECT_EQ(x.ValueToPixel(10), 60);
    EXPECT_EQ(x.ValueToPixel(0), 10);
    EXPECT_NEAR(x.PixelToValue(60), 10, 1e-9);
}

TEST(ChartAxis, RangeFromMarginsWidensTheRange)
{
    RecordingChart rig;
    rig.Frame(TRect{0, 0, 100, 100}, 0, 80, 0, 80);
    rig.chart.BottomAxis().RangeFromMargins(10, 0, 10, 0);
    EXPECT_DOUBLE_EQ(rig.chart.BottomAxis().EffectiveMin, -10);
    EXPECT_DOUBLE_EQ(rig.chart.BottomAxis().EffectiveMax, 90);
    EXPECT_DOUBLE_EQ(rig.chart.BottomAxis().EffectiveRange, 100);
    EXPECT_EQ(rig.chart.PlotRect, (TRect{0, 0, 100, 100}));
    rig.chart.LeftAxis().RangeFromMargins(0, 0, 0, 0);
    EXPECT_EQ(rig.chart.LeftAxis().EffectiveMax, 80);
}

struct StepRow {
    const char* name;
    double lo, hi;
    double increment;
    int span, length;
    double step;
};

TEST(ChartAxis, IncrementForSizes)
{
    const StepRow rows[] = {
        // 19-pixel labels on 200 pixels: span 21, count 10, 1 -> 2 -> 5 -> 10.
        {"1..100", 1, 100, 0, 19, 200, 10},
        {"0..30 tall", 0, 30, 0, 10, 200, 2},
        // Below a range of 1 the search starts at the smallest step.
        {"0..0.004", 0, 0.004, 0, 20, 50, 0.002},
        // Increment 3 moves onto 5, 10, 20...
        {"increment 3", 0, 1000, 3, 20, 220, 100},
        {"increment 3 fits", 0, 30, 3, 10, 550, 3},
        // A plot too short for one label gets the smallest step.
        {"no room", 0, 100, 0, 30, 10, 1e-12},
    };
    for (const StepRow& r : rows) {
        TChart chart;
        TChartAxis& a = chart.BottomAxis();
        if (r.increment > 0)
            a.SetIncrement(r.increment);
        RecordingChart::Range(a, r.lo, r.hi);
        EXPECT_DOUBLE_EQ(a.IncrementForSizes(r.span, r.length), r.step) << r.name;
    }
}

TEST(ChartAxis, StepForCountRoundsTiesToEven)
{
    TChart chart;
    TChartAxis& a = chart.BottomAxis();
    a.SetIncrement(1);
    // q = 49.5 rounds to 50, above 49: the step moves on.
    RecordingChart::Range(a, 0, 49.5);
    EXPECT_EQ(a.StepForCount(49), 2);
    // q = 48.5 rounds to 48, not above 48: the step stays.
    RecordingChart::Range(a, 0, 48.5);
    EXPECT_EQ(a.StepForCount(48), 1);
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(3), 5);
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(5), 10);
}

struct SequenceRow {
    const char* name;
    double lo, hi, step;
    bool onAxis;
    std::vector<double> labels;
};

TEST(ChartAxis, ValueLabelSequence)
{
    const SequenceRow rows[] = {
        {"0..30 on axis", 0, 30, 5, true, {30, 25, 20, 15, 10, 5, 0}},
        {"0..30 off axis", 0, 30, 5, false, {25, 20, 15, 10, 5}},
        {"-2.5..7.5", -2.5, 7.5, 1, true, {7, 6, 5, 4, 3, 2, 1, 0, -1, -2}},
        {"empty", 0, 0, 1, true, {0}},
    };
    for (const SequenceRow& r : rows) {
        RecordingChart rig;
        TChartAxis& a = rig.chart.BottomAxis();
        a.SetIncrement(r.step);
        a.SetLabelsSeparation(0); // the step stays at the increment
        a.SetLabelsOnAxis(r.onAxis);
        rig.Frame(TRect{0, 0, 200, 200}, r.lo, r.hi, 0, 0);
        EXPECT_EQ(AxisPainter(a).ValueLabelSequence(), r.labels) << r.name;
    }
}

TEST(ChartAxis, NextLabelHandlerSuppliesTheValues)
{
    RecordingChart rig;
    rig.Frame(TRect{0, 0, 200, 200}, 0, 10, 0, 0);
    TChartAxis& a = rig.chart.BottomAxis();
    std::vector<double> seen;
    rig.chart.OnGetNextAxisLabel = [&](TCustomChartAxis&, int index, double& value, bool& stop) {
        seen.push_back(value);
        stop = false;
        value = index * 4.0;
    };
    // 0, 4, 8 lie in the range; 12 ends the sequence.
    EXPECT_EQ(AxisPainter(a).ValueLabelSequence(), (std::vector<double>{0, 4, 8}));
    EXPECT_EQ(seen, (std::vector<double>{0, 0, 4, 8}));
    // A handler that stops at once leaves the default sequence.
    rig.chart.OnGetNextAxisLabel = [](TCustomChartAxis&, int, double&, bool&) {};
    a.SetIncrement(5);
    a.SetLabelsSeparation(0);
    EXPECT_EQ(AxisPainter(a).ValueLabelSequence(), (std::vector<double>{10, 5, 0}));
}

TEST(ChartAxis, FormatLabel)
{
    TChart chart;
    TChartAxis& a = chart.BottomAxis();
    const NumberFormat f = RegionalNumberFormat();
    EXPECT_EQ(a.FormatLabel(0), "0");
    EXPECT_EQ(a.FormatLabel(12.5), "12" + f.decimal_separator + "5");
    EXPECT_EQ(a.FormatLabel(1234.56789), "1" + f.thousands_separator + "234" + f.decimal_separator + "568");
    chart.OnGetAxisLabel = [](TCustomChartAxis&, TChartSeries* s, int index, std::string& text) {
        EXPECT_EQ(s, nullptr);
        EXPECT_EQ(index, -1);
        text = "<" + text + " deg>";
    };
    a.SetLabelsMultiLine(true);
    EXPECT_EQ(a.FormatLabel(30), "<30\rdeg>");
}

TEST(ChartAxis, EffectiveLabelStyle)
{
    TChart chart;
    EXPECT_EQ(chart.BottomAxis().EffectiveLabelStyle(), talNone);
    auto* s = chart.AddSeries<TFastLineSeries>();
    s->AddPoint(1, 2);
    EXPECT_EQ(chart.BottomAxis().EffectiveLabelStyle(), talValue);
    EXPECT_EQ(chart.LeftAxis().EffectiveLabelStyle(), talValue);
    EXPECT_EQ(chart.TopAxis().EffectiveLabelStyle(), talNone);
    s->ClearPoints();
    s->AddPoint(1, 2, "first");
    EXPECT_EQ(chart.BottomAxis().EffectiveLabelStyle(), talText);
    EXPECT_EQ(chart.LeftAxis().EffectiveLabelStyle(), talValue);
    chart.LeftAxis().SetLabelStyle(talMark);
    EXPECT_EQ(chart.LeftAxis().EffectiveLabelStyle(), talMark);
}

TEST(ChartAxis, WidestLabelMeasuresTheRoundedEnds)
{
    RecordingChart rig;
    rig.chart.AddSeries<TFastLineSeries>()->AddPoint(0, 0);
    rig.Frame(TRect{0, 0, 200, 200}, 0, 0, -1234.5, 30);
    TChartAxis& a = rig.chart.LeftAxis();
    a.SetIncrement(100);
    a.SetLabelsSeparation(0);
    // Ends cut to the step: -1,200 (6 characters) and 0; plus a space: 7 x 6 pixels.
    EXPECT_EQ(AxisPainter(a).WidestLabel(), 42);
    a.SetRoundFirstLabel(false);
    // -1,234.5 is 8 characters.
    EXPECT_EQ(AxisPainter(a).WidestLabel(), 54);
}
