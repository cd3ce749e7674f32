// SPDX-License-Identifier: MIT
// Experiments as files: a run made by hand (pushes, a drag, settings changed
// on the way) replays from its file to the same bits, in process and through
// neurocontrol-trace; a hostile file is refused
// with one Spanish sentence.
#include "io/FicheroExperimento.h"
#include "core/run/Experimento.h"
#include "core/run/Preajustes.h"
#include "tools/trace/Trace.h"

#include "tests/Campos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace nc {
namespace {

struct Fila {
    float posicion, velocidad, fuerza;
    float posicion_2, velocidad_2, fuerza_2;
};

using test::Campos;

TEST(ExperimentFile, HandMadeRunReplaysFromItsFileToTheBit)
{
    AjustesExperimento ajustes;
    ajustes.comparar = AjustesControlador{TipoControlador::Pid, {}};
    ajustes.carga = -2.5;
    ajustes.ruido = {0.7, 6, 424242};
    ajustes.brazo.gravedad = 3.71;
    ajustes.brazo.fuerza_maxima = 12;
    ajustes.referencia.tipo = TipoReferencia::Cuadrada;
    ajustes.referencia.amplitud = 20;
    ajustes.referencia.desplazamiento = 10;
    ajustes.referencia.periodo = 8;

    // Pushes both ways and a drag by hand, as the window would make them.
    Experimento vivo(ajustes);
    std::vector<Fila> filas;
    for (int k = 0; k < 400; ++k) {
        if (k == 60)
            vivo.Empujar(+1);
        if (k == 150)
            vivo.Empujar(-1);
        if (k >= 220 && k < 240)
            vivo.Agarrar(40.0 + 2.5 * (k - 220));
        if (k == 240)
            vivo.Soltar();
        // Settings changed while it runs, twice before one tick at 300.
        AjustesExperimento cambio = vivo.Ajustes();
        if (k == 300) {
            cambio.carga = 4;
            vivo.SetAjustes(cambio);
            cambio.ruido.semilla = 99;
            cambio.comparar->tipo = TipoControlador::Ninguno;
            vivo.SetAjustes(cambio);
        }
        if (k == 350) {
            cambio.brazo.gravedad = 9.81;
            cambio.referencia = {};
            vivo.SetAjustes(cambio);
        }
        const SalidaPaso s = vivo.Paso();
        filas.push_back({s.brazo.estado.posicion, s.brazo.estado.velocidad, s.brazo.fuerza, s.gemelo->estado.posicion,
                         s.gemelo->estado.velocidad, s.gemelo->fuerza});
    }
    ASSERT_EQ(vivo.Eventos().size(), 22u);

    const ExperimentoGuardado guardado = vivo.Guardado();
    ASSERT_EQ(guardado.ajustes, ajustes);
    ASSERT_EQ(guardado.cambios.size(), 2u);
    const std::string ruta = ::testing::TempDir() + "nc_experimento_mano.json";
    GuardarExperimento(ruta, guardado);
    const ExperimentoGuardado leido = CargarExperimento(ruta);
    ASSERT_EQ(leido, guardado);

    // In process, from the file.
    Experimento repetido(leido.ajustes);
    repetido.Programar(leido.eventos, leido.cambios);
    for (int k = 0; k < 400; ++k) {
        const SalidaPaso s = repetido.Paso();
        ASSERT_EQ(s.brazo.estado, (EstadoBrazo{filas[k].posicion, filas[k].velocidad})) << k;
        ASSERT_EQ(s.gemelo->estado, (EstadoBrazo{filas[k].posicion_2, filas[k].velocidad_2})) << k;
    }
    EXPECT_EQ(repetido.Guardado(), guardado);

    // Through the trace tool: 9 digits give each float back exactly.
    std::ostringstream out, err;
    ASSERT_EQ(RunTrace({"--experimento", ruta}, out, err, NumberFormat{".", ","}), 0) << err.str();
    std::istringstream lineas(out.str());
    std::string linea;
    std::getline(lineas, linea);
    const std::vector<std::string> cabecera = Campos(linea);
    ASSERT_EQ(cabecera.size(), 20u);
    EXPECT_EQ(cabecera[9], "fuerza_exacta");
    EXPECT_EQ(cabecera[16], "fuerza_pedida");
    for (int k = 0; k < 400; ++k) {
        ASSERT_TRUE(std::getline(lineas, linea));
        const std::vector<std::string> c = Campos(linea);
        ASSERT_EQ(c.size(), 20u);
        EXPECT_EQ(std::stof(c[6]), filas[k].posicion) << k;
        EXPECT_EQ(std::stof(c[7]), filas[k].velocidad) << k;
        EXPECT_EQ(std::stof(c[9]), filas[k].fuerza) << k;
        EXPECT_EQ(std::stof(c[13]), filas[k].posicion_2) << k;
        EXPECT_EQ(std::stof(c[14]), filas[k].velocidad_2) << k;
        EXPECT_EQ(std::stof(c[15]), filas[k].fuerza_2) << k;
    }
    EXPECT_FALSE(std::getline(lineas, linea));
    std::remove(ruta.c_str());

    // Every preset survives its own file.
    for (const Preajuste& p : Preajustes())
        EXPECT_EQ(LeerExperimento(EscribirExperimento(p.experimento)), p.experimento) << p.nombre;
}

// A typo runs the default no longer unseen: the file still runs, and every
// key the program does not know is named in one line, on the trace tool's
// stderr.
TEST(ExperimentFile, UnknownKeysAreNamedInOneLineAndTheRunGoesOn)
{
    const std::string texto = R"({"formato": "neurocontrol-experimento", "version": 1, "muestras": 3,
        "brazo": {"gravedd": 1.62}, "referencia": {"tipo": "fija", "valor": 45},
        "controlador": {"tipo": "pid", "kp": 80, "lesiones": {"bits": 0, "apagar": [1]}},
        "eventos": [{"muestra": 1, "tipo": "empujon", "valor": 9, "nota": "a"},
                    {"muestra": 2, "tipo": "empujon", "valor": 9, "nota": "b"}],
        "cambios": [{"muestra": 2, "ajustes": {"carga": 1, "cargo": 2}}], "autor": "yo"})";
    const std::string linea = "Aviso: el experimento tiene claves que este programa no conoce y no usa: "
                              "«autor», «controlador.lesiones.apagar», «brazo.gravedd», «referencia.valor», "
                              "«eventos[].nota», «cambios[].ajustes.cargo»";
    std::vector<std::string> avisos;
    const ExperimentoGuardado g = LeerExperimento(texto, &avisos);
    EXPECT_EQ(avisos, std::vector<std::string>{linea});
    EXPECT_EQ(g.ajustes.brazo.gravedad, 9.81);
    EXPECT_EQ(g.ajustes.controlador.pid.kp, 80);
    EXPECT_EQ(g.cambios.at(0).ajustes.carga, 1);
    avisos.clear();
    LeerExperimento(EscribirExperimento(g), &avisos);
    EXPECT_TRUE(avisos.empty());

    const std::string ruta = ::testing::TempDir() + "nc_experimento_claves.json";
    {
        std::ofstream(ruta) << texto;
    }
    std::ostringstream out, err;
    EXPECT_EQ(RunTrace({"--experimento", ruta}, out, err, NumberFormat{".", ","}), 0);
    EXPECT_EQ(err.str(), linea + "\n");
    const std::string traza = out.str();
    EXPECT_EQ(std::count(traza.begin(), traza.end(), '\n'), 4);
    std::remove(ruta.c_str());
}

