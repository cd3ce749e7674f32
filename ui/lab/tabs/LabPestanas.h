// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's tabs that look inside the network: "Rayos X" (the hidden
// units, the gains and the linearised loop of the last tick, with the twin
// beside it), "Lesiones" (the stored network damaged on purpose, and
// "Restaurar") and "Mapa" (where each controller works). They only read the
// lab's run and hand changes back through the lab's own checked setters,
// so the window's layout and the run's path stay the lab's.

namespace nc {

class TLaboratorio;

// Adds the three tabs to the lab, owned by it.
void AgregarPestanasRed(TLaboratorio& lab);

} // namespace nc
