// SPDX-License-Identifier: MIT
// The phase plane: its equilibria and their kinds against the closed forms
// of the open arm and the PID, the stored network's spurious resting place
// past the reference 300 as the trace tool writes it, and the early stop,
// which changes no cell.
#include "io/FicheroExperimento.h"
#include "core/run/Experimento.h"
#include "core/sweeps/PlanoFase.h"
#include "core/numbers/Unidades.h"
#include "tools/trace/Trace.h"
#include "tools/trace/TraceFase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <set>
#include <sstream>

namespace nc {
namespace {

const NumberFormat kPunto{".", ","};

AjustesPlano Plano(TipoControlador tipo, double referencia)
{
    AjustesPlano p;
    p.base.controlador.tipo = tipo;
    p.referencia = referencia;
    return p;
}

// The equilibria inside the plane's own range.
std::vector<Equilibrio> EnElPlano(const AjustesPlano& p, const AnalisisPlano& a)
{
    std::vector<Equilibrio> dentro;
    for (const Equilibrio& e : a.equilibrios)
        if (e.posicion >= p.desde - 1e-3 && e.posicion <= p.hasta + 1e-3)
            dentro.push_back(e);
    return dentro;
}

TEST(PlanoFase, EquilibriaAndKindsMatchTheClosedForms)
{
    // The open arm, x'' = g sin x - b x': at rest where sin x = 0, a saddle
    // upright (lambda = -b/2 +- sqrt(b^2/4 + g)) and a stable focus hanging
    // (-b/2 +- i sqrt(g - b^2/4)), turn after turn.
    for (const auto& [g, b] : {std::pair{9.81, 2.0}, {3.71, 0.5}}) {
        AjustesPlano p = Plano(TipoControlador::Ninguno, 30);
        p.base.brazo.gravedad = g;
        p.base.brazo.amortiguamiento = b;
        const std::vector<Equilibrio> e = EnElPlano(p, AnalizarPlano(p));
        ASSERT_EQ(e.size(), 5u) << g;
        for (size_t k = 0; k < e.size(); ++k) {
            const bool arriba = k % 2 == 1; // -180, 0, 180, 360, 540
            EXPECT_NEAR(e[k].posicion, -180.0 + 180.0 * static_cast<double>(k), 1e-4);
            const Eigen2& l = e[k].lectura.lazo.autovalores;
            if (arriba) {
                EXPECT_EQ(e[k].tipo, TipoEquilibrio::Silla);
                EXPECT_NEAR(static_cast<double>(l.re1), -b / 2 + std::sqrt(b * b / 4 + g), 1e-6);
                EXPECT_NEAR(static_cast<double>(l.re2), -b / 2 - std::sqrt(b * b / 4 + g), 1e-6);
            } else {
                EXPECT_EQ(e[k].tipo, TipoEquilibrio::FocoEstable);
                EXPECT_NEAR(static_cast<double>(l.re1), -b / 2, 1e-6);
                EXPECT_NEAR(static_cast<double>(l.im1), std::sqrt(g - b * b / 4), 1e-6);
            }
        }
    }

    // The PID, u = kp e + ki I - kd v: the whole loop rests only at the
    // reference, with ki I = -(g sin r + load), and its kind is that of
    // s^3 + (b + kd) s^2 + (kp - g cos r) s + ki: Routh's first column
    // counts the roots on the right, the cubic's discriminant tells three
    // real roots (a node) from a complex pair (a focus).
    struct Caso {
        double r, kp, ki, kd, carga, g;
    };
    for (const Caso& c : {Caso{30, 100, 120, 24, 0, 9.81}, Caso{200, 100, 120, 24, 3, 24.79},
                          Caso{0, 5, 20, 2, 0, 9.81}, Caso{90, 20, 200, 1, -2, 9.81}, Caso{120, 40, 2, 30, 0, 9.81}}) {
        AjustesPlano p = Plano(TipoControlador::Pid, c.r);
        p.base.controlador.pid = {c.kp, c.ki, c.kd};
        p.base.carga = c.carga;
        p.base.brazo.gravedad = c.g;
        const AnalisisPlano a = AnalizarPlano(p);
        ASSERT_TRUE(a.con_integral);
        EXPECT_TRUE(a.equilibrio_en_referencia);
        ASSERT_EQ(a.equilibrios.size(), 1u) << c.r;
        const Equilibrio& e = a.equilibrios[0];
        const double rad = c.r * static_cast<double>(kGradosARadianes);
        EXPECT_NEAR(e.posicion, c.r, 1e-5);
        // To the force's float: a step of the integral moves it ki times that.
        EXPECT_NEAR(*e.integral, -(c.g * std::sin(rad) + c.carga) / c.ki, 2e-6 / c.ki);
        const double a1 = 2 + c.kd, a2 = c.kp - c.g * std::cos(rad), a3 = c.ki;
        EXPECT_NEAR(static_cast<double>(e.lectura.lazo.a21), -a2, 1e-6);
        const double routh[] = {1, a1, (a1 * a2 - a3) / a1, a3};
        int derecha = 0;
        for (int k = 0; k < 3; ++k)
            derecha += (routh[k] > 0) != (routh[k + 1] > 0);
        const double disc
            = 18 * a1 * a2 * a3 - 4 * a1 * a1 * a1 * a3 + a1 * a1 * a2 * a2 - 4 * a2 * a2 * a2 - 27 * a3 * a3;
        TipoEquilibrio esperado = TipoEquilibrio::Silla;
        if (derecha == 0)
            esperado = disc < 0 ? TipoEquilibrio::FocoEstable : TipoEquilibrio::NodoEstable;
        else if (derecha == 3)
            esperado = disc < 0 ? TipoEquilibrio::FocoInestable : TipoEquilibrio::NodoInestable;
        EXPECT_EQ(e.tipo, esperado) << c.r << ": " << NombreTipo(e.tipo);
    }
}

// The stored network never rests at 300 degrees: near it there is only a
// saddle, and the arm stops at a stable focus near 237 degrees instead
// (where the competence map saw it stall). The trace tool writes what the
// library computes.
TEST(PlanoFase, TraceToolWritesTheStoredNetworksSpuriousRestingPlace)
{
    std::ostringstream out, err;
    ASSERT_EQ(RunTrace({"--fase", "--referencia", "300", "--columnas", "12", "--filas", "5"}, out, err, kPunto), 0)
        << err.str();
    AjustesPlano p = Plano(TipoControlador::Red, 300);
    p.columnas = 12;
    p.filas = 5;
    const AnalisisPlano a = AnalizarPlano(p);
    const PlanoFase plano = CalcularPlano(p, a, 1);
    std::ostringstream esperado;
    EscribirPlano(plano, esperado, kPunto);
    EXPECT_EQ(out.str(), esperado.str());

    const std::vector<Equilibrio> e = EnElPlano(p, a);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].tipo, TipoEquilibrio::FocoEstable);
    EXPECT_GT(e[0].posicion, 225);
    EXPECT_LT(e[0].posicion, 245);
    EXPECT_EQ(e[1].tipo, TipoEquilibrio::Silla);
    EXPECT_NEAR(e[1].posicion, 302.5, 0.5);
    const std::string tsv = out.str();
    EXPECT_NE(tsv.find("\n1\t236.77"), std::string::npos) << tsv;
    EXPECT_NE(tsv.find("\tfoco_estable\t-1.097"), std::string::npos);
    // From rest near 0 degrees the arm ends there.
    EXPECT_NE(tsv.find("\n30\t0\t1\n"), std::string::npos);
    EXPECT_NE(tsv.find("\tgira\n"), std::string::npos);
}