// Old files read as before: "rampa" is the periodic ramp, now written
// "rampa_periodica"; each controller keeps its own gains. The unbounded
// ramp rises by its slope from its offset.
TEST(ExperimentFile, OldFilesReadAsBeforeBesideTheNewRampAndTheTwinsGains)
{
    const ExperimentoGuardado viejo = LeerExperimento(R"({"formato": "neurocontrol-experimento", "version": 1,
        "referencia": {"tipo": "rampa", "amplitud": 20, "periodo": 4},
        "controlador": {"tipo": "pid", "kp": 60, "ki": 10, "kd": 5}, "comparar": {"tipo": "pid"}})");
    EXPECT_EQ(viejo.ajustes.referencia.tipo, TipoReferencia::Rampa);
    EXPECT_NEAR(GradosReferencia(viejo.ajustes.referencia, 60), 15.0L, 1e-15L);
    EXPECT_EQ(viejo.ajustes.controlador.pid, (GananciasPid{60, 10, 5}));
    EXPECT_EQ(viejo.ajustes.comparar->pid, GananciasPid{});
    const std::string escrito = EscribirExperimento(viejo);
    EXPECT_NE(escrito.find("\"rampa_periodica\""), std::string::npos);
    EXPECT_EQ(LeerExperimento(escrito), viejo);

    ExperimentoGuardado rampa;
    rampa.ajustes.referencia.tipo = TipoReferencia::RampaIlimitada;
    rampa.ajustes.referencia.desplazamiento = 5;
    rampa.ajustes.referencia.pendiente = -2.5;
    EXPECT_EQ(LeerExperimento(EscribirExperimento(rampa)), rampa);
    EXPECT_NEAR(GradosReferencia(rampa.ajustes.referencia, 4000), -495.0L, 1e-12L);
    rampa.ajustes.referencia.pendiente = 1001;
    EXPECT_THROW(ComprobarGuardado(rampa), AjusteInvalido);
}

