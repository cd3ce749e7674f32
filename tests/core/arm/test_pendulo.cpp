// SPDX-License-Identifier: MIT
#include "core/arm/Pendulo.h"

#include <gtest/gtest.h>

#include <cmath>

namespace nc {
namespace {

TEST(Modelo, DerivativePair)
{
    const EstadoBrazo d = Modelo(0.5f, 1.0f, 2.0f);
    EXPECT_EQ(d.posicion, 1.0f);
    EXPECT_EQ(d.velocidad, static_cast<float>(9.81L * std::sin(0.5L) - 2.0L + 2.0L));
    EXPECT_NEAR(d.velocidad, 4.7031646, 1e-6);
}

struct PenduloRow {
    float x, v, u;
    double nx, nv;
};

TEST(Pendulo, OneSampleFromKnownStates)
{
    const PenduloRow rows[] = {
        {0.0f, 0.0f, 1.0f, 0.00121181, 0.04777598},
        {0.0f, 1.0f, 0.0f, 0.04777597, 0.91633385},
        {0.1f, 0.0f, 0.0f, 0.1011868, 0.0467892},
    };
    for (const auto& r : rows) {
        const EstadoBrazo e = Pendulo(r.x, r.v, r.u);
        EXPECT_NEAR(e.posicion, r.nx, 5e-8 * (1 + std::fabs(r.nx))) << r.x << ' ' << r.v << ' ' << r.u;
        EXPECT_NEAR(e.velocidad, r.nv, 5e-8 * (1 + std::fabs(r.nv))) << r.x << ' ' << r.v << ' ' << r.u;
    }
    EXPECT_EQ(Pendulo(0, 0, 0), (EstadoBrazo{0.0f, 0.0f}));
}

TEST(Pendulo, TinyVelocityNoLongerMovesThePosition)
{
    // h times the velocity is far below half an ulp of 0.5: the arm rests.
    const EstadoBrazo e = Pendulo(0.5f, 1e-9f, static_cast<float>(-9.81L * std::sin(0.5L)));
    EXPECT_EQ(e.posicion, 0.5f);
}

// The fast acceleration against the extended one on states where the sum
// cancels (the arm held still by the force) and where it does not.
TEST(Modelo, FastPathMatchesExtendedSineBitForBit)
{
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / static_cast<float>(1u << 24);
    };
    for (int k = 0; k < 200000; ++k) {
        const float x = (next() - 0.5f) * 20.0f;
        const float v = (next() - 0.5f) * (k % 3 == 0 ? 1e-6f : 10.0f);
        float u = (next() - 0.5f) * 20.0f;
        if (k % 2 == 0)
            u = static_cast<float>(-9.81L * std::sin(static_cast<long double>(x)) + 2.0L * v);
        ASSERT_EQ(Modelo(x, v, u).velocidad, AceleracionExtendida(x, v, u)) << x << ' ' << v << ' ' << u;
    }
}

} // namespace
} // namespace nc
