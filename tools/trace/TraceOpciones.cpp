// SPDX-License-Identifier: MIT
#include "tools/trace/TraceOpciones.h"

#include "io/FicheroExperimento.h"

#include <charconv>
#include <exception>

namespace nc::opciones_trace {

void ValorMalo(const std::string& opcion, const std::string& valor, const std::string& que)
{
    throw OpcionMalFormada{opcion + ": «" + valor + "» " + que};
}

std::optional<AjustesControlador> LeerControlador(const std::string& opcion, const std::string& nombre,
                                                  bool admite_ninguno, const RedCompartida& red)
{
    if (red && nombre == "entrenada") {
        AjustesControlador c(TipoControlador::Entrenada);
        c.entrenada = red;
        return c;
    }
    if (nombre == "red")
        return AjustesControlador{TipoControlador::Red, {}};
    if (nombre == "pid")
        return AjustesControlador{TipoControlador::Pid, {}};
    if (nombre == "ninguno")
        return AjustesControlador{TipoControlador::Ninguno, {}};
    if (admite_ninguno && nombre == "no")
        return std::nullopt;
    const std::string nombres = red ? "red, pid, ninguno" : "red, pid";
    const std::string ultimo = red ? "entrenada" : "ninguno";
    ValorMalo(opcion, nombre,
              admite_ninguno ? "no es " + nombres + ", " + ultimo + " ni no" : "no es " + nombres + " ni " + ultimo);
}

int32_t Entero(const std::string& opcion, const std::string& texto)
{
    int32_t valor = 0;
    const auto r = std::from_chars(texto.data(), texto.data() + texto.size(), valor);
    if (texto.empty() || r.ec != std::errc() || r.ptr != texto.data() + texto.size())
        ValorMalo(opcion, texto, "no es un número entero");
    return valor;
}

double Numero(const std::string& opcion, const std::string& texto, const NumberFormat& format)
{
    try {
        return static_cast<double>(StrToFloat(texto, format));
    } catch (const std::exception&) {
        throw OpcionMalFormada{opcion + ": " + TextoNoNumero(texto, format)};
    }
}

AjustesExperimento LeerBase(const std::vector<std::string>& opciones, std::ostream& err)
{
    AjustesExperimento base;
    for (size_t i = 0; i + 1 < opciones.size(); ++i)
        if (opciones[i] == "--base") {
            std::vector<std::string> avisos;
            base = CargarExperimento(opciones[i + 1], &avisos).ajustes;
            for (const std::string& aviso : avisos)
                err << aviso << '\n';
        }
    return base;
}

} // namespace nc::opciones_trace