// A trained network with the integral, built by hand as a PID whose terms
// saturate (tanh): its integral's term holds at most ki tanh(1).
RedCompartida RedConIntegral(double ki)
{
    RedEntrenada r = RedVacia(3, true, 1.0);
    r.w1 = {-1, 0, 1, 0, 0, -0.1, 0, 0, 0, 0, 0, 1};
    r.w2 = {60, 150, ki};
    return RedCompartida{std::make_shared<const RedEntrenada>(r)};
}

TEST(PlanoFase, EarlyStopChangesNoCell)
{
    std::vector<AjustesPlano> planos
        = {Plano(TipoControlador::Red, 300), Plano(TipoControlador::Pid, 120), Plano(TipoControlador::Ninguno, 0)};
    // Without damping the open arm swings for ever round its centres.
    planos[2].base.brazo.amortiguamiento = 0;
    // With ki 10 the integral cannot hold the arm at 90 degrees: the loop
    // rests beside it, the integral at its clamp.
    for (double ki : {40.0, 10.0}) {
        AjustesPlano p = Plano(TipoControlador::Entrenada, 90);
        p.base.controlador.entrenada = RedConIntegral(ki);
        planos.push_back(p);
    }
    std::set<int16_t> vistos;
    for (AjustesPlano& p : planos) {
        p.columnas = 16;
        p.filas = 10;
        const AnalisisPlano a = AnalizarPlano(p);
        const PlanoFase todo = CalcularPlano(p, a, 2, false);
        const PlanoFase rapido = CalcularPlano(p, a, 2, true);
        const char* nombre = NombreControlador(p.base.controlador.tipo);
        ASSERT_TRUE(todo.completo && rapido.completo);
        EXPECT_EQ(todo.calculadas, int64_t{16} * 10 * 600) << nombre;
        EXPECT_EQ(rapido.celdas, todo.celdas) << nombre;
        EXPECT_LT(rapido.calculadas, todo.calculadas) << nombre;
        for (int16_t fin : todo.celdas)
            vistos.insert(fin < 0 ? fin : 0);
        if (p.base.controlador.entrenada && p.base.controlador.entrenada->w2[2] == 10.0) {
            EXPECT_FALSE(a.equilibrio_en_referencia);
            const std::vector<Equilibrio> dentro = EnElPlano(p, a);
            ASSERT_EQ(dentro.size(), 1u);
            const Equilibrio& e = dentro[0];
            EXPECT_TRUE(e.en_limite);
            EXPECT_EQ(*e.integral, -1.0);
            EXPECT_NEAR(e.posicion, 92.1, 0.2);
            EXPECT_EQ(e.tipo, TipoEquilibrio::NodoEstable) << NombreTipo(e.tipo);
            EXPECT_GT(std::count(todo.celdas.begin(), todo.celdas.end(), 0), 0);
        }
    }
    // Runs that end at an equilibrium, that spin and that never stop: the
    // comparison covers every kind of end.
    EXPECT_EQ(vistos, (std::set<int16_t>{kFinNoSeDetiene, kFinGira, 0}));
}

// A run may start moving: the setting acts on sample 0, and a file keeps it
// only when it is not zero, so files of runs from rest keep their bytes.
TEST(PlanoFase, ARunStartsAtTheCellsStateAndFilesKeepAStartingVelocityOnlyWhenSet)
{
    AjustesPlano p = Plano(TipoControlador::Red, 300);
    Experimento lab(AjustesInicio(p, 12.5, -40));
    const SalidaPaso s = lab.Paso();
    EXPECT_EQ(s.brazo.posicion_grados, 12.5f);
    EXPECT_FLOAT_EQ(s.brazo.velocidad_grados, -40.0f);
    ExperimentoGuardado g;
    g.ajustes = AjustesInicio(p, 12.5, -40);
    const std::string texto = EscribirExperimento(g);
    EXPECT_NE(texto.find("\"velocidad_inicial\": -40"), std::string::npos);
    EXPECT_EQ(LeerExperimento(texto).ajustes.velocidad_inicial, -40.0);
    g.ajustes.velocidad_inicial = 0;
    EXPECT_EQ(EscribirExperimento(g).find("velocidad_inicial"), std::string::npos);
}

} // namespace
} // namespace nc
