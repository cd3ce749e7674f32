// SPDX-License-Identifier: MIT
#include "core/arm/Brazo.h"

#include "core/numbers/NumberText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace nc {
namespace {

// The extended sines already computed, by the float argument's bits. Once the
// arm settles its position stops changing (h times a tiny velocity is below
// half an ulp), so every sub-step asks for the same sine, and that is where
// the fast path below cannot decide: the acceleration cancels to almost zero.
struct SenoCache {
    static constexpr unsigned kEntradas = 8;
    uint32_t clave[kEntradas] = {};
    bool valida[kEntradas] = {};
    long double seno[kEntradas] = {};

    static unsigned Indice(uint32_t bits) { return (bits ^ (bits >> 8) ^ (bits >> 16)) % kEntradas; }
};
thread_local SenoCache cache_senos;

long double SenoExtendido(float x)
{
    const uint32_t bits = std::bit_cast<uint32_t>(x);
    const unsigned i = SenoCache::Indice(bits);
    if (cache_senos.valida[i] && cache_senos.clave[i] == bits)
        return cache_senos.seno[i];
    const long double s = std::sin(static_cast<long double>(x));
    cache_senos.clave[i] = bits;
    cache_senos.valida[i] = true;
    cache_senos.seno[i] = s;
    return s;
}

bool SenoEnCache(float x, long double& s)
{
    const uint32_t bits = std::bit_cast<uint32_t>(x);
    const unsigned i = SenoCache::Indice(bits);
    if (!cache_senos.valida[i] || cache_senos.clave[i] != bits)
        return false;
    s = cache_senos.seno[i];
    return true;
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
    return static_cast<float>(
        AceleracionBrazo<long double>(gravedad_, amortiguamiento_, std::sin(static_cast<long double>(x)), v, u));
}

// The sum formed in double, and the extended one only where rounding to
// single might go the other way. Against the extended sum the double one
// errs by the sine's ulp, each constant's distance from its decimal (half an
// ulp of double), two products and two sums, together below 2^-50 of the
// terms' magnitude; the margin is twice that. The extended sine costs several
// times the double one and the result keeps only 24 bits, which is why the
// double sum comes first.
// Inlined into every sub-step's four stages, where a call would cost more
// than the double sum it saves.
[[gnu::always_inline]] inline float Brazo::AceleracionEnLinea(float x, float v, float u) const
{
    long double exacto;
    if (SenoEnCache(x, exacto))
        return static_cast<float>(AceleracionBrazo<long double>(gravedad_, amortiguamiento_, exacto, v, u));
    const double termino = gravedad_doble_ * std::sin(static_cast<double>(x));
    const double amortiguacion = amortiguamiento_doble_ * v;
    const double r = termino - amortiguacion + u;
    const double margen = (std::fabs(termino) + std::fabs(amortiguacion) + std::fabs(u)) * 0x1p-49;
    const float abajo = static_cast<float>(r - margen);
    const float arriba = static_cast<float>(r + margen);
    if (abajo == arriba)
        return abajo;
    return static_cast<float>(AceleracionBrazo<long double>(gravedad_, amortiguamiento_, SenoExtendido(x), v, u));
}

float Brazo::Aceleracion(float x, float v, float u) const
{
    return AceleracionEnLinea(x, v, u);
}

EstadoBrazo Brazo::Integrar(float posicion, float velocidad, float fuerza) const
{
    return IntegrarMuestra<float>(
        {posicion, velocidad}, kPaso, kSubpasos, [&](float x, float v) { return AceleracionEnLinea(x, v, fuerza); },
        true);
}

EstadoBrazo Brazo::IntegrarExtendido(float posicion, float velocidad, float fuerza) const
{
    return IntegrarMuestra<float>(
        {posicion, velocidad}, kPaso, kSubpasos, [&](float x, float v) { return AceleracionExtendida(x, v, fuerza); },
        true);
}

} // namespace nc
