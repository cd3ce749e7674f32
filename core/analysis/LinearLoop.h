// SPDX-License-Identifier: MIT
#pragma once
// The closed loop linearised at a state. Near (θ, ω) the arm and its
// controller behave like x' = A x with x = (δθ, δω) and
//     A = [[0, 1], [g·cos θ + ∂u/∂θ, −b + ∂u/∂ω]],
// where g is the gravity term and b the damping of the arm's equation
// (9.81 and 2 in the program). The reference is held, so ∂u/∂r does not
// enter A; it sets where the loop settles, not how it gets there.
//
// A controller that integrates the error adds a third state, the integral
// I with I' = r − θ, and A grows to
//     A = [[0, 1, 0], [g·cos θ + ∂u/∂θ, −b + ∂u/∂ω, ∂u/∂I], [−1, 0, 0]],
// whose characteristic polynomial is s³ − a22 s² − a21 s + ∂u/∂I.

#include "core/network/NetworkXray.h"

namespace nc {

// The eigenvalues of a real 2×2 matrix, in closed form. A complex pair is
// (re ± i·im) with im > 0 in the first; real ones are ordered with the
// larger first and have im = 0.
struct Eigen2 {
    long double re1 = 0.0L, im1 = 0.0L;
    long double re2 = 0.0L, im2 = 0.0L;
};
Eigen2 Autovalores2x2(long double a11, long double a12, long double a21, long double a22);

struct LazoLinealizado {
    long double a21 = 0.0L; // g·cos θ + ∂u/∂θ
    long double a22 = 0.0L; // −b + ∂u/∂ω
    long double a23 = 0.0L; // ∂u/∂I, with three states
    bool tres_estados = false;
    // Two states: both eigenvalues. Three: the first two of the three, which
    // are ordered by real part, the larger first, a complex pair together
    // with its positive imaginary part first.
    Eigen2 autovalores;
    long double re3 = 0.0L, im3 = 0.0L; // the third, with three states
    // Two states: for a companion matrix like A, det A = −a21 = ωn² and
    // trace A = a22 = −2ζωn. Both are defined only when det A > 0 (an
    // oscillator, damped or not); otherwise the eigenvalues are real with
    // opposite signs or one is zero, and oscilador is false with ωn = ζ = 0.
    // Three states: ωn and ζ are those of the complex pair, ωn = |λ| and
    // ζ = −Re λ / |λ|; without one, oscilador is false.
    bool oscilador = false;
    long double frecuencia_natural = 0.0L; // ωn, radians per second
    long double amortiguamiento = 0.0L;    // ζ
    bool estable = false;                  // every real part negative
};

LazoLinealizado Linealizar(double posicion, long double du_dposicion, long double du_dvelocidad, long double g = 9.81L,
                           long double b = 2.0L);

// The loop under the network's gains at a state.
inline LazoLinealizado Linealizar(double posicion, const Ganancias& ganancias, long double g = 9.81L,
                                  long double b = 2.0L)
{
    return Linealizar(posicion, ganancias.dposicion, ganancias.dvelocidad, g, b);
}

// The loop with the error's integral as its third state, for any controller
// whose force depends on it (∂u/∂I = du_dintegral). With ∂u/∂I = 0 the
// integral does not reach the arm, and the loop is the two-state one.
LazoLinealizado LinealizarConIntegral(double posicion, long double du_dposicion, long double du_dvelocidad,
                                      long double du_dintegral, long double g = 9.81L, long double b = 2.0L);

// The loop under a PID whose derivative acts on the measurement, so that
// ∂u/∂θ = −Kp, ∂u/∂ω = −Kd and ∂u/∂I = Ki.
inline LazoLinealizado LinealizarPID(double posicion, long double kp, long double kd, long double g = 9.81L,
                                     long double b = 2.0L, long double ki = 0.0L)
{
    return LinealizarConIntegral(posicion, -kp, -kd, ki, g, b);
}

} // namespace nc
