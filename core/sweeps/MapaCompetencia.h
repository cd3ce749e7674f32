// SPDX-License-Identifier: MIT
#pragma once
// The competence map: where a controller brings the arm to the reference and
// where it does not. The columns are the reference, 0 to 360 degrees in steps
// of 5; the rows are one chosen quantity (the starting angle, the damping,
// the gravity term, the load or the position noise) over a range. Each cell
// is a laboratory run (Experimento) from rest of a fixed number of samples
// with the cell's settings, and its class says how the arm ended:
//
//   Let p_0 .. p_N be the plotted positions in degrees (p_k at the start of
//   sample k, p_N after the last one), a the starting angle, r the reference,
//   e_k = p_k - r, the step s = r - a and the band b = max(2 % of |s|, 0.5
//   degrees), which is 0.5 degrees exactly for steps under 25 degrees.
//   - Gira when the arm spins away: some |e_k| > |e_0| + 360, a whole turn
//     farther from the reference than where it started.
//   - Otherwise settled when |e_k| <= b for every k of the last second
//     (the last 21 positions): Sobreimpulso if the overshoot, the farthest
//     p_k beyond r in the step's direction, passes 10 % of |s| (a zero step
//     has none), Establece if not.
//   - Otherwise Lenta when the arm is still closing in: the largest |e_k|
//     over the last quarter of the samples is below 0.9 times the largest
//     over the quarter before it.
//   - Otherwise SeDetieneFuera: it stops outside the band, or stays outside
//     it (stuck off the reference, or swinging without dying out).
//
// A cell's settings are the map's base settings with the row's quantity and
// the column's reference (a fixed one); a twin ("Comparar con…") gets a map
// of its own, each of its cells run alone with the twin's controller: a
// twin's arm moves exactly as it would alone, so the window's run of a
// clicked cell shows both arms as their maps say.
//
// Early stop: with a constant reference and no noise, every tick after the
// first is a function of the state it starts from: the arm's position and
// velocity and the controller's memory (Experimento::MemoriaControlador).
// Once a tick starts from a state, to the bit, that an earlier tick (not the
// first) started from, the run repeats that stretch of samples for ever, so
// the remaining positions are copied from it instead of computed, and the
// class, decided from all N + 1 positions, is that of the full run. A state
// that stops changing is the stretch of one sample. Apart from that, a
// spinning arm fails whatever it does afterwards, so its cell ends at the
// sample where it is seen. tests/lab/test_mapa.cpp compares both ways over
// the default map; bench_core's BM_CompetenceMap times them.

#include "core/run/AjustesExperimento.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

