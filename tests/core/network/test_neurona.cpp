// SPDX-License-Identifier: MIT
#include "core/network/StoredController.h"
#include "core/network/red.h"

#include <gtest/gtest.h>

#include <cmath>

namespace nc {
namespace {

double Activate(int32_t tipo, double neta)
{
    neurona n;
    n.Iniciar(tipo, 1);
    n.Fijar_neta(neta);
    n.Activar();
    return n.Salida();
}

struct ActivationRow {
    int32_t tipo;
    double neta;
    double salida;
};

TEST(Neurona, ActivationKindsAndStrictBounds)
{
    const ActivationRow rows[] = {
        {0, 1000000.0, 1000000.0},
        {0, 1000000.5, 1000000.0},
        {0, -2000000.0, -1000000.0},
        {0, -3.25, -3.25},
        {1, 0.0, 0.5},
        {1, -15.0000001, 0.0},
        {1, 15.0000001, 1.0},
        {1, 1e300, 1.0},
        {2, 0.0, 0.0},
        {2, 15.0000001, 1.0},
        {2, -15.0000001, -1.0},
        {3, 0.0, 0.0},
        {3, 2.0, 1.0},
        {3, -1e-300, -1.0},
        {4, 0.0, 0.0},
        {4, -2.0, -1.0},
        {5, 0.0, 0.0},
        {5, -2.0, 0.0},
        {5, 2.0, 1.0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Activate(r.tipo, r.neta), r.salida) << "tipo " << r.tipo << " neta " << r.neta;
}

TEST(Neurona, SigmoidsAtTheirBoundsUseTheFormula)
{
    EXPECT_EQ(Activate(1, -15.0), static_cast<double>(1.0L / (1.0L + std::exp(15.0L))));
    EXPECT_EQ(Activate(2, 15.0), static_cast<double>(2.0L / (1.0L + std::exp(-30.0L)) - 1.0L));
    EXPECT_NE(Activate(2, 15.0), 1.0);
}

TEST(Neurona, StepKindsHoldTheirOutputAtZeroAndUnknownKindsKeepIt)
{
    for (int32_t tipo : {4, 5}) {
        neurona n;
        n.Iniciar(tipo, 2);
        n.Fijar_neta(3.0);
        n.Activar();
        n.Fijar_neta(0.0);
        n.Activar();
        EXPECT_EQ(n.Salida(), 1.0) << tipo;
        n.Iniciar(tipo, 2); // a new Iniciar resets the held output
        n.Activar();
        EXPECT_EQ(n.Salida(), 0.0) << tipo;
    }
    for (int32_t tipo : {6, -1}) {
        neurona n;
        n.Iniciar(0, 1);
        n.Fijar_neta(7.0);
        n.Activar();
        n.Iniciar(tipo, 1);
        n.Fijar_neta(7.0);
        n.Activar();
        EXPECT_EQ(n.Salida(), 0.0) << tipo;
    }
}

TEST(Red, OneSizeGivesOneEmptyLayerObject)
{
    red r;
    r.Iniciar(1, 1, {3, 0, 0, 0, 0, 0});
    EXPECT_EQ(r.Num_capas(), 1);
    ASSERT_EQ(r.Num_objetos_capa(), 1);
    EXPECT_EQ(r.Capa(0).Num_neuronas(), 0);
}

TEST(StoredController, BuildsTheTablesIntoA381Network)
{
    const auto r = Construir_red_almacenada();
    ASSERT_EQ(r->Num_capas(), 3);
    EXPECT_EQ(r->Modo_bias(), 1);
    ASSERT_EQ(r->Capa(0).Num_neuronas(), 8);
    ASSERT_EQ(r->Capa(1).Num_neuronas(), 1);
    for (int32_t j = 0; j < 8; ++j) {
        const neurona& n = r->Capa(0).Neurona(j);
        EXPECT_EQ(n.Tipo(), 2);
        ASSERT_EQ(n.Num_pesos(), 4);
        EXPECT_EQ(n.Peso(3), static_cast<double>(StoredController::bias_oculta[j]));
        for (int32_t k = 0; k < 3; ++k)
            EXPECT_EQ(n.Peso(k), static_cast<double>(StoredController::pesos_oculta[j][k]));
    }
    const neurona& salida = r->Capa(1).Neurona(0);
    EXPECT_EQ(salida.Tipo(), 0);
    ASSERT_EQ(salida.Num_pesos(), 9);
    EXPECT_EQ(salida.Peso(8), static_cast<double>(-7.9367f));
    EXPECT_EQ(salida.Peso(1), static_cast<double>(-17.4472f));
    EXPECT_EQ(salida.Salida(), 0.0);
}

TEST(StoredController, TwoBuildsAreIdenticalAndIndependent)
{
    auto a = Construir_red_almacenada();
    auto b = Construir_red_almacenada();
    FeedBack(*a, {0.1, 0.2, 0.3});
    for (int32_t j = 0; j < 8; ++j)
        for (int32_t k = 0; k < 4; ++k)
            EXPECT_EQ(a->Capa(0).Neurona(j).Peso(k), b->Capa(0).Neurona(j).Peso(k));
    EXPECT_NE(a->Capa(1).Neurona(0).Salida(), 0.0);
    EXPECT_EQ(b->Capa(1).Neurona(0).Salida(), 0.0);
}

} // namespace
} // namespace nc
