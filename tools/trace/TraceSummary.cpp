// SPDX-License-Identifier: MIT
#include "tools/trace/TraceSummary.h"

#include "core/control/ControlLoop.h"
#include "core/analysis/StepFigures.h"

#include <exception>

namespace nc {
namespace {

constexpr double kPeriodo = 0.05;

// Keeps the positions the chart would plot; nothing else of a tick matters here.
class PlottedPositions final : public ControlView {
public:
    void SetPositionText(const std::string&) override {}
    void SetVelocityText(const std::string&) override {}
    void Dibujar_graficas(int32_t, float posicion_grados, float) override { positions.push_back(posicion_grados); }
    void SetForceText(const std::string&) override {}
    void SetTimeText(const std::string&) override {}
    void Dibujar_brazo(double) override {}

    std::vector<float> positions; // one float per sample, as the chart holds them
};

std::string FixedOrDash(const std::optional<double>& value, const NumberFormat& format)
{
    return value ? FormatFixed(*value, format) : "-";
}

} // namespace

int RunSummary(const std::vector<std::pair<std::string, int64_t>>& segments, std::ostream& out, std::ostream& err,
               const NumberFormat& format)
{
    out << "tramo\treferencia\tinicial\tfinal\terror\tsobreimpulso\tsubida\testablecimiento\tpico\tt_pico\n";
    try {
        ControlLoop loop(format);
        PlottedPositions view;
        loop.Inicializar(view);
        int tramo = 0;
        for (const auto& [reference, samples] : segments) {
            view.positions.clear();
            for (int64_t k = 0; k < samples; ++k)
                loop.Paso(reference, view);
            // The position after the last sample is the one the next step plots.
            view.positions.push_back(loop.PosicionSiguiente());
            const StepFigures f = MeasureStep(view.positions, kPeriodo);
            const long double referencia = StrToFloat(reference, format);
            out << ++tramo << '\t' << FormatFixed(referencia, format) << '\t' << FormatFixed(f.inicial, format) << '\t'
                << FormatFixed(f.final, format) << '\t' << FormatFixed(referencia - f.final, format) << '\t'
                << FixedOrDash(f.sobreimpulso, format) << '\t' << FixedOrDash(f.subida, format) << '\t'
                << FixedOrDash(f.establecimiento, format) << '\t' << FormatFixed(f.pico, format) << '\t'
                << FormatFixed(f.t_pico, format) << '\n';
        }
    } catch (const std::exception& e) {
        out.flush();
        err << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace nc
