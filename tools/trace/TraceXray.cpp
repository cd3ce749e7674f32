// SPDX-License-Identifier: MIT
#include "tools/trace/TraceXray.h"

#include <charconv>

namespace nc {
namespace {

std::string Digits(double value)
{
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 9);
    return std::string(buffer, r.ptr);
}

std::string Digits(long double value)
{
    return Digits(static_cast<double>(value));
}

} // namespace

void CabeceraRayos(std::ostream& out, const std::string& sufijo)
{
    for (int j = 0; j < kColumnasOcultas; ++j)
        out << "\toculta_" << j << sufijo;
    for (const char* nombre :
         {"du_dposicion", "du_dvelocidad", "du_dreferencia", "re_1", "im_1", "re_2", "im_2", "wn", "zeta", "estable"})
        out << '\t' << nombre << sufijo;
}

void ColumnasRayos(std::ostream& out, const LecturaRayosX& l)
{
    for (int j = 0; j < kColumnasOcultas; ++j) {
        const auto k = static_cast<std::size_t>(j);
        out << '\t' << (k < l.ocultas.size() ? Digits(l.ocultas[k]) : std::string("-"));
    }
    const LinearisedLoop& lazo = l.lazo;
    out << '\t' << Digits(l.ganancias.dposicion) << '\t' << Digits(l.ganancias.dvelocidad) << '\t'
        << Digits(l.ganancias.dreferencia) << '\t' << Digits(lazo.autovalores.re1) << '\t'
        << Digits(lazo.autovalores.im1) << '\t' << Digits(lazo.autovalores.re2) << '\t' << Digits(lazo.autovalores.im2);
    if (lazo.oscilador)
        out << '\t' << Digits(lazo.frecuencia_natural) << '\t' << Digits(lazo.amortiguamiento);
    else
        out << "\t-\t-";
    out << '\t' << (lazo.estable ? 1 : 0);
}

} // namespace nc
