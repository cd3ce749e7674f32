// SPDX-License-Identifier: MIT
#include "core/run/ProgramaReferencia.h"

#include "core/numbers/Unidades.h"
#include "core/numbers/NumberText.h"

#include <cmath>
#include <numbers>

namespace nc {
namespace {

// The phase in [0, 1) of time t within a period.
long double Fase(long double t, double periodo)
{
    const long double ciclos = t / periodo;
    return ciclos - std::floor(ciclos);
}

} // namespace

const char* NombreReferencia(TipoReferencia tipo)
{
    switch (tipo) {
    case TipoReferencia::Fija: return "Fija";
    case TipoReferencia::Escalones: return "Escalones";
    case TipoReferencia::Cuadrada: return "Cuadrada";
    case TipoReferencia::Seno: return "Seno";
    case TipoReferencia::Rampa: return "Rampa periódica";
    case TipoReferencia::RampaIlimitada: return "Rampa";
    }
    return "";
}

std::string TextoFija(std::string_view texto, const NumberFormat& format)
{
    StrToFloat(texto, format);
    const size_t i = format.decimal_separator.empty() ? std::string_view::npos : texto.find(format.decimal_separator);
    if (i == std::string_view::npos)
        return std::string(texto);
    std::string normal(texto.substr(0, i));
    normal.push_back('.');
    normal.append(texto.substr(i + format.decimal_separator.size()));
    return normal;
}

long double GradosReferencia(const ProgramaReferencia& p, int32_t muestra)
{
    const long double t = muestra * kPeriodo;
    switch (p.tipo) {
    case TipoReferencia::Fija: return StrToFloat(p.texto, NumberFormat{".", ","});
    case TipoReferencia::Escalones: {
        // Whole samples per step, so a step of 1 s is exactly 20 samples.
        int64_t fin = 0;
        for (const Escalon& e : p.escalones) {
            fin += std::llround(e.duracion / static_cast<double>(kPeriodo));
            if (muestra < fin)
                return e.grados;
        }
        return p.escalones.empty() ? 0.0L : p.escalones.back().grados;
    }
    case TipoReferencia::Cuadrada:
        return Fase(t, p.periodo) < 0.5L ? p.desplazamiento + static_cast<long double>(p.amplitud)
                                         : p.desplazamiento - static_cast<long double>(p.amplitud);
    case TipoReferencia::Seno:
        return p.desplazamiento + p.amplitud * std::sin(2.0L * std::numbers::pi_v<long double> * t / p.periodo);
    case TipoReferencia::Rampa: return p.desplazamiento + p.amplitud * Fase(t, p.periodo);
    case TipoReferencia::RampaIlimitada: return p.desplazamiento + p.pendiente * t;
    }
    return 0.0L;
}

} // namespace nc
