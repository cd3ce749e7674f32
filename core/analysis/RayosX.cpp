// SPDX-License-Identifier: MIT
#include "core/analysis/RayosX.h"

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

LecturaRayosX RayosXEntrenada(const red& red_controlador, const RedEntrenada& forma, uint64_t apagadas,
                              const EstadoLeido& estado, double integral, const ParametrosBrazo& brazo)
{
    vector_1_Din entrada;
    EntradaEscalada(forma, estado.posicion, estado.velocidad, estado.referencia, integral, entrada);
    NetworkXray xray;
    const XrayReading& r = xray.Read(red_controlador, entrada);
    LecturaRayosX l;
    l.ocultas = r.ocultas;
    l.apagadas = apagadas;
    l.fuerza_pedida = static_cast<float>(r.salida);
    // The network reads each input times its scale: the gains per unit of
    // the arm's own quantities carry the scale.
    const auto& d = r.derivadas;
    l.ganancias = Ganancias{d[0] * forma.escala[0], d[1] * forma.escala[1], d[2] * forma.escala[2]};
    if (forma.integral)
        l.du_dintegral = d[3] * forma.escala[3];
    CerrarLazo(l, estado, brazo);
    return l;
}

LecturaRayosX LeerRayosX(const Controlador& controlador, const AjustesControlador& ajustes, const EstadoLeido& estado,
                         float fuerza, const ParametrosBrazo& brazo)
{
    if (ajustes.tipo == TipoControlador::Entrenada && ajustes.entrenada && controlador.Red()) {
        // The integral the last tick read is the controller's memory.
        const std::span<const double> memoria = controlador.Memoria();
        return RayosXEntrenada(*controlador.Red(), *ajustes.entrenada, ajustes.lesiones.apagadas, estado,
                               memoria.empty() ? 0.0 : memoria[0], brazo);
    }
    if (const red* r = controlador.Red())
        return RayosXRed(*r, ajustes.lesiones.apagadas, estado, brazo);
    LecturaRayosX l;
    l.fuerza_pedida = fuerza;
    if (ajustes.tipo == TipoControlador::Pid) {
        l.ganancias = Ganancias{-static_cast<long double>(ajustes.pid.kp), -static_cast<long double>(ajustes.pid.kd),
                                static_cast<long double>(ajustes.pid.kp)};
        l.du_dintegral = static_cast<long double>(ajustes.pid.ki);
    }
    CerrarLazo(l, estado, brazo);
    return l;
}

} // namespace nc
