// SPDX-License-Identifier: MIT
#include "core/network/Lesion.h"

#include "core/network/StoredController.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>

namespace nc {

namespace {

constexpr double kLimite = 1e6;

// Pairs of normal draws from uniform ones: u1 in (0, 1] so that its logarithm
// is finite, u2 in [0, 1), both with 53 random bits.
class Gaussian {
public:
    explicit Gaussian(uint64_t semilla) : engine_(semilla) {}
    double Next()
    {
        if (has_spare_) {
            has_spare_ = false;
            return spare_;
        }
        const double u1 = (static_cast<double>(engine_() >> 11) + 1.0) * 0x1p-53;
        const double u2 = static_cast<double>(engine_() >> 11) * 0x1p-53;
        const double r = std::sqrt(-2.0 * std::log(u1));
        const double a = 2.0 * std::numbers::pi * u2;
        spare_ = r * std::sin(a);
        has_spare_ = true;
        return r * std::cos(a);
    }

private:
    std::mt19937_64 engine_;
    double spare_ = 0.0;
    bool has_spare_ = false;
};

void Check(const Lesions& l, int64_t hidden)
{
    if (hidden < 64 && (l.apagadas >> hidden) != 0)
        throw std::invalid_argument("Lesión no válida: la neurona apagada no existe");
    if (!std::isfinite(l.escala) || std::fabs(l.escala) > kLimite)
        throw std::invalid_argument("Lesión no válida: escala fuera de rango");
    if (!std::isfinite(l.ruido) || l.ruido < 0.0 || l.ruido > kLimite)
        throw std::invalid_argument("Lesión no válida: ruido fuera de rango");
    if (l.bits < 0 || l.bits > 32)
        throw std::invalid_argument("Lesión no válida: bits fuera de rango");
}

} // namespace

double Cuantizar(double w, double maximo, int32_t bits)
{
    if (bits <= 0 || maximo == 0.0 || w == 0.0)
        return w;
    if (bits == 1)
        return w > 0.0 ? maximo : -maximo;
    const long double q = std::ldexp(1.0L, bits - 1) - 1.0L;
    const long double steps = std::nearbyint(static_cast<long double>(w) * q / maximo);
    return static_cast<double>(steps * maximo / q);
}

std::unique_ptr<red> Construir_red_lesionada(const Lesions& l)
{
    return Construir_red_lesionada(l, *Construir_red_almacenada());
}

std::unique_ptr<red> Construir_red_lesionada(const Lesions& l, const red& sana)
{
    auto r = std::make_unique<red>(sana);
    const int32_t objetos = r->Num_capas() - 1;
    int64_t hidden = 0;
    for (int32_t i = 0; i < objetos - 1; ++i)
        hidden += r->Capa(i).Num_neuronas();
    Check(l, hidden);

    // Weights of at most 1e6 · 20 plus noise of at most 1e6 · 9 (the largest
    // Box–Muller draw from 53-bit uniforms is below 9) stay far from overflow.
    Gaussian noise(l.semilla);
    for (int32_t i = 0; i < objetos; ++i) {
        capa& layer = r->Capa(i);
        double maximo = 0.0;
        for (int32_t j = 0; j < layer.Num_neuronas(); ++j) {
            neurona& n = layer.Neurona(j);
            for (int32_t k = 0; k < n.Num_pesos(); ++k) {
                double w = n.Peso(k);
                if (l.escala != 1.0)
                    w = w * l.escala;
                if (l.ruido != 0.0)
                    w = w + l.ruido * noise.Next();
                n.Fijar_peso(k, w);
                maximo = std::max(maximo, std::fabs(w));
            }
        }
        if (l.bits != 0) {
            for (int32_t j = 0; j < layer.Num_neuronas(); ++j) {
                neurona& n = layer.Neurona(j);
                for (int32_t k = 0; k < n.Num_pesos(); ++k)
                    n.Fijar_peso(k, Cuantizar(n.Peso(k), maximo, l.bits));
            }
        }
    }

    int64_t index = 0;
    for (int32_t i = 0; i < objetos - 1; ++i) {
        capa& layer = r->Capa(i);
        for (int32_t j = 0; j < layer.Num_neuronas(); ++j, ++index) {
            if (((l.apagadas >> index) & 1u) == 0)
                continue;
            // Iniciar clears the weights and the output; the weights go back
            // so that the unit's net input still shows what it receives.
            neurona& n = layer.Neurona(j);
            std::vector<double> pesos(static_cast<std::size_t>(n.Num_pesos()));
            for (int32_t k = 0; k < n.Num_pesos(); ++k)
                pesos[static_cast<std::size_t>(k)] = n.Peso(k);
            n.Iniciar(kTipoApagada, n.Num_pesos());
            for (int32_t k = 0; k < n.Num_pesos(); ++k)
                n.Fijar_peso(k, pesos[static_cast<std::size_t>(k)]);
        }
    }
    return r;
}

} // namespace nc
