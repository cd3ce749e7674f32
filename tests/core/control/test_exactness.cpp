// SPDX-License-Identifier: MIT
// The loop against a second, deliberately plain computation of the same
// equations: extended arithmetic and the extended sine everywhere, no fast
// paths, the sub-step loop stepping t as a float. Every step must agree to
// the bit.
#include "core/network/StoredController.h"
#include "core/control/ControlLoop.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

namespace nc {
namespace {

struct Plain {
    float x = 0, v = 0;
    int32_t muestra = 0;

    static float Aceleracion(float x, float v, float u)
    {
        return static_cast<float>(9.81L * sinl(static_cast<long double>(x)) - 2.0L * v + u);
    }

    static float Fuerza(float x, float v, float ref)
    {
        const long double in[3] = {x, v, ref};
        long double oculta[8];
        for (int j = 0; j < 8; ++j) {
            float s = 0;
            for (int k = 0; k < 3; ++k)
                s = static_cast<float>(static_cast<long double>(StoredController::pesos_oculta[j][k]) * in[k] + s);
            s = static_cast<float>(static_cast<long double>(StoredController::bias_oculta[j]) * 1.0L + s);
            const long double n = s;
            double o;
            if (n < -15)
                o = -1;
            else if (n > 15)
                o = 1;
            else
                o = static_cast<double>(2.0L / (1.0L + expl(-2.0L * n)) - 1.0L);
            oculta[j] = o;
        }
        float s = 0;
        for (int j = 0; j < 8; ++j)
            s = static_cast<float>(static_cast<long double>(StoredController::pesos_salida[0][j]) * oculta[j] + s);
        s = static_cast<float>(static_cast<long double>(StoredController::bias_salida[0]) * 1.0L + s);
        double salida = s;
        if (salida > 1e6)
            salida = 1e6;
        if (salida < -1e6)
            salida = -1e6;
        return static_cast<float>(salida);
    }

    void Step(long double grados)
    {
        const float ref = static_cast<float>(grados * 0.017453292519943295769L);
        if (muestra == 0)
            x = v = 0;
        const float u = Fuerza(x, v, ref);
        const float h = 0.0005f;
        float t = 0;
        float px = x, pv = v;
        while (t <= 0.05L) {
            const float kx1 = static_cast<float>(static_cast<long double>(h) * pv);
            const float kv1 = static_cast<float>(static_cast<long double>(h) * Aceleracion(px, pv, u));
            const float x2 = static_cast<float>(px + 0.5L * kx1), v2 = static_cast<float>(pv + 0.5L * kv1);
            const float kx2 = static_cast<float>(static_cast<long double>(h) * v2);
            const float kv2 = static_cast<float>(static_cast<long double>(h) * Aceleracion(x2, v2, u));
            const float x3 = static_cast<float>(px + 0.5L * kx2), v3 = static_cast<float>(pv + 0.5L * kv2);
            const float kx3 = static_cast<float>(static_cast<long double>(h) * v3);
            const float kv3 = static_cast<float>(static_cast<long double>(h) * Aceleracion(x3, v3, u));
            const float x4 = static_cast<float>(px + static_cast<long double>(kx3));
            const float v4 = static_cast<float>(pv + static_cast<long double>(kv3));
            const float kx4 = static_cast<float>(static_cast<long double>(h) * v4);
            const float kv4 = static_cast<float>(static_cast<long double>(h) * Aceleracion(x4, v4, u));
            const long double sexto = 1.0L / 6.0L;
            const float nx
                = static_cast<float>(px + (static_cast<long double>(kx1) + 2.0L * kx2 + 2.0L * kx3 + kx4) * sexto);
            const float nv
                = static_cast<float>(pv + (static_cast<long double>(kv1) + 2.0L * kv2 + 2.0L * kv3 + kv4) * sexto);
            px = nx;
            pv = nv;
            t = static_cast<float>(static_cast<long double>(t) + h);
        }
        x = px;
        v = pv;
        ++muestra;
    }
};

class NullView final : public ControlView {
public:
    void SetPositionText(const std::string&) override {}
    void SetVelocityText(const std::string&) override {}
    void Dibujar_graficas(int32_t, float, float) override {}
    void SetForceText(const std::string&) override {}
    void SetTimeText(const std::string&) override {}
    void Dibujar_brazo(double) override {}
};

TEST(Exactness, LongRunsWithChangingReferencesAgreeBitForBit)
{
    // Settling, turning whole circles, swinging through the hanging pose, and
    // references that change mid-run.
    const struct {
        const char* text;
        long double grados;
        int pasos;
    } schedule[] = {{"30", 30, 600},   {"90", 90, 400}, {"0", 0, 500},     {"360", 360, 700},
                    {"185", 185, 600}, {"5", 5, 400},   {"275", 275, 800}, {"12.5", 12.5L, 500}};
    ControlLoop loop(NumberFormat{});
    NullView view;
    loop.Inicializar(view);
    Plain plain;
    int paso = 0;
    for (const auto& s : schedule) {
        for (int k = 0; k < s.pasos; ++k, ++paso) {
            loop.Paso(s.text, view);
            plain.Step(s.grados);
            ASSERT_EQ(std::bit_cast<uint32_t>(loop.posicion()), std::bit_cast<uint32_t>(plain.x)) << "step " << paso;
            ASSERT_EQ(std::bit_cast<uint32_t>(loop.velocidad()), std::bit_cast<uint32_t>(plain.v)) << "step " << paso;
        }
    }
    EXPECT_EQ(loop.muestra(), plain.muestra);
}

} // namespace
} // namespace nc
