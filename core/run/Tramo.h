// SPDX-License-Identifier: MIT
#pragma once
// The figures a class reads off one arm's part of a run, and what they
// belong to.
//
// A segment starts where the reference takes a new value: at a run's first
// tick, at each step of a stepped programme, where the programme itself
// changes. For a stepped programme the segment is a step of the reference,
// measured by MeasureStep from where the arm was when it began, as long as
// only the controller acts on the arm. Anything else that acts (a push, the
// hand, a change of the settings that move the arm, a lesion) ends the
// step's figures: they stay as MeasureStep gave them for the finished step,
// up to the sample the arm was disturbed at, marked as ended, until the
// reference's next step. A change made on the very tick a step begins acts
// from its start and ends nothing. A run that starts at its own reference,
// and a run taken over where it stood, have no step until the reference
// moves.
//
// For a sine the figures are the tracking ones (MeasureTracking), over the
// last period, once a whole period has passed since the sine began or since
// something else last acted; what acts ends them as it ends a step's, and
// they stay until a new period has passed. A ramp has none.

#include "core/run/ProgramaReferencia.h"
#include "core/analysis/StepFigures.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace nc {

// What acted on an arm during one tick besides its controller and the
// reference.
struct Actuaciones {
    bool empujon = false; // a push
    bool mano = false;    // the hand held it
    bool cambio = false;  // settings that move it changed from this tick: the arm's, the load, the
                          // noise, its controller or its gains
    bool lesion = false;  // its controller's lesions changed from this tick
    bool Alguna() const { return empujon || mano || cambio || lesion; }
    Actuaciones& operator|=(const Actuaciones& o);
    bool operator==(const Actuaciones&) const = default;
};

// The name of what acted, the first of push, hand, change and lesion:
// "empujón", "mano", "cambio de ajustes", "lesión"; "" for nothing.
const char* NombreActuacion(const Actuaciones& a);

enum class ClaseTramo : uint8_t {
    Ninguna,     // before a run's first tick, and a ramp: nothing to measure
    Escalon,     // a step of the reference
    SinEscalon,  // the reference has not moved: a run started at it, or taken over
    Seguimiento, // a sine followed
};

// What ended a segment's figures, and the sample it acted on.
struct FinTramo {
    Actuaciones que;
    int32_t muestra = 0;
};

struct CifrasTramo {
    ClaseTramo clase = ClaseTramo::Ninguna;
    std::optional<StepFigures> escalon;         // Escalon: always there
    long double referencia = 0;                 // Escalon: the step's reference, degrees
    std::optional<TrackingFigures> seguimiento; // Seguimiento: once a period has passed
    std::optional<FinTramo> fin;                // the figures shown ended then
};

class Tramo {
public:
    // A new segment from the tick of sample `muestra`, whose reference is
    // `referencia`. `con_escalon`: whether the reference moved into it (a
    // stepped programme only).
    void Empezar(const ProgramaReferencia& programa, int32_t muestra, long double referencia, bool con_escalon);
    // Something other than the controller acted on the arm during the tick
    // of `muestra`; `antes` is the plotted position that tick started from,
    // before anything moved it.
    void Interrumpir(const Actuaciones& que, int32_t muestra, float antes);
    // The tick's plotted position.
    void Agregar(float posicion);
    void Limpiar() { *this = Tramo{}; }

    // The positions of a stepped programme's segment so far, `ultima` added
    // as where the next tick starts, measured whatever acted during it: the
    // trace's summary. Empty before the first tick and for a sine or a ramp.
    std::optional<StepFigures> FigurasCompletas(float ultima) const;
    // What the figures' table shows, `ultima` as in FigurasCompletas.
    CifrasTramo Cifras(float ultima) const;

private:
    std::optional<TrackingFigures> SeguimientoActual() const;

    ClaseTramo clase_ = ClaseTramo::Ninguna;
    bool escalonado_ = false; // a stepped programme's segment, with or without a step
    long double referencia_ = 0;
    std::vector<float> posiciones_; // a stepped programme's, since the segment began
    std::optional<StepFigures> escalon_final_;
    std::optional<FinTramo> fin_;
    // A sine's: its settings, the positions of the last period at most and
    // the sample of the first of them, and the figures an intervention ended.
    double amplitud_ = 0, periodo_ = 1;
    size_t muestras_periodo_ = 0;
    std::deque<float> ventana_;
    int32_t inicio_ventana_ = 0;
    std::optional<TrackingFigures> seguimiento_final_;
};

} // namespace nc
