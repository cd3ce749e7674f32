// SPDX-License-Identifier: MIT
#include "tools/trace/TraceFase.h"

#include "tools/trace/Trace.h"
#include "tools/trace/TraceNumbers.h"
#include "tools/trace/TraceOpciones.h"

#include <exception>
#include <thread>

namespace nc {
using namespace opciones_trace;

namespace {

std::string Fin(int16_t fin)
{
    if (fin == kFinGira)
        return "gira";
    if (fin == kFinNoSeDetiene)
        return "no_se_detiene";
    if (fin == kFinPendiente)
        return "pendiente";
    return std::to_string(fin + 1);
}

} // namespace

int OpcionesFase(const std::vector<std::string>& opciones, AjustesPlano& salida, std::ostream& err,
                 const NumberFormat& format, const RedCompartida& red)
{
    try {
        AjustesPlano plano;
        // The base first: the other options change it, whatever their order.
        plano.base = LeerBase(opciones, err);
        ComprobarAjustes(plano.base);
        plano.referencia = static_cast<double>(GradosReferencia(plano.base.referencia, 0));
        if (red)
            plano.base.controlador = *LeerControlador("--red", "entrenada", false, red);
        for (size_t i = 0; i < opciones.size(); i += 2) {
            if (i + 1 >= opciones.size())
                throw OpcionMalFormada{};
            const std::string& o = opciones[i];
            const std::string& v = opciones[i + 1];
            if (o == "--base")
                continue;
            if (o == "--referencia")
                plano.referencia = Numero(o, v, format);
            else if (o == "--desde")
                plano.desde = Numero(o, v, format);
            else if (o == "--hasta")
                plano.hasta = Numero(o, v, format);
            else if (o == "--velocidad")
                plano.velocidad = Numero(o, v, format);
            else if (o == "--columnas")
                plano.columnas = Entero(o, v);
            else if (o == "--filas")
                plano.filas = Entero(o, v);
            else if (o == "--muestras")
                plano.muestras = Entero(o, v);
            else if (o == "--controlador")
                plano.base.controlador = *LeerControlador(o, v, false, red);
            else
                throw OpcionMalFormada{};
        }
        ComprobarPlano(plano);
        salida = plano;
        return 0;
    } catch (const OpcionMalFormada& e) {
        if (e.motivo.empty())
            err << kTraceUsage;
        else
            err << e.motivo << '\n';
        return 2;
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return 1;
    }
}

void EscribirPlano(const PlanoFase& plano, std::ostream& out, const NumberFormat& format)
{
    out << "equilibrio\tposicion\tintegral\ten_limite\ttipo\tre_1\tim_1\tre_2\tim_2\tre_3\tim_3\n";
    int numero = 0;
    for (const Equilibrio& e : plano.analisis.equilibrios) {
        const LazoLinealizado& l = e.lectura.lazo;
        auto valor = [&](long double x) { return Digits(static_cast<double>(x), 9, format); };
        out << ++numero << '\t' << Digits(e.posicion, 9, format) << '\t'
            << (e.integral ? Digits(*e.integral, 9, format) : "-") << '\t' << (e.en_limite ? 1 : 0) << '\t'
            << ClaveTipo(e.tipo) << '\t' << valor(l.autovalores.re1) << '\t' << valor(l.autovalores.im1) << '\t'
            << valor(l.autovalores.re2) << '\t' << valor(l.autovalores.im2) << '\t'
            << (l.tres_estados ? valor(l.re3) : "-") << '\t' << (l.tres_estados ? valor(l.im3) : "-") << '\n';
    }
    out << "\nposicion\tvelocidad\tfinal\n";
    const AjustesPlano& a = plano.ajustes;
    for (int fila = 0; fila < a.filas; ++fila) {
        const std::string velocidad = FormatGeneral(VelocidadFila(a, fila), format);
        for (int columna = 0; columna < a.columnas; ++columna)
            out << FormatGeneral(PosicionColumna(a, columna), format) << '\t' << velocidad << '\t'
                << Fin(plano.Fin(fila, columna)) << '\n';
    }
}

int RunPhaseTrace(const std::vector<std::string>& opciones, std::ostream& out, std::ostream& err,
                  const NumberFormat& format, const RedCompartida& red)
{
    AjustesPlano plano;
    if (const int estado = OpcionesFase(opciones, plano, err, format, red); estado != 0)
        return estado;
    const int hilos = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    try {
        const AnalisisPlano analisis = AnalizarPlano(plano);
        EscribirPlano(CalcularPlano(plano, analisis, hilos), out, format);
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace nc
