// SPDX-License-Identifier: MIT
// The figures that belong to a segment of a run: a step's, ended by whatever
// else acts on its arm; none where the reference did not move; a sine's
// tracking figures once a period has passed.
#include "core/run/Experimento.h"
#include "core/run/Preajustes.h"
#include "core/numbers/Unidades.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <optional>
#include <vector>

namespace nc {
namespace {

ExperimentoGuardado Llamado(const char* nombre)
{
    for (const Preajuste& p : Preajustes())
        if (p.nombre == nombre)
            return p.experimento;
    ADD_FAILURE() << nombre;
    return {};
}

void EsperarIguales(const StepFigures& a, const StepFigures& b)
{
    EXPECT_EQ(a.inicial, b.inicial);
    EXPECT_EQ(a.final, b.final);
    EXPECT_EQ(a.sobreimpulso, b.sobreimpulso);
    EXPECT_EQ(a.subida, b.subida);
    EXPECT_EQ(a.establecimiento, b.establecimiento);
    EXPECT_EQ(a.pico, b.pico);
}

// Each way an arm is disturbed ends its step where it acts, with the figures
// of the step up to that sample; the twin's step goes on unless the same
// thing acts on it; the next step of the reference starts afresh.
TEST(Tramo, WhateverElseActsEndsTheStepsFigures)
{
    struct Caso {
        const char* nombre;
        std::function<void(Experimento&)> actuar; // just before the tick of sample 60
        Actuaciones brazo, gemelo;                // what the tick then shows for each
    };
    const auto con = [](auto cambio) {
        return [cambio](Experimento& lab) {
            AjustesExperimento a = lab.Ajustes();
            cambio(a);
            lab.SetAjustes(a);
        };
    };
    const Caso casos[] = {
        {"push", [](Experimento& lab) { lab.Empujar(1); }, {.empujon = true}, {.empujon = true}},
        {"hand", [](Experimento& lab) { lab.Agarrar(40); }, {.mano = true}, {}},
        {"gravity", con([](AjustesExperimento& a) { a.brazo.gravedad = 24.79; }), {.cambio = true}, {.cambio = true}},
        {"twin's gains", con([](AjustesExperimento& a) { a.comparar->pid.kp = 50; }), {}, {.cambio = true}},
        {"lesion", con([](AjustesExperimento& a) { a.controlador.lesiones.apagadas = 4; }), {.lesion = true}, {}},
        {"a PID's gains under the network", con([](AjustesExperimento& a) { a.controlador.pid.kp = 50; }), {}, {}},
        {"the push's size", con([](AjustesExperimento& a) { a.empujon = 10; }), {}, {}},
    };
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nombre);
        AjustesExperimento ajustes;
        ajustes.comparar = AjustesControlador{TipoControlador::Pid, {}};
        Experimento lab(ajustes);
        for (int k = 0; k < 60; ++k)
            lab.Paso();
        const StepFigures antes = *lab.FigurasTramo();
        const StepFigures antes_gemelo = *lab.FigurasTramo(true);
        caso.actuar(lab);
        const SalidaPaso s = lab.Paso();
        EXPECT_EQ(s.brazo.actuaciones, caso.brazo);
        EXPECT_EQ(s.gemelo->actuaciones, caso.gemelo);
        lab.Soltar();
        for (int k = 0; k < 100; ++k)
            lab.Paso();
        for (bool gemelo : {false, true}) {
            const CifrasTramo c = lab.Cifras(gemelo);
            EXPECT_EQ(c.clase, ClaseTramo::Escalon);
            EXPECT_EQ(c.referencia, 30.0L);
            const bool acabado = (gemelo ? caso.gemelo : caso.brazo).Alguna();
            ASSERT_EQ(c.fin.has_value(), acabado) << gemelo;
            if (acabado) {
                EXPECT_EQ(c.fin->muestra, 60);
                EXPECT_EQ(c.fin->que, gemelo ? caso.gemelo : caso.brazo);
                EsperarIguales(*c.escalon, gemelo ? antes_gemelo : antes);
            } else {
                EsperarIguales(*c.escalon, *lab.FigurasTramo(gemelo));
            }
        }
        // The reference's next step has figures again, live.
        AjustesExperimento a = lab.Ajustes();
        a.referencia.texto = "60";
        lab.SetAjustes(a);
        lab.Paso();
        EXPECT_FALSE(lab.Cifras().fin.has_value());
        EXPECT_EQ(lab.Cifras().referencia, 60.0L);
    }
}

