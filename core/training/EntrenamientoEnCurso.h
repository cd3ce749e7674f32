// SPDX-License-Identifier: MIT
#pragma once
// A training on a thread of its own (Trabajo), with what the "Entrenar" tab
// shows of it: every iteration's loss, now and then a replay of a fixed set
// of steps by the network as it is and by the best one before it, and a
// small competence map. The window only polls Ver(); nothing here waits for
// the window.
//
// Replays and maps run the laboratory's own arm (Experimento) with the
// network as the laboratory would run it, at the middle of the training's
// conditions, so they show what the network does, not what training's
// coarser integration believes.

#include "core/training/Entrenamiento.h"
#include "core/sweeps/MapaCompetencia.h"
#include "core/work/Trabajo.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace nc {

// The positions (degrees) of one replay, one per sample, and its reference.
struct Repeticion {
    int64_t iteracion = 0;
    std::vector<float> posiciones;
    std::vector<float> referencias;
};

struct VistaEntrenamiento {
    int64_t iteracion = 0;
    int64_t iteraciones = 0;
    bool imitando = false;
    std::vector<double> perdidas; // the losses after those the caller has
    std::optional<Repeticion> repeticion;
    std::optional<Repeticion> mejor; // the best network's before this one
    std::optional<MapaCompetencia> mapa;
    int64_t iteracion_mapa = 0;
    std::shared_ptr<const RedEntrenada> red; // the network now
    double segundos = 0;                     // of training, pauses left out
    bool pausado = false;
    bool terminado = false; // done, cancelled or failed
    std::string error;      // why it failed
};

struct OpcionesSeguimiento {
    int32_t cada_repeticion = 50; // iterations between replays; 0 for none
    int32_t cada_mapa = 750;      // and between maps; 0 for none
    int32_t filas_mapa = 4;
    int32_t muestras_mapa = 200;
};

// The arm's settings at the middle of the training's conditions, with the
// network as controller: where replays and the small map run.
AjustesExperimento AjustesSeguimiento(const AjustesEntrenamiento& ajustes, std::shared_ptr<const RedEntrenada> red);

// The replay's programme: from rest through four steps of 5 s each.
ProgramaReferencia ProgramaRepeticion();

// The replay of a network, run as the laboratory runs it.
Repeticion Repetir(const AjustesExperimento& ajustes, int64_t iteracion);

class EntrenamientoEnCurso {
public:
    // Checks the settings (throws AjusteEntrenamientoInvalido) and starts.
    EntrenamientoEnCurso(const AjustesEntrenamiento& ajustes, int trabajadores = 2, OpcionesSeguimiento opciones = {});
    ~EntrenamientoEnCurso();

    void Pausar() { trabajo_->Pausar(); }
    void Continuar() { trabajo_->Continuar(); }
    // Stops the training at its next episode or map cell, not at the end of
    // what it is doing: a window that closes never waits for an iteration.
    void Cancelar();
    bool Pausado() const { return trabajo_->Pausado(); }

    // A copy of the state, with the losses from index `perdidas_desde` on.
    VistaEntrenamiento Ver(size_t perdidas_desde = 0) const;
    const AjustesEntrenamiento& Ajustes() const { return ajustes_; }

private:
    void Entrenar(Trabajo& trabajo);

    AjustesEntrenamiento ajustes_;
    int trabajadores_;
    OpcionesSeguimiento opciones_;
    std::atomic<bool> cancelado_{false};
    ProgresoMapa progreso_mapa_; // the small map's under way, so that a cancel reaches it
    mutable std::mutex mutex_;
    VistaEntrenamiento vista_;         // perdidas holds them all
    std::unique_ptr<Trabajo> trabajo_; // last: its thread reads the rest
};

} // namespace nc
