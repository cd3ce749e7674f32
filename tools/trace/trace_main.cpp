// SPDX-License-Identifier: MIT
// neurocontrol-trace: see tools/trace/Trace.h.
#include "core/numbers/NumberText.h"
#include "locale/RegionalFormat.h"
#include "tools/trace/CheckedOutput.h"
#include "tools/trace/Trace.h"

#include <iostream>

#include <unistd.h>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return nc::WithCheckedOutput(STDOUT_FILENO, std::cerr, [&](std::ostream& out) {
        return nc::RunTrace(args, out, std::cerr, nc::RegionalNumberFormat());
    });
}
