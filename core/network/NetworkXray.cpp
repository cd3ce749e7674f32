// SPDX-License-Identifier: MIT
#include "core/network/NetworkXray.h"

#include <cfenv>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace nc {

namespace {

// The controller sits below the loop, so it names the loop's fault texts
// itself rather than borrowing the loop's exception classes.
void ThrowOnFaults()
{
    const int raised = std::fetestexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO);
    if (raised == 0)
        return;
    std::feclearexcept(FE_ALL_EXCEPT);
    if (raised & FE_OVERFLOW)
        throw std::runtime_error("Floating point overflow");
    if (raised & FE_DIVBYZERO)
        throw std::runtime_error("Floating point division by zero");
    throw std::runtime_error("Invalid floating point operation");
}

} // namespace

long double PendienteActivacion(int32_t tipo, double neta)
{
    // The bounds are strict in Activar, so at exactly a bound the formula's
    // slope applies.
    const long double n = neta;
    switch (tipo) {
    case 0: return (n < -1000000.0L || n > 1000000.0L) ? 0.0L : 1.0L;
    case 1: {
        if (n < -15.0L || n > 15.0L)
            return 0.0L;
        // d/dn 1/(1+e^-n) = e^-n/(1+e^-n)^2, written so that no 1 - s cancels.
        const long double e = std::exp(-n);
        return e / ((1.0L + e) * (1.0L + e));
    }
    case 2: {
        if (n < -15.0L || n > 15.0L)
            return 0.0L;
        // d/dn (2/(1+e^-2n) - 1) = 4e^-2n/(1+e^-2n)^2, the same care.
        const long double e = std::exp(-2.0L * n);
        return 4.0L * e / ((1.0L + e) * (1.0L + e));
    }
    default: return 0.0L; // the steps, and an unknown kind that keeps its output
    }
}

const XrayReading& NetworkXray::Read(const red& loop_network, double posicion, double velocidad, double referencia)
{
    entrada_.resize(3);
    entrada_[0] = posicion;
    entrada_[1] = velocidad;
    entrada_[2] = referencia;
    return Read(loop_network, entrada_);
}

const XrayReading& NetworkXray::Read(const red& loop_network, const vector_1_Din& entrada)
{
    const std::size_t inputs = entrada.size();
    std::feclearexcept(FE_ALL_EXCEPT);
    copy_ = loop_network; // reuses the copy's storage once shapes agree
    FeedBack(copy_, entrada);

    const int32_t objetos = copy_.Num_capas() - 1;
    const bool bias = copy_.Modo_bias() == 1;
    XrayReading& out = scratch_;
    out.ocultas.clear();

    // Forward-mode derivatives: row j of a layer holds d(output j)/d(input c)
    // for the three inputs c. The inputs' own rows are the identity.
    previous_.assign(inputs * inputs, 0.0L);
    for (std::size_t c = 0; c < inputs; ++c)
        previous_[c * inputs + c] = 1.0L;
    for (int32_t i = 0; i < objetos; ++i) {
        const capa& layer = copy_.Capa(i);
        current_.assign(static_cast<std::size_t>(layer.Num_neuronas()) * inputs, 0.0L);
        for (int32_t j = 0; j < layer.Num_neuronas(); ++j) {
            const neurona& unit = layer.Neurona(j);
            const int32_t reads = bias ? unit.Num_pesos() - 1 : unit.Num_pesos();
            const long double slope = PendienteActivacion(unit.Tipo(), unit.Neta());
            long double* row = &current_[static_cast<std::size_t>(j) * inputs];
            if (slope != 0.0L) {
                for (int32_t k = 0; k < reads; ++k) {
                    const long double w = unit.Peso(k);
                    const long double* in = &previous_[static_cast<std::size_t>(k) * inputs];
                    for (std::size_t c = 0; c < inputs; ++c)
                        row[c] += w * in[c];
                }
                for (std::size_t c = 0; c < inputs; ++c)
                    row[c] *= slope;
            }
            if (i < objetos - 1)
                out.ocultas.push_back(unit.Salida());
        }
        std::swap(previous_, current_);
    }
    out.salida = copy_.Capa(objetos - 1).Neurona(0).Salida();
    out.derivadas.assign(previous_.begin(), previous_.begin() + static_cast<std::ptrdiff_t>(inputs));
    out.ganancias = Ganancias{previous_[0], previous_[1], previous_[2]};
    ThrowOnFaults();
    std::swap(reading_, scratch_);
    return reading_;
}

} // namespace nc
