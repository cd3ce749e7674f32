// SPDX-License-Identifier: MIT
#pragma once
// What --mapa and --fase read from their OPCION VALOR pairs: controllers by
// name, whole numbers, numbers with the regional separator and a saved run's
// settings. A value an option cannot take throws OpcionMalFormada with a
// line that names the option and the value; the callers answer it with
// status 2.

#include "core/run/AjustesExperimento.h"
#include "core/numbers/NumberText.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace nc::opciones_trace {

// An unknown option or one without its value (an empty motivo: the caller
// prints the usage), or a value the option cannot take.
struct OpcionMalFormada {
    std::string motivo;
};

[[noreturn]] void ValorMalo(const std::string& opcion, const std::string& valor, const std::string& que);

// red, pid, ninguno, "entrenada" when a network was given, and "no" (none)
// where `admite_ninguno`.
std::optional<AjustesControlador> LeerControlador(const std::string& opcion, const std::string& nombre,
                                                  bool admite_ninguno, const RedCompartida& red);
int32_t Entero(const std::string& opcion, const std::string& texto);
double Numero(const std::string& opcion, const std::string& texto, const NumberFormat& format);

// The settings of the file after --base, if any (its warnings on err), or
// the defaults. Throws the file's own errors.
AjustesExperimento LeerBase(const std::vector<std::string>& opciones, std::ostream& err);

} // namespace nc::opciones_trace
