// SPDX-License-Identifier: MIT
// A long run without a window: 10^6 control steps, each adding its points to
// both curves of the response chart. The heap grows by what the points take
// and nothing more; under the sanitizers the same run must leak nothing.

#include "chart/Chart.h"
#include "chart/Series.h"
#include "core/control/ControlLoop.h"
#include "ui/main/ResponseChart.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define NC_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NC_SANITIZED 1
#endif
#endif

namespace nc {
namespace {

class PlotView final : public ControlView {
public:
    PlotView(TFastLineSeries& position, TFastLineSeries& reference) : position_(position), reference_(reference) {}
    void SetPositionText(const std::string&) override {}
    void SetVelocityText(const std::string&) override {}
    void Dibujar_graficas(int32_t k, float posicion, float) override
    {
        position_.AddPoint(k, posicion, {}, 0x0000FF);
        reference_.AddPoint(k, 30.0, {}, 0x0000FF);
    }
    void SetForceText(const std::string&) override {}
    void SetTimeText(const std::string&) override {}
    void Dibujar_brazo(double) override {}

private:
    TFastLineSeries& position_;
    TFastLineSeries& reference_;
};

std::size_t HeapInUse()
{
    // Large blocks (the grown vectors) are mapped separately from the arena.
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

TEST(Soak, MillionStepsCostOnlyTheirPoints)
{
    constexpr int kSteps = 1000000;
    // What one point of a series holds, on average over the two: the
    // position's Y as a double with its extremes index (16 bytes per 64
    // values, an eighth of that more per level above: 16/56 per value). The
    // X values (the sample number) and the constant reference are kept as a
    // rule, and the one colour given with every point as one run: nothing
    // per point.
    [[maybe_unused]] constexpr double kBytesPerPoint = (8 + 16.0 / 56) / 2;

    TChart chart;
    TFastLineSeries* position = nullptr;
    TFastLineSeries* reference = nullptr;
    ConfigureResponseChart(chart, position, reference);
    PlotView view(*position, *reference);
    ControlLoop loop(NumberFormat{});
    loop.Inicializar(view);

    [[maybe_unused]] const std::size_t before = HeapInUse();
    for (int k = 0; k < kSteps; ++k)
        loop.Paso("30", view);
    [[maybe_unused]] const std::size_t after = HeapInUse();

    ASSERT_EQ(position->PointCount(), kSteps);
    ASSERT_EQ(reference->PointCount(), kSteps);
    EXPECT_EQ(loop.muestra(), kSteps);
    EXPECT_NEAR(loop.posicion() * 57.295779513082320877L, 30.31, 0.01);
#ifndef NC_SANITIZED
    const double points = 2.0 * kSteps;
    const double grown = static_cast<double>(after - before);
    EXPECT_LE(grown, points * kBytesPerPoint * 1.10) << grown / points << " bytes per point";
    EXPECT_GE(grown, points * kBytesPerPoint) << grown / points << " bytes per point";
#endif
    position->ClearPoints();
    reference->ClearPoints();
#ifndef NC_SANITIZED
    EXPECT_LE(HeapInUse(), before + 64 * 1024); // the points' memory is given back
#endif
}

} // namespace
} // namespace nc