std::string Anidado(int profundidad)
{
    return R"({"formato":"neurocontrol-experimento","version":1,"x":)" + std::string(profundidad, '[')
        + std::string(profundidad, ']') + "}";
}

TEST(ExperimentFile, HostileFilesAreRefusedWithOneSpanishSentence)
{
    const std::string cabeza = R"({"formato":"neurocontrol-experimento","version":1,)";
    const struct {
        std::string texto;
        const char* mensaje;
    } filas[] = {
        {"", "Experimento no válido: no es JSON bien formado (error en la línea 1, columna 1)"},
        {cabeza + R"("carga": 1)", "Experimento no válido: no es JSON bien formado (error en la línea 1, columna 61)"},
        {"{\n  \"formato\": \"neurocontrol-experimento\",\n  \"version\": 1,\n  \"cárga\": ,\n}",
         "Experimento no válido: no es JSON bien formado (error en la línea 4, columna 13)"},
        {"[1, 2]", "Experimento no válido: el fichero debe contener un objeto JSON"},
        {R"({"version":1})",
         "Experimento no válido: el fichero no es un experimento de neurocontrol (falta "
         "\"formato\": \"neurocontrol-experimento\")"},
        {R"({"formato":"neurocontrol-experimento","version":2})",
         "Experimento no válido: versión desconocida (este programa lee la versión 1)"},
        {R"({"formato":"neurocontrol-experimento","version":"1"})",
         "Experimento no válido: versión desconocida (este programa lee la versión 1)"},
        {cabeza + R"("carga":"3"})", "Experimento no válido: el campo «carga» debe ser un número"},
        {cabeza + R"("carga":11})", "Experimento no válido: La carga debe estar entre -10 y 10"},
        {cabeza + R"("carga":1e999})",
         "Experimento no válido: no es JSON bien formado (error en la línea 1, columna 64)"},
        {cabeza + R"("brazo":{"gravedad":-1}})", "Experimento no válido: La gravedad debe estar entre 0 y 100"},
        {cabeza + R"("brazo":[]})", "Experimento no válido: el campo «brazo» debe ser un objeto"},
        {cabeza + R"("controlador":{"tipo":"fuzzy"}})",
         "Experimento no válido: el campo «controlador.tipo» debe ser red, pid, ninguno o entrenada"},
        {cabeza + R"("controlador":{"tipo":"pid","kp":1e300}})", "Experimento no válido: Kp debe estar entre 0 y 1000"},
        {cabeza + R"("ruido":{"semilla":1.5}})",
         "Experimento no válido: el campo «ruido.semilla» debe ser un entero entre 0 y 9007199254740991"},
        {cabeza + R"("referencia":{"tipo":"fija","texto":"abc"}})",
         "Experimento no válido: La referencia debe ser un número entre -3600 y 3600"},
        {cabeza + R"("referencia":{"tipo":"escalones","escalones":[]}})",
         "Experimento no válido: Los escalones deben ser entre 1 y 1000"},
        {cabeza + R"("referencia":{"tipo":"seno","periodo":0}})",
         "Experimento no válido: El periodo debe estar entre 0.1 y 100000"},
        {cabeza + R"("velocidad":0})", "Experimento no válido: el campo «velocidad» debe ser un entero entre 1 y 1000"},
        {cabeza + R"("eventos":[{"muestra":5,"tipo":"empujon","valor":9},{"muestra":4,"tipo":"mano","valor":0}]})",
         "Experimento no válido: Los eventos deben estar en orden de muestra"},
        {cabeza + R"("eventos":[{"muestra":5,"tipo":"patada","valor":9}]})",
         "Experimento no válido: el campo «eventos[].tipo» debe ser empujon o mano"},
        {cabeza + R"("eventos":[{"muestra":-1,"tipo":"mano","valor":9}]})",
         "Experimento no válido: el campo «eventos[].muestra» debe ser un entero entre 0 y 2147483646"},
        {cabeza + R"("eventos":[{"muestra":3,"tipo":"empujon"}]})",
         "Experimento no válido: cada evento debe tener muestra, tipo y valor"},
        {cabeza + R"("cambios":[{"muestra":9,"ajustes":{}},{"muestra":8,"ajustes":{"carga":1}}]})",
         "Experimento no válido: Los cambios deben estar en orden de muestra"},
        {cabeza + R"("cambios":[{"muestra":9,"ajustes":{"ruido":{"velocidad":-1}}}]})",
         "Experimento no válido: El ruido de velocidad debe estar entre 0 y 100"},
        {cabeza + R"("controlador":{"lesiones":{"apagadas":[8]}}})",
         "Experimento no válido: Lesión no válida: la neurona apagada no existe"},
        {cabeza + R"("controlador":{"lesiones":{"apagadas":[1.5]}}})",
         "Experimento no válido: cada neurona de «controlador.lesiones.apagadas» debe ser un entero entre 0 y 63"},
        {cabeza + R"("cambios":[{"muestra":9,"ajustes":{"comparar":{"lesiones":{"escala":-1e7}}}}]})",
         "Experimento no válido: Lesión no válida: escala fuera de rango"},
        {cabeza + R"("comparar":{"lesiones":{"bits":33}}})",
         "Experimento no válido: el campo «comparar.lesiones.bits» debe ser un entero entre 0 y 32"},
        {Anidado(100000), "Experimento no válido: el JSON está anidado a demasiada profundidad"},
        {cabeza + R"("x":")" + std::string(kTamanoMaximo, 'a') + "\"}",
         "Experimento no válido: el fichero pasa de 8 MB"},
    };
    // A file of 100 MB is refused after reading one byte past the limit.
    const std::string enorme = ::testing::TempDir() + "nc_experimento_enorme.json";
    {
        std::ofstream(enorme) << cabeza;
    }
    std::filesystem::resize_file(enorme, 100u * 1024 * 1024);
    try {
        CargarExperimento(enorme);
        ADD_FAILURE() << "accepted 100 MB";
    } catch (const ErrorFicheroExperimento& e) {
        EXPECT_STREQ(e.what(), "Experimento no válido: el fichero pasa de 8 MB");
    }
    std::filesystem::remove(enorme);

    for (const auto& fila : filas) {
        try {
            LeerExperimento(fila.texto);
            ADD_FAILURE() << "accepted: " << fila.texto.substr(0, 200);
        } catch (const ErrorFicheroExperimento& e) {
            EXPECT_EQ(std::string(e.what()), fila.mensaje) << fila.texto.substr(0, 200);
        }
    }
}

} // namespace
} // namespace nc
