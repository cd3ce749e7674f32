// SPDX-License-Identifier: MIT
#pragma once
// neurocontrol-trace --resumen: the same run as the trace, reported as one
// line of step-response figures per segment instead of one line per step.

#include "core/numbers/NumberText.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace nc {

// Runs the segments (reference text, samples) from rest and writes the header
// and one line per finished segment. Returns 0, or 1 when a step fails (its
// message on err, the finished segments' lines already written).
int RunSummary(const std::vector<std::pair<std::string, int64_t>>& segments, std::ostream& out, std::ostream& err,
               const NumberFormat& format);

} // namespace nc
