// neurocontrol-trace: see tools/Trace.h.
#include "simulation/NumberText.h"
#include "tools/Trace.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return nc::RunTrace(args, std::cout, std::cerr, nc::NumberFormat::System());
}
