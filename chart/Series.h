// SPDX-License-Identifier: MIT
#pragma once

// Gathers the series kinds: the fast line (chart/FastLineSeries.h) on the series base.

#include "chart/series/FastLineSeries.h"
