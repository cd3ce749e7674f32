// SPDX-License-Identifier: MIT
#include "tools/trace/TraceXray.h"

#include "tools/trace/TraceNumbers.h"

namespace nc {

void CabeceraRayos(std::ostream& out, const std::string& sufijo, int ocultas)
{
    for (int j = 0; j < ocultas; ++j)
        out << "\toculta_" << j << sufijo;
    for (const char* nombre : {"du_dposicion", "du_dvelocidad", "du_dreferencia", "re_1", "im_1", "re_2", "im_2", "wn",
                               "zeta", "estable", "re_3", "im_3", "du_dintegral"})
        out << '\t' << nombre << sufijo;
}

void ColumnasRayos(std::ostream& out, const LecturaRayosX& l, const NumberFormat& format, int ocultas)
{
    auto d = [&](long double v) { return Digits(static_cast<double>(v), 9, format); };
    for (int j = 0; j < ocultas; ++j) {
        const auto k = static_cast<std::size_t>(j);
        out << '\t' << (k < l.ocultas.size() ? d(l.ocultas[k]) : std::string("-"));
    }
    const LazoLinealizado& lazo = l.lazo;
    out << '\t' << d(l.ganancias.dposicion) << '\t' << d(l.ganancias.dvelocidad) << '\t' << d(l.ganancias.dreferencia)
        << '\t' << d(lazo.autovalores.re1) << '\t' << d(lazo.autovalores.im1) << '\t' << d(lazo.autovalores.re2) << '\t'
        << d(lazo.autovalores.im2);
    if (lazo.oscilador)
        out << '\t' << d(lazo.frecuencia_natural) << '\t' << d(lazo.amortiguamiento);
    else
        out << "\t-\t-";
    out << '\t' << (lazo.estable ? 1 : 0);
    if (lazo.tres_estados)
        out << '\t' << d(lazo.re3) << '\t' << d(lazo.im3);
    else
        out << "\t-\t-";
    out << '\t' << (l.du_dintegral ? d(*l.du_dintegral) : std::string("-"));
}

} // namespace nc
