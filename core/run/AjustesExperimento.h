// SPDX-License-Identifier: MIT
#pragma once
// Every setting of a laboratory run, the events made by hand during one, and
// the checks that keep them in range. Each check throws AjusteInvalido with a
// Spanish text that names the field and its range; callers check a whole new
// set of settings before they replace the current one, so a refusal changes
// nothing.

#include "core/arm/Brazo.h"
#include "core/control/Controlador.h"
#include "core/run/ProgramaReferencia.h"
#include "core/numbers/NumberText.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nc {

// A field's range as its messages give it: "El amortiguamiento" (the words
// a message begins with) between 0 and 50.
struct RangoAjuste {
    std::string campo;
    double minimo = 0;
    double maximo = 0;
};

class AjusteInvalido : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
    // A value outside its field's range: "<campo> debe estar entre <minimo>
    // y <maximo>", the numbers written with a point.
    explicit AjusteInvalido(const RangoAjuste& rango);
    // The range refused, when the refusal is a range's; a field that reads
    // text says with it what it expects.
    const std::optional<RangoAjuste>& Rango() const { return rango_; }

private:
    std::optional<RangoAjuste> rango_;
};

// "<campo> debe estar entre <minimo> y <maximo>", with this decimal separator.
std::string TextoRango(const RangoAjuste& rango, const NumberFormat& formato);
// "«<texto>» no es un número (el separador decimal es «<separador>»)".
std::string TextoNoNumero(std::string_view texto, const NumberFormat& formato);

struct AjustesRuido {
    double posicion = 0;  // standard deviation, degrees
    double velocidad = 0; // standard deviation, degrees per second
    uint64_t semilla = 1;
    bool operator==(const AjustesRuido&) const = default;
};

struct AjustesExperimento {
    AjustesControlador controlador;
    std::optional<AjustesControlador> comparar; // "Comparar con…": the twin's controller
    ParametrosBrazo brazo;
    double carga = 0;             // a constant torque added to the force
    double angulo_inicial = 0;    // degrees: a run starts at this angle
    double velocidad_inicial = 0; // and with this velocity, degrees per second
    AjustesRuido ruido;
    double empujon = 90; // degrees per second that "Empujar" adds
    ProgramaReferencia referencia;
    // Control steps per second, when the run has a speed of its own (a saved
    // file's); without one it runs at the speed in force.
    std::optional<int32_t> velocidad;
    bool operator==(const AjustesExperimento&) const = default;
};

enum class TipoEvento { Empujon, Mano };

// Something done by hand, with the sample it acted on. Empujon: valor is the
// signed change of velocity in degrees per second. Mano: the hand held the
// arm at valor degrees during that sample.
struct Evento {
    int32_t muestra = 0;
    TipoEvento tipo = TipoEvento::Empujon;
    double valor = 0;
    bool operator==(const Evento&) const = default;
};

// Settings changed during a run: they act from the tick of sample `muestra`.
struct CambioAjustes {
    int32_t muestra = 0;
    AjustesExperimento ajustes;
    bool operator==(const CambioAjustes&) const = default;
};

// A run as a file keeps it: the settings it started with, the events made by
// hand and the settings changed on the way, each with its sample, and how
// many samples the run had.
struct ExperimentoGuardado {
    AjustesExperimento ajustes;
    std::vector<Evento> eventos;
    int32_t muestras = 100;
    std::vector<CambioAjustes> cambios;
    bool operator==(const ExperimentoGuardado&) const = default;
};

// The ranges, one check per field.
void ComprobarCarga(double carga);
void ComprobarAnguloInicial(double grados);
void ComprobarVelocidadInicial(double grados_por_segundo);
void ComprobarAmortiguamiento(double valor);
void ComprobarGravedad(double valor);
void ComprobarFuerzaMaxima(const std::optional<double>& valor);
void ComprobarGananciasPid(const GananciasPid& g);
// The lesions' own ranges, and a seed that a file can hold.
void ComprobarLesiones(const Lesions& lesiones);
void ComprobarRuido(const AjustesRuido& ruido);
void ComprobarEmpujon(double grados_por_segundo);
void ComprobarReferencia(const ProgramaReferencia& programa);
void ComprobarVelocidad(int32_t pasos_por_segundo);
void ComprobarEvento(const Evento& evento);
void ComprobarAjustes(const AjustesExperimento& ajustes);
void ComprobarMuestras(int32_t muestras);
void ComprobarEventos(const std::vector<Evento>& eventos);        // each, and in order of sample
void ComprobarCambios(const std::vector<CambioAjustes>& cambios); // likewise
// The settings, each event, the events' order and the samples.
void ComprobarGuardado(const ExperimentoGuardado& guardado);

// The largest seed a file can hold exactly (2^53 - 1).
inline constexpr uint64_t kSemillaMaxima = (uint64_t{1} << 53) - 1;
// The hand's angle, the steps' and the programmes' degrees stay within this.
inline constexpr double kGradosMaximos = 3600;

} // namespace nc
