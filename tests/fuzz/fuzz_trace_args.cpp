// SPDX-License-Identifier: MIT
// neurocontrol-trace's arguments: NUL-separated words. Any of them gives status
// 0, 1 (a failed step, with its message) or 2 (the usage), never a crash.
#include "tools/trace/Trace.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

using namespace nc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    // --experimento reads a file by name; the experiment reader has its own
    // target, and a name like /dev/stdin would wait here for ever.
    for (const std::string& arg : args)
        if (arg == "--experimento")
            return 0;
    // --mapa and --fase run thousands of cells (and their --base reads a
    // file by name).
    if (args[0] == "--mapa" || args[0] == "--fase")
        return 0;
    // Long runs say nothing new about argument handling: keep each input quick.
    // The sample counts follow the reference of each pair, after --resumen
    // or --rayos when one leads.
    const size_t first_count = args[0] == "--resumen" || args[0] == "--rayos" ? 2 : 1;
    for (size_t i = first_count; i < args.size(); i += 2)
        if (args[i].size() > 3)
            return 0;
    std::ostringstream out, err;
    const int status = RunTrace(args, out, err, NumberFormat{".", ","});
    if (status < 0 || status > 2)
        std::abort();
    if (status == 2 && err.str() != kTraceUsage)
        std::abort();
    if (status == 1 && err.str().empty())
        std::abort();
    return 0;
}
