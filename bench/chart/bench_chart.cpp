// SPDX-License-Identifier: MIT
// Speed of the chart's drawing primitives.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>

#include "chart/Chart.h"
#include "chart/device/ChartDevice.h"
#include "chart/device/ImageDevice.h"
#include "ui/lab/LabChart.h"
#include "ui/main/ResponseChart.h"

#include <chrono>
#include <cmath>
#include <random>

namespace {

// A polyline of short segments, as a response curve draws: one-pixel lines
// of 1 to 4 pixels in x and up to 6 in y.
void BM_ImageDeviceOnePixelSegment(benchmark::State& state)
{
    nc::ImageDevice device(257, 204);
    device.SelectPen(nc::DevicePen{0x0000FF, static_cast<nc::TPenStyle>(state.range(0)), 1, nc::pmCopy});
    int x = 10;
    int y = 100;
    int step = 0;
    device.MoveTo(x, y);
    for (auto _ : state) {
        x += 1 + (step & 3);
        y = 100 + ((step * 7) % 13) - 6;
        if (x > 246) {
            x = 10;
            device.MoveTo(x, y);
        }
        device.LineTo(x, y);
        ++step;
    }
    benchmark::DoNotOptimize(device.Image()->constBits());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImageDeviceOnePixelSegment)->Arg(nc::psSolid)->Arg(nc::psDot);

// The same segments through QPainter, for comparison.
void BM_QPainterOnePixelSegment(benchmark::State& state)
{
    QImage image(257, 204, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    QPainter painter(&image);
    painter.setPen(QPen(QColor(255, 0, 0), 0));
    int x = 10;
    int y = 100;
    int step = 0;
    QPoint last(x, y);
    for (auto _ : state) {
        x += 1 + (step & 3);
        y = 100 + ((step * 7) % 13) - 6;
        if (x > 246) {
            x = 10;
            last = QPoint(x, y);
        }
        const QPoint next(x, y);
        painter.drawLine(last, next);
        last = next;
        ++step;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QPainterOnePixelSegment);

void BM_ImageDeviceLongDiagonal(benchmark::State& state)
{
    nc::ImageDevice device(257, 204);
    device.SelectPen(nc::DevicePen{0x000000, nc::psSolid, 1, nc::pmCopy});
    for (auto _ : state) {
        device.MoveTo(0, 0);
        device.LineTo(256, 203);
    }
    state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_ImageDeviceLongDiagonal);

// An axis label: opaque background off, as the axes draw their texts.
void BM_ImageDeviceTextOut(benchmark::State& state)
{
    nc::ImageDevice device(257, 204);
    device.SetBkMode(nc::TRANSPARENT);
    device.SetTextAlign(nc::TA_RIGHT | nc::TA_TOP);
    for (auto _ : state)
        device.TextOut(40, 100, "-123.5");
}
BENCHMARK(BM_ImageDeviceTextOut);

// One sample: a point appended to each of two series (in order, one
// comparison each), each addition invalidating the chart.
void BM_AddPointPair(benchmark::State& state)
{
    nc::TChart chart;
    auto* position = chart.AddSeries<nc::TChartSeries>();
    auto* reference = chart.AddSeries<nc::TChartSeries>();
    int k = 0;
    for (auto _ : state) {
        position->AddPoint(k, 0.5 * k, {}, 0x0000FF);
        reference->AddPoint(k, 30, {}, 0x0000FF);
        if (++k == 100000) {
            state.PauseTiming();
            position->ClearPoints();
            reference->ClearPoints();
            k = 0;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddPointPair);

// A full paint of the empty window chart (background, bevel, back wall, axes)
// and its copy.
void BM_PaintWindowChart(benchmark::State& state)
{
    nc::TChart chart;
    chart.SetBounds(0, 0, 257, 204);
    chart.SetColor(nc::clWhite);
    chart.SetView3D(false);
    chart.SetBackColor(nc::clWhite);
    chart.Frame().SetColor(nc::clWhite);
    chart.Legend().SetVisible(false);
    for (auto _ : state) {
        chart.Invalidate();
        chart.Paint();
    }
}
BENCHMARK(BM_PaintWindowChart);

// A repaint without changes: one block copy of the picture.
void BM_RepaintUnchanged(benchmark::State& state)
{
    nc::TChart chart;
    chart.SetBounds(0, 0, 257, 204);
    chart.Paint();
    for (auto _ : state)
        chart.Paint();
}
BENCHMARK(BM_RepaintUnchanged);

// The window's chart holding n points per series, the position (solid red)
// and the reference (dotted blue), as the program fills them: the reference
// is set by the user and steps from 30 to 60 halfway; the position is
//  - kind 0, a smooth step response following it with a time constant of
//    n / 20 samples;
//  - kind 1, a random walk (a uniform step in [-1, 1] per sample);
//  - kind 2, the worst case for the dotted line: both series random walks.
// Each iteration is a full paint: both axes rescaled, both series drawn into
// the off-screen image, the copy to the screen.
void BM_PaintResponse(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const int kind = static_cast<int>(state.range(1));
    const bool large = state.range(2) == 1;
    nc::TChart chart;
    chart.SetBounds(0, 0, large ? 1280 : 257, large ? 720 : 204);
    nc::TFastLineSeries* position = nullptr;
    nc::TFastLineSeries* reference = nullptr;
    nc::ConfigureResponseChart(chart, position, reference);
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> step(-1.0, 1.0);
    double p = 0;
    double r = 0;
    const double tau = n / 20.0;
    for (int i = 0; i < n; ++i) {
        if (kind == 0)
            p = i < n / 2 ? 30 * (1 - std::exp(-i / tau)) : 30 + 30 * (1 - std::exp(-(i - n / 2) / tau));
        else
            p += step(random);
        if (kind == 2)
            r += step(random);
        else
            r = i < n / 2 ? 30 : 60;
        position->AddPoint(i, p);
        reference->AddPoint(i, r);
    }
    // The first paint after filling folds the appended values into the range
    // and builds the extremes index (O(N), once); the steady state is timed.
    chart.Paint();
    for (auto _ : state) {
        chart.Invalidate();
        chart.Paint();
    }
    state.SetItemsProcessed(state.iterations() * n * 2);
    state.counters["ns/point"] = benchmark::Counter(static_cast<double>(state.iterations()) * n * 2,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PaintResponse)
    ->ArgsProduct({{1000, 10000, 100000, 1000000, 3000000}, {0, 1, 2}, {0, 1}})
    ->ArgNames({"n", "kind", "large"})
    ->Unit(benchmark::kMillisecond);
// At scale: 10^7 and 10^8 points per curve (about 1.7 GB), the window's curves.
BENCHMARK(BM_PaintResponse)
    ->ArgsProduct({{10000000, 100000000}, {0, 1}, {0, 1}})
    ->ArgNames({"n", "kind", "large"})
    ->Unit(benchmark::kMillisecond);

// The laboratory's chart at 1920x1080 with four curves of n points (no twin:
// position, reference, force, error; the run of BM_PaintResponse's step), or
// with a twin, seven (its position, force and error beside them),
// against the window's chart at 1280x720 with its two curves of n points
// (BM_PaintResponse's kind 0, large), the two paints taken in turns in the
// same run so that both see the same machine. The time reported is the lab
// chart's paint (both panels, axes rescaled, curves drawn, copies); the
// "ratio" counter is its total over the window chart's.
void BM_PaintLabChart(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const bool twin = state.range(1) == 1;
    const double tau = n / 20.0;
    auto position = [&](int i) {
        return i < n / 2 ? 30 * (1 - std::exp(-i / tau)) : 30 + 30 * (1 - std::exp(-(i - n / 2) / tau));
    };
    nc::TChart window;
    window.SetBounds(0, 0, 1280, 720);
    nc::TFastLineSeries* series1 = nullptr;
    nc::TFastLineSeries* series2 = nullptr;
    nc::ConfigureResponseChart(window, series1, series2);
    nc::TLabChart lab;
    lab.resize(1920, 1080);
    if (twin)
        lab.SetNombres("Red neuronal", "PID");
    lab.setAttribute(Qt::WA_DontShowOnScreen);
    lab.show();
    for (int i = 0; i < n; ++i) {
        const double p = position(i);
        const double r = i < n / 2 ? 30 : 60;
        series1->AddPoint(i, p);
        series2->AddPoint(i, r);
        nc::MuestraLab m;
        m.muestra = i;
        m.posicion = static_cast<float>(p);
        m.referencia = static_cast<float>(r);
        m.fuerza = static_cast<float>(20 * (r - p) / 30 - 3);
        if (twin) {
            m.posicion_gemelo = static_cast<float>(p + 0.5 * std::sin(i * 1e-3));
            m.fuerza_gemelo = static_cast<float>(m.fuerza + 1);
        }
        lab.Agregar(m);
    }
    nc::TChart* panels[] = {lab.PanelPosicion(), lab.PanelFuerza()};
    // As BM_PaintResponse: the first paint folds the appended values in.
    window.Paint();
    for (nc::TChart* panel : panels)
        panel->Paint();
    using Clock = std::chrono::steady_clock;
    Clock::duration labTotal{};
    Clock::duration windowTotal{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (nc::TChart* panel : panels) {
            panel->Invalidate();
            panel->Paint();
        }
        const auto t1 = Clock::now();
        window.Invalidate();
        window.Paint();
        const auto t2 = Clock::now();
        labTotal += t1 - t0;
        windowTotal += t2 - t1;
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    state.counters["ratio"]
        = std::chrono::duration<double>(labTotal).count() / std::chrono::duration<double>(windowTotal).count();
    state.counters["window_ms"] = benchmark::Counter(std::chrono::duration<double, std::milli>(windowTotal).count()
                                                     / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_PaintLabChart)
    ->ArgsProduct({{1000000}, {0, 1}})
    ->ArgNames({"n", "twin"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

// The chart is a widget: the benchmarks run inside a headless QApplication.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
