// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's controllers behind one interface: the stored network
// (exactly the main window's FeedBack path), a PID, none at all, and a
// network trained in the laboratory (RedEntrenada). A tick
// asks for the force first and confirms it only when the whole tick has
// succeeded, so a failing tick leaves a controller's state as it was.

#include "core/network/Lesion.h"
#include "core/network/RedEntrenada.h"
#include "core/network/red.h"

#include <memory>
#include <optional>
#include <span>

namespace nc {

enum class TipoControlador { Red, Pid, Ninguno, Entrenada };

// A trained network shared by the settings that name it, compared by value:
// two settings with equal weights are the same controller.
struct RedCompartida {
    std::shared_ptr<const RedEntrenada> red;
    explicit operator bool() const { return red != nullptr; }
    const RedEntrenada& operator*() const { return *red; }
    const RedEntrenada* operator->() const { return red.get(); }
    bool operator==(const RedCompartida& o) const { return red == o.red || (red && o.red && *red == *o.red); }
};

// Gains on the error in radians; the force is in the arm's units.
struct GananciasPid {
    double kp = 100.0;
    double ki = 120.0;
    double kd = 24.0;
    bool operator==(const GananciasPid&) const = default;
};

struct AjustesControlador {
    TipoControlador tipo = TipoControlador::Red;
    GananciasPid pid;
    // Damage to the network, read only when tipo is Red or Entrenada. The
    // default is none, which builds the stored network bit for bit.
    Lesions lesiones;
    // The network of Entrenada; empty for the others.
    RedCompartida entrenada;

    // Spelled out so that {tipo, pid} keeps reading as it did before the
    // lesions came, without a missing-initializer warning at every use.
    AjustesControlador() = default;
    AjustesControlador(TipoControlador t, const GananciasPid& g = {}, const Lesions& l = {})
        : tipo(t), pid(g), lesiones(l)
    {}
    // The trained network counts only for a controller that runs it: the
    // settings keep it while another controller is chosen, so that choosing
    // "Red entrenada" again finds it, and a file keeps it only where it runs.
    bool operator==(const AjustesControlador& o) const
    {
        return tipo == o.tipo && pid == o.pid && lesiones == o.lesiones
            && (tipo != TipoControlador::Entrenada || entrenada == o.entrenada);
    }
};

// The names the window lists, in the enum's order.
const char* NombreControlador(TipoControlador tipo);

class Controlador {
public:
    virtual ~Controlador() = default;
    // The force for what the controller reads (radians, radians per second).
    // `inicio` is true on a run's first sample, where any memory starts afresh.
    virtual float Calcular(float posicion, float velocidad, float referencia, bool inicio) = 0;
    // Makes the state of the last Calcular the current one.
    virtual void Confirmar() = 0;
    // The network it runs, for the X-ray to read; null for the others.
    virtual const red* Red() const { return nullptr; }
    // What the controller carries from one tick to the next (the PID's
    // integral); empty when the force depends on the present reading alone.
    virtual std::span<const double> Memoria() const { return {}; }
};

// The clamp of the PID's integral, in radian seconds: its term never passes
// the force limit, or 50 without one. Only for ki > 0.
inline double LimiteIntegralPid(const GananciasPid& g, std::optional<double> limite)
{
    return limite.value_or(50.0) / g.ki;
}

// `limite`: the arm's force limit when it has one, for the PID's anti-windup.
// A network with lesions out of range throws std::invalid_argument with the
// lesion's Spanish text; so does Entrenada without a network.
std::unique_ptr<Controlador> CrearControlador(const AjustesControlador& ajustes, std::optional<double> limite);

} // namespace nc
