// SPDX-License-Identifier: MIT
// The X-ray of the network, the loop linearised from it, and the lesions.
#include "core/network/Lesion.h"
#include "core/analysis/LinearLoop.h"
#include "core/network/NetworkXray.h"
#include "core/network/StoredController.h"
#include "core/arm/Pendulo.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace nc {
namespace {

// Which piece of its activation a unit is on: a finite difference is only a
// fair witness when no unit changes piece between its two evaluations.
int Piece(const neurona& n)
{
    const double x = n.Neta();
    switch (n.Tipo()) {
    case 0: return x < -1e6 ? -1 : (x > 1e6 ? 1 : 0);
    case 1:
    case 2: return x < -15 ? -1 : (x > 15 ? 1 : 0);
    default: return x < 0 ? -1 : (x > 0 ? 1 : 0);
    }
}

std::vector<int> Pieces(const red& r)
{
    std::vector<int> p;
    for (int32_t i = 0; i < r.Num_capas() - 1; ++i)
        for (int32_t j = 0; j < r.Capa(i).Num_neuronas(); ++j)
            p.push_back(Piece(r.Capa(i).Neurona(j)));
    return p;
}

// A network with every activation kind: 3 inputs, six units of kinds 0..5
// (the linear one with weights large enough to reach its clip over much of
// the sweep), two sigmoid units, a linear output.
std::unique_ptr<red> EveryKind()
{
    auto r = std::make_unique<red>();
    r->Iniciar(4, 1, {3, 6, 2, 1, 0, 0});
    std::mt19937_64 g(7);
    auto w = [&g] { return static_cast<double>(static_cast<float>((g() >> 11) * 0x1p-53 * 2.0 - 1.0)); };
    const std::array<int32_t, 3> tipos{0, 2, 0};
    for (int32_t i = 0; i < 3; ++i) {
        capa& c = r->Capa(i);
        c.Iniciar(r->Tamano(i + 1));
        for (int32_t j = 0; j < c.Num_neuronas(); ++j) {
            neurona& n = c.Neurona(j);
            n.Iniciar(i == 0 ? j : (i == 1 ? 2 - j : tipos[2]), r->Tamano(i) + 1);
            for (int32_t k = 0; k < n.Num_pesos(); ++k)
                n.Fijar_peso(k, w() * (i == 0 && j == 0 ? 3e6 : (i == 1 && k == 0 ? 1e-6 : 3.0)));
        }
    }
    return r;
}

// ∂u/∂θ, ∂u/∂ω and ∂u/∂r through the chain rule against central differences
// of the forward pass itself. The pass rounds every sum to single precision,
// so the output carries noise of about 1e-5; with steps of 1e-3 that is 1e-2
// in a difference, and the cubic term of the difference is of the same
// order. The tolerance sits a little above both; a wrong slope or a missed
// layer is off by whole units.
TEST(Xray, GainsMatchCentralDifferencesAcrossTheStateSpace)
{
    struct Case {
        std::unique_ptr<red> net;
        int states;
    };
    std::vector<Case> cases;
    cases.push_back({Construir_red_almacenada(), 400});
    cases.push_back({EveryKind(), 400});
    std::mt19937_64 g(2024);
    auto uniform = [&g](double a, double b) { return a + (b - a) * ((g() >> 11) * 0x1p-53); };
    const double h = 1e-3;
    for (auto& c : cases) {
        NetworkXray xray;
        int compared = 0;
        for (int s = 0; s < c.states; ++s) {
            const std::array<double, 3> x{uniform(-3.2, 3.2), uniform(-6, 6), uniform(-3.2, 3.2)};
            const XrayReading& reading = xray.Read(*c.net, x[0], x[1], x[2]);
            const std::array<long double, 3> exact{reading.ganancias.dposicion, reading.ganancias.dvelocidad,
                                                   reading.ganancias.dreferencia};
            auto base = std::make_unique<red>(*c.net);
            FeedBack(*base, {x[0], x[1], x[2]});
            EXPECT_EQ(reading.salida, base->Capa(base->Num_capas() - 2).Neurona(0).Salida());
            for (int d = 0; d < 3; ++d) {
                std::array<double, 3> lo = x, hi = x;
                lo[d] -= h;
                hi[d] += h;
                red a = *c.net, b = *c.net;
                FeedBack(a, {lo[0], lo[1], lo[2]});
                FeedBack(b, {hi[0], hi[1], hi[2]});
                if (Pieces(a) != Pieces(*base) || Pieces(b) != Pieces(*base))
                    continue; // a kink between the two points
                const int32_t last = a.Num_capas() - 2;
                const double fd = (b.Capa(last).Neurona(0).Salida() - a.Capa(last).Neurona(0).Salida()) / (2 * h);
                const double err = std::fabs(fd - static_cast<double>(exact[static_cast<std::size_t>(d)]));
                EXPECT_LT(err, 1e-2 * (1.0 + std::fabs(fd))) << "state " << s << " input " << d;
                ++compared;
            }
        }
        EXPECT_GT(compared, c.states * 3 * 9 / 10); // the guard leaves most of the sweep in
    }
}

TEST(Xray, EigenvaluesMatchClosedForms)
{
    struct Row {
        const char* what;
        long double a11, a12, a21, a22;
        long double re1, im1, re2, im2;
    };
    const long double r33 = std::sqrt(33.0L);
    const Row rows[] = {
        {"real distinct", 0, 1, -2, -3, -1, 0, -2, 0},
        {"repeated", 0, 1, -4, -4, -2, 0, -2, 0},
        {"complex pair", 0, 1, -5, -2, -1, 2, -1, -2},
        {"saddle", 0, 1, 3, -2, 1, 0, -3, 0},
        {"growing spiral", 0, 1, -5, 2, 1, 2, 1, -2},
        {"full matrix", 1, 2, 3, 4, (5 + r33) / 2, 0, (5 - r33) / 2, 0},
        {"tiny root", 0, 1, -1e-12L, -1e6L, -1e-18L, 0, -1e6L, 0},
    };
    for (const Row& r : rows) {
        const Eigen2 e = Autovalores2x2(r.a11, r.a12, r.a21, r.a22);
        const long double tol = 1e-17L * (1 + std::fabs(r.re2));
        EXPECT_NEAR(e.re1, r.re1, std::fabs(r.re1) * 1e-15L + 1e-30L) << r.what;
        EXPECT_NEAR(e.im1, r.im1, tol) << r.what;
        EXPECT_NEAR(e.re2, r.re2, std::fabs(r.re2) * 1e-15L + 1e-30L) << r.what;
        EXPECT_NEAR(e.im2, r.im2, tol) << r.what;
    }

    // A PD-like PID upright: a21 = 9.81 − Kp = −5, a22 = −2 − Kd = −2 gives
    // −1 ± 2i, ωn = √5, ζ = 1/√5. Too little Kp leaves the arm falling.
    const LazoLinealizado pid = LinealizarPID(0.0, 14.81L, 0.0L);
    EXPECT_NEAR(pid.autovalores.re1, -1, 1e-15);
    EXPECT_NEAR(pid.autovalores.im1, 2, 1e-15);
    EXPECT_TRUE(pid.oscilador);
    EXPECT_NEAR(pid.frecuencia_natural, std::sqrt(5.0L), 1e-15);
    EXPECT_NEAR(pid.amortiguamiento, 1 / std::sqrt(5.0L), 1e-15);
    EXPECT_TRUE(pid.estable);
    const LazoLinealizado weak = LinealizarPID(0.0, 5.0L, 1.0L);
    EXPECT_FALSE(weak.oscilador);
    EXPECT_FALSE(weak.estable);
    // Hanging down, gravity itself restores: cos π = −1.
    EXPECT_TRUE(LinealizarPID(3.14159265358979, 0.0L, 0.0L).estable);

    // The stored controller holds the arm near 30 degrees: stable there.
    NetworkXray xray;
    const double r30 = static_cast<float>(30 * 0.017453292519943295769L);
    const XrayReading& at = xray.Read(*Construir_red_almacenada(), 0.529, 0.0, r30);
    EXPECT_TRUE(Linealizar(0.529, at.ganancias).estable);
}

// The forces of a run of the loop's arithmetic (FeedBack, single-precision
// force, Pendulo) from rest towards 30 degrees.
std::vector<float> Forces(red& net, int ticks)
{
    const double r30 = static_cast<float>(30 * 0.017453292519943295769L);
    std::vector<float> forces;
    float x = 0.0f, v = 0.0f;
    for (int t = 0; t < ticks; ++t) {
        FeedBack(net, {x, v, r30});
        const float u = static_cast<float>(net.Capa(1).Neurona(0).Salida());
        forces.push_back(u);
        const EstadoBrazo next = Pendulo(x, v, u);
        x = next.posicion;
        v = next.velocidad;
    }
    return forces;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(Lesion, NoLesionIsTheStoredNetworkAndASeedIsRepeatable)
{
    EXPECT_EQ(Lesions{}, Lesions{});
    auto stored = Construir_red_almacenada();
    auto plain = Construir_red_lesionada(Lesions{});
    EXPECT_TRUE(SameBits(Forces(*stored, 300), Forces(*plain, 300)));

    Lesions noisy;
    noisy.ruido = 0.2;
    noisy.semilla = 11;
    noisy.bits = 6;
    auto a = Construir_red_lesionada(noisy);
    auto b = Construir_red_lesionada(noisy);
    const std::vector<float> ra = Forces(*a, 300);
    EXPECT_TRUE(SameBits(ra, Forces(*b, 300)));
    EXPECT_FALSE(SameBits(ra, Forces(*Construir_red_lesionada(Lesions{}), 300)));
    // Six bits: 31 steps each side of the layer's largest magnitude.
    const double m = 20.0;
    EXPECT_EQ(Cuantizar(m, m, 6), m);
    EXPECT_EQ(Cuantizar(-m / 31 * 2.4, m, 6), -m / 31 * 2);
    EXPECT_EQ(Cuantizar(-3.0, m, 1), -m);
}

TEST(Lesion, ASwitchedOffUnitReadsZeroAndChangesTheLoop)
{
    Lesions off;
    off.apagadas = 1u << 1; // the unit with the largest output weight but one
    auto stored = Construir_red_almacenada();
    auto lesioned = Construir_red_lesionada(off);
    const double r30 = static_cast<float>(30 * 0.017453292519943295769L);

    NetworkXray xray;
    const XrayReading before = xray.Read(*stored, 0.2, 0.5, r30);
    const XrayReading after = xray.Read(*lesioned, 0.2, 0.5, r30);
    ASSERT_EQ(after.ocultas.size(), 8u);
    EXPECT_NE(before.ocultas[1], 0.0);
    EXPECT_EQ(after.ocultas[1], 0.0);
    for (std::size_t j : {0u, 2u, 3u, 4u, 5u, 6u, 7u})
        EXPECT_EQ(after.ocultas[j], before.ocultas[j]);
    EXPECT_NE(after.salida, before.salida);
    EXPECT_NE(after.ganancias.dposicion, before.ganancias.dposicion);

    // The X-ray read copies: the networks it was shown are as they were.
    const std::vector<float> forces = Forces(*lesioned, 200);
    EXPECT_TRUE(SameBits(forces, Forces(*Construir_red_lesionada(off), 200)));
    EXPECT_FALSE(SameBits(forces, Forces(*stored, 200)));
    EXPECT_NE(forces[0], Forces(*Construir_red_almacenada(), 1)[0]);

    Lesions bad;
    bad.apagadas = 1u << 8;
    EXPECT_THROW(Construir_red_lesionada(bad), std::invalid_argument);
}

} // namespace
} // namespace nc

