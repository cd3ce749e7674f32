// SPDX-License-Identifier: MIT
#pragma once
// neurocontrol-trace --entrenar [AJUSTES.json] --salida RED.json: a training
// without a window, on both cores, saved as a network file. The settings are
// a JSON object of the training's fields (those of a network file's
// "entrenamiento"), or a network file, whose training is done again; without
// them, the "Red con integral" preset. While it trains, a progress line on
// stderr when stderr is a terminal; at the end, the final loss and the time
// on stdout.

#include "core/numbers/NumberText.h"

#include <ostream>
#include <string>
#include <vector>

namespace nc {

// The options after --entrenar. `terminal`: stderr is a terminal.
int RunTrainTrace(const std::vector<std::string>& opciones, std::ostream& out, std::ostream& err,
                  const NumberFormat& format, bool terminal);

} // namespace nc
