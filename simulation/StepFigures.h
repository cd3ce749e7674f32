// SPDX-License-Identifier: MIT
#pragma once
// The step-response figures of one segment of a run, as a control course reads
// them off a plot: rise time, overshoot, settling time, peak. The definitions
// are python-control's step_info, taken from the segment's own starting point
// rather than from zero, on the sampled positions without interpolation.

#include <optional>
#include <span>

namespace nc {

struct StepFigures {
    double inicial = 0; // the first position, degrees
    double final = 0;   // the last position, degrees
    // Overshoot in % of the step, rise time and settling time in seconds; empty
    // where the step is too small to measure (below kSmallestStep).
    std::optional<double> sobreimpulso, subida, establecimiento;
    double pico = 0;   // the position farthest along the step's direction
    double t_pico = 0; // its time from the first sample, seconds
};

// Steps smaller than this, in degrees, have no rise, overshoot or settling.
inline constexpr double kSmallestStep = 1e-6;

// positions: the plotted positions of a segment, `periodo` seconds apart, the
// first where the segment starts and the last after its final sample; at
// least one. A step of exactly zero counts as upward for the peak.
StepFigures MeasureStep(std::span<const float> positions, double periodo);

} // namespace nc
