// SPDX-License-Identifier: MIT
#pragma once
// The step-response figures of one segment of a run, as a control course reads
// them off a plot: rise time, overshoot, settling time, peak. The definitions
// are python-control's step_info, taken from the segment's own starting point
// rather than from zero, on the sampled positions without interpolation.

#include <cstdint>
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

// How an arm follows a sine reference d + A sin(2 pi t / T): the arm's swing
// over the reference's and how far behind it runs, from the sine that fits
// its positions best (least squares, with an offset of its own).
struct TrackingFigures {
    double razon = 0;   // amplitude ratio, 1 when the arm swings as far as the reference
    double desfase = 0; // phase lag in degrees, (-180, 180], positive when the arm is behind
};

// positions: the plotted positions of samples k0, k0 + 1, ..., `periodo`
// seconds apart, the reference's sample k at time k x periodo. Empty when
// the fit has no answer: an amplitude of 0, or too few positions to tell a
// sine of period T from a constant.
std::optional<TrackingFigures> MeasureTracking(std::span<const float> positions, int64_t k0, double periodo,
                                               double amplitud, double periodo_seno);

} // namespace nc
