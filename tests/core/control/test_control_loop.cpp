// SPDX-License-Identifier: MIT
#include "core/network/StoredController.h"
#include "core/control/ControlLoop.h"
#include "core/numbers/FloatFaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace nc {
namespace {

// Records every hand-over of a tick, in order.
class RecordingView final : public ControlView {
public:
    void SetPositionText(const std::string& t) override { calls.push_back("Edit3 " + t); }
    void SetVelocityText(const std::string& t) override { calls.push_back("Edit4 " + t); }
    void Dibujar_graficas(int32_t x, float p, float v) override
    {
        calls.push_back("graficas " + std::to_string(x));
        puntos.push_back({x, p, v});
    }
    void SetForceText(const std::string& t) override { calls.push_back("Edit6 " + t); }
    void SetTimeText(const std::string& t) override { calls.push_back("Edit2 " + t); }
    void Dibujar_brazo(double a) override
    {
        calls.push_back("brazo");
        angulos.push_back(a);
    }

    struct Punto {
        int32_t x;
        float posicion, velocidad;
    };
    std::vector<std::string> calls;
    std::vector<Punto> puntos;
    std::vector<double> angulos;
};

std::string Fixed4(double v)
{
    return FormatFixed(v, NumberFormat{});
}

TEST(ControlLoop, FirstFourTicksWithReferenceThirty)
{
    ControlLoop loop(NumberFormat{});
    RecordingView view;
    loop.Inicializar(view);
    EXPECT_EQ(view.angulos.back(), 90.0);
    const char* expected[4][5] = {
        {"0.0000", "0.0000", "4.5021", "0.05", "89.6874"},
        {"0.3126", "12.3240", "3.5367", "0.1", "88.8493"},
        {"1.1507", "21.1207", "2.6486", "0.15", "87.6427"},
        {"2.3573", "27.1429", "1.8312", "0.2", "86.1908"},
    };
    for (int tick = 0; tick < 4; ++tick) {
        view.calls.clear();
        loop.Paso("30", view);
        const auto& e = expected[tick];
        const std::vector<std::string> calls{std::string("Edit3 ") + e[0],       std::string("Edit4 ") + e[1],
                                             "graficas " + std::to_string(tick), std::string("Edit6 ") + e[2],
                                             std::string("Edit2 ") + e[3],       "brazo"};
        EXPECT_EQ(view.calls, calls) << "tick " << tick + 1;
        EXPECT_EQ(Fixed4(loop.angulo_animacion()), e[4]);
        EXPECT_EQ(loop.muestra(), tick + 1);
    }
    const double posiciones[] = {0, 0.3126, 1.1507, 2.3573};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(view.puntos[k].x, k);
        EXPECT_NEAR(view.puntos[k].posicion, posiciones[k], 0.00005);
    }
}

struct SettleRow {
    const char* reference;
    double posicion;
    double fuerza;
};

TEST(ControlLoop, SettlesWithASmallSteadyOffset)
{
    const SettleRow rows[] = {{"30", 30.31, -4.95}, {"0", 1.66, -0.284}, {"90", 88.66, -9.807}};
    for (const auto& r : rows) {
        ControlLoop loop(NumberFormat{});
        RecordingView view;
        loop.Inicializar(view);
        for (int k = 0; k < 200; ++k)
            loop.Paso(r.reference, view);
        const double grados = loop.posicion() * 57.295779513082320877L;
        EXPECT_NEAR(grados, r.posicion, 0.005) << r.reference;
        EXPECT_NEAR(90.0 - loop.angulo_animacion(), grados, 1e-9);
        auto red = Construir_red_almacenada();
        FeedBack(*red,
                 {loop.posicion(), loop.velocidad(),
                  static_cast<float>(std::stold(r.reference) * 0.017453292519943295769L)});
        EXPECT_NEAR(red->Capa(1).Neurona(0).Salida(), r.fuerza, std::fabs(r.fuerza) * 0.002) << r.reference;
    }
}

TEST(ControlLoop, PauseContinuesAndResetsStartFromRest)
{
    ControlLoop loop(NumberFormat{});
    RecordingView view;
    loop.Inicializar(view);
    for (int k = 0; k < 10; ++k)
        loop.Paso("30", view);
    const float p = loop.posicion();
    loop.Paso("30", view); // continuing: x is the counter before the tick
    EXPECT_EQ(view.puntos.back().x, 10);
    EXPECT_NE(loop.posicion(), p);

    loop.Limpiar();
    EXPECT_EQ(loop.angulo_animacion(), 90.0);
    EXPECT_EQ(loop.muestra(), 0);
    loop.Paso("30", view);
    EXPECT_EQ(view.puntos.back().x, 0);
    EXPECT_EQ(view.puntos.back().posicion, 0.0f); // the arm was put back at rest

    for (int k = 0; k < 5; ++k)
        loop.Paso("30", view);
    loop.Inicializar(view);
    EXPECT_EQ(loop.muestra(), 0);
    EXPECT_NE(loop.posicion(), 0.0f); // Inicializar keeps the state until the next tick
}

