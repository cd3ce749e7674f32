// SPDX-License-Identifier: MIT
#include "tools/trace/TraceMapa.h"

#include "tools/trace/Trace.h"
#include "tools/trace/TraceOpciones.h"

#include <exception>
#include <thread>

namespace nc {
using namespace opciones_trace;

int OpcionesMapa(const std::vector<std::string>& opciones, AjustesMapa& salida, std::ostream& err,
                 const NumberFormat& format, const RedCompartida& red)
{
    try {
        // The base first: the other options change it, whatever their order.
        AjustesExperimento base = LeerBase(opciones, err);
        MagnitudMapa magnitud = MagnitudMapa::AnguloInicial;
        for (size_t i = 0; i + 1 < opciones.size(); ++i)
            if (opciones[i] == "--magnitud") {
                bool conocida = false;
                for (MagnitudMapa m : kMagnitudesMapa)
                    if (opciones[i + 1] == ClaveMagnitud(m)) {
                        magnitud = m;
                        conocida = true;
                    }
                if (!conocida) {
                    std::string claves;
                    for (MagnitudMapa m : kMagnitudesMapa)
                        claves += std::string(claves.empty() ? "" : ", ") + ClaveMagnitud(m);
                    ValorMalo("--magnitud", opciones[i + 1], "no es una de " + claves);
                }
            }
        if (red)
            base.controlador = *LeerControlador("--red", "entrenada", false, red);
        AjustesMapa mapa = MapaPorDefecto(magnitud, base);
        for (size_t i = 0; i < opciones.size(); i += 2) {
            if (i + 1 >= opciones.size())
                throw OpcionMalFormada{};
            const std::string& o = opciones[i];
            const std::string& v = opciones[i + 1];
            if (o == "--base" || o == "--magnitud")
                continue;
            if (o == "--desde")
                mapa.desde = Numero(o, v, format);
            else if (o == "--hasta")
                mapa.hasta = Numero(o, v, format);
            else if (o == "--filas")
                mapa.filas = Entero(o, v);
            else if (o == "--muestras")
                mapa.muestras = Entero(o, v);
            else if (o == "--controlador")
                mapa.base.controlador = *LeerControlador(o, v, false, red);
            else if (o == "--comparar")
                mapa.base.comparar = LeerControlador(o, v, true, red);
            else
                throw OpcionMalFormada{};
        }
        ComprobarMapa(mapa);
        salida = mapa;
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

void EscribirMapa(const MapaCompetencia& mapa, std::ostream& out, const NumberFormat& format)
{
    const bool gemelo = !mapa.gemelo.empty();
    out << ClaveMagnitud(mapa.ajustes.magnitud) << "\treferencia\tclase" << (gemelo ? "\tclase_2" : "") << '\n';
    for (int fila = 0; fila < mapa.ajustes.filas; ++fila) {
        const std::string valor = FormatGeneral(ValorFila(mapa.ajustes, fila), format);
        for (int columna = 0; columna < kColumnasMapa; ++columna) {
            out << valor << '\t' << ReferenciaColumna(columna) << '\t' << ClaveClase(mapa.Clase(fila, columna));
            if (gemelo)
                out << '\t' << ClaveClase(mapa.Clase(fila, columna, true));
            out << '\n';
        }
    }
}

int RunMapTrace(const std::vector<std::string>& opciones, std::ostream& out, std::ostream& err,
                const NumberFormat& format, const RedCompartida& red)
{
    AjustesMapa mapa;
    if (const int estado = OpcionesMapa(opciones, mapa, err, format, red); estado != 0)
        return estado;
    ProgresoMapa progreso;
    const int hilos = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    EscribirMapa(CalcularMapa(mapa, hilos, progreso), out, format);
    return 0;
}

} // namespace nc
