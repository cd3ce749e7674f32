// SPDX-License-Identifier: MIT
#pragma once
// The one pre-trained controller the program carries: a 3-8-1 perceptron with
// a bipolar-sigmoid hidden layer, a linear output and a bias on every neuron.

#include "core/network/red.h"

#include <array>
#include <memory>

namespace nc {

struct StoredController {
    static constexpr int32_t kNumCapas = 3;
    static constexpr std::array<int32_t, 3> tamanos_red{3, 8, 1};
    static constexpr std::array<int32_t, 2> tipos_capa{2, 0};
    static constexpr int32_t kModoBias = 1;
    // Single-precision values, widened exactly when loaded into the neurons.
    static const float pesos_oculta[8][3];
    static const float bias_oculta[8];
    static const float pesos_salida[1][8];
    static const float bias_salida[1];
};

// What "Inicializar" builds: a fresh network loaded from the tables above.
// Every call gives an identical, independent network.
std::unique_ptr<red> Construir_red_almacenada();

} // namespace nc
