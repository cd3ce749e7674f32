// SPDX-License-Identifier: MIT
#include "tools/trace/Trace.h"

#include "tests/Campos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace nc {
namespace {

struct TraceRun {
    int status;
    std::vector<std::string> lines;
    std::string err;
};

TraceRun Trace(std::vector<std::string> args, const NumberFormat& format = NumberFormat{})
{
    std::ostringstream out, err;
    TraceRun r{RunTrace(args, out, err, format), {}, err.str()};
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);)
        r.lines.push_back(line);
    return r;
}

TEST(Trace, DefaultRunIsThirtyForAHundredSamples)
{
    const TraceRun r = Trace({});
    ASSERT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), 101u);
    EXPECT_EQ(r.lines[0],
              "muestra\ttiempo\tposicion\tvelocidad\tfuerza\tangulo\tposicion_rad\tvelocidad_rad\tposicion_grafica");
    EXPECT_EQ(r.lines[1],
              "1\t0.05\t0.0000\t0.0000\t4.5021\t89.687409615806047\t0.00545573141\t0.215093657\t0.31259039");
    EXPECT_EQ(r.lines[4].substr(0, 33), "4\t0.2\t2.3573\t27.1429\t1.8312\t86.19");
    EXPECT_EQ(r.lines[100].substr(0, 28), "100\t5\t30.3102\t0.0052\t-4.9510");
}

// The settle figures, read from the trace's own columns after 200 samples.
TEST(Trace, SettlesForReferencesZeroThirtyNinety)
{
    const struct {
        const char* reference;
        double posicion, fuerza;
    } rows[] = {{"0", 1.66, -0.284}, {"30", 30.31, -4.95}, {"90", 88.66, -9.807}};
    for (const auto& r : rows) {
        const TraceRun run = Trace({r.reference, "200"});
        ASSERT_EQ(run.status, 0);
        std::istringstream last(run.lines.back());
        std::string muestra, tiempo, posicion, velocidad, fuerza;
        std::getline(last, muestra, '\t');
        std::getline(last, tiempo, '\t');
        std::getline(last, posicion, '\t');
        std::getline(last, velocidad, '\t');
        std::getline(last, fuerza, '\t');
        EXPECT_EQ(muestra, "200");
        EXPECT_EQ(tiempo, "10");
        EXPECT_NEAR(std::stod(posicion), r.posicion, 0.005) << r.reference;
        EXPECT_NEAR(std::stod(fuerza), r.fuerza, std::abs(r.fuerza) * 0.002) << r.reference;
    }
}

// A spreadsheet in a comma locale reads a whole line: every number has the
// locale's separator.
TEST(Trace, PairsContinueTheSameRunAndCommaLocaleWritesCommasThroughout)
{
    const TraceRun r = Trace({"30,0", "2", "90", "1"}, NumberFormat{",", "."});
    ASSERT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), 4u);
    EXPECT_EQ(r.lines[2], "2\t0,1\t0,3126\t12,3240\t3,5367\t88,849342576520286\t0,0200827606\t0,368626118\t1,15065742");
    EXPECT_EQ(r.lines[3].substr(0, 2), "3\t");
}

// The settling time as a student measures it from two columns of the trace:
// the time after the last point outside 2 % of the step around the last one.
double Establecimiento(const std::vector<std::pair<double, double>>& puntos)
{
    const double final = puntos.back().second;
    double desde = 0;
    for (const auto& [t, p] : puntos)
        if (std::abs(p - final) >= 0.02 * final)
            desde = t + 0.05;
    return desde;
}

