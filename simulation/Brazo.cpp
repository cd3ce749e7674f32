// SPDX-License-Identifier: MIT
#include "simulation/Brazo.h"

#include "text/NumberText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace nc {
namespace {

constexpr long double kSexto = 1.0L / 6.0L;
constexpr float kPaso = 0.0005f;
constexpr int kSubpasos = 100;

inline float Simple(double valor)
{
    return static_cast<float>(valor);
}

} // namespace

long double ExtendidoDe(double valor)
{
    char texto[64];
    const auto r = std::to_chars(texto, texto + sizeof texto, valor);
    return StrToFloat(std::string_view(texto, static_cast<size_t>(r.ptr - texto)), NumberFormat{".", ","});
}

Brazo::Brazo(const ParametrosBrazo& parametros)
    : parametros_(parametros), de_serie_(parametros == ParametrosBrazo{}), gravedad_(ExtendidoDe(parametros.gravedad)),
      amortiguamiento_(ExtendidoDe(parametros.amortiguamiento)), gravedad_doble_(parametros.gravedad),
      amortiguamiento_doble_(parametros.amortiguamiento)
{}

float Brazo::FuerzaLimitada(float fuerza) const
{
    if (!parametros_.fuerza_maxima)
        return fuerza;
    const float limite = static_cast<float>(*parametros_.fuerza_maxima);
    return std::clamp(fuerza, -limite, limite);
}

float Brazo::FuerzaAplicada(float fuerza, double carga) const
{
    float u = FuerzaLimitada(fuerza);
    if (carga != 0.0)
        u = static_cast<float>(static_cast<long double>(u) + carga);
    return u;
}

float Brazo::AceleracionExtendida(float x, float v, float u) const
{
    return static_cast<float>(gravedad_ * std::sin(static_cast<long double>(x)) - amortiguamiento_ * v + u);
}

// As Pendulo's fast path: the sum formed in double, and the extended one only
// where rounding to single might go the other way. Against the extended sum
// the double one errs by the sine's ulp, each constant's distance from its
// decimal (half an ulp of double), two products and two sums, together below
// 2^-50 of the terms' magnitude; the margin is twice that.
float Brazo::AceleracionRapida(float x, float v, float u) const
{
    const double termino = gravedad_doble_ * std::sin(static_cast<double>(x));
    const double amortiguacion = amortiguamiento_doble_ * v;
    const double r = termino - amortiguacion + u;
    const double margen = (std::fabs(termino) + std::fabs(amortiguacion) + std::fabs(u)) * 0x1p-49;
    const float abajo = static_cast<float>(r - margen);
    const float arriba = static_cast<float>(r + margen);
    if (abajo == arriba)
        return abajo;
    return AceleracionExtendida(x, v, u);
}

EstadoBrazo Brazo::Integrar(float posicion, float velocidad, float fuerza) const
{
    if (de_serie_)
        return Pendulo(posicion, velocidad, fuerza);
    return Subpasos(posicion, velocidad, [&](float x, float v) { return AceleracionRapida(x, v, fuerza); });
}

EstadoBrazo Brazo::IntegrarExtendido(float posicion, float velocidad, float fuerza) const
{
    return Subpasos(posicion, velocidad, [&](float x, float v) { return AceleracionExtendida(x, v, fuerza); });
}

// Pendulo's sub-steps with the acceleration given.
template <class Aceleracion> EstadoBrazo Brazo::Subpasos(float posicion, float velocidad, Aceleracion aceleracion)
{
    const double h = kPaso;
    float x = posicion;
    float v = velocidad;
    for (int paso = 0; paso < kSubpasos; ++paso) {
        const float b1 = aceleracion(x, v);
        const float kx1 = Simple(h * v);
        const float kv1 = Simple(h * b1);

        const float x2 = Simple(x + 0.5 * kx1);
        const float v2 = Simple(v + 0.5 * kv1);
        const float b2 = aceleracion(x2, v2);
        const float kx2 = Simple(h * v2);
        const float kv2 = Simple(h * b2);

        const float x3 = Simple(x + 0.5 * kx2);
        const float v3 = Simple(v + 0.5 * kv2);
        const float b3 = aceleracion(x3, v3);
        const float kx3 = Simple(h * v3);
        const float kv3 = Simple(h * b3);

        const float x4 = Simple(double{x} + kx3);
        const float v4 = Simple(double{v} + kv3);
        const float b4 = aceleracion(x4, v4);
        const float kx4 = Simple(h * v4);
        const float kv4 = Simple(h * b4);

        const float nx
            = static_cast<float>(x + (kx1 + 2.0L * kx2 + 2.0L * kx3 + static_cast<long double>(kx4)) * kSexto);
        const float nv
            = static_cast<float>(v + (kv1 + 2.0L * kv2 + 2.0L * kv3 + static_cast<long double>(kv4)) * kSexto);
        // As in Pendulo: a sub-step that changes neither bit pattern is a fixed point.
        if (std::bit_cast<uint32_t>(nx) == std::bit_cast<uint32_t>(x)
            && std::bit_cast<uint32_t>(nv) == std::bit_cast<uint32_t>(v))
            break;
        x = nx;
        v = nv;
    }
    return {x, v};
}

} // namespace nc
