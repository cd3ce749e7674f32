// SPDX-License-Identifier: MIT
#pragma once

// The main window's response plot: how its chart and its two curves are set
// up. The window creates the chart (a Qt child of the window) and calls
// ConfigureResponseChart once; the chart then owns both series.

#include "chart/Chart.h"
#include "chart/Series.h"

namespace nc {

// Flat white chart without title or legend; bottom axis "Muestreos ", left
// axis "Posición (Grados)" (Times New Roman, 12-pixel characters, black),
// black grid and ticks, white minor ticks, both axes automatic. Adds
// series1 (the arm's position: red, solid) and series2 (the reference: blue,
// dotted, drawn over series1), both keeping a pixel free above their highest
// value and two below their lowest, so that neither lies on the plot's
// undrawn outline. Does not move or resize the chart.
void ConfigureResponseChart(TChart& chart, TFastLineSeries*& series1, TFastLineSeries*& series2);

} // namespace nc
