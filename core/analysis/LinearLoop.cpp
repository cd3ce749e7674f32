// SPDX-License-Identifier: MIT
#include "core/analysis/LinearLoop.h"

#include <Eigen/Eigenvalues>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>

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

LazoLinealizado Linealizar(double posicion, long double du_dposicion, long double du_dvelocidad, long double g,
                           long double b)
{
    LazoLinealizado l;
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

namespace nc {

LazoLinealizado LinealizarConIntegral(double posicion, long double du_dposicion, long double du_dvelocidad,
                                      long double du_dintegral, long double g, long double b)
{
    LazoLinealizado l = Linealizar(posicion, du_dposicion, du_dvelocidad, g, b);
    if (du_dintegral == 0.0L)
        return l;
    l.tres_estados = true;
    l.a23 = du_dintegral;
    // A 3×3 has no closed form worth its rounding: Eigen's real Schur form
    // gives real roots with an imaginary part of exactly zero and a complex
    // pair as exact conjugates.
    Eigen::Matrix<long double, 3, 3> a;
    a << 0.0L, 1.0L, 0.0L, l.a21, l.a22, l.a23, -1.0L, 0.0L, 0.0L;
    const Eigen::EigenSolver<Eigen::Matrix<long double, 3, 3>> solver(a, false);
    std::array<std::complex<long double>, 3> v;
    for (int i = 0; i < 3; ++i)
        v[static_cast<size_t>(i)] = solver.eigenvalues()[i];
    std::sort(v.begin(), v.end(), [](const std::complex<long double>& x, const std::complex<long double>& y) {
        return x.real() != y.real() ? x.real() > y.real() : x.imag() > y.imag();
    });
    l.autovalores = {v[0].real(), v[0].imag(), v[1].real(), v[1].imag()};
    l.re3 = v[2].real();
    l.im3 = v[2].imag();
    l.oscilador = false;
    l.frecuencia_natural = 0.0L;
    l.amortiguamiento = 0.0L;
    for (const std::complex<long double>& z : v)
        if (z.imag() > 0.0L) {
            l.oscilador = true;
            l.frecuencia_natural = std::abs(z);
            l.amortiguamiento = -z.real() / l.frecuencia_natural;
        }
    l.estable = std::all_of(v.begin(), v.end(), [](const std::complex<long double>& z) { return z.real() < 0.0L; });
    return l;
}

} // namespace nc
