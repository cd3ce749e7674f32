// SPDX-License-Identifier: MIT
#pragma once
// The reference programme: which angle the arm is asked to hold at each
// sample. "Fija" is the "Ref." box, held as its text's extended value so the
// stored path sees the same number the main window's tick reads; the others
// are functions of the sample's start time t = muestra x 0.05 s.

#include <cstdint>
#include "core/numbers/NumberText.h"

#include <string>
#include <string_view>
#include <vector>

namespace nc {

// Rampa is the periodic ramp (a saw tooth, "Rampa periódica");
// RampaIlimitada the ramp a course means, rising for ever ("Rampa").
enum class TipoReferencia { Fija, Escalones, Cuadrada, Seno, Rampa, RampaIlimitada };

struct Escalon {
    double grados = 0;
    double duracion = 1; // seconds
    bool operator==(const Escalon&) const = default;
};

struct ProgramaReferencia {
    TipoReferencia tipo = TipoReferencia::Fija;
    // Fija: the box's text with a point as decimal separator.
    std::string texto = "30";
    // Escalones: each held for its duration in turn; the last one stays.
    std::vector<Escalon> escalones;
    // Cuadrada: desplazamiento + amplitud for the first half of each period,
    // desplazamiento - amplitud for the second. Seno: desplazamiento +
    // amplitud sin(2 pi t / periodo). Rampa: from desplazamiento rising by
    // amplitud over each period, then back (a saw tooth). RampaIlimitada:
    // desplazamiento + pendiente t, never back.
    double amplitud = 30;
    double desplazamiento = 0;
    double periodo = 10;   // seconds
    double pendiente = 10; // degrees per second
    bool operator==(const ProgramaReferencia&) const = default;
};

// Whether the programme holds each value for a while (Fija, Escalones,
// Cuadrada), so that its segments are steps with figures to measure.
inline bool TieneEscalones(TipoReferencia tipo)
{
    return tipo != TipoReferencia::Seno && tipo != TipoReferencia::Rampa && tipo != TipoReferencia::RampaIlimitada;
}

// The names the window lists, in the enum's order.
const char* NombreReferencia(TipoReferencia tipo);

// The "Ref." box's text as Fija holds it: checked with the regional format
// (a bad text throws the box's ConversionError) and written with a point.
std::string TextoFija(std::string_view texto, const NumberFormat& format);

// The reference in degrees in force during sample `muestra`. The programme
// must have passed ComprobarReferencia.
long double GradosReferencia(const ProgramaReferencia& programa, int32_t muestra);

} // namespace nc
