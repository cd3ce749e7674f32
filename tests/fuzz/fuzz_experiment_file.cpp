// SPDX-License-Identifier: MIT
// The experiment reader on any bytes: it returns a checked experiment or
// throws its one error, never anything else. What it accepts writes back to
// the same experiment and runs a few ticks, where only a floating-point
// fault may stop it.
#include "io/FicheroExperimento.h"
#include "core/run/Experimento.h"
#include "core/numbers/FloatFaults.h"

#include <cstdlib>
#include <string_view>

using namespace nc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ExperimentoGuardado leido;
    try {
        leido = LeerExperimento(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const ErrorFicheroExperimento& e) {
        if (std::string_view(e.what()).empty())
            std::abort();
        return 0;
    }
    if (!(LeerExperimento(EscribirExperimento(leido)) == leido))
        std::abort();
    Experimento lab(leido.ajustes);
    lab.Programar(leido.eventos, leido.cambios);
    try {
        for (int k = 0; k < 20; ++k)
            lab.Paso();
    } catch (const FloatingPointError&) {}
    return 0;
}
