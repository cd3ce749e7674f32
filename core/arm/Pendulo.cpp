// SPDX-License-Identifier: MIT
#include "core/arm/Pendulo.h"

#include "core/arm/Brazo.h"

namespace nc {
namespace {

const Brazo& DeSerie()
{
    static const Brazo brazo;
    return brazo;
}

} // namespace

float AceleracionExtendida(float x, float v, float u)
{
    return DeSerie().AceleracionExtendida(x, v, u);
}

EstadoBrazo Modelo(float posicion, float velocidad, float fuerza)
{
    return {velocidad, DeSerie().Aceleracion(posicion, velocidad, fuerza)};
}

EstadoBrazo Pendulo(float posicion, float velocidad, float fuerza)
{
    return DeSerie().Integrar(posicion, velocidad, fuerza);
}

} // namespace nc
