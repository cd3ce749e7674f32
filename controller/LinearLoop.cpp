// SPDX-License-Identifier: MIT
#include "controller/LinearLoop.h"

#include <cmath>

namespace nc {

Eigen2 Autovalores2x2(long double a11, long double a12, long double a21, long double a22)
{
    // λ = m ± √Δ with m the half trace and Δ = ((a11 − a22)/2)² + a12·a21,
    // which is m² − det without the cancellation of m² against det.
    const long double m = (a11 + a22) / 2.0L;
    const long double h = (a11 - a22) / 2.0L;
    const long double delta = h * h + a12 * a21;
    Eigen2 e;
    if (delta < 0.0L) {
        const long double s = std::sqrt(-delta);
        e.re1 = m;
        e.im1 = s;
        e.re2 = m;
        e.im2 = -s;
        return e;
    }
    // The root of larger magnitude first, the other from the determinant, so
    // that a small root is not lost in m − √Δ.
    const long double s = std::sqrt(delta);
    const long double big = m >= 0.0L ? m + s : m - s;
    const long double det = a11 * a22 - a12 * a21;
    const long double small = big != 0.0L ? det / big : 0.0L;
    e.re1 = big >= small ? big : small;
    e.re2 = big >= small ? small : big;
    return e;
}

LinearisedLoop Linealizar(double posicion, long double du_dposicion, long double du_dvelocidad, long double g,
                          long double b)
{
    LinearisedLoop l;
    l.a21 = g * std::cos(static_cast<long double>(posicion)) + du_dposicion;
    l.a22 = -b + du_dvelocidad;
    l.autovalores = Autovalores2x2(0.0L, 1.0L, l.a21, l.a22);
    const long double det = -l.a21;
    l.oscilador = det > 0.0L;
    if (l.oscilador) {
        l.frecuencia_natural = std::sqrt(det);
        l.amortiguamiento = -l.a22 / (2.0L * l.frecuencia_natural);
    }
    l.estable = l.autovalores.re1 < 0.0L && l.autovalores.re2 < 0.0L;
    return l;
}

} // namespace nc
