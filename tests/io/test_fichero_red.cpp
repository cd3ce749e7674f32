// SPDX-License-Identifier: MIT
// Trained networks as files: one read back gives the same weights to the bit
// and the same forces in a run; a hostile file is refused with one Spanish
// line.
#include "io/FicheroRed.h"
#include "core/run/Experimento.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace nc {
namespace {

TEST(FicheroRed, SavedNetworkReadsBackToTheSameBitsAndForces)
{
    AjustesEntrenamiento a;
    a.ocultas = 5;
    a.muestras = 20;
    a.episodios = 4;
    a.iteraciones = 8;
    a.imitacion = 3;
    a.fuerza_maxima = RangoEntrenamiento{10, 30};
    Entrenador e(a, 1);
    double perdida = 0;
    while (!e.Terminado())
        perdida = e.Iterar();
    const RedGuardada guardada{e.Red(), a, perdida};
    const std::string ruta = ::testing::TempDir() + "nc_red.json";
    GuardarRed(ruta, guardada);
    const RedGuardada leida = CargarRed(ruta);
    std::filesystem::remove(ruta);
    EXPECT_EQ(leida, guardada);
    const std::vector<double> p = guardada.red.Parametros(), q = leida.red.Parametros();
    ASSERT_EQ(p.size(), q.size());
    EXPECT_EQ(std::memcmp(p.data(), q.data(), p.size() * sizeof(double)), 0);

    // The same network in two runs of the lab: the same forces to the bit.
    AjustesExperimento lab_a;
    lab_a.controlador = AjustesControlador(TipoControlador::Entrenada);
    lab_a.controlador.entrenada.red = std::make_shared<const RedEntrenada>(guardada.red);
    AjustesExperimento lab_b = lab_a;
    lab_b.controlador.entrenada.red = std::make_shared<const RedEntrenada>(leida.red);
    Experimento uno(lab_a), otro(lab_b);
    for (int k = 0; k < 200; ++k) {
        const SalidaPaso s = uno.Paso(), t = otro.Paso();
        ASSERT_EQ(std::memcmp(&s.brazo.fuerza, &t.brazo.fuerza, sizeof(float)), 0) << k;
        ASSERT_EQ(s.brazo.estado, t.brazo.estado) << k;
    }
}

TEST(FicheroRed, HostileFilesAreRefusedWithOneSpanishLine)
{
    const std::string cabeza = R"({"formato":"neurocontrol-red","version":1,)";
    const std::string buena = R"("entradas":["posicion","velocidad","referencia"],"ocultas":2,)"
                              R"("escala":[1,1,1],"pesos_oculta":[[1,2,3],[4,5,6]],)"
                              R"("bias_oculta":[0,0],"pesos_salida":[1,1],"bias_salida":0)";
    ASSERT_NO_THROW(LeerRed(cabeza + buena + "}"));
    const struct {
        std::string texto;
        const char* mensaje;
    } filas[] = {
        {R"({"formato":"neurocontrol-red","version":2})",
         "Red no válida: versión desconocida (este programa lee la versión 1)"},
        {R"({"formato":"neurocontrol-experimento","version":1})",
         "Red no válida: el fichero no es una red de neurocontrol (falta \"formato\": \"neurocontrol-red\")"},
        {cabeza + R"("entradas":["velocidad","posicion","referencia"],"ocultas":2})",
         "Red no válida: el campo «entradas» debe ser posicion, velocidad, referencia y, si acaso, integral"},
        {cabeza + R"("entradas":["posicion","velocidad","referencia"],"ocultas":40})",
         "Red no válida: el campo «ocultas» debe ser un entero entre 2 y 32"},
        {cabeza
             + R"("entradas":["posicion","velocidad","referencia"],"ocultas":2,"escala":[1,1,1],)"
               R"("pesos_oculta":[[1,2,3]]})",
         "Red no válida: el campo «pesos_oculta» debe tener una fila por neurona oculta"},
        {cabeza
             + R"("entradas":["posicion","velocidad","referencia"],"ocultas":2,"escala":[1,1,1],)"
               R"("pesos_oculta":[[1,2,3],[4,5]]})",
         "Red no válida: cada fila de «pesos_oculta» debe tener un peso por entrada"},
        {cabeza
             + R"("entradas":["posicion","velocidad","referencia"],"ocultas":2,"escala":[1,1,1],)"
               R"("pesos_oculta":[[1,2,3],[4,5,1e999]]})",
         "Red no válida: no es JSON bien formado (error en la línea 1, columna 155)"},
        {cabeza
             + R"("entradas":["posicion","velocidad","referencia"],"ocultas":2,"escala":[1,1,1],)"
               R"("pesos_oculta":[[1,2,3],[4,5,2e6]],"bias_oculta":[0,0],"pesos_salida":[1,1],"bias_salida":0})",
         "Red no válida: «pesos_oculta» tiene un peso no finito o mayor que 1e6"},
        {cabeza
             + R"("entradas":["posicion","velocidad","referencia"],"ocultas":2,"escala":[1,0,1],)"
               R"("pesos_oculta":[[1,2,3],[4,5,6]],"bias_oculta":[0,0],"pesos_salida":[1,1],"bias_salida":0})",
         "Red no válida: cada escala de entrada debe ser un número positivo no mayor que 1e6"},
        {cabeza + buena + R"(,"entrenamiento":{"ocultas":1}})",
         "Red no válida: en el entrenamiento: El número de neuronas ocultas debe estar entre 2 y 32"},
        {cabeza + R"("x":")" + std::string(kTamanoMaximoRed, 'a') + "\"}", "Red no válida: el fichero pasa de 1 MB"},
    };
    for (const auto& fila : filas) {
        try {
            LeerRed(fila.texto);
            ADD_FAILURE() << "accepted: " << fila.texto.substr(0, 200);
        } catch (const ErrorFicheroRed& e) {
            EXPECT_EQ(std::string(e.what()), fila.mensaje) << fila.texto.substr(0, 200);
        }
    }
}

} // namespace
} // namespace nc