namespace nc {

enum class MagnitudMapa { AnguloInicial, Amortiguamiento, Gravedad, Carga, Ruido };
inline constexpr MagnitudMapa kMagnitudesMapa[] = {MagnitudMapa::AnguloInicial, MagnitudMapa::Amortiguamiento,
                                                   MagnitudMapa::Gravedad, MagnitudMapa::Carga, MagnitudMapa::Ruido};

// Pendiente marks a cell that a sweep has not reached (yet, or at all when
// cancelled).
enum class ClaseCelda : uint8_t { Establece, Sobreimpulso, Lenta, Gira, SeDetieneFuera, Pendiente };

inline constexpr int kColumnasMapa = 73; // references 0, 5, ..., 360
inline constexpr int32_t kFilasMaximas = 100;

// "Ángulo inicial (°)", "Amortiguamiento", "Gravedad", "Carga", "Ruido de posición (°)".
const char* NombreMagnitud(MagnitudMapa m);
// The words of the trace's --magnitud: angulo, amortiguamiento, gravedad, carga, ruido.
const char* ClaveMagnitud(MagnitudMapa m);
// "Se establece", "Con sobreimpulso", "Lenta", "Gira", "Se detiene fuera",
// "Sin calcular".
const char* NombreClase(ClaseCelda c);
// The trace's words: establece, sobreimpulso, lenta, gira, fuera, pendiente.
const char* ClaveClase(ClaseCelda c);

struct AjustesMapa {
    AjustesExperimento base; // controller (and twin), arm, load, noise...
    MagnitudMapa magnitud = MagnitudMapa::AnguloInicial;
    double desde = 0;   // the first row's value
    double hasta = 360; // the last row's value
    int32_t filas = 19;
    int32_t muestras = 600; // per cell
    bool operator==(const AjustesMapa&) const = default;
};

// The quantity's default range, in round steps that hold the stored arm's
// value: starting angle 0 to 360 (19 rows, steps of 20: a whole turn); over
// 20 rows damping 0 to 9.5 (0.5), gravity 0 to 28.5 (1.5), load -10 to 9
// (1), noise 0 to 3.8 (0.2).
AjustesMapa MapaPorDefecto(MagnitudMapa m, const AjustesExperimento& base = {});

// Rows 1 to kFilasMaximas, samples 20 to 100000, and every row's settings in
// range; throws AjusteInvalido.
void ComprobarMapa(const AjustesMapa& mapa);

// Evenly from desde to hasta, rounded to 12 significant digits so that a
// step of 0.2 reads as written.
double ValorFila(const AjustesMapa& mapa, int fila);
inline double ReferenciaColumna(int columna)
{
    return 5.0 * columna;
}
// The settings of one cell, twin included: what a click loads into the lab.
AjustesExperimento AjustesCelda(const AjustesMapa& mapa, int fila, int columna);

// The class of positions p_0 .. p_N (N >= 20) as the contract above says.
ClaseCelda Clasificar(std::span<const float> posiciones, double angulo_inicial, double referencia);

struct ResultadoCelda {
    ClaseCelda clase = ClaseCelda::Pendiente;
    int32_t calculadas = 0; // the samples actually computed
};

// One arm alone (the settings' twin is ignored) for `muestras` samples. A
// tick that fails (a floating-point fault: the arm ran away) makes the cell
// Gira.
ResultadoCelda CalcularCelda(const AjustesExperimento& ajustes, int32_t muestras, bool parada_temprana = true);

struct MapaCompetencia {
    AjustesMapa ajustes;
    // Row-major, filas x kColumnasMapa; `gemelo` is empty without a twin.
    std::vector<ClaseCelda> brazo, gemelo;
    int64_t calculadas = 0; // samples computed over all cells
    bool completo = false;

    ClaseCelda Clase(int fila, int columna, bool del_gemelo = false) const
    {
        return (del_gemelo ? gemelo : brazo)[static_cast<size_t>(fila * kColumnasMapa + columna)];
    }
};

// Shared with the threads of a sweep: the cells done so far (of both maps),
// a flag that stops it at the next cell, and, when made for the map, each
// cell's class as soon as it is known, so that a window can show the map
// filling in while the sweep runs.
struct ProgresoMapa {
    ProgresoMapa() = default;
    // With room for every cell of the map, each Pendiente until it is done.
    explicit ProgresoMapa(const AjustesMapa& mapa);

    std::atomic<int32_t> hechas{0};
    std::atomic<bool> cancelar{false};
    // The arm's cells row-major, then the twin's; empty unless made for a map.
    std::vector<std::atomic<ClaseCelda>> celdas;
};

// The number of cells a sweep runs: both maps'.
int32_t CeldasMapa(const AjustesMapa& mapa);

// Runs every cell on `hilos` threads (1 or 2), each taking the next cell not
// yet taken, and returns when all are done or the flag was seen; a cancelled
// map is not `completo` and its cells not reached are Pendiente. The map's
// settings must have passed ComprobarMapa.
MapaCompetencia CalcularMapa(const AjustesMapa& mapa, int hilos, ProgresoMapa& progreso, bool parada_temprana = true);

} // namespace nc
