// SPDX-License-Identifier: MIT
#include "ui/lab/LabChartData.h"

#include "chart/Chart.h"
#include "ui/common/ResponseFile.h"
#include "ui/common/ResponseHint.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace nc {
namespace {

void AppendDigits(std::string& out, double value)
{
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    out.append(buffer, r.ptr);
}

} // namespace

int32_t MuestraDeSegundos(double segundos)
{
    return static_cast<int32_t>(std::llround(segundos / kSegundosPorMuestra));
}

std::string LabTsv(const std::vector<LabColumn>& columnas)
{
    std::string out = "muestra\ttiempo";
    for (const LabColumn& c : columnas)
        out += '\t' + c.nombre;
    out += '\n';
    if (columnas.empty())
        return out;
    const NumberFormat punto{".", ""};
    const TChartSeries& primera = *columnas.front().serie;
    for (int i = 0; i < primera.Count(); ++i) {
        const int32_t muestra = MuestraDeSegundos(primera.XValue(i));
        out += std::to_string(muestra);
        out += '\t';
        out += SampleTime(muestra, punto);
        for (const LabColumn& c : columnas) {
            out += '\t';
            if (i < c.serie->Count())
                AppendDigits(out, c.serie->YValue(i));
        }
        out += '\n';
    }
    return out;
}

std::string LabHint(TChart& panel, const std::vector<LabColumn>& columnas, int x, int y, const NumberFormat& format)
{
    const TRect plot = panel.PlotRect;
    if (columnas.empty() || x < plot.Left || x > plot.Right || y < plot.Top || y > plot.Bottom)
        return {};
    const TChartSeries& primera = *columnas.front().serie;
    if (primera.Count() == 0)
        return {};
    TChartAxis& horizontal = panel.BottomAxis();
    // The nearest column is that of one of the two points around the
    // pointer's value.
    const int after = FirstNotBelow(primera, horizontal.PixelToValue(x));
    int nearest = -1;
    long long best = 0;
    for (const int i : {after - 1, after}) {
        if (i < 0 || i >= primera.Count())
            continue;
        const long long off = std::llabs(static_cast<long long>(horizontal.ValueToPixel(primera.XValue(i))) - x);
        if (nearest < 0 || off < best) {
            nearest = i;
            best = off;
        }
    }
    const int column = horizontal.ValueToPixel(primera.XValue(nearest));
    if (column < plot.Left || column > plot.Right)
        return {};
    const int32_t muestra = MuestraDeSegundos(primera.XValue(nearest));
    std::string text = "Muestra " + std::to_string(muestra) + " · " + SampleTime(muestra, format) + " s";
    for (const LabColumn& c : columnas) {
        if (nearest >= c.serie->Count())
            continue;
        text += '\n' + c.titulo + ' ' + FormatFixed(c.serie->YValue(nearest), format);
        if (!c.unidad.empty())
            text += ' ' + c.unidad;
    }
    return text;
}

} // namespace nc