// Where the reference did not move there is no step: a run that starts at
// its reference and is nudged ("Lazo abierto"), a run taken over where it
// stood, even when the window writes the reference in on the first tick.
// A change made on the tick a step begins acts from its start.
TEST(Tramo, NoStepWhereTheReferenceDidNotMove)
{
    const ExperimentoGuardado abierto = Llamado("Lazo abierto");
    Experimento lazo(abierto.ajustes);
    lazo.Programar(abierto.eventos);
    for (int k = 0; k < abierto.muestras; ++k)
        lazo.Paso();
    EXPECT_EQ(lazo.Cifras().clase, ClaseTramo::SinEscalon);
    EXPECT_FALSE(lazo.Cifras().escalon.has_value());

    Experimento tomado;
    tomado.Continuar({0.5f, 0.0f}, 300);
    AjustesExperimento a = tomado.Ajustes();
    a.referencia.texto = "60";
    tomado.SetAjustes(a);
    tomado.Paso();
    EXPECT_EQ(tomado.Cifras().clase, ClaseTramo::SinEscalon);
    a.referencia.texto = "10";
    a.brazo.gravedad = 1.62;
    tomado.SetAjustes(a);
    for (int k = 0; k < 100; ++k)
        tomado.Paso();
    const CifrasTramo c = tomado.Cifras();
    EXPECT_EQ(c.clase, ClaseTramo::Escalon);
    EXPECT_FALSE(c.fin.has_value());
    EsperarIguales(*c.escalon, *tomado.FigurasTramo());
}

// Positions that are an exact sine give back its ratio and lag; the arm
// following "Seguir un seno" has no figures until a period has passed, and
// a push ends them until a new period has passed.
TEST(Tramo, SineGivesTheTrackingFigures)
{
    const double T = 10, A = 30, dt = 0.05;
    for (const auto& [razon, desfase] : {std::pair{0.8, 12.5}, std::pair{1.25, -40.0}, std::pair{0.5, 170.0}}) {
        std::vector<float> p;
        for (int k = 37; k < 237; ++k)
            p.push_back(static_cast<float>(
                5 + razon * A * std::sin(2 * std::numbers::pi * k * dt / T - desfase * std::numbers::pi / 180)));
        const std::optional<TrackingFigures> f = MeasureTracking(p, 37, dt, A, T);
        ASSERT_TRUE(f);
        EXPECT_NEAR(f->razon, razon, 1e-6);
        EXPECT_NEAR(f->desfase, desfase, 1e-4);
    }
    EXPECT_FALSE(MeasureTracking(std::vector<float>(200, 1.0f), 0, dt, 0, T));

    const ExperimentoGuardado seno = Llamado("Seguir un seno");
    Experimento lab(seno.ajustes);
    for (int k = 0; k < 199; ++k)
        lab.Paso();
    EXPECT_EQ(lab.Cifras().clase, ClaseTramo::Seguimiento);
    EXPECT_FALSE(lab.Cifras().seguimiento.has_value());
    for (int k = 0; k < 400; ++k)
        lab.Paso();
    const TrackingFigures f = *lab.Cifras().seguimiento;
    // The network swings 4 % short of the reference, 0.7 s behind it.
    EXPECT_NEAR(f.razon, 0.9593, 1e-4);
    EXPECT_NEAR(f.desfase, 25.135, 1e-3);
    lab.Empujar(1);
    lab.Paso();
    for (int k = 0; k < 100; ++k)
        lab.Paso();
    CifrasTramo c = lab.Cifras();
    ASSERT_TRUE(c.fin && c.seguimiento);
    EXPECT_EQ(c.fin->muestra, 599);
    EXPECT_EQ(c.seguimiento->razon, f.razon); // the period before the push
    EXPECT_EQ(c.seguimiento->desfase, f.desfase);
    for (int k = 0; k < 100; ++k)
        lab.Paso();
    c = lab.Cifras();
    EXPECT_FALSE(c.fin.has_value());
    EXPECT_TRUE(c.seguimiento.has_value());
}

} // namespace
} // namespace nc
