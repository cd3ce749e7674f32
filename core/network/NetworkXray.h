// SPDX-License-Identifier: MIT
#pragma once
// What the network is doing at one state, read without disturbing it: every
// unit's output and the gains that the network applies there.
//
// The reading evaluates a copy of the loop's network with FeedBack, so the
// outputs are bit for bit the ones the loop would get from the same state,
// including the held outputs of the step kinds (4 and 5), which the copy
// inherits. The loop's network is never written.
//
// The gains are the derivatives of the output neuron's output with respect to
// the three inputs, carried exactly through the layers by the chain rule in
// extended precision: each net input is a weighted sum, so its derivative is
// the same weighted sum of the derivatives of its inputs, and each output's is
// the activation's slope at the net input that the forward pass formed. The
// pass rounds each sum to single precision; the gains are those of the
// unrounded sums, which is what a finite difference approaches as the
// rounding noise is averaged away (tests/xray).

#include "core/network/red.h"

#include <cstdint>
#include <vector>

namespace nc {

// The gains in force per radian (θ, r) and per radian per second (ω).
struct Ganancias {
    long double dposicion = 0.0L;   // ∂u/∂θ
    long double dvelocidad = 0.0L;  // ∂u/∂ω
    long double dreferencia = 0.0L; // ∂u/∂r
};

struct XrayReading {
    // The outputs of every layer but the last, layer by layer, with their
    // sign: for the stored controller, the eight hidden units.
    std::vector<double> ocultas;
    // The output neuron's output as the pass leaves it (a double); the loop
    // rounds it to single precision to make its force.
    double salida = 0.0;
    // ∂u/∂ of each input as the network reads it; ganancias holds the first
    // three (for the stored controller, the inputs themselves).
    std::vector<long double> derivadas;
    Ganancias ganancias;
};

// The slope of an activation kind at a net input, in extended precision:
// zero where the output is held at a bound (|net| beyond 15 for the sigmoids,
// beyond 1e6 for the linear kind) and everywhere for the step kinds (3 to 5)
// and for an unknown kind, which keeps its output.
long double PendienteActivacion(int32_t tipo, double neta);

// Keeps its scratch copy and derivative rows between readings, so that a
// reading on every tick allocates nothing once the first one is made.
class NetworkXray {
public:
    // Reads the network at the state (position, velocity, reference), in
    // radians. The network must have at least two sizes and a first layer
    // that reads no more than three inputs. A state too large for the pass
    // throws std::runtime_error with the loop's texts ("Floating point
    // overflow", "Invalid floating point operation", "Floating point division
    // by zero"), and the previous reading stays.
    const XrayReading& Read(const red& loop_network, double posicion, double velocidad, double referencia);
    // The same at any input vector, of as many entries as the first layer
    // reads (a trained network's scaled inputs, with the error's integral).
    const XrayReading& Read(const red& loop_network, const vector_1_Din& entrada);

    const XrayReading& Reading() const { return reading_; }

private:
    red copy_;
    vector_1_Din entrada_ = vector_1_Din(3, 0.0);
    std::vector<long double> previous_; // d(output)/d(input) of the layer before, 3 per unit
    std::vector<long double> current_;
    XrayReading scratch_;
    XrayReading reading_;
};

} // namespace nc
