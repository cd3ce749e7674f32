// SPDX-License-Identifier: MIT
#pragma once
// A line of the trace tool's tab-separated output, split into its fields.

#include <sstream>
#include <string>
#include <vector>

namespace nc::test {

inline std::vector<std::string> Campos(const std::string& linea)
{
    std::vector<std::string> campos;
    std::stringstream ss(linea);
    std::string campo;
    while (std::getline(ss, campo, '\t'))
        campos.push_back(campo);
    return campos;
}

} // namespace nc::test
