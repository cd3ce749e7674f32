// SPDX-License-Identifier: MIT
#pragma once
// The closed loop without a window: one control step per tick. The loop owns
// the arm state, the sample counter, the animation angle and the current
// network; everything a tick shows leaves it through ControlView.

#include "core/network/red.h"
#include "core/numbers/NumberText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace nc {

// The hand-over points of a tick, in the order a successful tick calls them.
// A failing tick calls none of them.
class ControlView {
public:
    virtual ~ControlView() = default;
    virtual void SetPositionText(const std::string& text) = 0; // Edit3, degrees
    virtual void SetVelocityText(const std::string& text) = 0; // Edit4, degrees per second
    virtual void Dibujar_graficas(int32_t muestra, float posicion_grados, float velocidad_grados) = 0;
    virtual void SetForceText(const std::string& text) = 0; // Edit6
    virtual void SetTimeText(const std::string& text) = 0;  // Edit2, seconds
    virtual void Dibujar_brazo(double angulo_animacion) = 0;
};

class ControlLoop {
public:
    explicit ControlLoop(NumberFormat format);

    // "Inicializar": builds the stored controller and makes it current, sets the
    // animation angle to 90 and draws the arm at rest, resets the counter.
    void Inicializar(ControlView& view);

    // "Limpiar" (the loop's share): angle 90 and counter 0. The window clears its
    // series and redraws the arm itself.
    void Limpiar();

    // One control step with the reference box's text. All or nothing: a bad text,
    // a floating-point fault or a counter at its limit throws before any state
    // changes and before any ControlView call.
    void Paso(std::string_view reference_text, ControlView& view);

    bool HasNetwork() const { return red_neuronal_ != nullptr; }
    const red* Red() const { return red_neuronal_.get(); }
    float posicion() const { return posicion_; }
    float velocidad() const { return velocidad_; }
    int32_t muestra() const { return muestra_; }
    double angulo_animacion() const { return angulo_animacion_; }
    // The position, in degrees, that the next step hands to the chart: the
    // arm's, or 0 while the counter is 0, since that step starts from rest.
    float PosicionSiguiente() const;
    const NumberFormat& Format() const { return format_; }

    // For tests and tools that start a run from a given point.
    void SetState(float posicion, float velocidad, int32_t muestra);

private:
    NumberFormat format_;
    std::unique_ptr<red> red_neuronal_;
    std::unique_ptr<red> scratch_; // where a step evaluates the network before it commits
    float posicion_ = 0.0f;
    float velocidad_ = 0.0f;
    int32_t muestra_ = 0; // the Tag of Timer1
    double angulo_animacion_ = 90.0;
};

} // namespace nc
