// SPDX-License-Identifier: MIT
#include "ui/common/ResponseHint.h"

#include "chart/Chart.h"
#include "ui/common/ResponseFile.h"

#include <cmath>
#include <cstdlib>

namespace nc {

int FirstNotBelow(const TChartSeries& s, double value)
{
    int lo = 0;
    int hi = s.Count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (s.XValue(mid) < value)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::string ResponseHint(TChart& chart, const TChartSeries& posicion, const TChartSeries& referencia, int x, int y,
                         const NumberFormat& format)
{
    // The axes span the plot's edges both included.
    const TRect plot = chart.PlotRect;
    if (posicion.Count() == 0 || x < plot.Left || x > plot.Right || y < plot.Top || y > plot.Bottom)
        return {};
    TChartAxis& horizontal = chart.BottomAxis();
    TChartAxis& vertical = chart.LeftAxis();
    // The nearest column is that of one of the two samples around the
    // pointer's value.
    const int after = FirstNotBelow(posicion, horizontal.PixelToValue(x));
    int nearest = -1;
    long long best = 0;
    for (const int i : {after - 1, after}) {
        if (i < 0 || i >= posicion.Count())
            continue;
        const long long off = std::llabs(static_cast<long long>(horizontal.ValueToPixel(posicion.XValue(i))) - x);
        if (nearest < 0 || off < best) {
            nearest = i;
            best = off;
        }
    }
    const double muestra = posicion.XValue(nearest);
    const int column = horizontal.ValueToPixel(muestra);
    if (column < plot.Left || column > plot.Right)
        return {};
    // Of the points in that sample, the one drawn nearest the pointer.
    int first = FirstNotBelow(posicion, muestra);
    int chosen = first;
    best = -1;
    for (int i = first; i < posicion.Count() && posicion.XValue(i) == muestra; ++i) {
        const long long off = std::llabs(static_cast<long long>(vertical.ValueToPixel(posicion.YValue(i))) - y);
        if (best < 0 || off < best) {
            chosen = i;
            best = off;
        }
    }
    std::string text = "Muestra " + FormatGeneral(muestra, format) + " · " + SampleTime(muestra, format) + " s\n";
    text += "Posición " + FormatFixed(posicion.YValue(chosen), format) + " º";
    if (chosen < referencia.Count())
        text += "\nReferencia " + FormatFixed(referencia.YValue(chosen), format) + " º";
    return text;
}

} // namespace nc
