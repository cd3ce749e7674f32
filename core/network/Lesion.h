// SPDX-License-Identifier: MIT
#pragma once
// Damage done to a controller network on purpose, to see how it copes.
//
// A lesioned network is always built afresh from the stored tables, so
// undoing every lesion ("Restaurar") is building the stored network again:
// nothing is ever repaired in place. With the default description the built
// network is bit for bit the stored one.
//
// The weight lesions apply to every weight of every layer, biases included,
// in this order: scale, then noise, then quantisation (the quantised weights
// are what a coarse store would hold). Switching a unit off is applied last.

#include "core/network/red.h"

#include <cstdint>
#include <memory>

namespace nc {

// A plain value, so that an experiment can keep it and compare it.
struct Lesions {
    // Bit j: hidden unit j switched off, counting the units of every layer but
    // the last, layer by layer (the stored controller's eight are bits 0..7).
    uint64_t apagadas = 0;
    double escala = 1.0; // every weight multiplied by it
    // Gaussian noise of this standard deviation added to every weight, drawn
    // from a std::mt19937_64 seeded with semilla, in layer, unit, weight order,
    // by our own Box–Muller transform: std::normal_distribution differs
    // between standard libraries, and a seed must give the same network
    // everywhere.
    double ruido = 0.0;
    uint64_t semilla = 0;
    // Weights quantised to this many bits, 0 for none (see Cuantizar).
    int32_t bits = 0;

    bool operator==(const Lesions&) const = default;
};

// A unit switched off has this activation kind: an unknown kind keeps its
// output, and the output was set to 0 when the unit was initialised, so the
// forward pass goes on computing its net input but it always answers 0, and
// the next layer reads 0 from it.
constexpr int32_t kTipoApagada = -1;

// Symmetric uniform quantisation over a layer's largest magnitude M: with
// q = 2^(bits−1) − 1 levels on each side, w becomes round(w·q/M)·M/q, ties to
// even; zero stays zero and ±M are kept exactly. One bit keeps only the sign
// (±M, and 0 for 0).
double Cuantizar(double w, double maximo, int32_t bits);

// The stored controller with the lesions. Throws std::invalid_argument with a
// Spanish text when the description is out of range: a unit beyond the
// hidden ones, a scale or a noise that is not finite or beyond 1e6 in
// magnitude (negative noise too), bits outside 0..32. Inside those ranges no
// weight can overflow.
std::unique_ptr<red> Construir_red_lesionada(const Lesions& lesiones);

// The same lesions done to another layered network (a trained one).
std::unique_ptr<red> Construir_red_lesionada(const Lesions& lesiones, const red& sana);

} // namespace nc
