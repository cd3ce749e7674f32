// SPDX-License-Identifier: MIT
#include "core/run/Tramo.h"

#include "core/numbers/Unidades.h"

#include <algorithm>
#include <cmath>

namespace nc {

Actuaciones& Actuaciones::operator|=(const Actuaciones& o)
{
    empujon |= o.empujon;
    mano |= o.mano;
    cambio |= o.cambio;
    lesion |= o.lesion;
    return *this;
}

const char* NombreActuacion(const Actuaciones& a)
{
    if (a.empujon)
        return "empujón";
    if (a.mano)
        return "mano";
    if (a.cambio)
        return "cambio de ajustes";
    if (a.lesion)
        return "lesión";
    return "";
}

void Tramo::Empezar(const ProgramaReferencia& programa, int32_t muestra, long double referencia, bool con_escalon)
{
    Limpiar();
    referencia_ = referencia;
    escalonado_ = TieneEscalones(programa.tipo);
    if (escalonado_) {
        clase_ = con_escalon ? ClaseTramo::Escalon : ClaseTramo::SinEscalon;
    } else if (programa.tipo == TipoReferencia::Seno) {
        clase_ = ClaseTramo::Seguimiento;
        amplitud_ = programa.amplitud;
        periodo_ = programa.periodo;
        // Whole samples per period: the fit needs at least three.
        muestras_periodo_
            = std::max<size_t>(3, static_cast<size_t>(std::llround(periodo_ / static_cast<double>(kPeriodo))));
        inicio_ventana_ = muestra;
    }
}

void Tramo::Interrumpir(const Actuaciones& que, int32_t muestra, float antes)
{
    if (clase_ == ClaseTramo::Escalon && !fin_) {
        escalon_final_ = FigurasCompletas(antes);
        fin_ = FinTramo{que, muestra};
    } else if (clase_ == ClaseTramo::Seguimiento) {
        // The last period before the disturbance, if one had passed; a
        // disturbance that goes on (the hand) keeps the figures the first
        // one ended.
        if (const std::optional<TrackingFigures> f = SeguimientoActual()) {
            seguimiento_final_ = f;
            fin_ = FinTramo{que, muestra};
        }
        ventana_.clear();
        inicio_ventana_ = muestra + 1;
    }
}

void Tramo::Agregar(float posicion)
{
    if (escalonado_) {
        posiciones_.push_back(posicion);
    } else if (clase_ == ClaseTramo::Seguimiento) {
        ventana_.push_back(posicion);
        if (ventana_.size() > muestras_periodo_) {
            ventana_.pop_front();
            ++inicio_ventana_;
        }
    }
}

std::optional<StepFigures> Tramo::FigurasCompletas(float ultima) const
{
    if (posiciones_.empty())
        return std::nullopt;
    std::vector<float> p = posiciones_;
    p.push_back(ultima);
    return MeasureStep(p, static_cast<double>(kPeriodo));
}

std::optional<TrackingFigures> Tramo::SeguimientoActual() const
{
    if (ventana_.size() < muestras_periodo_)
        return std::nullopt;
    const std::vector<float> p(ventana_.begin(), ventana_.end());
    return MeasureTracking(p, inicio_ventana_, static_cast<double>(kPeriodo), amplitud_, periodo_);
}

CifrasTramo Tramo::Cifras(float ultima) const
{
    CifrasTramo c;
    c.clase = clase_;
    switch (clase_) {
    case ClaseTramo::Ninguna:
    case ClaseTramo::SinEscalon: break;
    case ClaseTramo::Escalon:
        c.referencia = referencia_;
        c.escalon = fin_ ? escalon_final_ : FigurasCompletas(ultima);
        c.fin = fin_;
        break;
    case ClaseTramo::Seguimiento:
        if ((c.seguimiento = SeguimientoActual())) {
            break;
        }
        c.seguimiento = seguimiento_final_;
        c.fin = fin_;
        break;
    }
    return c;
}

} // namespace nc
