// SPDX-License-Identifier: MIT
#pragma once
// The X-ray of a laboratory controller at one state: what its panel and the
// trace's --rayos columns show. For the network, its hidden units' outputs,
// its force and its exact gains (NetworkXray); for the PID, its own gains;
// for none, zero gains. In every case the loop linearised there with the
// arm's own gravity term and damping (LinearLoop), with the PID's integral
// as a third state. Where the force limit cuts the controller's force, the
// reading is "saturada": a small change of the state leaves the force at the
// limit, so the arm feels no gain and the loop is linearised without any.
//
// A reading is computed on demand from a copy of the controller's network,
// never inside a tick, so the tick stays as it was, bit for bit.

#include "core/analysis/LinearLoop.h"
#include "core/network/NetworkXray.h"
#include "core/arm/Brazo.h"
#include "core/control/Controlador.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace nc {

// What a controller read on a tick, in radians (radians per second), as
// single-precision values: the arm's state with the sensor's noise, and the
// reference.
struct EstadoLeido {
    float posicion = 0.0f;
    float velocidad = 0.0f;
    float referencia = 0.0f;
    bool operator==(const EstadoLeido&) const = default;
};

struct LecturaRayosX {
    // The hidden units' outputs with their sign, layer by layer; empty for
    // the PID and for none.
    std::vector<double> ocultas;
    uint64_t apagadas = 0; // bit j: hidden unit j switched off
    // For the network, the force it asks for at the state now (so a lesion
    // shows at once, before the next tick); for the others, the last tick's.
    float fuerza_pedida = 0.0f;
    float fuerza = 0.0f;                     // the force that acts: fuerza_pedida, limited
    bool saturada = false;                   // the limit cuts it
    Ganancias ganancias;                     // ∂u/∂θ, ∂u/∂ω, ∂u/∂r
    std::optional<long double> du_dintegral; // ∂u/∂I, for a controller with the error's integral
    LazoLinealizado lazo;
};

// The reading of a network at a state. Throws std::runtime_error with the
// loop's floating-point texts for a state too large for the forward pass.
LecturaRayosX RayosXRed(const red& red_controlador, uint64_t apagadas, const EstadoLeido& estado,
                        const ParametrosBrazo& brazo);

// The reading of a trained network at a state and the error's integral it
// read there: its gains are per unit of the arm's quantities, ∂u/∂I too.
LecturaRayosX RayosXEntrenada(const red& red_controlador, const RedEntrenada& forma, uint64_t apagadas,
                              const EstadoLeido& estado, double integral, const ParametrosBrazo& brazo);

// The reading of a laboratory controller built from `ajustes`, at the state
// its last tick read; `fuerza` is the force it asked for then (the network recomputes
// its own). The PID's derivative acts on the measurement, so ∂u/∂θ = −Kp,
// ∂u/∂ω = −Kd and ∂u/∂r = Kp, and ∂u/∂I = Ki: read near rest, where its
// integral runs.
LecturaRayosX LeerRayosX(const Controlador& controlador, const AjustesControlador& ajustes, const EstadoLeido& estado,
                         float fuerza, const ParametrosBrazo& brazo);

} // namespace nc
