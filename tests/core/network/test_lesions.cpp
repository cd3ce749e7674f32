// SPDX-License-Identifier: MIT
// Lesions in a laboratory run and the X-ray that shows them: a unit switched
// off acts from the next tick and reads 0, "Restaurar" is the stored network
// again to the bit, a run with lesions replays from its file to the bit, and
// the trace's --rayos columns are the in-process readings.
#include "core/network/StoredController.h"
#include "io/FicheroExperimento.h"
#include "core/run/Experimento.h"
#include "tools/trace/Trace.h"

#include "tests/Campos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace nc {
namespace {

uint32_t Bits(float x)
{
    return std::bit_cast<uint32_t>(x);
}

// The force the stored network gives at what a tick read.
float FuerzaAlmacenada(const EstadoLeido& e)
{
    return RayosXRed(*Construir_red_almacenada(), 0, e, ParametrosBrazo{}).fuerza;
}

TEST(Lesiones, UnitOffActsOnTheNextTickAndRestaurarIsTheStoredNetwork)
{
    AjustesExperimento ajustes;
    ajustes.comparar = AjustesControlador{TipoControlador::Pid};
    ajustes.ruido = {0.3, 3, 17};
    Experimento lab(ajustes);
    Experimento testigo(ajustes); // never lesioned
    for (int k = 0; k < 40; ++k)
        ASSERT_EQ(Bits(lab.Paso().brazo.fuerza), Bits(testigo.Paso().brazo.fuerza));
    const LecturaRayosX sana = lab.RayosX();
    ASSERT_EQ(sana.ocultas.size(), 8u);
    ASSERT_NE(sana.ocultas[1], 0.0);

    // Unit 1 off: the X-ray shows it before the next tick, at the same state.
    AjustesExperimento lesionado = ajustes;
    lesionado.controlador.lesiones.apagadas = 1u << 1;
    lab.SetAjustes(lesionado);
    const LecturaRayosX ahora = lab.RayosX();
    EXPECT_EQ(ahora.apagadas, 2u);
    EXPECT_EQ(ahora.ocultas[1], 0.0);
    EXPECT_EQ(ahora.ocultas[4], sana.ocultas[4]);
    EXPECT_NE(Bits(ahora.fuerza), Bits(sana.fuerza));
    EXPECT_NE(ahora.ganancias.dposicion, sana.ganancias.dposicion);

    for (int k = 0; k < 30; ++k) {
        const SalidaPaso s = lab.Paso();
        const SalidaPaso t = testigo.Paso();
        // The twin's PID kept its memory and lives on as if nothing happened.
        ASSERT_EQ(s.gemelo->estado, t.gemelo->estado) << k;
        const LecturaRayosX r = lab.RayosX();
        EXPECT_EQ(r.ocultas[1], 0.0);
        // The reading is the tick's own force, not the stored network's.
        ASSERT_EQ(Bits(r.fuerza), Bits(s.brazo.fuerza)) << k;
        if (k == 0) {
            EXPECT_NE(Bits(s.brazo.fuerza), Bits(t.brazo.fuerza));
        }
        EXPECT_NE(Bits(s.brazo.fuerza), Bits(FuerzaAlmacenada(s.brazo.leida))) << k;
    }

    // "Restaurar": the stored network again, from the next tick.
    lab.SetAjustes(ajustes);
    EXPECT_EQ(lab.RayosX().apagadas, 0u);
    for (int k = 0; k < 30; ++k) {
        const SalidaPaso s = lab.Paso();
        ASSERT_EQ(Bits(s.brazo.fuerza), Bits(FuerzaAlmacenada(s.brazo.leida))) << k;
        ASSERT_EQ(lab.RayosX().ocultas, RayosXRed(*Construir_red_almacenada(), 0, s.brazo.leida, {}).ocultas);
    }
    // The PID twin's reading: its own gains, no hidden units.
    const std::optional<LecturaRayosX> pid = lab.RayosXGemelo();
    ASSERT_TRUE(pid);
    EXPECT_TRUE(pid->ocultas.empty());
    EXPECT_EQ(pid->ganancias.dposicion, -100.0L);
    EXPECT_EQ(pid->ganancias.dvelocidad, -24.0L);
    EXPECT_EQ(pid->ganancias.dreferencia, 100.0L);
}

using test::Campos;

// One arm's 18 X-ray columns from `desde` against a reading, to the 9 digits
// the trace writes.
void CompararColumnas(const std::vector<std::string>& c, size_t desde, const LecturaRayosX& r, int k)
{
    auto cerca = [&](size_t i, long double esperado) {
        const double leido = std::stod(c[desde + i]);
        EXPECT_NEAR(leido, static_cast<double>(esperado), 1e-8 * std::fabs(static_cast<double>(esperado)) + 1e-300)
            << "sample " << k << " column " << desde + i;
    };
    for (size_t j = 0; j < 8; ++j) {
        if (r.ocultas.empty())
            EXPECT_EQ(c[desde + j], "-");
        else
            cerca(j, r.ocultas[j]);
    }
    cerca(8, r.ganancias.dposicion);
    cerca(9, r.ganancias.dvelocidad);
    cerca(10, r.ganancias.dreferencia);
    cerca(11, r.lazo.autovalores.re1);
    cerca(12, r.lazo.autovalores.im1);
    cerca(13, r.lazo.autovalores.re2);
    cerca(14, r.lazo.autovalores.im2);
    if (r.lazo.oscilador) {
        cerca(15, r.lazo.frecuencia_natural);
        cerca(16, r.lazo.amortiguamiento);
    } else {
        EXPECT_EQ(c[desde + 15], "-");
        EXPECT_EQ(c[desde + 16], "-");
    }
    EXPECT_EQ(c[desde + 17], r.lazo.estable ? "1" : "0");
    if (r.lazo.tres_estados) {
        cerca(18, r.lazo.re3);
        cerca(19, r.lazo.im3);
    } else {
        EXPECT_EQ(c[desde + 18], "-");
        EXPECT_EQ(c[desde + 19], "-");
    }
}

TEST(Lesiones, RunWithLesionsReplaysFromItsFileAndTheTraceShowsItsXray)
{
    // Files without lesions stay as they were written before lesions existed.
    EXPECT_EQ(EscribirExperimento(ExperimentoGuardado{}).find("lesiones"), std::string::npos);

    AjustesExperimento ajustes;
    ajustes.controlador.lesiones = {uint64_t{1} << 3, 1.0, 0.05, 9, 8};
    ajustes.comparar = AjustesControlador{TipoControlador::Red, {}, Lesions{0, 0.9, 0, 0, 0}};
    ajustes.ruido = {0.5, 4, 31};
    ajustes.brazo.gravedad = 3.71;
    Experimento vivo(ajustes);
    std::vector<SalidaPaso> pasos;
    std::map<int, std::pair<LecturaRayosX, LecturaRayosX>> rayos;
    const std::vector<int> muestras_vistas{0, 79, 80, 149};
    for (int k = 0; k < 150; ++k) {
        if (k == 80) {
            AjustesExperimento cambio = vivo.Ajustes();
            cambio.controlador.lesiones = {uint64_t{1} << 5, 1.2, 0, 0, 0};
            vivo.SetAjustes(cambio);
        }
        pasos.push_back(vivo.Paso());
        rayos[k] = {vivo.RayosX(), *vivo.RayosXGemelo()};
    }
    EXPECT_EQ(rayos[149].first.ocultas[5], 0.0);
    EXPECT_NE(rayos[149].first.ocultas[3], 0.0);

    const ExperimentoGuardado guardado = vivo.Guardado();
    const std::string ruta = ::testing::TempDir() + "nc_experimento_lesiones.json";
    GuardarExperimento(ruta, guardado);
    const ExperimentoGuardado leido = CargarExperimento(ruta);
    ASSERT_EQ(leido, guardado);
    Experimento repetido(leido.ajustes);
    repetido.Programar(leido.eventos, leido.cambios);
    for (int k = 0; k < 150; ++k) {
        const SalidaPaso s = repetido.Paso();
        ASSERT_EQ(Bits(s.brazo.fuerza), Bits(pasos[k].brazo.fuerza)) << k;
        ASSERT_EQ(s.brazo.estado, pasos[k].brazo.estado) << k;
        ASSERT_EQ(Bits(s.gemelo->fuerza), Bits(pasos[k].gemelo->fuerza)) << k;
    }

    // The trace: the columns without --rayos, then both arms' X-rays.
    const NumberFormat punto{".", ","};
    std::ostringstream out, err, llano;
    ASSERT_EQ(RunTrace({"--rayos", "--experimento", ruta}, out, err, punto), 0) << err.str();
    ASSERT_EQ(RunTrace({"--experimento", ruta}, llano, err, punto), 0) << err.str();
    std::istringstream lineas(out.str()), lineas_llano(llano.str());
    std::string linea, linea_llano;
    for (int k = -1; k < 150; ++k) {
        ASSERT_TRUE(std::getline(lineas, linea));
        ASSERT_TRUE(std::getline(lineas_llano, linea_llano));
        const std::vector<std::string> c = Campos(linea);
        ASSERT_EQ(c.size(), 20u + 2 * 21u);
        ASSERT_EQ(linea.substr(0, linea_llano.size() + 1), linea_llano + '\t') << k;
        if (k == -1) {
            EXPECT_EQ(c[20], "oculta_0");
            EXPECT_EQ(c[58], "estable_2");
            EXPECT_EQ(c[60], "im_3_2");
            EXPECT_EQ(c[61], "du_dintegral_2");
        }
        if (std::find(muestras_vistas.begin(), muestras_vistas.end(), k) != muestras_vistas.end()) {
            CompararColumnas(c, 20, rayos[k].first, k);
            CompararColumnas(c, 41, rayos[k].second, k);
        }
    }
    std::remove(ruta.c_str());

    // The plain trace is the default run: its columns are the lab's too.
    std::ostringstream plano;
    ASSERT_EQ(RunTrace({"--rayos", "30", "3"}, plano, err, punto), 0) << err.str();
    Experimento de_serie;
    for (int k = 0; k < 3; ++k)
        de_serie.Paso();
    const std::string texto = plano.str();
    const std::string ultima = texto.substr(texto.rfind('\n', texto.size() - 2) + 1);
    const std::vector<std::string> c = Campos(ultima.substr(0, ultima.size() - 1));
    ASSERT_EQ(c.size(), 9u + 21u);
    CompararColumnas(c, 9, de_serie.RayosX(), 3);
}

} // namespace
} // namespace nc
