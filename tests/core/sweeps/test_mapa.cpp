// SPDX-License-Identifier: MIT
// The competence map: the trace tool writes the library's cells, the early
// stop keeps every class of the default map, a cancelled sweep stops, and the
// starting angle that its default rows sweep is a setting like the others.
#include "io/FicheroExperimento.h"
#include "core/run/Experimento.h"
#include "core/sweeps/MapaCompetencia.h"
#include "tools/trace/Trace.h"
#include "tools/trace/TraceMapa.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

namespace nc {
namespace {

const NumberFormat kPunto{".", ","};

AjustesMapa MapaRedContraPid()
{
    AjustesMapa mapa = MapaPorDefecto(MagnitudMapa::AnguloInicial);
    mapa.base.comparar = AjustesControlador{TipoControlador::Pid, {}};
    return mapa;
}

TEST(MapaCompetencia, TraceToolWritesTheLibrarysCells)
{
    std::ostringstream out, err;
    ASSERT_EQ(RunTrace({"--mapa", "--filas", "2", "--hasta", "180", "--comparar", "pid"}, out, err, kPunto), 0)
        << err.str();

    AjustesMapa mapa = MapaRedContraPid();
    mapa.filas = 2;
    mapa.hasta = 180;
    ProgresoMapa progreso;
    const MapaCompetencia calculado = CalcularMapa(mapa, 1, progreso);
    std::ostringstream esperado;
    EscribirMapa(calculado, esperado, kPunto);
    EXPECT_EQ(out.str(), esperado.str());

    // Known cells, from rest: the network settles at 30 degrees (0.31 off)
    // and spins away at 360; the PID passes 30 by 12.6 % before it settles.
    // Hanging down at 180, the network settles at 30 too.
    const std::string tsv = out.str();
    EXPECT_EQ(tsv.substr(0, 32), "angulo\treferencia\tclase\tclase_2\n");
    EXPECT_NE(tsv.find("\n0\t30\testablece\tsobreimpulso\n"), std::string::npos) << tsv;
    EXPECT_NE(tsv.find("\n0\t360\tgira\t"), std::string::npos);
    EXPECT_NE(tsv.find("\n180\t30\testablece\t"), std::string::npos);
    EXPECT_EQ(CalcularCelda(AjustesCelda(mapa, 0, 6), 600).clase, ClaseCelda::Establece);
    EXPECT_EQ(CalcularCelda(AjustesCelda(mapa, 0, 72), 600).clase, ClaseCelda::Gira);
}

TEST(MapaCompetencia, EarlyStopKeepsEveryClassOfTheDefaultMap)
{
    // The default map (the network, 19 starting angles) whole, and a few rows
    // of the PID, whose integral is part of the state compared.
    AjustesMapa pid = MapaPorDefecto(MagnitudMapa::AnguloInicial);
    pid.base.controlador.tipo = TipoControlador::Pid;
    pid.filas = 3;
    for (const AjustesMapa& mapa : {MapaPorDefecto(MagnitudMapa::AnguloInicial), pid}) {
        ProgresoMapa completo, temprano;
        const MapaCompetencia todo = CalcularMapa(mapa, 2, completo, false);
        const MapaCompetencia rapido = CalcularMapa(mapa, 2, temprano, true);
        ASSERT_TRUE(todo.completo && rapido.completo);
        EXPECT_EQ(todo.calculadas, int64_t{mapa.filas} * 73 * 600);
        EXPECT_EQ(rapido.brazo, todo.brazo);
        if (mapa.base.controlador.tipo == TipoControlador::Pid)
            continue;
        EXPECT_LT(rapido.calculadas, todo.calculadas / 2);
        // Settled cells and both kinds of failure show up, so the comparison
        // means something.
        for (ClaseCelda c : {ClaseCelda::Establece, ClaseCelda::Gira, ClaseCelda::SeDetieneFuera})
            EXPECT_NE(std::count(todo.brazo.begin(), todo.brazo.end(), c), 0) << NombreClase(c);
    }
}

TEST(MapaCompetencia, CancelStopsTheSweep)
{
    AjustesMapa mapa = MapaRedContraPid();
    mapa.muestras = 100000;
    ProgresoMapa progreso;
    MapaCompetencia resultado;
    std::thread hilo([&] { resultado = CalcularMapa(mapa, 2, progreso); });
    while (progreso.hechas.load() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto t0 = std::chrono::steady_clock::now();
    const int32_t antes = progreso.hechas.load();
    progreso.cancelar = true;
    hilo.join();
    // At most the two cells under way finish: a few seconds even on a busy machine.
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
    EXPECT_FALSE(resultado.completo);
    EXPECT_LE(progreso.hechas.load(), antes + 2);
    EXPECT_EQ(resultado.Clase(mapa.filas - 1, 72, true), ClaseCelda::Pendiente);
}

TEST(MapaCompetencia, StartingAngleIsASettingLikeTheOthers)
{
    // The default rows: a whole turn, every 20 degrees.
    const AjustesMapa mapa = MapaPorDefecto(MagnitudMapa::AnguloInicial);
    EXPECT_EQ(mapa.filas, 19);
    EXPECT_EQ(ValorFila(mapa, 1), 20.0);
    EXPECT_EQ(ValorFila(mapa, 18), 360.0);

    AjustesExperimento a;
    a.angulo_inicial = 90;
    Experimento lab(a);
    EXPECT_EQ(lab.Paso().brazo.posicion_grados, 90.0f);

    ExperimentoGuardado g;
    g.ajustes = a;
    EXPECT_EQ(LeerExperimento(EscribirExperimento(g)), g);
    a.angulo_inicial = 3601;
    try {
        ComprobarAjustes(a);
        FAIL();
    } catch (const AjusteInvalido& e) {
        EXPECT_STREQ(e.what(), "El ángulo inicial debe estar entre -3600 y 3600");
    }
}

} // namespace
} // namespace nc
