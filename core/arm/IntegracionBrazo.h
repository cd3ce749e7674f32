// SPDX-License-Identifier: MIT
#pragma once
// The arm's equation of motion and its fourth-order Runge-Kutta sample, once,
// for any number type:
//
//     d posicion / dt = velocidad
//     d velocidad / dt = g sin(posicion) - b velocidad + u
//
// with the force u held over the sample. The arm itself (Brazo, and Pendulo
// at its stored constants) runs it in single precision, rounding every named
// quantity once as it is formed; training runs it in double, with fewer
// sub-steps, recording through its acceleration what its backward pass needs.
// What differs between number types is only where the sums are formed,
// which AritmeticaBrazo says.

#include <bit>
#include <cstdint>

namespace nc {

template <class Real> struct EstadoBrazoDe {
    Real posicion;  // radians from upright, never wrapped
    Real velocidad; // radians per second
    bool operator==(const EstadoBrazoDe&) const = default;
};
using EstadoBrazo = EstadoBrazoDe<float>;

// Where a sub-step forms its sums. In single precision the sum of two terms
// (or a term times h) is formed in double, which holds more than twice
// single's 24 bits plus two, so rounding first to double and then to single
// gives the same float as rounding once; the weighted sum of the four stages
// has several roundings inside and is formed in extended precision. In
// double everything is formed in double.
template <class Real> struct AritmeticaBrazo;
template <> struct AritmeticaBrazo<float> {
    using Par = double;
    using Suma = long double;
};
template <> struct AritmeticaBrazo<double> {
    using Par = double;
    using Suma = double;
};

// The equation's right-hand side, formed in the wide type W from the state
// and the sine of the position; the single-precision arm rounds it once.
template <class W> inline W AceleracionBrazo(W g, W b, W seno, W velocidad, W fuerza)
{
    return g * seno - b * velocidad + fuerza;
}

// The bit pattern of a value, to tell a fixed point from a slow motion.
template <class Real> inline auto Bits(Real valor)
{
    if constexpr (sizeof(Real) == sizeof(uint32_t))
        return std::bit_cast<uint32_t>(valor);
    else
        return std::bit_cast<uint64_t>(valor);
}


// One sample of `subpasos` classical Runge-Kutta sub-steps of length h, the
// force held. `aceleracion(x, v)` gives d velocidad / dt at a trial point;
// it is called at the four stages of each sub-step in order, which is how
// training records what its backward pass needs. With
// `parar_en_punto_fijo` a sub-step that leaves both bit patterns unchanged
// ends the sample: a sub-step is a function of (x, v) alone while the force
// is held, so every later one would change nothing either (a settled
// single-precision arm gets there after a few sub-steps). Training leaves
// it off: the value would be the same, but not the derivatives.
template <class Real, class Aceleracion>
inline EstadoBrazoDe<Real> IntegrarMuestra(EstadoBrazoDe<Real> inicio, Real h, int subpasos, Aceleracion&& aceleracion,
                                           bool parar_en_punto_fijo = false)
{
    using P = typename AritmeticaBrazo<Real>::Par;
    using S = typename AritmeticaBrazo<Real>::Suma;
    constexpr S kSexto = S{1} / S{6};
    const P hp = h;
    Real x = inicio.posicion;
    Real v = inicio.velocidad;
    for (int paso = 0; paso < subpasos; ++paso) {
        const Real b1 = aceleracion(x, v);
        const Real kx1 = static_cast<Real>(hp * v);
        const Real kv1 = static_cast<Real>(hp * b1);

        const Real x2 = static_cast<Real>(x + P{0.5} * kx1);
        const Real v2 = static_cast<Real>(v + P{0.5} * kv1);
        const Real b2 = aceleracion(x2, v2);
        const Real kx2 = static_cast<Real>(hp * v2);
        const Real kv2 = static_cast<Real>(hp * b2);

        const Real x3 = static_cast<Real>(x + P{0.5} * kx2);
        const Real v3 = static_cast<Real>(v + P{0.5} * kv2);
        const Real b3 = aceleracion(x3, v3);
        const Real kx3 = static_cast<Real>(hp * v3);
        const Real kv3 = static_cast<Real>(hp * b3);

        const Real x4 = static_cast<Real>(P{x} + kx3);
        const Real v4 = static_cast<Real>(P{v} + kv3);
        const Real b4 = aceleracion(x4, v4);
        const Real kx4 = static_cast<Real>(hp * v4);
        const Real kv4 = static_cast<Real>(hp * b4);

        const Real nx = static_cast<Real>(x + (kx1 + S{2} * kx2 + S{2} * kx3 + static_cast<S>(kx4)) * kSexto);
        const Real nv = static_cast<Real>(v + (kv1 + S{2} * kv2 + S{2} * kv3 + static_cast<S>(kv4)) * kSexto);
        if (parar_en_punto_fijo && Bits(nx) == Bits(x) && Bits(nv) == Bits(v))
            break;
        x = nx;
        v = nv;
    }
    return {x, v};
}

} // namespace nc
