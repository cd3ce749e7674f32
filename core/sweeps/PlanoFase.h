// SPDX-License-Identifier: MIT
#pragma once
// The phase plane of the laboratory's closed loop at one reference held
// still: position against velocity, the loop's flow, its equilibria with
// their kinds, and where each starting state of a grid ends up.
//
// The flow is the arm's equation with the controller's force at each state,
// as a tick computes it from a reading (CampoLazo). An equilibrium is a
// state at rest where gravity, the load and the controller's force, after
// the force limit, balance; it is found on the plane's position range
// widened by a turn on each side, by sign changes of that balance and
// refined by bisection to adjacent floats. Its kind comes from the loop
// linearised there with the X-ray's exact gains (RayosX): stable node or
// focus, saddle, unstable node or focus.
//
// A controller with the error's integral (the PID, a trained network with
// the integral input) carries it as a third state. Its plane is a slice:
// the flow at one value of the integral. Its equilibria are those of the
// whole loop: the arm at the reference with the integral that holds it
// there, when the integral's clamp allows it, and, where the clamp stops
// the integral and the error keeps pushing it against the clamp, the rest
// positions of the loop with the integral held there.
//
// Each cell of the grid is a laboratory run (Experimento) from the cell's
// centre, with the controller's memory at zero as a run starts, no noise and
// no twin, of a fixed number of samples. It ends:
//   - "gira" when the arm leaves the plane's range by more than a whole turn
//     (or a tick overflows);
//   - at equilibrium i when its last state is in i's neighbourhood;
//   - otherwise "no se detiene".
// The neighbourhood of an equilibrium whose sampled loop is stable is an
// ellipse x'Px <= c, P solving the discrete Lyapunov equation of one sample
// of the linearised loop (x' M'PMx = x'Px - x'Qx), so that the quadratic
// form falls at every sample, and c the largest level inside a box of half
// a degree, 5 degrees per second (and, with an integral, as much integral
// as moves the force as much as the half degree does). Of any other
// equilibrium, the box itself.
//
// Early stop: once a run is inside a quarter of that ellipse (x'Px <= c/4)
// it ends there, since the form keeps falling; and an arm that has left the
// range spins whatever it does next. tests/lab/test_fase.cpp compares both
// ways over small grids; bench_core's BM_PhasePlane times them.

#include "core/run/AjustesExperimento.h"
#include "core/analysis/RayosX.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nc {

class Trabajo;

struct AjustesPlano {
    // The controller, the arm, the load and the lesions; its reference, start,
    // noise and twin are not read.
    AjustesExperimento base;
    double referencia = 30; // degrees, held
    double desde = -180;    // the positions' range, degrees
    double hasta = 540;
    double velocidad = 600; // velocities from -this to +this, degrees per second
    int32_t columnas = 100; // cells along the positions
    int32_t filas = 60;     // and along the velocities
    int32_t muestras = 600; // per cell
    bool operator==(const AjustesPlano&) const = default;
};

inline constexpr int32_t kCeldasPlanoMaximas = 400;

// The base settings in range, the reference within +-3600, a position range
// of 10 to 3600 degrees inside +-3600, velocities of 1 to 3600, 2 to 400
// columns and rows, 20 to 100000 samples; throws AjusteInvalido.
void ComprobarPlano(const AjustesPlano& plano);

// Where a cell starts: its centre. Row 0 holds the lowest velocities.
double PosicionColumna(const AjustesPlano& plano, int columna);
double VelocidadFila(const AjustesPlano& plano, int fila);
// The laboratory's settings of a run from that state: the base with the
// plane's reference fixed, no noise, no twin.
AjustesExperimento AjustesInicio(const AjustesPlano& plano, double posicion, double velocidad);

enum class TipoEquilibrio : uint8_t { NodoEstable, FocoEstable, Silla, NodoInestable, FocoInestable, NoHiperbolico };
// "nodo estable", "foco estable", "silla", "nodo inestable", "foco inestable", "no hiperbólico".
const char* NombreTipo(TipoEquilibrio tipo);
// The trace's words: nodo_estable, foco_estable, silla, nodo_inestable, foco_inestable, no_hiperbolico.
const char* ClaveTipo(TipoEquilibrio tipo);
// From the eigenvalues: every real part negative, stable (a focus with a
// complex pair); every one positive, unstable; both signs, a saddle; a real
// part of zero, not hyperbolic.
TipoEquilibrio TipoDe(const LazoLinealizado& lazo);
inline bool Estable(TipoEquilibrio t)
{
    return t == TipoEquilibrio::NodoEstable || t == TipoEquilibrio::FocoEstable;
}

// The region around an equilibrium where a run ends there: the state's
// distance x from it (radians, radians per second and, with n = 3, radian
// seconds of integral) within the box, and, when `elipse`, x'Px <= c.
struct Entorno {
    int n = 2;
    std::array<long double, 3> centro{}; // the equilibrium: position, velocity (0), integral
    std::array<long double, 3> caja{};
    bool elipse = false;
    std::array<long double, 9> p{}; // row-major n x n
    long double c = 0;
    // The integral must be exactly this (held at its clamp).
    std::optional<double> memoria_exacta;
};

struct Equilibrio {
    double posicion = 0;            // degrees
    std::optional<double> integral; // the controller's integral there, radian seconds
    bool en_limite = false;         // the integral held at its clamp, off the reference
    LecturaRayosX lectura;          // the X-ray there: force, gains, linearised loop
    TipoEquilibrio tipo = TipoEquilibrio::NoHiperbolico;
    Entorno entorno;
};

