// SPDX-License-Identifier: MIT
#include "core/run/Preajustes.h"

namespace nc {

std::vector<Preajuste> Preajustes()
{
    std::vector<Preajuste> lista;
    lista.reserve(6);
    auto nuevo = [&](std::string nombre, int32_t muestras) -> ExperimentoGuardado& {
        Preajuste& p = lista.emplace_back();
        p.nombre = std::move(nombre);
        p.experimento.muestras = muestras;
        return p.experimento;
    };

    // The network holding 30 degrees, pushed once each way once settled.
    {
        ExperimentoGuardado& e = nuevo("Empujón", 300);
        e.eventos = {{100, TipoEvento::Empujon, 90}, {200, TipoEvento::Empujon, -90}};
    }
    // The network was trained for 9.81: under the Moon's gravity it settles far
    // from the reference, where the PID twin reaches it.
    {
        ExperimentoGuardado& e = nuevo("Brazo en la Luna", 300);
        e.ajustes.brazo.gravedad = 1.62;
        e.ajustes.comparar = AjustesControlador{TipoControlador::Pid, {}};
    }
    {
        ExperimentoGuardado& e = nuevo("Seguir un seno", 600);
        e.ajustes.referencia.tipo = TipoReferencia::Seno;
        e.ajustes.referencia.amplitud = 30;
        e.ajustes.referencia.desplazamiento = 30;
        e.ajustes.referencia.periodo = 10;
    }
    // Upright is an equilibrium, so the uncontrolled arm needs a nudge to fall
    // toward 180 degrees.
    {
        ExperimentoGuardado& e = nuevo("Lazo abierto", 200);
        e.ajustes.controlador.tipo = TipoControlador::Ninguno;
        // Built rather than assigned from a literal, which GCC 12 flags falsely (-Wrestrict).
        e.ajustes.referencia.texto = std::string(1, '0');
        e.eventos = {{1, TipoEvento::Empujon, 10}};
    }
    {
        ExperimentoGuardado& e = nuevo("Red contra PID", 600);
        e.ajustes.comparar = AjustesControlador{TipoControlador::Pid, {}};
        e.ajustes.referencia.tipo = TipoReferencia::Escalones;
        e.ajustes.referencia.escalones = {{30, 10}, {90, 10}, {-45, 10}};
    }
    {
        ExperimentoGuardado& e = nuevo("Carga y ruido", 400);
        e.ajustes.comparar = AjustesControlador{TipoControlador::Pid, {}};
        e.ajustes.carga = 3;
        e.ajustes.ruido = {0.5, 5, 7};
    }
    return lista;
}

} // namespace nc
