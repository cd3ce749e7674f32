// SPDX-License-Identifier: MIT
// A whole paint of a small chart after any settings its setters take: axis
// lengths, sizes, counts, ranges, angles, fonts, margins, bevels and points
// anywhere in their types, pens up to 64 pixels wide. A setter may refuse a
// value with its exception, and so may the paint; otherwise the paint ends in
// good time and every sum on the way stays defined (the sanitizers watch).
#include "FuzzInput.h"
#include "chart/Chart.h"
#include "chart/ChartDevice.h"
#include "chart/Series.h"

#include <QApplication>

#include <exception>
#include <memory>

using namespace nc;

namespace {

void StartQt()
{
    static int argc = 1;
    static char name[] = "fuzz_chart_paint";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
}

void Set(TCustomAxisPanel& chart, TChartSeries& a, TChartSeries& b, fuzz::Input& in)
{
    const uint8_t code = in.Take<uint8_t>();
    TChartAxis* const axes[] = {&chart.LeftAxis(), &chart.BottomAxis(), &chart.RightAxis(), &chart.TopAxis()};
    TChartAxis& axis = *axes[code >> 6];
    const int32_t n = in.Take<int32_t>();
    const double v = in.Take<double>();
    // Pens up to 64 pixels wide. A pen as wide as the picture draws a mask
    // the picture's size for every tick, and a count of billions puts
    // thousands of ticks across it: slow, not wrong, and left so.
    const int32_t pen = n % 65;
    switch (code % 36) {
    case 0: axis.SetTitleSize(n); break;
    case 1: axis.SetLabelsSize(n); break;
    case 2: axis.SetTickLength(n); break;
    case 3: axis.SetTickInnerLength(n); break;
    case 4: axis.SetMinorTickLength(n); break;
    case 5: axis.SetMinorTickCount(n); break;
    case 6: axis.SetLabelsSeparation(n); break;
    case 7: axis.SetLabelsAngle(n); break;
    case 8: axis.Title().SetAngle(n); break;
    case 9: axis.Axis().SetWidth(pen); break;
    case 10: axis.Ticks().SetWidth(pen); break;
    case 11: axis.Grid().SetWidth(pen); break;
    case 12: axis.LabelsFont().SetHeight(n); break;
    case 13: axis.Title().Font().SetHeight(n); break;
    case 14: axis.SetMinMax(v, in.Take<double>()); break;
    case 15: axis.SetIncrement(v); break;
    case 16: axis.SetAutomatic(n & 1); break;
    case 17: axis.SetLogarithmic(n & 1); break;
    case 18: axis.SetInverted(n & 1); break;
    case 19: axis.SetGridCentered(n & 1); break;
    case 20: axis.SetTickOnLabelsOnly(n & 1); break;
    case 21: axis.SetLabelStyle(static_cast<TAxisLabelStyle>(static_cast<uint32_t>(n) % 5)); break;
    case 22: axis.Title().SetCaption(n & 1 ? "t\ru" : "titulo"); break;
    case 23: axis.SetLabelsMultiLine(n & 1); break;
    case 24: axis.TicksInner().SetVisible(n & 1); break;
    case 25: axis.SetVisible(n & 1); break;
    case 26: chart.SetMarginLeft(n); break;
    case 27: chart.SetMarginBottom(n); break;
    case 28: chart.SetBevelWidth(n); break;
    case 29: chart.SetBorderWidth(n); break;
    case 30: chart.SetMaxPointsPerPage(n); break;
    case 31: axis.MinorTicks().SetWidth(pen); break;
    case 32: axis.TicksInner().SetWidth(pen); break;
    default: (code & 32 ? b : a).AddPoint(v, in.Take<double>(), n & 1 ? "x\ry" : ""); break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartQt();
    fuzz::Input in(data, size);
    const int width = 1 + in.Take<uint8_t>() % 160;
    const int height = 1 + in.Take<uint8_t>() % 120;
    TChart chart;
    chart.SetBounds(0, 0, width, height);
    chart.SetView3D(false);
    chart.SetControlDevice(std::make_unique<ImageDevice>(width, height));
    chart.Canvas().SetBuffered(in.Take<uint8_t>() & 1);
    TFastLineSeries* a = chart.AddSeries<TFastLineSeries>();
    TFastLineSeries* b = chart.AddSeries<TFastLineSeries>();
    b->SetHorizAxis(aTopAxis);
    b->SetVertAxis(aRightAxis);
    for (double x : {0.0, 1.0, 2.0}) {
        a->AddPoint(x, x);
        b->AddPoint(x, -x);
    }
    for (int op = 0; op < 48 && !in.Empty(); ++op) {
        try {
            Set(chart, *a, *b, in);
        } catch (const std::exception&) {
        }
    }
    try {
        chart.Paint();
    } catch (const std::exception&) {
    }
    return 0;
}
