// SPDX-License-Identifier: MIT
// Training's speed and what it learns, each against its baseline in the same
// run:
//   BM_PeerIteration/1 and /2   one iteration of the peer's workload
//                               (../shared/peers/training/train_torch.py: batch
//                               64, horizon 160, 100 Runge-Kutta steps per
//                               sample, 4-8-1, the integral clamped to +-5,
//                               loss e^2 + 0.02 w^2 + 1e-4 u^2, Adam 0.02) on
//                               one and on two workers; the /2 row's counter
//                               "de_un_trabajador" is its time over one
//                               worker's, the same weights to the bit.
//   BM_PresetMaps/0 and /1      the preset "Red con integral" (0) or "Solo
//                               la Tierra" (1) trained on two workers (wall
//                               seconds), then the three default maps
//                               (starting angle, gravity, load) of the
//                               trained network and, as baselines in the same
//                               run, of the stored one and the PID: the share
//                               of cells that settle and the cells that
//                               settle without overshoot.
#include "core/training/Entrenamiento.h"
#include "core/sweeps/MapaCompetencia.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

namespace {

nc::AjustesEntrenamiento PeerWorkload()
{
    nc::AjustesEntrenamiento a;
    a.integral = true;
    a.limite_integral = 5;
    a.ocultas = 8;
    a.referencia = {0, 360};
    a.angulo_inicial = {0, 0};
    a.gravedad = {9.81, 9.81};
    a.amortiguamiento = {2, 2};
    a.carga = {0, 0};
    a.muestras = 160;
    a.episodios = 64;
    a.subpasos = 100;
    a.imitacion = 0;
    a.peso_velocidad = 0.02;
    a.peso_fuerza = 1e-4;
    a.peso_sobreimpulso = 0;
    a.recorte = 0;
    a.tasa = 0.02;
    a.iteraciones = 1000000;
    return a;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_PeerIteration(benchmark::State& state)
{
    const int workers = static_cast<int>(state.range(0));
    nc::Entrenador trainer(PeerWorkload(), workers);
    nc::Entrenador one(PeerWorkload(), 1);
    double mine = 0, single = 0;
    int n = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(trainer.Iterar());
        mine += Seconds(t0);
        if (workers == 2) {
            // One worker beside it, iteration for iteration, so both meet
            // the same load on the machine.
            state.PauseTiming();
            t0 = std::chrono::steady_clock::now();
            one.Iterar();
            single += Seconds(t0);
            state.ResumeTiming();
        }
        ++n;
    }
    state.counters["s_por_iteracion"] = mine / n;
    // Both rows carry both counters, as a CSV report asks; one worker is 1.
    state.counters["de_un_trabajador"] = 1.0;
    if (workers == 2) {
        state.counters["de_un_trabajador"] = mine / single;
        if (!(trainer.Red() == one.Red()))
            state.SkipWithError("one and two workers gave different weights");
    }
}
BENCHMARK(BM_PeerIteration)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

struct MapCounts {
    double settle = 0;       // share of the cells
    double no_overshoot = 0; // cells
};

MapCounts Counts(const nc::AjustesControlador& controller, nc::MagnitudMapa quantity)
{
    nc::AjustesExperimento base;
    base.controlador = controller;
    nc::ProgresoMapa progress;
    const nc::MapaCompetencia map = nc::CalcularMapa(nc::MapaPorDefecto(quantity, base), 2, progress);
    MapCounts c;
    for (nc::ClaseCelda k : map.brazo) {
        if (k == nc::ClaseCelda::Establece || k == nc::ClaseCelda::Sobreimpulso)
            c.settle += 1;
        if (k == nc::ClaseCelda::Establece)
            c.no_overshoot += 1;
    }
    c.settle = 100.0 * c.settle / static_cast<double>(map.brazo.size());
    return c;
}

void BM_PresetMaps(benchmark::State& state)
{
    const nc::PreajusteEntrenamiento& preset = nc::PreajustesEntrenamiento().at(static_cast<size_t>(state.range(0)));
    state.SetLabel(preset.nombre);
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        nc::Entrenador trainer(preset.ajustes, 2);
        while (!trainer.Terminado())
            trainer.Iterar();
        state.counters["s_entrenando"] = Seconds(t0);
        state.PauseTiming();
        nc::AjustesControlador trained(nc::TipoControlador::Entrenada);
        trained.entrenada.red = std::make_shared<nc::RedEntrenada>(trainer.Red());
        const struct {
            const char* name;
            nc::AjustesControlador controller;
        } rows[] = {{"red_entrenada", trained},
                    {"red_almacenada", nc::AjustesControlador(nc::TipoControlador::Red)},
                    {"pid", nc::AjustesControlador(nc::TipoControlador::Pid)}};
        const struct {
            const char* name;
            nc::MagnitudMapa quantity;
        } maps[] = {{"angulo", nc::MagnitudMapa::AnguloInicial},
                    {"gravedad", nc::MagnitudMapa::Gravedad},
                    {"carga", nc::MagnitudMapa::Carga}};
        for (const auto& row : rows)
            for (const auto& map : maps) {
                const MapCounts c = Counts(row.controller, map.quantity);
                const std::string key = std::string(row.name) + "_" + map.name;
                state.counters[key + "_pct"] = c.settle;
                state.counters[key + "_sin_sobreimpulso"] = c.no_overshoot;
            }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PresetMaps)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
