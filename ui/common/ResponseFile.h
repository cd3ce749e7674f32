// SPDX-License-Identifier: MIT
#pragma once
// The plotted run kept in files: the two curves as tab-separated text, and
// the one way every save writes, through a temporary file in the target's
// folder renamed over the target at the end.

#include "core/numbers/NumberText.h"

#include <QIODevice>
#include <QString>

#include <functional>
#include <string>

namespace nc {

class TChartSeries;

// A header (muestra, tiempo, posicion, referencia) and one row per plotted
// point: the sample number, its time as the "Tiempo" read-out writes it, the
// position and the reference, each number with a point as decimal mark so
// that any tool reads it, the held values with 17 significant digits.
std::string ResponseTsv(const TChartSeries& posicion, const TChartSeries& referencia);

// The time of sample `muestra`, 0.05 s each, as the "Tiempo" read-out writes it.
std::string SampleTime(double muestra, const NumberFormat& format);

// Writes `path` through `write`, which returns false when it could not produce
// its content. The content goes to a temporary name in the same folder and is
// renamed to `path` only when all of it is written, so a failure leaves no
// half file and leaves an existing file as it was. Throws std::runtime_error
// with the Spanish message and the system's reason.
void SaveAtomically(const QString& path, const std::function<bool(QIODevice&)>& write);

} // namespace nc
