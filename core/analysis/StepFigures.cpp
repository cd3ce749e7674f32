// SPDX-License-Identifier: MIT
#include "core/analysis/StepFigures.h"

#include <array>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace nc {

StepFigures MeasureStep(std::span<const float> positions, double periodo)
{
    assert(!positions.empty() && "a segment has at least its starting position");
    StepFigures f;
    f.inicial = positions.front();
    f.final = positions.back();
    const double step = f.final - f.inicial;
    const double size = std::abs(step);
    const double direction = step >= 0 ? 1.0 : -1.0;
    // Progress along the step's direction, from the segment's start.
    auto along = [&](std::size_t i) { return direction * (positions[i] - f.inicial); };

    std::size_t peak = 0;
    for (std::size_t i = 1; i < positions.size(); ++i)
        if (along(i) > along(peak))
            peak = i;
    f.pico = positions[peak];
    f.t_pico = static_cast<double>(peak) * periodo;
    if (size < kSmallestStep)
        return f;

    f.sobreimpulso = std::max(0.0, along(peak) - size) / size * 100.0;

    // The last sample reaches 100 %, so both searches end.
    std::size_t low = 0;
    while (along(low) < 0.1 * size)
        ++low;
    std::size_t high = low;
    while (along(high) < 0.9 * size)
        ++high;
    f.subida = static_cast<double>(high - low) * periodo;

    // Settled from the sample after the last one outside the band; the last
    // sample is the band's centre, so there is always one inside.
    std::size_t settled = 0;
    for (std::size_t i = 0; i < positions.size(); ++i)
        if (std::abs(positions[i] - f.final) >= 0.02 * size)
            settled = i + 1;
    f.establecimiento = static_cast<double>(settled) * periodo;
    return f;
}

std::optional<TrackingFigures> MeasureTracking(std::span<const float> positions, int64_t k0, double periodo,
                                               double amplitud, double periodo_seno)
{
    if (amplitud == 0.0 || positions.size() < 3)
        return std::nullopt;
    // p_k = c + a sin(w t_k) + b cos(w t_k) by the normal equations, solved
    // by Cramer's rule in extended precision: three unknowns, and over a
    // whole period the matrix is close to diagonal.
    const long double w = 2.0L * std::numbers::pi_v<long double> / periodo_seno;
    std::array<std::array<long double, 3>, 3> m{};
    std::array<long double, 3> v{};
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const long double t = static_cast<long double>(k0 + static_cast<int64_t>(i)) * periodo;
        const std::array<long double, 3> f{1.0L, std::sin(w * t), std::cos(w * t)};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] += f[r] * f[c];
            v[r] += f[r] * positions[i];
        }
    }
    const auto det = [](const std::array<std::array<long double, 3>, 3>& a) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0])
            + a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const long double d = det(m);
    // Samples that all fall where the sine and the cosine are in step (two a
    // period, say) leave the matrix singular.
    if (!(std::abs(d) > 1e-9L * static_cast<long double>(positions.size() * positions.size() * positions.size())))
        return std::nullopt;
    auto replaced = [&](int column) {
        auto a = m;
        for (int r = 0; r < 3; ++r)
            a[r][column] = v[r];
        return det(a) / d;
    };
    // A negative amplitude is the same sine half a turn on.
    const long double signo = amplitud < 0 ? -1.0L : 1.0L;
    const long double a = signo * replaced(1);
    const long double b = signo * replaced(2);
    TrackingFigures f;
    f.razon = static_cast<double>(std::hypot(a, b) / std::abs(static_cast<long double>(amplitud)));
    // c + M sin(w t - phi) = c + M cos(phi) sin(w t) - M sin(phi) cos(w t).
    f.desfase = static_cast<double>(std::atan2(-b, a) * 180.0L / std::numbers::pi_v<long double>);
    if (f.desfase <= -180.0)
        f.desfase += 360.0;
    return f;
}

} // namespace nc
