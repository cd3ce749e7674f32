// SPDX-License-Identifier: MIT
#include "simulation/StepFigures.h"

#include <cassert>
#include <cmath>
#include <cstddef>

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

} // namespace nc