// posicion is what the tick read, 0.05 s before tiempo; posicion_grafica is
// the chart's position at tiempo. Plotted against tiempo, posicion_grafica
// gives --resumen's settling time, where posicion gives one sample more.
TEST(Trace, PlottedPositionAtTiempoGivesTheSummarysSettlingTime)
{
    const NumberFormat coma{",", "."};
    const TraceRun traza = Trace({"30", "200"}, coma);
    const TraceRun resumen = Trace({"--resumen", "30", "200"}, coma);
    ASSERT_EQ(traza.status, 0);
    ASSERT_EQ(resumen.status, 0);
    EXPECT_EQ(test::Campos(resumen.lines.at(1))[7], "2,2000");
    auto numero = [](std::string campo) {
        std::replace(campo.begin(), campo.end(), ',', '.');
        return std::stod(campo);
    };
    std::vector<std::pair<double, double>> grafica{{0.0, 0.0}}, leida;
    for (size_t i = 1; i < traza.lines.size(); ++i) {
        const std::vector<std::string> c = test::Campos(traza.lines[i]);
        grafica.emplace_back(numero(c[1]), numero(c[8]));
        leida.emplace_back(numero(c[1]), numero(c[2]));
    }
    EXPECT_NEAR(Establecimiento(grafica), 2.2, 1e-9);
    EXPECT_NEAR(Establecimiento(leida), 2.25, 1e-9);
}

TEST(Trace, FailingStepKeepsEarlierLinesAndExitsOne)
{
    const TraceRun r = Trace({"30", "2", "abc", "5"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.lines.size(), 3u);
    EXPECT_EQ(r.err, "'abc' is not a valid floating point value\n");
    EXPECT_EQ(Trace({"1e41", "1"}).err, "Floating point overflow\n");
}

TEST(Trace, MalformedArgumentsPrintUsageAndExitTwo)
{
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"30"}, {"30", "-1"}, {"30", "1.5"}, {"30", ""}, {"30", "x"}}) {
        const TraceRun r = Trace(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.lines.empty());
        EXPECT_EQ(r.err, kTraceUsage);
    }
    EXPECT_EQ(Trace({"30", "0"}).lines.size(), 1u);
    EXPECT_EQ(Trace({"--help"}).status, 0);
    // The buttons as the window shows them, without the accelerator's mark.
    EXPECT_NE(std::string(kTraceUsage).find("\"Controlar\""), std::string::npos);
    EXPECT_EQ(std::string(kTraceUsage).find('&'), std::string::npos);
}

// An option's bad value is named with the option, on one line, in place of
// the whole usage; an unknown option or one without its value still gets the
// usage. None of these runs a map or a file.
TEST(Trace, BadOptionValuesNameTheOptionAndTheValue)
{
    const NumberFormat coma{",", "."};
    const std::pair<std::vector<std::string>, std::string> casos[] = {
        {{"--mapa", "--desde", "1.62"}, "--desde: «1.62» no es un número (el separador decimal es «,»)\n"},
        {{"--mapa", "--hasta", ""}, "--hasta: «» no es un número (el separador decimal es «,»)\n"},
        {{"--mapa", "--filas", "2,5"}, "--filas: «2,5» no es un número entero\n"},
        {{"--mapa", "--magnitud", "masa"},
         "--magnitud: «masa» no es una de angulo, amortiguamiento, gravedad, carga, ruido\n"},
        {{"--mapa", "--controlador", "no"}, "--controlador: «no» no es red, pid ni ninguno\n"},
        {{"--mapa", "--comparar", "pdi"}, "--comparar: «pdi» no es red, pid, ninguno ni no\n"},
        {{"--experimento", "x.json", "1,5"},
         "--experimento: «1,5» no es un número de muestras (un entero de 0 o más)\n"},
        {{"--mapa", "--filas"}, kTraceUsage},
        {{"--mapa", "--columnas", "3"}, kTraceUsage},
    };
    for (const auto& [args, err] : casos) {
        const TraceRun r = Trace(args, coma);
        EXPECT_EQ(r.status, 2) << args[1];
        EXPECT_TRUE(r.lines.empty()) << args[1];
        EXPECT_EQ(r.err, err);
    }
}

} // namespace
} // namespace nc
