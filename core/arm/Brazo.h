// SPDX-License-Identifier: MIT
#pragma once
// The arm with its constants as settings: damping, gravity term and an
// optional force limit. One sample is IntegracionBrazo's Runge-Kutta in
// single precision, 100 sub-steps of 0.0005 s, every named quantity rounded
// once, each acceleration equal to the one formed in extended precision
// (IntegrarExtendido shows it). At the stored constants (damping 2, gravity
// 9.81, no limit) it is the main loop's Pendulo.

#include "core/arm/IntegracionBrazo.h"

#include <optional>

namespace nc {

struct ParametrosBrazo {
    double amortiguamiento = 2.0;
    double gravedad = 9.81;              // the arm's "9.81 sin(posicion)" term
    std::optional<double> fuerza_maxima; // the force is clamped to +-this when set
    bool operator==(const ParametrosBrazo&) const = default;
};

// The gravity presets the laboratory offers, in m/s^2.
struct PresetGravedad {
    const char* nombre;
    double gravedad;
};
inline constexpr PresetGravedad kPresetsGravedad[]
    = {{"Tierra", 9.81}, {"Luna", 1.62}, {"Marte", 3.71}, {"Júpiter", 24.79}};

// The extended value of the decimal a double was written from: 9.81 becomes
// 9.81L, not the double 9.81 widened, which is what keeps the Earth's gravity
// on the stored constant's bits.
long double ExtendidoDe(double valor);

class Brazo {
public:
    explicit Brazo(const ParametrosBrazo& parametros = {});

    const ParametrosBrazo& Parametros() const { return parametros_; }
    bool EsElDeSerie() const { return de_serie_; }

    // The controller's force as the arm's actuator gives it: clamped to the
    // limit when one is set, untouched otherwise.
    float FuerzaLimitada(float fuerza) const;
    // The force the arm feels: the limited force plus the load torque when it
    // is not zero (adding +0 would turn a -0 force into +0 and change the bits
    // of the stored path).
    float FuerzaAplicada(float fuerza, double carga) const;

    // The state after one 0.05 s sample with the force held.
    EstadoBrazo Integrar(float posicion, float velocidad, float fuerza) const;

    // Every acceleration formed in extended precision with the extended sine:
    // what Integrar must equal to the bit.
    EstadoBrazo IntegrarExtendido(float posicion, float velocidad, float fuerza) const;

    // d velocidad / dt rounded once to single, by a fast path that gives the
    // extended value's bits, and that value itself.
    float Aceleracion(float x, float v, float u) const;
    float AceleracionExtendida(float x, float v, float u) const;

    // The sample's length and its sub-steps.
    static constexpr float kPaso = 0.0005f;
    static constexpr int kSubpasos = 100;

private:
    float AceleracionEnLinea(float x, float v, float u) const;
    ParametrosBrazo parametros_;
    bool de_serie_;
    long double gravedad_;
    long double amortiguamiento_;
    double gravedad_doble_;
    double amortiguamiento_doble_;
};

} // namespace nc