struct AnalisisPlano {
    std::vector<Equilibrio> equilibrios; // by position, then integral
    bool con_integral = false;
    double limite_integral = 0; // the integral's clamp, radian seconds
    // Whether the arm can rest at the reference: with an integral, whether
    // some integral inside the clamp holds it there.
    bool equilibrio_en_referencia = false;
};

// The force and the flow of the closed loop at any state, as a tick computes
// them from a reading (x, v in radians and radians per second) and the
// controller's integral (ignored without one). Holds scratch networks: one
// per thread.
class CampoLazo {
public:
    // Throws like CrearControlador.
    explicit CampoLazo(const AjustesPlano& plano);
    ~CampoLazo();
    CampoLazo(const CampoLazo&) = delete;
    CampoLazo& operator=(const CampoLazo&) = delete;

    bool ConIntegral() const { return con_integral_; }
    double LimiteIntegral() const { return limite_integral_; }
    float Referencia() const { return referencia_; } // radians, as the controller reads it
    // The controller's force, and the force the arm feels (limited, with the load).
    float Pedida(float x, float v, double integral) const;
    float Aplicada(float x, float v, double integral) const;
    // d velocidad / dt, radians per second squared.
    long double Aceleracion(float x, float v, double integral) const;
    // The X-ray at that state, with the loop linearised there; `con_integral`
    // false leaves the integral out of it (held at its clamp).
    LecturaRayosX Lectura(float x, float v, double integral, bool con_integral = true) const;

private:
    struct Red;
    AjustesExperimento ajustes_;
    Brazo brazo_;
    float referencia_;
    bool con_integral_ = false;
    double limite_integral_ = 0;
    long double g_, b_;
    std::unique_ptr<Red> red_;
};

// The equilibria and their neighbourhoods. Throws like CampoLazo.
AnalisisPlano AnalizarPlano(const AjustesPlano& plano);

// Where a cell's run ends: an equilibrium's index, or one of these.
inline constexpr int16_t kFinGira = -1;
inline constexpr int16_t kFinNoSeDetiene = -2;
inline constexpr int16_t kFinPendiente = -3;

// The index of the equilibrium whose region holds the state (memory: the
// controller's, empty without one), or -1. `parada`: only the quarter
// ellipses of the early stop.
int EquilibrioEn(const AnalisisPlano& analisis, EstadoBrazo estado, std::span<const double> memoria,
                 bool parada = false);

struct ResultadoCeldaPlano {
    int16_t fin = kFinPendiente;
    int32_t calculadas = 0; // the samples actually computed
};
ResultadoCeldaPlano CalcularCeldaPlano(const AjustesPlano& plano, const AnalisisPlano& analisis, int fila, int columna,
                                       bool parada_temprana = true);

struct PlanoFase {
    AjustesPlano ajustes;
    AnalisisPlano analisis;
    std::vector<int16_t> celdas; // row-major, filas x columnas
    int64_t calculadas = 0;
    bool completo = false;
    int16_t Fin(int fila, int columna) const { return celdas[static_cast<size_t>(fila * ajustes.columnas + columna)]; }
};

// Every cell on `hilos` workers (1 or 2), each taking the next cell. With a
// job, each worker asks it to go on before each cell and reports the
// progress; with `celdas` (one per cell), each cell's end is stored there as
// soon as it is known. A cancelled plane is not `completo`, its cells not
// reached kFinPendiente. The settings must have passed ComprobarPlano.
PlanoFase CalcularPlano(const AjustesPlano& plano, const AnalisisPlano& analisis, int hilos,
                        bool parada_temprana = true, Trabajo* trabajo = nullptr,
                        std::span<std::atomic<int16_t>> celdas = {});

// A plane computed in a job of its own, the analysis first and then the
// cells on `hilos` workers, at a lower priority than the window that polls
// it. Destroying it cancels the job and waits for the cells under way.
class PlanoEnCurso {
public:
    // Checks the settings first (throws AjusteInvalido).
    explicit PlanoEnCurso(const AjustesPlano& plano, int hilos = 2);
    ~PlanoEnCurso();
    PlanoEnCurso(const PlanoEnCurso&) = delete;
    PlanoEnCurso& operator=(const PlanoEnCurso&) = delete;

    const AjustesPlano& Ajustes() const { return ajustes_; }
    void Cancelar();
    bool Terminado() const;
    // Null until the equilibria are known.
    std::shared_ptr<const AnalisisPlano> Analisis() const;
    // Each cell's end as far as known, and how many are known.
    int32_t Celdas(std::vector<int16_t>& destino) const;
    // Once ended: the plane (complete or not), or why it failed.
    std::optional<PlanoFase> Resultado() const;
    std::string Error() const;

private:
    void Calcular(Trabajo& trabajo);

    AjustesPlano ajustes_;
    int hilos_;
    mutable std::mutex mutex_;
    std::shared_ptr<const AnalisisPlano> analisis_;
    std::optional<PlanoFase> resultado_;
    std::vector<std::atomic<int16_t>> celdas_;
    std::atomic<int32_t> hechas_{0};
    std::unique_ptr<Trabajo> trabajo_; // last: its thread reads the rest
};

} // namespace nc