TEST(ControlLoop, AngleIsNeverWrapped)
{
    ControlLoop loop(NumberFormat{});
    RecordingView view;
    loop.Inicializar(view);
    loop.SetState(static_cast<float>(400 * 0.017453292519943295769L), 0.0f, 5);
    loop.Paso("400", view);
    EXPECT_LT(loop.angulo_animacion(), -300.0);
}

// A failing tick throws before it touches anything.
struct FailingRow {
    std::string reference;
    std::string message;
};

TEST(ControlLoop, FailingTickChangesNothing)
{
    const FailingRow rows[] = {
        {"abc", "'abc' is not a valid floating point value"},       {"", "'' is not a valid floating point value"},
        {"30,5", "'30,5' is not a valid floating point value"},     {"1e40", "Floating point overflow"},
        {"1e5000", "'1e5000' is not a valid floating point value"},
    };
    for (const auto& r : rows) {
        ControlLoop loop(NumberFormat{});
        RecordingView view;
        loop.Inicializar(view);
        for (int k = 0; k < 3; ++k)
            loop.Paso("30", view);
        const auto calls = view.calls.size();
        const float p = loop.posicion(), v = loop.velocidad();
        const double a = loop.angulo_animacion();
        const double salida = loop.Red()->Capa(1).Neurona(0).Salida();
        try {
            loop.Paso(r.reference, view);
            ADD_FAILURE() << r.reference << " did not fail";
        } catch (const std::exception& e) {
            EXPECT_EQ(std::string(e.what()), r.message);
        }
        EXPECT_EQ(view.calls.size(), calls) << r.reference;
        EXPECT_EQ(loop.posicion(), p);
        EXPECT_EQ(loop.velocidad(), v);
        EXPECT_EQ(loop.angulo_animacion(), a);
        EXPECT_EQ(loop.muestra(), 3);
        EXPECT_EQ(loop.Red()->Capa(1).Neurona(0).Salida(), salida);
        loop.Paso("30", view); // and the loop goes on
        EXPECT_EQ(loop.muestra(), 4);
    }
}

TEST(ControlLoop, CounterAtItsLimitFailsInsteadOfWrapping)
{
    ControlLoop loop(NumberFormat{});
    RecordingView view;
    loop.Inicializar(view);
    loop.SetState(0.5f, 0.0f, std::numeric_limits<int32_t>::max() - 1);
    loop.Paso("30", view);
    EXPECT_EQ(loop.muestra(), std::numeric_limits<int32_t>::max());
    const auto calls = view.calls.size();
    EXPECT_THROW(loop.Paso("30", view), std::runtime_error);
    EXPECT_EQ(loop.muestra(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(view.calls.size(), calls);
}

TEST(ControlLoop, FloatFaultsMapToTheirMessages)
{
    auto message = [](auto&& compute) {
        ClearFloatFaults();
        compute();
        try {
            ThrowOnFloatFaults();
        } catch (const FloatingPointError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    volatile double zero = 0.0, big = 1e308;
    volatile long double huge = 1e39L;
    EXPECT_EQ(message([&] {
                  volatile double r = 1.0 / zero;
                  (void)r;
              }),
              "Floating point division by zero");
    EXPECT_EQ(message([&] {
                  volatile double r = zero / zero;
                  (void)r;
              }),
              "Invalid floating point operation");
    EXPECT_EQ(message([&] {
                  volatile double r = big * 10.0;
                  (void)r;
              }),
              "Floating point overflow");
    EXPECT_EQ(message([&] {
                  volatile float r = static_cast<float>(huge);
                  (void)r;
              }),
              "Floating point overflow");
    EXPECT_EQ(message([] {}), "");
}

TEST(ControlLoop, CommaLocaleReadsAndWritesWithAComma)
{
    ControlLoop loop(NumberFormat{",", "."});
    RecordingView view;
    loop.Inicializar(view);
    loop.Paso("30,0", view);
    loop.Paso("30,0", view);
    EXPECT_EQ(view.calls[7], "Edit3 0,3126");
    EXPECT_EQ(view.calls[11], "Edit2 0,1");
    EXPECT_THROW(loop.Paso("30.5", view), ConversionError);
}

} // namespace
} // namespace nc
