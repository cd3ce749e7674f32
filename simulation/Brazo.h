// SPDX-License-Identifier: MIT
#pragma once
// The arm with its constants as settings: damping, gravity term and an
// optional force limit. At the stored constants (damping 2, gravity 9.81, no
// limit) it is Pendulo itself, so a run that changes nothing keeps every bit;
// any other setting takes Pendulo's sub-steps and roundings with its own
// constants, each acceleration equal to the one formed in extended precision
// (IntegrarExtendido shows it).

#include "simulation/Pendulo.h"

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

    // Every acceleration formed in extended precision with the extended sine,
    // even at the stored constants: what Integrar must equal to the bit.
    EstadoBrazo IntegrarExtendido(float posicion, float velocidad, float fuerza) const;

private:
    template <class Aceleracion> static EstadoBrazo Subpasos(float posicion, float velocidad, Aceleracion aceleracion);
    float AceleracionExtendida(float x, float v, float u) const;
    float AceleracionRapida(float x, float v, float u) const;

    ParametrosBrazo parametros_;
    bool de_serie_;
    long double gravedad_;
    long double amortiguamiento_;
    double gravedad_doble_;
    double amortiguamiento_doble_;
};

} // namespace nc
