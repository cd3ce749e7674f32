// SPDX-License-Identifier: MIT
#pragma once
// neurocontrol-trace --rayos: the X-ray of the controller as columns added at
// the end of each line, after the trace's own, so that those keep their
// places. Per arm: the eight hidden outputs (oculta_0 .. oculta_7, "-" for a
// controller without them), the gains du_dposicion, du_dvelocidad and
// du_dreferencia, the linearised loop's eigenvalues (re_1, im_1, re_2, im_2),
// wn and zeta ("-" where the loop is no oscillator), estable (1 or 0), and
// the third eigenvalue of a loop with the error's integral (re_3, im_3, "-"
// with two states) and the gain on that integral (du_dintegral, "-" for a
// controller without one), after the others so that those keep their places.
// Numbers have 9 significant digits and the locale's separator, like
// posicion_rad.

#include "core/analysis/RayosX.h"
#include "core/numbers/NumberText.h"

#include <ostream>
#include <string>

namespace nc {

// The hidden units of the stored controller, the columns' count.
inline constexpr int kColumnasOcultas = 8;

// The columns' names, each after a tab, with the arm's suffix ("" or "_2"),
// for `ocultas` hidden outputs (more than eight for a trained network of
// more units).
void CabeceraRayos(std::ostream& out, const std::string& sufijo, int ocultas = kColumnasOcultas);

// One arm's columns, each after a tab.
void ColumnasRayos(std::ostream& out, const LecturaRayosX& lectura, const NumberFormat& format,
                   int ocultas = kColumnasOcultas);

} // namespace nc
