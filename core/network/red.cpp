// SPDX-License-Identifier: MIT
#include "core/network/red.h"

#include <cmath>

namespace nc {

void neurona::Iniciar(int32_t tipo_, int32_t num_pesos_)
{
    neta = 0.0;
    salida = 0.0;
    aux_1 = 0.0;
    aux_2 = 0.0;
    tipo = tipo_;
    num_pesos = num_pesos_;
    pesos.assign(static_cast<size_t>(num_pesos_), 0.0);
    pesos_aux.assign(static_cast<size_t>(num_pesos_), 0.0);
}

void neurona::Activar()
{
    // The formulas run in extended precision and are stored as doubles; the
    // saturation comparisons are strict, so the bounds themselves use the formula.
    const long double n = neta;
    switch (tipo) {
    case 0:
        if (n < -1000000.0L)
            salida = -1000000.0;
        else if (n > 1000000.0L)
            salida = 1000000.0;
        else
            salida = neta;
        break;
    case 1:
        if (n < -15.0L)
            salida = 0.0;
        else if (n > 15.0L)
            salida = 1.0;
        else
            salida = static_cast<double>(1.0L / (1.0L + std::exp(-n)));
        break;
    case 2:
        if (n < -15.0L)
            salida = -1.0;
        else if (n > 15.0L)
            salida = 1.0;
        else
            salida = static_cast<double>(2.0L / (1.0L + std::exp(-2.0L * n)) - 1.0L);
        break;
    case 3: salida = n > 0 ? 1.0 : (n < 0 ? -1.0 : 0.0); break;
    case 4:
        if (n > 0)
            salida = 1.0;
        else if (n < 0)
            salida = -1.0;
        break;
    case 5:
        if (n > 0)
            salida = 1.0;
        else if (n < 0)
            salida = 0.0;
        break;
    default: break; // an unknown kind keeps its output
    }
}

bool capa::Iniciar(int32_t n)
{
    num_neuronas = n;
    neuronas.assign(static_cast<size_t>(n), neurona{});
    return true;
}

bool red::Iniciar(int32_t num_capas_, int32_t modo_bias_, std::array<int32_t, 6> tamanos_)
{
    modo_bias = modo_bias_;
    num_capas = num_capas_;
    for (int32_t i = 0; i < num_capas_ && i < 6; ++i)
        tamanos[static_cast<size_t>(i)] = tamanos_[static_cast<size_t>(i)];
    const int32_t objetos = num_capas_ > 1 ? num_capas_ - 1 : 1;
    capas.assign(static_cast<size_t>(objetos), capa{});
    return true;
}

void FeedBack(red& r, const vector_1_Din& entrada)
{
    const int32_t n = r.Num_capas();
    if (n < 2)
        return;
    const bool bias = r.Modo_bias() == 1;
    for (int32_t i = 0; i <= n - 2; ++i) {
        capa& actual = r.Capa(i);
        for (int32_t j = 0; j < actual.Num_neuronas(); ++j) {
            neurona& nj = actual.Neurona(j);
            const int32_t m = nj.Num_pesos();
            float s = 0.0f;
            for (int32_t k = 0; k < m; ++k) {
                double x;
                if (bias && k == m - 1)
                    x = 1.0;
                else if (i == 0)
                    x = entrada[static_cast<size_t>(k)];
                else
                    x = r.Capa(i - 1).Neurona(k).Salida();
                s = static_cast<float>(static_cast<long double>(nj.Peso(k)) * x + s);
            }
            nj.Fijar_neta(static_cast<double>(s));
            nj.Activar();
        }
    }
}

} // namespace nc
