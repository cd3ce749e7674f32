// SPDX-License-Identifier: MIT
// The network reader on any bytes: it returns a checked network or throws
// its one error, never anything else. What it accepts writes back to the
// same network, and the lab runs it for a few ticks, where only a
// floating-point fault may stop it.
#include "io/FicheroRed.h"
#include "core/run/Experimento.h"
#include "core/numbers/FloatFaults.h"

#include <cstdlib>
#include <memory>
#include <string_view>

using namespace nc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RedGuardada leida;
    try {
        leida = LeerRed(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const ErrorFicheroRed& e) {
        if (std::string_view(e.what()).empty())
            std::abort();
        return 0;
    }
    if (!(LeerRed(EscribirRed(leida)) == leida))
        std::abort();
    AjustesExperimento a;
    a.controlador = AjustesControlador(TipoControlador::Entrenada);
    a.controlador.entrenada.red = std::make_shared<const RedEntrenada>(leida.red);
    Experimento lab(a);
    try {
        for (int k = 0; k < 20; ++k)
            lab.Paso();
    } catch (const FloatingPointError&) {}
    return 0;
}
