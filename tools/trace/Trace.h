// SPDX-License-Identifier: MIT
#pragma once
// neurocontrol-trace: the closed loop run headless from the command line.

#include "core/numbers/NumberText.h"

#include <ostream>
#include <string>
#include <vector>

namespace nc {

// Runs the trace for the arguments after the program name and returns the exit
// status: 0 done, 1 a step failed (its message on err), 2 malformed arguments.
int RunTrace(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const NumberFormat& format);

extern const char* const kTraceUsage;

} // namespace nc
