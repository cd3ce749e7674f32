// SPDX-License-Identifier: MIT
#pragma once
// What the response chart tells where the pointer rests over its plot: the
// sample whose column is nearest, its time, and the position and reference
// plotted there, written as the read-outs write them.

#include "core/numbers/NumberText.h"

#include <string>

namespace nc {

class TChart;
class TChartSeries;

// For the pointer at (x, y) on the chart, as painted last:
//   Muestra 40 · 2 s
//   Posición 28.8633 º
//   Referencia 30.0000 º
// The sample is the point of `posicion` whose column is nearest x; where a
// run restarted without clearing the chart two points share a column, and
// the one drawn nearer y is meant. Its `referencia` is the point of the same
// index, as the saved data pairs them. Empty outside the plot, and where no
// point lies within the plot's columns.
std::string ResponseHint(TChart& chart, const TChartSeries& posicion, const TChartSeries& referencia, int x, int y,
                         const NumberFormat& format);

// The first index whose x is not below `value`, on a curve whose x values
// ascend (the sample counter, which a restart may repeat but never lowers).
int FirstNotBelow(const TChartSeries& s, double value);

} // namespace nc
