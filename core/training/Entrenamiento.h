// SPDX-License-Identifier: MIT
#pragma once
// Training a controller network (RedEntrenada) by backpropagation through
// time through the arm's own equation (IntegracionBrazo, in double).
//
// An iteration runs `episodios` episodes, each from rest at a starting angle
// towards a fixed reference for `muestras` samples of 0.05 s, with its
// conditions (reference, starting angle, gravity term, damping, load and
// force limit) drawn uniformly from the settings' ranges. The loss is the
// mean over episodes and samples of
//
//     e^2 + peso_velocidad w^2 + peso_fuerza u^2 + peso_sobreimpulso o^2
//
// with e the error after each sample (radians), w the velocity, u the
// network's force and o how far the arm has passed the reference in the
// step's direction (0 before it passes). Its gradient with respect to every
// weight is exact: the backward pass runs the forward pass's own arithmetic
// in reverse (the clamps of the force and of the integral pass no gradient
// while they hold). One Adam step follows. docs/training.md gives the
// reasons for each choice.
//
// The episodes of an iteration are shared between one or two workers, each
// writing its episodes' gradients apart; the sum is then formed in episode
// order, so the same seed and settings give the same weights to the bit
// whatever the number of workers.

#include "core/network/RedEntrenada.h"
#include "core/run/AjustesExperimento.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

namespace nc {

// A training setting refused: its range when it has one, as the lab's
// settings do, so that a field can say it in the regional format.
class AjusteEntrenamientoInvalido : public AjusteInvalido {
public:
    using AjusteInvalido::AjusteInvalido;
};

struct RangoEntrenamiento {
    double desde = 0;
    double hasta = 0;
    bool operator==(const RangoEntrenamiento&) const = default;
};

struct AjustesEntrenamiento {
    // The network.
    bool integral = true;
    double limite_integral = 1.0; // radian seconds
    int32_t ocultas = 8;
    // The conditions, each drawn per episode uniformly within its range.
    RangoEntrenamiento referencia{0, 360};     // degrees
    RangoEntrenamiento angulo_inicial{0, 360}; // degrees
    RangoEntrenamiento gravedad{0, 28.5};
    RangoEntrenamiento amortiguamiento{2, 2};
    RangoEntrenamiento carga{-10, 10};
    std::optional<RangoEntrenamiento> fuerza_maxima; // none: no limit
    int32_t muestras = 200;                          // per episode
    int32_t episodios = 64;                          // per iteration
    int32_t iteraciones = 3000;
    double tasa = 0.01; // Adam's learning rate
    uint64_t semilla = 1;
    // The method.
    int32_t subpasos = 5;     // Runge-Kutta sub-steps per sample
    int32_t imitacion = 1000; // warm-start iterations imitating the PID; 0 for none
    double peso_velocidad = 0.02;
    double peso_fuerza = 1e-4;
    double peso_sobreimpulso = 0.0;
    double recorte = 1.0; // the gradient's norm is cut to this; 0 for no cut
    bool operator==(const AjustesEntrenamiento&) const = default;
};

// The training presets, one click each in the tab: "Red con integral" (the
// default: the integral as fourth input, gravity and load varied) and "Solo
// la Tierra" (three inputs, the Earth only, no load: it learns the stored
// network's limits).
struct PreajusteEntrenamiento {
    const char* nombre;
    AjustesEntrenamiento ajustes;
};
const std::vector<PreajusteEntrenamiento>& PreajustesEntrenamiento();

// Each field against its range; throws AjusteEntrenamientoInvalido with a
// Spanish text that names the field and the range.
void ComprobarEntrenamiento(const AjustesEntrenamiento& ajustes);

// The conditions of one episode, in the arm's units (radians).
struct Episodio {
    double referencia = 0;
    double angulo_inicial = 0;
    double gravedad = 9.81;
    double amortiguamiento = 2;
    double carga = 0;
    std::optional<double> fuerza_maxima;
};

// Episode `episodio` of iteration `iteracion`: a function of the seed and
// the two numbers alone, so that any worker draws the same one.
Episodio SortearEpisodio(const AjustesEntrenamiento& ajustes, int64_t iteracion, int32_t episodio);

// The network a training starts from: the seed's weights, the inputs'
// scales and the integral's limit.
RedEntrenada RedInicial(const AjustesEntrenamiento& ajustes);

// What the loss weighs besides the error, and the integration.
struct Perdida {
    double peso_velocidad = 0.02;
    double peso_fuerza = 1e-4;
    double peso_sobreimpulso = 0;
    int32_t muestras = 160;
    int32_t subpasos = 100;
    double escala = 1; // the episode's share of the mean: 1 / (muestras x episodios)
};

// Scratch space of one worker, reused from one episode to the next.
struct MemoriaEpisodio {
    std::vector<double> x, v, integral, u, cosenos, ocultas, entrada;
    std::vector<uint8_t> activa; // bit 0: the force limit passed the force; bit 1: the integral's clamp did not hold
};

// The episode's share of the loss; its gradient is added into `gradiente`
// (NumParametros() entries, in RedEntrenada::Parametros order).
double PerdidaEpisodio(const RedEntrenada& red_entrenada, const Episodio& episodio, const Perdida& perdida,
                       double* gradiente, MemoriaEpisodio& memoria);

// The network's force at one state, in double, as training computes it.
double FuerzaEntrenamiento(const RedEntrenada& red_entrenada, double posicion, double velocidad, double referencia,
                           double integral);

// Adam with PyTorch's defaults (beta 0.9 and 0.999, epsilon 1e-8).
class Adam {
public:
    explicit Adam(size_t parametros) : m_(parametros, 0.0), v_(parametros, 0.0) {}
    void Paso(std::vector<double>& parametros, const std::vector<double>& gradiente, double tasa);

private:
    std::vector<double> m_, v_;
    int64_t t_ = 0;
};

// The PID law the warm start imitates, on the network's own inputs.
double FuerzaPidImitada(const AjustesEntrenamiento& ajustes, double posicion, double velocidad, double referencia,
                        double integral);

// What Iterar throws when the flag it was given stops an iteration: the
// network and the count stay as they were.
class IteracionCancelada : public std::runtime_error {
public:
    IteracionCancelada() : std::runtime_error("Entrenamiento cancelado") {}
};

class Entrenador {
public:
    // Checks the settings (throws AjusteEntrenamientoInvalido) and builds the
    // starting network. `trabajadores` is 1 or 2.
    Entrenador(const AjustesEntrenamiento& ajustes, int trabajadores);

