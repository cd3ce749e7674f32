// SPDX-License-Identifier: MIT
#include "core/network/StoredController.h"

namespace nc {

const float StoredController::pesos_oculta[8][3] = {
    {2.5102f, 1.0876f, 1.7803f},   {0.9213f, 0.0189f, 0.0105f},   {7.3725f, 1.6462f, -2.7197f},
    {2.5216f, 0.1026f, -0.0095f},  {-0.1183f, 0.1503f, -0.3638f}, {-0.0766f, 0.2110f, -0.5331f},
    {-0.2269f, 0.3377f, -0.8119f}, {0.3306f, -0.4607f, 1.1223f},
};
const float StoredController::bias_oculta[8] = {
    9.8847f, -0.8008f, -4.8784f, -0.1251f, 0.0992f, -1.7386f, 2.0856f, -4.6812f,
};
const float StoredController::pesos_salida[1][8] = {
    {-3.6051f, -17.4472f, -0.0583f, -4.6376f, -19.9676f, -12.2255f, -4.7608f, 5.3464f},
};
const float StoredController::bias_salida[1] = {-7.9367f};

std::unique_ptr<red> Construir_red_almacenada()
{
    // The window's own copy of the network description.
    const int32_t num_capas = StoredController::kNumCapas;
    std::array<int32_t, 6> tamanos{};
    for (size_t i = 0; i < StoredController::tamanos_red.size(); ++i)
        tamanos[i] = StoredController::tamanos_red[i];

    auto nueva = std::make_unique<red>();
    nueva->Iniciar(num_capas, StoredController::kModoBias, tamanos);
    for (int32_t i = 0; i <= num_capas - 2; ++i) {
        capa& c = nueva->Capa(i);
        c.Iniciar(tamanos[static_cast<size_t>(i + 1)]);
        for (int32_t j = 0; j < c.Num_neuronas(); ++j) {
            neurona& n = c.Neurona(j);
            n.Iniciar(StoredController::tipos_capa[static_cast<size_t>(i)], tamanos[static_cast<size_t>(i)] + 1);
            const int32_t ultimo = n.Num_pesos() - 1;
            for (int32_t k = 0; k <= ultimo; ++k) {
                float v;
                if (i == 0)
                    v = k == ultimo ? StoredController::bias_oculta[j] : StoredController::pesos_oculta[j][k];
                else
                    v = k == ultimo ? StoredController::bias_salida[j] : StoredController::pesos_salida[j][k];
                n.Fijar_peso(k, static_cast<double>(v));
            }
        }
    }
    return nueva;
}

} // namespace nc
