// SPDX-License-Identifier: MIT
#pragma once
// neurocontrol-trace --fase: the laboratory's phase plane computed headless
// and written as TSV: first the equilibria, one line each with its number,
// position, integral, kind and eigenvalues; after an empty line the grid,
// one line per starting state (position, velocity) with where its run ends:
// the equilibrium's number, "gira" or "no_se_detiene".

#include "core/sweeps/PlanoFase.h"
#include "core/numbers/NumberText.h"

#include <ostream>
#include <string>
#include <vector>

namespace nc {

// The plane the options after --fase ask for, into `plano`. Returns 0, 2 for
// malformed options (the usage, or a line naming the option, on err) or 1
// for a value out of range or a base file refused (its message on err).
// `red`: the network of --red, which is then the controller unless
// --controlador names another, and the name "entrenada" for it.
int OpcionesFase(const std::vector<std::string>& opciones, AjustesPlano& plano, std::ostream& err,
                 const NumberFormat& format, const RedCompartida& red = {});

// The TSV of a computed plane.
void EscribirPlano(const PlanoFase& plano, std::ostream& out, const NumberFormat& format);

// Computes the plane on two workers and writes it; the status as OpcionesFase.
int RunPhaseTrace(const std::vector<std::string>& opciones, std::ostream& out, std::ostream& err,
                  const NumberFormat& format, const RedCompartida& red = {});

} // namespace nc
