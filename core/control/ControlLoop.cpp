// SPDX-License-Identifier: MIT
#include "core/control/ControlLoop.h"

#include "core/network/StoredController.h"
#include "core/numbers/FloatFaults.h"
#include "core/arm/Pendulo.h"
#include "core/numbers/Unidades.h"

#include <limits>
#include <stdexcept>

namespace nc {
namespace {

constexpr long double kVertical = 90.0L;

} // namespace

ControlLoop::ControlLoop(NumberFormat format) : format_(std::move(format)) {}

void ControlLoop::Inicializar(ControlView& view)
{
    // The new network replaces the old one, which is freed here.
    red_neuronal_ = Construir_red_almacenada();
    scratch_ = std::make_unique<red>(*red_neuronal_);
    angulo_animacion_ = static_cast<double>(kVertical);
    view.Dibujar_brazo(angulo_animacion_);
    muestra_ = 0;
}

void ControlLoop::Limpiar()
{
    angulo_animacion_ = static_cast<double>(kVertical);
    muestra_ = 0;
}

void ControlLoop::SetState(float posicion, float velocidad, int32_t muestra)
{
    posicion_ = posicion;
    velocidad_ = velocidad;
    muestra_ = muestra;
}

float ControlLoop::PosicionSiguiente() const
{
    const float posicion = muestra_ == 0 ? 0.0f : posicion_;
    return static_cast<float>(posicion * kRadianesAGrados);
}

void ControlLoop::Paso(std::string_view reference_text, ControlView& view)
{
    // The reference is read first, so a bad text changes nothing.
    const long double grados = StrToFloat(reference_text, format_);
    if (!red_neuronal_)
        throw std::logic_error("La red neuronal no está construida: pulse Inicializar");
    if (muestra_ == std::numeric_limits<int32_t>::max())
        throw std::runtime_error(
            "El contador de muestras ha llegado a su límite (2147483647): pulse Limpiar o Inicializar");

    // Everything is computed into locals and checked for floating-point faults
    // before the first state change or hand-over.
    ClearFloatFaults();
    const float referencia = static_cast<float>(grados * kGradosARadianes);
    float posicion = posicion_;
    float velocidad = velocidad_;
    if (muestra_ == 0) {
        posicion = 0.0f;
        velocidad = 0.0f;
    }
    const long double posicion_grados = posicion * kRadianesAGrados;
    const long double velocidad_grados = velocidad * kRadianesAGrados;

    // The forward pass writes the neurons' net inputs and outputs, so it runs on
    // a scratch copy that becomes the current network only if the step succeeds.
    *scratch_ = *red_neuronal_;
    FeedBack(*scratch_, vector_1_Din{posicion, velocidad, referencia});
    const float fuerza = static_cast<float>(scratch_->Capa(1).Neurona(0).Salida());
    const EstadoBrazo nuevo = Pendulo(posicion, velocidad, fuerza);
    const int32_t muestra = muestra_ + 1;
    const long double tiempo = muestra * kPeriodo;
    const double angulo = static_cast<double>(kVertical - nuevo.posicion * kRadianesAGrados);
    const float posicion_grafica = static_cast<float>(posicion_grados);
    const float velocidad_grafica = static_cast<float>(velocidad_grados);
    ThrowOnFloatFaults();

    const std::string texto_posicion = FormatFixed(posicion_grados, format_);
    const std::string texto_velocidad = FormatFixed(velocidad_grados, format_);
    const std::string texto_fuerza = FormatFixed(fuerza, format_);
    const std::string texto_tiempo = FormatGeneral(tiempo, format_);

    std::swap(red_neuronal_, scratch_);
    posicion_ = nuevo.posicion;
    velocidad_ = nuevo.velocidad;
    const int32_t muestra_dibujada = muestra_;
    muestra_ = muestra;
    angulo_animacion_ = angulo;

    view.SetPositionText(texto_posicion);
    view.SetVelocityText(texto_velocidad);
    view.Dibujar_graficas(muestra_dibujada, posicion_grafica, velocidad_grafica);
    view.SetForceText(texto_fuerza);
    view.SetTimeText(texto_tiempo);
    view.Dibujar_brazo(angulo_animacion_);
}

} // namespace nc