namespace nc {
namespace {

// The PID's loop with its integral as a third state: at rest at 30 degrees
// with Kp 100, Ki 120, Kd 24 the characteristic polynomial is
// s³ + 26 s² + (100 − 9.81 cos 30°) s + 120, whose roots are about
// −1.95 ± 1.28i and −22.1. Each root found is one of that polynomial to
// within the rounding of its largest term.
TEST(Xray, PidWithItsIntegralHasThreeEigenvalues)
{
    const double treinta = 30 * 0.017453292519943295769;
    const LazoLinealizado l = LinealizarPID(treinta, 100, 24, 9.81L, 2, 120);
    ASSERT_TRUE(l.tres_estados);
    EXPECT_NEAR(l.autovalores.re1, -1.95, 0.005);
    EXPECT_NEAR(l.autovalores.im1, 1.28, 0.005);
    EXPECT_EQ(l.autovalores.re2, l.autovalores.re1);
    EXPECT_EQ(l.autovalores.im2, -l.autovalores.im1);
    EXPECT_NEAR(l.re3, -22.1, 0.05);
    EXPECT_EQ(l.im3, 0.0L);
    EXPECT_TRUE(l.estable);
    EXPECT_TRUE(l.oscilador);
    EXPECT_NEAR(l.amortiguamiento, 1.95 / std::hypot(1.95, 1.28), 0.005);
    const long double c1 = 100 - 9.81L * std::cos(static_cast<long double>(treinta));
    for (const std::complex<long double> s :
         {std::complex<long double>(l.autovalores.re1, l.autovalores.im1), std::complex<long double>(l.re3, l.im3)})
        EXPECT_LT(std::abs(s * s * s + 26.0L * s * s + c1 * s + 120.0L), 1e-16L * std::abs(s * s * s)) << s.real();

    // Without an integral gain the integral never reaches the arm: two states,
    // the PD loop to the bit.
    const LazoLinealizado pd = LinealizarPID(treinta, 100, 24, 9.81L, 2, 0);
    const LazoLinealizado dos = Linealizar(treinta, -100, -24, 9.81L, 2);
    EXPECT_FALSE(pd.tres_estados);
    EXPECT_EQ(pd.autovalores.re1, dos.autovalores.re1);
    EXPECT_EQ(pd.amortiguamiento, dos.amortiguamiento);
    // Too much integral for the proportional term: a growing pair.
    EXPECT_FALSE(LinealizarPID(0.0, 20, 2, 9.81L, 2, 500).estable);
}

} // namespace
} // namespace nc
