// SPDX-License-Identifier: MIT
#pragma once
// neurocontrol-trace --experimento: a saved laboratory run replayed headless,
// as a trace (the trace's columns, then the reference, the exact force and
// the twin's columns) or, with --resumen, as step figures per segment.

#include "core/run/AjustesExperimento.h"
#include "core/numbers/NumberText.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace nc {

// Replays the file for `muestras` samples (the file's own count when empty);
// `rayos` adds the X-ray columns of each arm (TraceXray.h) to the trace.
// Returns 0, or 1 when the file is refused or a step fails (one message on
// err; the lines of the samples before it already written).
int RunExperimentTrace(const std::string& ruta, std::optional<int64_t> muestras, bool resumen, std::ostream& out,
                       std::ostream& err, const NumberFormat& format, bool rayos = false);

// The same for a run held in memory (a trained network's pairs, say), of
// `muestras` samples.
int RunGuardadoTrace(const ExperimentoGuardado& guardado, int64_t muestras, bool resumen, std::ostream& out,
                     std::ostream& err, const NumberFormat& format, bool rayos);

} // namespace nc
