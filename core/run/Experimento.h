// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's run without a window: the settings, one arm and its
// controller, optionally a twin arm with a second controller, and one tick
// that advances both, as ControlLoop does for the main window. The twin sees
// the same reference, load, noise samples and pushes; the hand holds only
// the first arm.
//
// A tick is all or nothing: it computes everything into locals, checks the
// floating-point flags, and only then commits the arms, the controllers, the
// noise generator, the counter and the record of events. With the default
// settings a tick gives, bit for bit, what ControlLoop::Paso gives.

#include "core/run/AjustesExperimento.h"
#include "core/arm/Brazo.h"
#include "core/control/Controlador.h"
#include "core/analysis/RayosX.h"
#include "core/run/Ruido.h"
#include "core/analysis/StepFigures.h"
#include "core/run/Tramo.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace nc {

// What one arm showed during a tick.
struct SalidaBrazo {
    EstadoBrazo inicio{};       // the state the sample starts from, radians
    float posicion_grados = 0;  // the plotted position at the sample's start
    float velocidad_grados = 0; // and velocity, rounded to single
    float fuerza = 0;           // the force that acts: the controller's, limited
    float fuerza_pedida = 0;    // the controller's own; differs only where the limit cuts it
    EstadoBrazo estado{};       // the state at the sample's end, radians
    EstadoLeido leida{};        // what the controller read: noisy state and reference
    Actuaciones actuaciones;    // what else acted on the arm during the tick
};

struct SalidaPaso {
    int32_t muestra = 0;        // the plotted x: the counter before the tick
    long double referencia = 0; // degrees, the value in force ("Ref.")
    SalidaBrazo brazo;
    std::optional<SalidaBrazo> gemelo;
};

// One arm of a run with its controller; declared outside Experimento so that
// std::optional of it is complete where the class uses it.
struct LadoExperimento {
    std::unique_ptr<Controlador> controlador;
    EstadoBrazo estado{0.0f, 0.0f};
    Tramo tramo;         // the current segment and its figures
    EstadoLeido leida{}; // what the controller read on the last tick
    float fuerza = 0.0f; // and the force it asked for
};

class Experimento {
public:
    // Throws AjusteInvalido for settings out of range.
    explicit Experimento(const AjustesExperimento& ajustes = {});

    const AjustesExperimento& Ajustes() const { return ajustes_; }
    // Checks the whole set first; a refusal throws and changes nothing. A
    // change applies from the next tick; a controller whose settings did not
    // change keeps its memory. Made during a run, it is recorded with the
    // sample it acts on; before the first tick it becomes the run's start.
    void SetAjustes(const AjustesExperimento& ajustes);

    // "Limpiar": the next tick starts a new run from rest at sample 0, with the
    // noise seeded afresh, the present settings as the run's start, and the
    // events and changes of the last run forgotten.
    void Limpiar();

    // Takes over a run already under way, as when the laboratory opens during
    // one: the next tick is sample `muestra` (over 0) from the arm at
    // `estado`, with the present settings and fresh controllers; a twin
    // starts beside the arm. Such a run cannot be saved, since a file starts
    // its runs at sample 0: Guardado then throws with a Spanish text.
    void Continuar(EstadoBrazo estado, int32_t muestra);

    // One sample. Throws FloatingPointError (with the state as before the
    // tick) or the counter's limit error; nothing is recorded then.
    SalidaPaso Paso();

    // "Empujar": the next tick adds sentido x empujon to both arms' velocity.
    void Empujar(int sentido);
    // The hand: while held, each tick sets the arm to the hand's angle with the
    // velocity of its motion since the last tick, and the arm is not
    // integrated; the controller's force is still computed.
    void Agarrar(double grados) { mano_ = grados; }
    void Soltar() { mano_.reset(); }
    bool Agarrado() const { return mano_.has_value(); }

