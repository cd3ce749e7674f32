// SPDX-License-Identifier: MIT
#pragma once
// neurocontrol-trace --mapa: the laboratory's competence map computed headless
// and written as TSV, one line per cell in the window's order (rows of the
// chosen quantity, then references 0 to 360): the row's value, the reference
// and the class of each arm's map.

#include "core/sweeps/MapaCompetencia.h"
#include "core/numbers/NumberText.h"

#include <ostream>
#include <string>
#include <vector>

namespace nc {

// The map the options after --mapa ask for, into `mapa`. Returns 0, 2 for
// malformed options (the usage on err) or 1 for a value out of range or a
// base file refused (its message on err).
// `red`: the network of --red, when given, which is then the controller
// unless --controlador names another, and the name "entrenada" for either.
int OpcionesMapa(const std::vector<std::string>& opciones, AjustesMapa& mapa, std::ostream& err,
                 const NumberFormat& format, const RedCompartida& red = {});

// The TSV of a computed map.
void EscribirMapa(const MapaCompetencia& mapa, std::ostream& out, const NumberFormat& format);

// Computes the map on two threads and writes it; the status as OpcionesMapa.
int RunMapTrace(const std::vector<std::string>& opciones, std::ostream& out, std::ostream& err,
                const NumberFormat& format, const RedCompartida& red = {});

} // namespace nc
