// SPDX-License-Identifier: MIT
#pragma once
// An experiment as a versioned JSON file: every setting the run started
// with, the events made by hand and the settings changed on the way with
// their samples, and the run's length, so that a saved run replays exactly.
// Reading never trusts the file: it refuses anything over kTamanoMaximo
// before parsing, checks every field's type and range into a fresh object,
// reports the first fault as one Spanish sentence, and names the keys it
// does not know.

#include "core/run/AjustesExperimento.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nc {

class ErrorFicheroExperimento : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int kVersionExperimento = 1;
// A hand held for a sample is one event of about 110 bytes, so this keeps
// over 70,000 samples of dragging, more than a minute at 1000 steps per second.
inline constexpr std::size_t kTamanoMaximo = 8 * 1024 * 1024; // bytes

// The file's text, UTF-8. Numbers are written so that they read back to the
// same double.
std::string EscribirExperimento(const ExperimentoGuardado& guardado);

// Throws ErrorFicheroExperimento; the result has passed ComprobarGuardado.
// A syntax error gives its line and column. What is read but not refused
// goes to `avisos`, one Spanish line each: keys this program does not know
// (a typo such as "gravedd" would otherwise run the default unseen).
ExperimentoGuardado LeerExperimento(std::string_view texto, std::vector<std::string>* avisos = nullptr);

// The same from a file; the size is checked before anything is read.
ExperimentoGuardado CargarExperimento(const std::string& ruta, std::vector<std::string>* avisos = nullptr);

// The warning's line for these unknown keys, each as «ruta.clave».
std::string AvisoClavesDesconocidas(const std::vector<std::string>& claves);
void GuardarExperimento(const std::string& ruta, const ExperimentoGuardado& guardado);

} // namespace nc
