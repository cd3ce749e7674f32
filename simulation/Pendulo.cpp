// SPDX-License-Identifier: MIT
#include "simulation/Pendulo.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace nc {
namespace {

constexpr long double kGravedad = 9.81L;
constexpr long double kSexto = 1.0L / 6.0L;
constexpr float kPaso = 0.0005f;
constexpr int kSubpasos = 100;

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

inline float AceleracionConSeno(long double seno, float v, float u)
{
    return static_cast<float>(kGravedad * seno - 2.0L * v + u);
}

// 9.81 sin(x) - 2 v + u, rounded to single, equal bit for bit to the value
// formed in extended precision with the extended sine. That sine costs several
// times the double one and the result keeps only 24 bits, so the sum is first
// formed in double, and the extended sine is needed only when the rounding to
// single might go the other way. The double sum's error against the extended
// one is below 2^-50 of the terms' magnitude (the sine's ulp, the constant 9.81
// in double, three roundings on each side); the margin is twice that.
inline float Aceleracion(float x, float v, float u)
{
    long double exacto;
    if (SenoEnCache(x, exacto))
        return AceleracionConSeno(exacto, v, u);
    const double termino = 9.81 * std::sin(static_cast<double>(x));
    const double r = termino - 2.0 * v + u;
    const double magnitud = std::fabs(termino) + 2.0 * std::fabs(v) + std::fabs(u);
    const double margen = magnitud * 0x1p-49;
    const float abajo = static_cast<float>(r - margen);
    const float arriba = static_cast<float>(r + margen);
    if (abajo == arriba)
        return abajo;
    return AceleracionConSeno(SenoExtendido(x), v, u);
}

} // namespace

float AceleracionExtendida(float x, float v, float u)
{
    return AceleracionConSeno(std::sin(static_cast<long double>(x)), v, u);
}

EstadoBrazo Modelo(float posicion, float velocidad, float fuerza)
{
    return {velocidad, Aceleracion(posicion, velocidad, fuerza)};
}

// The sum of two floats, or a float times h, rounded to single. Formed in double
// instead of extended: both carry more than twice single's 24 bits plus two,
// so rounding first to either and then to single gives the same float.
inline float Simple(double valor)
{
    return static_cast<float>(valor);
}

EstadoBrazo Pendulo(float posicion, float velocidad, float fuerza)
{
    const double h = kPaso;
    float x = posicion;
    float v = velocidad;
    const float u = fuerza;
    // A counted loop: stepping t by the single-precision h from 0 while t <= 0.05
    // runs exactly 100 sub-steps, since the 100th sum is 0.050000012.
    for (int paso = 0; paso < kSubpasos; ++paso) {
        const float b1 = Aceleracion(x, v, u);
        const float kx1 = Simple(h * v);
        const float kv1 = Simple(h * b1);

        const float x2 = Simple(x + 0.5 * kx1);
        const float v2 = Simple(v + 0.5 * kv1);
        const float b2 = Aceleracion(x2, v2, u);
        const float kx2 = Simple(h * v2);
        const float kv2 = Simple(h * b2);

        const float x3 = Simple(x + 0.5 * kx2);
        const float v3 = Simple(v + 0.5 * kv2);
        const float b3 = Aceleracion(x3, v3, u);
        const float kx3 = Simple(h * v3);
        const float kv3 = Simple(h * b3);

        const float x4 = Simple(double{x} + kx3);
        const float v4 = Simple(double{v} + kv3);
        const float b4 = Aceleracion(x4, v4, u);
        const float kx4 = Simple(h * v4);
        const float kv4 = Simple(h * b4);

        // Several roundings happen inside these two, so they stay extended.
        const float nx
            = static_cast<float>(x + (kx1 + 2.0L * kx2 + 2.0L * kx3 + static_cast<long double>(kx4)) * kSexto);
        const float nv
            = static_cast<float>(v + (kv1 + 2.0L * kv2 + 2.0L * kv3 + static_cast<long double>(kv4)) * kSexto);
        // A sub-step is a function of (x, v) alone while the force is held:
        // once it leaves both unchanged to the bit, every later one would too.
        // A settled arm gets there after a few sub-steps.
        if (std::bit_cast<uint32_t>(nx) == std::bit_cast<uint32_t>(x)
            && std::bit_cast<uint32_t>(nv) == std::bit_cast<uint32_t>(v))
            break;
        x = nx;
        v = nv;
    }
    return {x, v};
}

} // namespace nc
