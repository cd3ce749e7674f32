// SPDX-License-Identifier: MIT
#pragma once
// A trained network as a versioned JSON file, "formato": "neurocontrol-red":
// its inputs, its hidden units, the inputs' scales, the integral's limit and
// every weight, written so that they read back to the same bits, with the
// training's settings and its final loss when it has them. Reading never
// trusts the file: anything over 1 MB is refused before parsing, a wrong
// shape, a weight that is not a finite number of at most 1e6 or an unknown
// version is refused with one Spanish line, and unknown keys are named.
//
// An experiment whose controller is a trained network carries the same
// object in the controller (JsonRed, LeerRedDe), so the file replays alone.

#include "io/LectorJson.h"
#include "core/training/Entrenamiento.h"

#include <QJsonObject>

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nc {

class ErrorFicheroRed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int kVersionRed = 1;
inline constexpr std::size_t kTamanoMaximoRed = 1024 * 1024; // bytes

struct RedGuardada {
    RedEntrenada red;
    std::optional<AjustesEntrenamiento> entrenamiento;
    std::optional<double> perdida_final;
    bool operator==(const RedGuardada&) const = default;
};

std::string EscribirRed(const RedGuardada& guardada);
// Throws ErrorFicheroRed; unknown keys go to `avisos` as one line.
RedGuardada LeerRed(std::string_view texto, std::vector<std::string>* avisos = nullptr);
RedGuardada CargarRed(const std::string& ruta, std::vector<std::string>* avisos = nullptr);
void GuardarRed(const std::string& ruta, const RedGuardada& guardada);

// The network's own fields, as a file and an experiment's controller hold
// them; LeerRedDe refuses through the reader's own rejection.
QJsonObject JsonRed(const RedEntrenada& red);
RedEntrenada LeerRedDe(const Objeto& o, Claves otras = {});

QJsonObject JsonEntrenamiento(const AjustesEntrenamiento& a);
AjustesEntrenamiento LeerEntrenamientoDe(const Objeto& o);

} // namespace nc
