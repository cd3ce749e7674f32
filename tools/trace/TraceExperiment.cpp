// SPDX-License-Identifier: MIT
#include "tools/trace/TraceExperiment.h"

#include "io/FicheroExperimento.h"
#include "core/run/Experimento.h"
#include "core/numbers/Unidades.h"
#include "tools/trace/TraceXray.h"

#include "tools/trace/TraceNumbers.h"

#include <algorithm>
#include <exception>

namespace nc {
namespace {

constexpr long double kVertical = 90.0L;

// The columns of one arm, as the plain trace writes them for the main loop.
void Columnas(std::ostream& out, const SalidaBrazo& s, const NumberFormat& format, bool con_angulo)
{
    out << '\t' << FormatFixed(s.inicio.posicion * kRadianesAGrados, format) << '\t'
        << FormatFixed(s.inicio.velocidad * kRadianesAGrados, format) << '\t' << FormatFixed(s.fuerza, format);
    if (con_angulo)
        out << '\t' << Digits(static_cast<double>(kVertical - s.estado.posicion * kRadianesAGrados), 17, format);
    out << '\t' << Digits(s.estado.posicion, 9, format) << '\t' << Digits(s.estado.velocidad, 9, format);
}

// What the plain trace has no room for: the force the controller asked for,
// and the position the chart plots at the line's time, where the next
// sample starts.
void ColumnasNuevas(std::ostream& out, const SalidaBrazo& s, const NumberFormat& format)
{
    out << '\t' << Digits(s.fuerza_pedida, 9, format) << '\t'
        << Digits(static_cast<float>(s.estado.posicion * kRadianesAGrados), 9, format);
}

// The hidden outputs' columns: the stored controller's eight, or more for a
// trained network of more units anywhere in the run, so that every line has
// the header's columns.
int ColumnasOcultas(const ExperimentoGuardado& g)
{
    int n = kColumnasOcultas;
    auto ver = [&](const AjustesExperimento& a) {
        for (const AjustesControlador* c : {&a.controlador, a.comparar ? &*a.comparar : nullptr})
            if (c && c->tipo == TipoControlador::Entrenada && c->entrenada)
                n = std::max(n, static_cast<int>(c->entrenada->ocultas));
    };
    ver(g.ajustes);
    for (const CambioAjustes& c : g.cambios)
        ver(c.ajustes);
    return n;
}

std::string FixedOrDash(const std::optional<double>& value, const NumberFormat& format)
{
    return value ? FormatFixed(*value, format) : "-";
}

void LineaResumen(std::ostream& out, int brazo, int tramo, long double referencia, const StepFigures& f,
                  const NumberFormat& format)
{
    out << brazo << '\t' << tramo << '\t' << FormatFixed(referencia, format) << '\t' << FormatFixed(f.inicial, format)
        << '\t' << FormatFixed(f.final, format) << '\t' << FormatFixed(referencia - f.final, format) << '\t'
        << FixedOrDash(f.sobreimpulso, format) << '\t' << FixedOrDash(f.subida, format) << '\t'
        << FixedOrDash(f.establecimiento, format) << '\t' << FormatFixed(f.pico, format) << '\t'
        << FormatFixed(f.t_pico, format) << '\n';
}

} // namespace

int RunExperimentTrace(const std::string& ruta, std::optional<int64_t> muestras, bool resumen, std::ostream& out,
                       std::ostream& err, const NumberFormat& format, bool rayos)
{
    try {
        std::vector<std::string> avisos;
        const ExperimentoGuardado guardado = CargarExperimento(ruta, &avisos);
        for (const std::string& aviso : avisos)
            err << aviso << '\n';
        return RunGuardadoTrace(guardado, muestras.value_or(guardado.muestras), resumen, out, err, format, rayos);
    } catch (const std::exception& e) {
        out.flush();
        err << e.what() << '\n';
        return 1;
    }
}

int RunGuardadoTrace(const ExperimentoGuardado& guardado, int64_t total, bool resumen, std::ostream& out,
                     std::ostream& err, const NumberFormat& format, bool rayos)
{
    try {
        Experimento lab(guardado.ajustes);
        lab.Programar(guardado.eventos, guardado.cambios);
        const bool gemelo = guardado.ajustes.comparar.has_value();
        const int ocultas = ColumnasOcultas(guardado);
        if (resumen) {
            out << "brazo\ttramo\treferencia\tinicial\tfinal\terror\tsobreimpulso\tsubida\testablecimiento\tpico\t"
                   "t_pico\n";
            int tramo = 0;
            long double referencia = 0;
            auto cerrar = [&] {
                ++tramo;
                LineaResumen(out, 1, tramo, referencia, *lab.FigurasTramo(), format);
                if (gemelo)
                    LineaResumen(out, 2, tramo, referencia, *lab.FigurasTramo(true), format);
            };
            for (int64_t k = 0; k < total; ++k) {
                // A segment ends where the next tick's reference takes a new
                // value; the programme is a function of the sample alone.
                const long double siguiente = GradosReferencia(guardado.ajustes.referencia, lab.muestra());
                if (k > 0 && siguiente != referencia)
                    cerrar();
                referencia = lab.Paso().referencia;
            }
            if (total > 0)
                cerrar();
            return 0;
        }
        out << "muestra\ttiempo\tposicion\tvelocidad\tfuerza\tangulo\tposicion_rad\tvelocidad_rad\treferencia\t"
               "fuerza_exacta";
        if (gemelo)
            out << "\tposicion_2\tvelocidad_2\tfuerza_2\tposicion_rad_2\tvelocidad_rad_2\tfuerza_exacta_2";
        out << "\tfuerza_pedida\tposicion_grafica";
        if (gemelo)
            out << "\tfuerza_pedida_2\tposicion_grafica_2";
        if (rayos) {
            CabeceraRayos(out, "", ocultas);
            if (gemelo)
                CabeceraRayos(out, "_2", ocultas);
        }
        out << '\n';
        for (int64_t k = 0; k < total; ++k) {
            const SalidaPaso s = lab.Paso();
            out << lab.muestra() << '\t' << FormatGeneral(lab.muestra() * kPeriodo, format);
            Columnas(out, s.brazo, format, true);
            out << '\t' << FormatGeneral(s.referencia, format) << '\t' << Digits(s.brazo.fuerza, 9, format);
            if (s.gemelo) {
                Columnas(out, *s.gemelo, format, false);
                out << '\t' << Digits(s.gemelo->fuerza, 9, format);
            }
            ColumnasNuevas(out, s.brazo, format);
            if (s.gemelo)
                ColumnasNuevas(out, *s.gemelo, format);
            if (rayos) {
                ColumnasRayos(out, lab.RayosX(), format, ocultas);
                if (const std::optional<LecturaRayosX> g = lab.RayosXGemelo())
                    ColumnasRayos(out, *g, format, ocultas);
            }
            out << '\n';
        }
    } catch (const std::exception& e) {
        out.flush();
        err << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace nc
