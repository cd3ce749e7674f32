// SPDX-License-Identifier: MIT
#include "simulation/RayosX.h"

namespace nc {

LecturaRayosX RayosXRed(const red& red_controlador, uint64_t apagadas, const EstadoLeido& estado,
                        const ParametrosBrazo& brazo)
{
    NetworkXray xray;
    const XrayReading& r = xray.Read(red_controlador, estado.posicion, estado.velocidad, estado.referencia);
    LecturaRayosX l;
    l.ocultas = r.ocultas;
    l.apagadas = apagadas;
    // The loop rounds the output to single precision to make its force.
    l.fuerza = static_cast<float>(r.salida);
    l.ganancias = r.ganancias;
    l.lazo = Linealizar(estado.posicion, l.ganancias, ExtendidoDe(brazo.gravedad), ExtendidoDe(brazo.amortiguamiento));
    return l;
}

LecturaRayosX LeerRayosX(const Controlador& controlador, const AjustesControlador& ajustes, const EstadoLeido& estado,
                         float fuerza, const ParametrosBrazo& brazo)
{
    if (const red* r = controlador.Red())
        return RayosXRed(*r, ajustes.lesiones.apagadas, estado, brazo);
    LecturaRayosX l;
    l.fuerza = fuerza;
    if (ajustes.tipo == TipoControlador::Pid)
        l.ganancias = Gains{-static_cast<long double>(ajustes.pid.kp), -static_cast<long double>(ajustes.pid.kd),
                            static_cast<long double>(ajustes.pid.kp)};
    l.lazo = Linealizar(estado.posicion, l.ganancias, ExtendidoDe(brazo.gravedad), ExtendidoDe(brazo.amortiguamiento));
    return l;
}

} // namespace nc
