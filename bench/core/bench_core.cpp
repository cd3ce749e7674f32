// SPDX-License-Identifier: MIT
// The cost of one control step and of its two heavy parts.
#include "core/analysis/LinearLoop.h"
#include "core/network/NetworkXray.h"
#include "core/network/StoredController.h"
#include "core/control/ControlLoop.h"
#include "core/run/Experimento.h"
#include "core/sweeps/MapaCompetencia.h"
#include "core/arm/Pendulo.h"
#include "core/sweeps/PlanoFase.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

class NullView final : public nc::ControlView {
public:
    void SetPositionText(const std::string&) override {}
    void SetVelocityText(const std::string&) override {}
    void Dibujar_graficas(int32_t, float, float) override {}
    void SetForceText(const std::string&) override {}
    void SetTimeText(const std::string&) override {}
    void Dibujar_brazo(double) override {}
};

void BM_ControlStep(benchmark::State& state)
{
    nc::ControlLoop loop(nc::NumberFormat{});
    NullView view;
    loop.Inicializar(view);
    for (auto _ : state) {
        loop.Paso("30", view);
        if (loop.muestra() == 100000)
            loop.Limpiar();
    }
}
BENCHMARK(BM_ControlStep);

// One laboratory tick with the network and a PID twin against the main loop's
// step, timed in the same run: both repeat the first 200 samples of the step
// to 30 degrees from rest, transient included. The "control_steps" counter is
// the ratio. Argument 1 puts the arms on the Moon, off the stored constants,
// where they take the plain extended path.
void BM_ExperimentAgainstControlStep(benchmark::State& state)
{
    constexpr int kMuestras = 200;
    constexpr int kRondas = 20;
    NullView view;
    nc::ControlLoop loop(nc::NumberFormat{});
    loop.Inicializar(view);
    const auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < kRondas; ++r) {
        loop.Limpiar();
        for (int k = 0; k < kMuestras; ++k)
            loop.Paso("30", view);
    }
    const double paso
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / (kRondas * kMuestras);

    nc::AjustesExperimento ajustes;
    ajustes.comparar = nc::AjustesControlador{nc::TipoControlador::Pid, {}};
    if (state.range(0) == 1)
        ajustes.brazo.gravedad = 1.62;
    nc::Experimento lab(ajustes);
    int64_t n = 0;
    const auto t1 = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (lab.muestra() == kMuestras)
            lab.Limpiar();
        benchmark::DoNotOptimize(lab.Paso());
        ++n;
    }
    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();
    state.counters["control_steps"] = n > 0 ? total / static_cast<double>(n) / paso : 0.0;
}
BENCHMARK(BM_ExperimentAgainstControlStep)->Arg(0)->Arg(1);

// A simulated hour: 72,000 steps from rest.
void BM_SimulatedHour(benchmark::State& state)
{
    NullView view;
    for (auto _ : state) {
        nc::ControlLoop loop(nc::NumberFormat{});
        loop.Inicializar(view);
        for (int k = 0; k < 72000; ++k)
            loop.Paso("30", view);
        benchmark::DoNotOptimize(loop.posicion());
    }
    state.SetLabel("72000 steps");
}
BENCHMARK(BM_SimulatedHour)->Unit(benchmark::kMillisecond)->Iterations(3);

