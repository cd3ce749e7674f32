// SPDX-License-Identifier: MIT
#include "simulation/RayosX.h"

namespace nc {
namespace {

// The force that acts and the loop the arm feels, from the controller's
// force and gains as read.
void CerrarLazo(LecturaRayosX& l, const EstadoLeido& estado, const ParametrosBrazo& brazo)
{
    l.fuerza = Brazo(brazo).FuerzaLimitada(l.fuerza_pedida);
    l.saturada = l.fuerza != l.fuerza_pedida;
    const long double g = ExtendidoDe(brazo.gravedad);
    const long double b = ExtendidoDe(brazo.amortiguamiento);
    if (l.saturada)
        l.lazo = Linealizar(estado.posicion, 0.0L, 0.0L, g, b);
    else
        l.lazo = LinealizarConIntegral(estado.posicion, l.ganancias.dposicion, l.ganancias.dvelocidad,
                                       l.du_dintegral.value_or(0.0L), g, b);
}

} // namespace

LecturaRayosX RayosXRed(const red& red_controlador, uint64_t apagadas, const EstadoLeido& estado,
                        const ParametrosBrazo& brazo)
{
    NetworkXray xray;
    const XrayReading& r = xray.Read(red_controlador, estado.posicion, estado.velocidad, estado.referencia);
    LecturaRayosX l;
    l.ocultas = r.ocultas;
    l.apagadas = apagadas;
    // The loop rounds the output to single precision to make its force.
    l.fuerza_pedida = static_cast<float>(r.salida);
    l.ganancias = r.ganancias;
    CerrarLazo(l, estado, brazo);
    return l;
}

LecturaRayosX LeerRayosX(const Controlador& controlador, const AjustesControlador& ajustes, const EstadoLeido& estado,
                         float fuerza, const ParametrosBrazo& brazo)
{
    if (const red* r = controlador.Red())
        return RayosXRed(*r, ajustes.lesiones.apagadas, estado, brazo);
    LecturaRayosX l;
    l.fuerza_pedida = fuerza;
    if (ajustes.tipo == TipoControlador::Pid) {
        l.ganancias = Gains{-static_cast<long double>(ajustes.pid.kp), -static_cast<long double>(ajustes.pid.kd),
                            static_cast<long double>(ajustes.pid.kp)};
        l.du_dintegral = static_cast<long double>(ajustes.pid.ki);
    }
    CerrarLazo(l, estado, brazo);
    return l;
}

} // namespace nc
