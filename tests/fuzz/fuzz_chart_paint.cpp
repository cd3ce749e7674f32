// SPDX-License-Identifier: MIT
// A whole paint of a small chart after any settings its setters take: axis
// lengths, sizes, counts, ranges, angles, fonts, margins (the chart's and the
// curves'), bevels, walls, the 3D view, pen styles and modes, pages and points
// anywhere in their types, pens up to 64 pixels wide, with mouse zooming (box
// and wheel) and panning between paints. A setter may refuse a value with its
// exception, and so may the paint; otherwise the paint ends in good time and
// every sum on the way stays defined (the sanitizers watch).
#include "tests/fuzz/FuzzInput.h"
#include "chart/Chart.h"
#include "chart/device/ChartDevice.h"
#include "chart/device/ImageDevice.h"
#include "chart/Series.h"

#include <QApplication>

#include <exception>
#include <memory>
#include <string>
#include <vector>

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

void Set(TChart& chart, TFastLineSeries& a, TFastLineSeries& b, fuzz::Input& in)
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
    const auto count = static_cast<uint32_t>(n);
    TFastLineSeries& series = code & 32 ? b : a;
    TView3DOptions& view = chart.View3DOptions();
    // Mouse positions anywhere in int, or (most of the time) on the picture.
    auto position = [&] { return n & 2 ? in.Take<int32_t>() : static_cast<int32_t>(in.Take<uint8_t>()); };
    const TMouseButton button = static_cast<TMouseButton>(count % 3);
    switch (code % 72) {
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
    case 36: chart.SetView3D(n & 1); break;
    case 37: chart.SetChart3DPercent(n); break;
    case 38: view.SetZoom(n); break;
    case 39: view.SetHorizOffset(n); break;
    case 40: view.SetVertOffset(n); break;
    case 41: view.SetOrthogonal(n & 1); break;
    case 42: view.SetRotation(n); break;
    case 43: view.SetElevation(n); break;
    case 44: view.SetTilt(n); break;
    case 45: chart.SetView3DWalls(n & 1); break;
    case 46: axis.Grid().SetStyle(static_cast<TPenStyle>(count % 7)); break;
    case 47: axis.Grid().SetMode(static_cast<TPenMode>(count % 16)); break;
    case 48: series.LinePen().SetStyle(static_cast<TPenStyle>(count % 7)); break;
    case 49: series.LinePen().SetMode(static_cast<TPenMode>(count % 16)); break;
    case 50: series.LinePen().SetWidth(pen); break;
    case 51: chart.SetMarginTop(n); break;
    case 52: chart.SetMarginRight(n); break;
    case 53:
        (count % 3 == 0 ? chart.BackWall() : count % 3 == 1 ? chart.LeftWall() : chart.BottomWall()).SetSize(n / 3);
        break;
    case 54:
        chart.Gradient().SetVisible(n & 1);
        chart.Gradient().SetDirection(static_cast<TGradientDirection>(count % 7));
        break;
    case 55: chart.Legend().SetVisible(n & 1); break;
    case 56: chart.Title().SetText(n & 1 ? std::vector<std::string>{"a", "b\rc"} : std::vector<std::string>{}); break;
    case 57:
        (n & 1 ? chart.SetBevelInner(static_cast<TPanelBevel>(count % 4))
               : chart.SetBevelOuter(static_cast<TPanelBevel>(count % 4)));
        break;
    case 58: chart.SetPage(n); break;
    case 59: n & 1 ? series.Delete(n / 2) : series.ClearPoints(); break;
    case 60: series.SetColorEachPoint(n & 1); break;
    case 61: axis.Ticks().SetMode(static_cast<TPenMode>(count % 16)); break;
    case 62:
        chart.SetClipPoints(n & 1);
        series.SetVerticalMargins(n >> 8, n >> 20);
        break;
    case 63: chart.SetMonochrome(n & 1); break;
    case 64: chart.SetAllowZoom(n & 1); break;
    case 65: chart.SetAllowPanning(static_cast<TPanningMode>(count % 4)); break;
    // Each step of an animated zoom is a paint: a few steps, not billions.
    case 66:
        chart.SetAnimatedZoom(n & 1);
        chart.SetAnimatedZoomSteps(n % 9);
        break;
    case 67: {
        const int x = position();
        chart.MouseDown(button, 0, x, position());
        break;
    }
    case 68: {
        const int x = position();
        chart.MouseMove(0, x, position());
        break;
    }
    case 69: {
        const int x = position();
        chart.MouseUp(button, 0, x, position());
        break;
    }
    case 70:
        if (n & 1) {
            const int x = position();
            chart.ZoomAbout(x, position(), v); // the wheel, by any factor
        } else {
            chart.UndoZoom();
        }
        break;
    case 71: chart.Paint(); break;
    default: series.AddPoint(v, in.Take<double>(), n & 1 ? "x\ry" : ""); break;
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
        } catch (const std::exception&) {}
    }
    try {
        chart.Paint();
    } catch (const std::exception&) {}
    return 0;
}
