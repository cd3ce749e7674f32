// SPDX-License-Identifier: MIT
#pragma once
// A controller network the student trains in the laboratory: three or four
// inputs (position, velocity and reference in radians and radians per
// second, and optionally the error's integral in radian seconds), one layer
// of tanh units and a linear output, as the stored controller has.
//
// Each input is multiplied by its scale before the first layer, so that the
// weights see numbers of about one whatever the input's unit; the scales
// are part of the network and travel with it. The error's integral is held
// within +-limite_integral, so that it cannot wind up.
//
// The laboratory runs it as a layered network (`red`, bias mode 1: hidden
// units of kind 2, whose formula is tanh, and a linear output), so the
// X-ray and the lesions read it as they read the stored one.

#include "core/network/red.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace nc {

struct RedEntrenada {
    static constexpr int kOcultasMinimas = 2;
    static constexpr int kOcultasMaximas = 32;
    static constexpr int kEntradasMaximas = 4;

    int32_t ocultas = 8;
    bool integral = false; // the fourth input, the error's integral
    double limite_integral = 1.0;
    std::array<double, kEntradasMaximas> escala{1.0, 1.0, 1.0, 1.0};
    std::vector<double> w1; // ocultas x Entradas(), unit by unit
    std::vector<double> b1; // ocultas
    std::vector<double> w2; // ocultas
    double b2 = 0.0;

    int32_t Entradas() const { return integral ? 4 : 3; }
    // Every weight and bias: w1, b1, w2, b2 in that order, the order the
    // training's gradient uses.
    int32_t NumParametros() const { return ocultas * Entradas() + 2 * ocultas + 1; }
    std::vector<double> Parametros() const;
    void FijarParametros(const std::vector<double>& p);

    bool operator==(const RedEntrenada&) const = default;
};

// A network of this shape with every weight zero and the default scales.
RedEntrenada RedVacia(int32_t ocultas, bool integral, double limite_integral);

// Refuses a network the laboratory cannot run, with one Spanish line: a shape
// outside 2..32 hidden units, weight counts that do not match it, a scale,
// a weight or the integral's limit that is not finite (the limit and the
// scales must also be positive), or a weight beyond 1e6 in magnitude.
void ComprobarRedEntrenada(const RedEntrenada& red_entrenada);

// The layered network the laboratory runs. Its inputs are the scaled ones.
std::unique_ptr<red> ComoRed(const RedEntrenada& red_entrenada);

// The scaled input vector for a reading, in the network's order.
inline void EntradaEscalada(const RedEntrenada& r, double posicion, double velocidad, double referencia,
                            double integral, vector_1_Din& entrada)
{
    entrada.resize(static_cast<std::size_t>(r.Entradas()));
    entrada[0] = posicion * r.escala[0];
    entrada[1] = velocidad * r.escala[1];
    entrada[2] = referencia * r.escala[2];
    if (r.integral)
        entrada[3] = integral * r.escala[3];
}

} // namespace nc
