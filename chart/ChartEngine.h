// SPDX-License-Identifier: MIT
#pragma once

// Gathers the chart's data and axes for units that use both: the series base
// (chart/ChartSeries.h) and the axis objects (chart/ChartAxis.h).

#include "chart/axes/ChartAxis.h"
#include "chart/series/ChartSeries.h"
