// SPDX-License-Identifier: MIT
#include "core/control/Controlador.h"

#include "core/network/Lesion.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace nc {
namespace {

constexpr double kPeriodo = 0.05;

// The main window's controller: the forward pass writes the neurons' net
// inputs and outputs, so it runs on a scratch copy swapped in on Confirmar.
// Without lesions the network is the stored one, bit for bit.
class ControladorRed final : public Controlador {
public:
    explicit ControladorRed(const Lesions& lesiones)
        : red_(Construir_red_lesionada(lesiones)), scratch_(std::make_unique<red>(*red_))
    {}

    float Calcular(float posicion, float velocidad, float referencia, bool) override
    {
        *scratch_ = *red_;
        FeedBack(*scratch_, vector_1_Din{posicion, velocidad, referencia});
        return static_cast<float>(scratch_->Capa(1).Neurona(0).Salida());
    }
    void Confirmar() override { std::swap(red_, scratch_); }
    const red* Red() const override { return red_.get(); }

private:
    std::unique_ptr<red> red_;
    std::unique_ptr<red> scratch_;
};

// u = kp e + ki I - kd v: the derivative acts on the measured velocity, so a
// new reference gives no kick. Anti-windup, three ways: the integral runs
// only while the arm moves slower than kVelocidadIntegral (during a large
// step gravity helps the arm along, and an integral formed then points the
// wrong way at arrival; a band on the error instead would never open where
// the proportional term alone leaves the arm farther off); its term never
// exceeds the force limit (or 50 without one, LimiteIntegralPid); and it stops
// growing while the output is clamped in the error's direction.
class ControladorPid final : public Controlador {
public:
    static constexpr double kVelocidadIntegral = 0.2; // radians per second, about 11 degrees per second

    ControladorPid(const GananciasPid& g, std::optional<double> limite) : g_(g), limite_(limite) {}

    float Calcular(float posicion, float velocidad, float referencia, bool inicio) override
    {
        const double error = static_cast<double>(referencia) - static_cast<double>(posicion);
        const double anterior = inicio ? 0.0 : integral_;
        double integral = anterior;
        if (std::abs(static_cast<double>(velocidad)) < kVelocidadIntegral)
            integral = anterior + error * kPeriodo;
        if (g_.ki > 0.0) {
            const double tope = LimiteIntegralPid(g_, limite_);
            integral = std::clamp(integral, -tope, tope);
        }
        double u = g_.kp * error + g_.ki * integral - g_.kd * static_cast<double>(velocidad);
        if (limite_ && std::abs(u) > *limite_ && (u > 0) == (error > 0)) {
            integral = anterior;
            u = g_.kp * error + g_.ki * integral - g_.kd * static_cast<double>(velocidad);
        }
        pendiente_ = integral;
        return static_cast<float>(u);
    }
    void Confirmar() override { integral_ = pendiente_; }
    std::span<const double> Memoria() const override { return {&integral_, 1}; }

private:
    GananciasPid g_;
    std::optional<double> limite_;
    double integral_ = 0.0;
    double pendiente_ = 0.0;
};

// A trained network, run as the stored one is, on its scaled inputs. With the
// fourth input it carries the error's integral from tick to tick: zero on a
// run's first sample, then the last one plus this reading's error times the
// sample period, held within the network's limit (as training forms it).
class ControladorEntrenado final : public Controlador {
public:
    ControladorEntrenado(std::shared_ptr<const RedEntrenada> forma, const Lesions& lesiones)
        : forma_(std::move(forma)), red_(Construir_red_lesionada(lesiones, *ComoRed(*forma_))),
          scratch_(std::make_unique<red>(*red_))
    {}

    float Calcular(float posicion, float velocidad, float referencia, bool inicio) override
    {
        double integral = 0.0;
        if (forma_->integral && !inicio) {
            const double limite = forma_->limite_integral;
            integral
                = std::clamp(integral_ + (static_cast<double>(referencia) - static_cast<double>(posicion)) * kPeriodo,
                             -limite, limite);
        }
        pendiente_ = integral;
        EntradaEscalada(*forma_, posicion, velocidad, referencia, integral, entrada_);
        *scratch_ = *red_;
        FeedBack(*scratch_, entrada_);
        return static_cast<float>(scratch_->Capa(1).Neurona(0).Salida());
    }
    void Confirmar() override
    {
        std::swap(red_, scratch_);
        integral_ = pendiente_;
    }
    const red* Red() const override { return red_.get(); }
    std::span<const double> Memoria() const override
    {
        if (!forma_->integral)
            return {};
        return {&integral_, 1};
    }

private:
    std::shared_ptr<const RedEntrenada> forma_;
    std::unique_ptr<red> red_;
    std::unique_ptr<red> scratch_;
    vector_1_Din entrada_;
    double integral_ = 0.0;
    double pendiente_ = 0.0;
};

class SinControl final : public Controlador {
public:
    float Calcular(float, float, float, bool) override { return 0.0f; }
    void Confirmar() override {}
};

} // namespace

const char* NombreControlador(TipoControlador tipo)
{
    switch (tipo) {
    case TipoControlador::Red: return "Red neuronal";
    case TipoControlador::Pid: return "PID";
    case TipoControlador::Ninguno: return "Sin control";
    case TipoControlador::Entrenada: return "Red entrenada";
    }
    return "";
}

std::unique_ptr<Controlador> CrearControlador(const AjustesControlador& ajustes, std::optional<double> limite)
{
    switch (ajustes.tipo) {
    case TipoControlador::Red: return std::make_unique<ControladorRed>(ajustes.lesiones);
    case TipoControlador::Pid: return std::make_unique<ControladorPid>(ajustes.pid, limite);
    case TipoControlador::Ninguno: return std::make_unique<SinControl>();
    case TipoControlador::Entrenada:
        if (!ajustes.entrenada)
            throw std::invalid_argument("No hay ninguna red entrenada: entrene una en la pestaña Entrenar");
        return std::make_unique<ControladorEntrenado>(ajustes.entrenada.red, ajustes.lesiones);
    }
    return nullptr;
}

} // namespace nc
