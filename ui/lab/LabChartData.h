// SPDX-License-Identifier: MIT
#pragma once
// What the laboratory's chart says in words: its curves as the columns of a
// tab-separated file, and the hint over a panel. Both read the curves as
// they stand; every curve holds one point per sample, in the same order, so
// a point's index names the same sample in all of them.

#include "core/numbers/NumberText.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nc {

class TChart;
class TChartSeries;

// The lab chart's X values are seconds: the sample number times this.
inline constexpr double kSegundosPorMuestra = 0.05;

// The sample number of an X value in seconds (exact: the X value was the
// sample times kSegundosPorMuestra).
int32_t MuestraDeSegundos(double segundos);

// One curve as the file and the hint name it.
struct LabColumn {
    std::string nombre;        // the file's column name
    std::string titulo;        // the hint's name for it (the legend's)
    std::string unidad;        // after the value in the hint, or empty
    const TChartSeries* serie; // never null
};

// A header (muestra, tiempo and the columns' names) and one row per point of
// the first column: the sample number, its time as the "Tiempo" read-out
// writes it, and each column's value with 17 significant digits, a point as
// decimal mark whatever the locale.
std::string LabTsv(const std::vector<LabColumn>& columnas);

// For the pointer at (x, y) on `panel`, as painted last: the sample whose
// column is nearest x and each column's value there,
//   Muestra 40 · 2 s
//   Posición (Red neuronal) 28.8633 º
// Empty outside the plot, without points, or where the nearest point lies
// outside the plot's columns.
std::string LabHint(TChart& panel, const std::vector<LabColumn>& columnas, int x, int y, const NumberFormat& format);

} // namespace nc