    // Events and settings changes to replay, in order of their samples: each
    // acts on the tick of its sample as if made by hand then. Checked like
    // settings.
    void Programar(std::vector<Evento> eventos, std::vector<CambioAjustes> cambios = {});
    // The events that acted on this run, in order.
    const std::vector<Evento>& Eventos() const { return eventos_; }
    // This run so far, to save: replayed from sample 0 it gives the same bits.
    // Throws std::runtime_error for a run taken over by Continuar.
    ExperimentoGuardado Guardado() const;
    // Whether the run was taken over by Continuar (until Limpiar).
    bool Continuada() const { return continuada_; }

    int32_t muestra() const { return muestra_; }
    EstadoBrazo Estado() const { return principal_.estado; }
    std::optional<EstadoBrazo> EstadoGemelo() const;
    // The memory the arm's controller (or its twin's) carries to the next tick.
    std::span<const double> MemoriaControlador(bool gemelo = false) const
    {
        return gemelo ? gemelo_->controlador->Memoria() : principal_.controlador->Memoria();
    }

    // The step figures of the reference's current segment (from the tick where
    // the reference last took a new value), for the arm or its twin, whatever
    // else acted on the arm during it: the trace's summary. Empty before the
    // first tick of a run, and for a sine or a ramp, which have no steps.
    std::optional<StepFigures> FigurasTramo(bool gemelo = false) const;
    // The figures that belong to the segment (simulation/Tramo.h): a step's
    // only while nothing else acted, a sine's tracking figures, or none.
    CifrasTramo Cifras(bool gemelo = false) const;

    // The X-ray of the arm's controller (or its twin's) at the state the last
    // tick read, computed now with the present controller and arm settings,
    // so that a lesion shows before the next tick. Before a run's first tick,
    // at rest with the reference of sample 0. Throws like NetworkXray::Read.
    LecturaRayosX RayosX() const;
    std::optional<LecturaRayosX> RayosXGemelo() const;

private:
    using Lado = LadoExperimento;
    LecturaRayosX RayosXLado(const Lado& lado, const AjustesControlador& ajustes) const;
    // What acts on an arm during one tick besides its controller, in radians.
    struct Perturbacion {
        std::optional<long double> empujon; // added to the velocity
        std::optional<float> mano;          // the hand's angle
        std::optional<long double> ruido_x, ruido_v;
    };
    SalidaBrazo PasoBrazo(Lado& lado, bool inicio, float referencia, const Perturbacion& p) const;
    // A tick's seams, in the order Paso runs them.
    void CambiosProgramados(int32_t muestra);
    std::vector<Evento> HechosDelPaso(int32_t muestra, size_t& siguiente) const;
    static Perturbacion PerturbacionDe(const std::vector<Evento>& hechos);
    void MarcarActuaciones(SalidaPaso& salida, const Perturbacion& p) const;
    bool EmpiezaTramo(const SalidaPaso& salida, bool inicio) const;
    void ConfirmarLado(Lado& lado, const SalidaBrazo& s, const SalidaPaso& salida, bool inicio, bool tramo_nuevo);

    void Aplicar(const AjustesExperimento& ajustes);
    const Lado* LadoDe(bool gemelo) const { return gemelo ? (gemelo_ ? &*gemelo_ : nullptr) : &principal_; }

    AjustesExperimento ajustes_;
    AjustesExperimento ajustes_inicio_; // the settings at this run's sample 0
    std::vector<CambioAjustes> cambios_;
    std::vector<CambioAjustes> cambios_programados_;
    size_t siguiente_cambio_ = 0;
    Brazo brazo_;
    Lado principal_;
    std::optional<Lado> gemelo_;
    RuidoGaussiano ruido_;
    int32_t muestra_ = 0;
    long double referencia_tramo_ = 0;
    // The settings the last tick ran with, kept from the first change after
    // it, so that the next tick knows what the changes moved.
    std::optional<AjustesExperimento> ajustes_del_paso_;
    bool tomada_ = false; // the next tick is the first of a run taken over
    std::optional<int> empujon_pendiente_;
    std::optional<double> mano_;
    std::vector<Evento> programa_;
    size_t siguiente_programado_ = 0;
    std::vector<Evento> eventos_;
    bool continuada_ = false;
};

} // namespace nc
