// SPDX-License-Identifier: MIT
#include "core/network/StoredController.h"
#include "core/network/red.h"

#include <gtest/gtest.h>

#include <cmath>

namespace nc {
namespace {

double Force(double posicion, double velocidad, double referencia)
{
    auto r = Construir_red_almacenada();
    FeedBack(*r, {posicion, velocidad, referencia});
    return r->Capa(1).Neurona(0).Salida();
}

TEST(FeedBack, StoredControllerAnswers)
{
    const float treinta = static_cast<float>(30 * 0.017453292519943295769L);
    EXPECT_NEAR(Force(0, 0, treinta), 4.5021, 0.00005);
    EXPECT_NEAR(Force(0, 0, 0), 0.2439, 0.00005);
}

TEST(FeedBack, ZeroInputGivesTheBiasesAndASinglePrecisionSum)
{
    auto r = Construir_red_almacenada();
    FeedBack(*r, {0, 0, 0});
    float s = 0.0f;
    for (int32_t j = 0; j < 8; ++j) {
        const neurona& n = r->Capa(0).Neurona(j);
        EXPECT_EQ(n.Neta(), static_cast<double>(StoredController::bias_oculta[j]));
        s = static_cast<float>(static_cast<long double>(StoredController::pesos_salida[0][j]) * n.Salida() + s);
    }
    s = static_cast<float>(static_cast<long double>(StoredController::bias_salida[0]) + s);
    EXPECT_EQ(r->Capa(1).Neurona(0).Neta(), static_cast<double>(s));
}

TEST(FeedBack, SumIsRoundedToSingleAfterEveryTerm)
{
    red r;
    r.Iniciar(2, 0, {2, 1, 0, 0, 0, 0});
    r.Capa(0).Iniciar(1);
    neurona& n = r.Capa(0).Neurona(0);
    n.Iniciar(0, 2);
    n.Fijar_peso(0, 1.0);
    n.Fijar_peso(1, 1.0);
    FeedBack(r, {1.0, std::ldexp(1.0, -30)});
    EXPECT_EQ(n.Neta(), 1.0);
}

TEST(FeedBack, BiasIsTheLastTermAndReadsNoInput)
{
    red r;
    r.Iniciar(2, 1, {3, 1, 0, 0, 0, 0});
    r.Capa(0).Iniciar(1);
    neurona& n = r.Capa(0).Neurona(0);
    n.Iniciar(0, 4);
    for (int32_t k = 0; k < 4; ++k)
        n.Fijar_peso(k, k + 1.0);
    FeedBack(r, {1.0, 1.0, 1.0}); // three inputs suffice for four weights
    EXPECT_EQ(n.Neta(), 1.0 + 2.0 + 3.0 + 4.0);
}

TEST(FeedBack, NetworkWithFewerThanTwoSizesIsUntouched)
{
    red r;
    r.Iniciar(1, 1, {3, 0, 0, 0, 0, 0});
    FeedBack(r, {});
    EXPECT_EQ(r.Capa(0).Num_neuronas(), 0);
}

} // namespace
} // namespace nc