    // One iteration: an imitation step while the warm start lasts, a step of
    // backpropagation through time after. Returns its loss (for the warm
    // start, the imitation's mean square error). Throws the loop's
    // floating-point texts when a weight or a loss stops being finite, with
    // the network as it was.
    double Iterar();

    // A flag that, once raised, stops the iteration under way at its next
    // episode (another thread may raise it); null for none.
    void SetCancelar(const std::atomic<bool>* cancelar) { cancelar_ = cancelar; }

    int64_t Iteracion() const { return iteracion_; }
    bool Terminado() const { return iteracion_ >= ajustes_.iteraciones; }
    bool Imitando() const { return iteracion_ < ajustes_.imitacion; }
    const RedEntrenada& Red() const { return red_; }
    const AjustesEntrenamiento& Ajustes() const { return ajustes_; }

private:
    double IterarImitacion();
    double IterarTiempo();
    // Sums the episodes' rows in order, cuts the norm and takes Adam's step.
    void Aplicar(const std::vector<std::vector<double>>& filas);

    AjustesEntrenamiento ajustes_;
    int trabajadores_;
    RedEntrenada red_;
    std::vector<double> parametros_;
    Adam adam_;
    int64_t iteracion_ = 0;
    const std::atomic<bool>* cancelar_ = nullptr;
};

} // namespace nc
