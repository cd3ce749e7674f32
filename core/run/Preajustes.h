// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's built-in experiments, each a saved run the window can
// load like a file. None has a speed of its own: each runs at the speed in
// force, so that a class watching at real time stays at real time.

#include "core/run/AjustesExperimento.h"

#include <string>
#include <vector>

namespace nc {

struct Preajuste {
    std::string nombre;
    ExperimentoGuardado experimento;
};

// "Empujón", "Brazo en la Luna", "Seguir un seno", "Lazo abierto",
// "Red contra PID", "Carga y ruido", in that order.
std::vector<Preajuste> Preajustes();

} // namespace nc
