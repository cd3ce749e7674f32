// SPDX-License-Identifier: MIT
#pragma once
// The arm at its stored constants (gravity term 9.81, damping 2, no force
// limit), as the main loop calls it: Brazo with the default settings.

#include "core/arm/IntegracionBrazo.h"

namespace nc {

// The derivative pair: (velocidad, 9.81 sin(posicion) - 2 velocidad + fuerza),
// the second formed in extended precision and rounded once to single.
EstadoBrazo Modelo(float posicion, float velocidad, float fuerza);

// The state after 0.05 s: 100 sub-steps of 0.0005 s (a single-precision h),
// every named quantity rounded to single when it is formed.
EstadoBrazo Pendulo(float posicion, float velocidad, float fuerza);

// The acceleration term of Modelo computed with the extended sine throughout;
// Modelo gives bit for bit the same value, faster. Kept for the benchmark.
float AceleracionExtendida(float posicion, float velocidad, float fuerza);

} // namespace nc
