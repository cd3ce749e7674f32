// SPDX-License-Identifier: MIT
#include "core/training/Entrenamiento.h"
#include "core/training/EntrenamientoEnCurso.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <cstring>

namespace nc {
namespace {

// A small network with weights away from zero, so that every path of the
// gradient carries something.
RedEntrenada RedDePrueba(bool integral)
{
    AjustesEntrenamiento a;
    a.ocultas = 3;
    a.integral = integral;
    a.limite_integral = 0.3;
    RedEntrenada r = RedInicial(a);
    r.b1 = {0.2, -0.4, 0.1};
    r.w2 = {7.0, -5.0, 9.0};
    r.b2 = 0.5;
    return r;
}

// The gradient of the loss against central finite differences of the loss
// itself, for every weight, in conditions that make each clamp both hold and
// let go: the force limit and the integral's limit are reached during the
// episode, the arm passes the reference, gravity and load act.
TEST(Entrenamiento, GradientMatchesCentralDifferences)
{
    struct Caso {
        bool integral;
        std::optional<double> limite;
    };
    for (const Caso caso : {Caso{true, std::nullopt}, Caso{true, 6.0}, Caso{false, 9.0}}) {
        const RedEntrenada r = RedDePrueba(caso.integral);
        Episodio ep;
        ep.referencia = 1.2;
        ep.angulo_inicial = 0.1;
        ep.gravedad = 12.0;
        ep.amortiguamiento = 1.5;
        ep.carga = -2.0;
        ep.fuerza_maxima = caso.limite;
        Perdida p;
        p.muestras = 40;
        p.subpasos = 4;
        p.peso_sobreimpulso = 3.0;
        p.peso_fuerza = 0.01;
        MemoriaEpisodio m;
        std::vector<double> g(static_cast<size_t>(r.NumParametros()), 0.0);
        PerdidaEpisodio(r, ep, p, g.data(), m);

        const std::vector<double> w = r.Parametros();
        for (size_t i = 0; i < w.size(); ++i) {
            const double paso = 1e-6 * std::max(1.0, std::fabs(w[i]));
            RedEntrenada mas = r, menos = r;
            std::vector<double> wm = w, wn = w;
            wm[i] += paso;
            wn[i] -= paso;
            mas.FijarParametros(wm);
            menos.FijarParametros(wn);
            const double dif
                = (PerdidaEpisodio(mas, ep, p, nullptr, m) - PerdidaEpisodio(menos, ep, p, nullptr, m)) / (2.0 * paso);
            EXPECT_NEAR(g[i], dif, 1e-5 * std::max(1.0, std::fabs(dif)))
                << "weight " << i << (caso.integral ? " with" : " without") << " the integral, limit "
                << caso.limite.value_or(0);
        }
    }
}

// Two workers share the episodes, yet the sum runs in episode order: the
// weights after a few iterations (the warm start's and the time's) are the
// same bits as one worker's.
TEST(Entrenamiento, OneOrTwoWorkersGiveTheSameWeights)
{
    AjustesEntrenamiento a;
    a.ocultas = 4;
    a.muestras = 30;
    a.episodios = 7;
    a.iteraciones = 6;
    a.imitacion = 2;
    a.subpasos = 3;
    a.fuerza_maxima = RangoEntrenamiento{5, 40};
    Entrenador uno(a, 1), dos(a, 2);
    while (!uno.Terminado()) {
        const double l1 = uno.Iterar();
        const double l2 = dos.Iterar();
        ASSERT_EQ(std::memcmp(&l1, &l2, sizeof l1), 0) << uno.Iteracion();
    }
    EXPECT_TRUE(uno.Red() == dos.Red());
    EXPECT_FALSE(uno.Red() == RedInicial(a));
}

TEST(Entrenamiento, SettingsOutOfRangeNameTheirRange)
{
    AjustesEntrenamiento a;
    a.ocultas = 33;
    EXPECT_THROW(
        {
            try {
                Entrenador e(a, 1);
            } catch (const AjusteEntrenamientoInvalido& ex) {
                EXPECT_STREQ(ex.what(), "El número de neuronas ocultas debe estar entre 2 y 32");
                throw;
            }
        },
        AjusteEntrenamientoInvalido);
    a = {};
    a.gravedad = {5, 2};
    EXPECT_THROW(ComprobarEntrenamiento(a), AjusteEntrenamientoInvalido);
    a = {};
    a.tasa = std::nan("");
    EXPECT_THROW(ComprobarEntrenamiento(a), AjusteEntrenamientoInvalido);
}

} // namespace
} // namespace nc

namespace nc {
namespace {

// A training on its thread, followed as the tab follows it: it pauses and
// goes on, shows its replays and its map, and ends with the network that
// the same iterations give when run in the foreground.
TEST(EntrenamientoEnCurso, PausesGoesOnAndEndsWithTheForegroundNetwork)
{
    AjustesEntrenamiento a;
    a.ocultas = 3;
    a.muestras = 20;
    a.episodios = 4;
    a.iteraciones = 12;
    a.imitacion = 4;
    a.subpasos = 2;
    OpcionesSeguimiento o;
    o.cada_repeticion = 5;
    o.cada_mapa = 12;
    o.filas_mapa = 1;
    o.muestras_mapa = 20;
    EntrenamientoEnCurso en_curso(a, 2, o);
    en_curso.Pausar();
    // An iteration under way when the pause comes still ends.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const int64_t en_pausa = en_curso.Ver().iteracion;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(en_curso.Ver().iteracion, en_pausa);
    EXPECT_TRUE(en_curso.Ver().pausado);
    en_curso.Continuar();
    VistaEntrenamiento v;
    std::vector<double> perdidas;
    do {
        v = en_curso.Ver(perdidas.size());
        perdidas.insert(perdidas.end(), v.perdidas.begin(), v.perdidas.end());
    } while (!v.terminado);
    ASSERT_EQ(v.error, "");
    EXPECT_EQ(v.iteracion, 12);
    ASSERT_EQ(perdidas.size(), 12u);
    ASSERT_TRUE(v.repeticion && v.mejor && v.mapa);
    EXPECT_EQ(v.repeticion->iteracion, 12);
    EXPECT_EQ(v.repeticion->posiciones.size(), 400u);
    EXPECT_EQ(v.mapa->brazo.size(), static_cast<size_t>(kColumnasMapa));

    Entrenador e(a, 1);
    while (!e.Terminado()) {
        const double perdida = e.Iterar();
        EXPECT_EQ(perdida, perdidas[static_cast<size_t>(e.Iteracion() - 1)]);
    }
    EXPECT_TRUE(e.Red() == *v.red);
}

} // namespace
} // namespace nc

namespace nc {
namespace {

// A cancel stops an iteration under way at its next episode, however long
// the iteration: a window that closes does not wait for it.
TEST(EntrenamientoEnCurso, CancelStopsAnIterationUnderWay)
{
    AjustesEntrenamiento a;
    a.episodios = 1024;
    a.muestras = 2000;
    a.subpasos = 100;
    a.imitacion = 0;
    EntrenamientoEnCurso en_curso(a, 2);
    en_curso.Cancelar();
    VistaEntrenamiento v;
    do
        v = en_curso.Ver();
    while (!v.terminado);
    EXPECT_EQ(v.iteracion, 0);
    EXPECT_EQ(v.error, "");
}

} // namespace
} // namespace nc
