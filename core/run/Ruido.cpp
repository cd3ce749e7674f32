// SPDX-License-Identifier: MIT
#include "core/run/Ruido.h"

#include <cmath>

namespace nc {

double RuidoGaussiano::Uniforme()
{
    return static_cast<double>(generador_() >> 11) * 0x1p-53;
}

ParNormal RuidoGaussiano::Siguiente()
{
    double u, v, s;
    do {
        u = 2.0 * Uniforme() - 1.0;
        v = 2.0 * Uniforme() - 1.0;
        s = u * u + v * v;
    } while (s >= 1.0 || s == 0.0);
    const double factor = std::sqrt(-2.0 * std::log(s) / s);
    return {u * factor, v * factor};
}

} // namespace nc