// The default competence map (the network, 20 starting angles x 73
// references x 600 samples) as the lab runs it, on two threads with the
// early stop, against the same cells one after another on one thread with
// every sample computed, both in the same run. The "ratio" counter is
// the ratio (the target is at most 0.35); "samples" is the share of samples
// the early stop computed.
void BM_CompetenceMap(benchmark::State& state)
{
    const nc::AjustesMapa mapa = nc::MapaPorDefecto(nc::MagnitudMapa::AnguloInicial);
    double lento = 0, rapido = 0;
    int64_t todas = 0, calculadas = 0;
    for (auto _ : state) {
        nc::ProgresoMapa p1, p2;
        const auto t0 = std::chrono::steady_clock::now();
        const nc::MapaCompetencia a = nc::CalcularMapa(mapa, 1, p1, false);
        const auto t1 = std::chrono::steady_clock::now();
        const nc::MapaCompetencia b = nc::CalcularMapa(mapa, 2, p2, true);
        const auto t2 = std::chrono::steady_clock::now();
        if (a.brazo != b.brazo)
            state.SkipWithError("the early stop changed a class");
        lento += std::chrono::duration<double>(t1 - t0).count();
        rapido += std::chrono::duration<double>(t2 - t1).count();
        todas += a.calculadas;
        calculadas += b.calculadas;
    }
    state.counters["ratio"] = lento > 0 ? rapido / lento : 0.0;
    state.counters["samples"] = todas > 0 ? static_cast<double>(calculadas) / static_cast<double>(todas) : 0.0;
    state.counters["full_s"] = lento / static_cast<double>(state.iterations());
    state.counters["map_s"] = rapido / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CompetenceMap)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The phase plane of the stored network at the reference 300 (where it
// rests at a spurious focus and spins from beyond it), 200 x 120 starts of
// up to 600 samples: on one worker with every sample computed, then as the
// lab does, on two workers with the early stop, in one run. The analysis
// (the equilibria) is shared and not timed; it takes milliseconds.
void BM_PhasePlane(benchmark::State& state)
{
    nc::AjustesPlano plano;
    plano.referencia = 300;
    plano.columnas = 200;
    plano.filas = 120;
    const nc::AnalisisPlano analisis = nc::AnalizarPlano(plano);
    double lento = 0, rapido = 0;
    int64_t todas = 0, calculadas = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const nc::PlanoFase a = nc::CalcularPlano(plano, analisis, 1, false);
        const auto t1 = std::chrono::steady_clock::now();
        const nc::PlanoFase b = nc::CalcularPlano(plano, analisis, 2, true);
        const auto t2 = std::chrono::steady_clock::now();
        if (a.celdas != b.celdas)
            state.SkipWithError("the early stop changed a cell");
        lento += std::chrono::duration<double>(t1 - t0).count();
        rapido += std::chrono::duration<double>(t2 - t1).count();
        todas += a.calculadas;
        calculadas += b.calculadas;
    }
    state.counters["ratio"] = lento > 0 ? rapido / lento : 0.0;
    state.counters["samples"] = todas > 0 ? static_cast<double>(calculadas) / static_cast<double>(todas) : 0.0;
    state.counters["full_s"] = lento / static_cast<double>(state.iterations());
    state.counters["plane_s"] = rapido / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PhasePlane)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_FeedBack(benchmark::State& state)
{
    auto red = nc::Construir_red_almacenada();
    const nc::vector_1_Din entrada{0.1, 0.2, 0.5235987901687622};
    for (auto _ : state) {
        nc::FeedBack(*red, entrada);
        benchmark::DoNotOptimize(red->Capa(1).Neurona(0).Salida());
    }
}
BENCHMARK(BM_FeedBack);

// What the window would compute on every tick to show the network at work:
// the outputs, the gains and the loop's eigenvalues at one state, timed in
// the same run as one plain FeedBack (the "feedbacks" counter is the ratio).
void BM_XrayAgainstFeedBack(benchmark::State& state)
{
    auto red = nc::Construir_red_almacenada();
    const nc::vector_1_Din entrada{0.1, 0.2, 0.5235987901687622};
    constexpr int kRounds = 1000;
    const auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < kRounds; ++k) {
        nc::FeedBack(*red, entrada);
        benchmark::DoNotOptimize(red->Capa(1).Neurona(0).Salida());
    }
    const double feedback = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / kRounds;

    nc::NetworkXray xray;
    int64_t n = 0;
    const auto t1 = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const nc::XrayReading& r = xray.Read(*red, entrada[0], entrada[1], entrada[2]);
        const nc::LazoLinealizado l = nc::Linealizar(entrada[0], r.ganancias);
        benchmark::DoNotOptimize(l);
        ++n;
    }
    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count();
    state.counters["feedbacks"] = n > 0 ? total / static_cast<double>(n) / feedback : 0.0;
}
BENCHMARK(BM_XrayAgainstFeedBack);

void BM_Pendulo(benchmark::State& state)
{
    float x = 0.3f, v = 0.1f;
    for (auto _ : state) {
        const nc::EstadoBrazo e = nc::Pendulo(x, v, -4.95f);
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(BM_Pendulo);

// The same 400 accelerations with the extended sine at every one: the floor
// that the fast path is measured against.
void BM_ExtendedAccelerations(benchmark::State& state)
{
    for (auto _ : state) {
        float x = 0.3f;
        for (int k = 0; k < 400; ++k)
            x = nc::AceleracionExtendida(x, 0.1f, -4.95f) * 1e-3f + 0.3f;
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_ExtendedAccelerations);

} // namespace
