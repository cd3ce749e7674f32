// SPDX-License-Identifier: MIT
#pragma once
// The loop's units in extended precision: degrees and radians, and the
// sample period. One definition, so that the main loop, the laboratory, the
// windows and the trace tool convert with the same constants to the bit.

namespace nc {

inline constexpr long double kGradosARadianes = 0.017453292519943295769L;
inline constexpr long double kRadianesAGrados = 57.295779513082320877L;
inline constexpr long double kPeriodo = 0.05L; // seconds per sample

} // namespace nc
