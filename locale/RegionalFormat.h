// SPDX-License-Identifier: MIT
#pragma once
// The user's regional settings, the one place that asks the system for them:
// the decimal and thousands separators every edit box, read-out, label and
// trace line uses. Below it the numbers' texts take the format as an
// argument, so tests run any locale without touching the process's own.

#include "core/numbers/NumberText.h"

namespace nc {

// The separators of QLocale::system().
NumberFormat RegionalNumberFormat();

} // namespace nc
