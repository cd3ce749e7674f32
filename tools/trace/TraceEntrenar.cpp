// SPDX-License-Identifier: MIT
#include "tools/trace/TraceEntrenar.h"

#include "io/FicheroRed.h"
#include "core/numbers/FloatFaults.h"
#include "tools/trace/Trace.h"
#include "tools/trace/TraceNumbers.h"

#include <chrono>
#include <exception>
#include <thread>

namespace nc {
namespace {

[[noreturn]] void Falla(const std::string& detalle)
{
    throw ErrorFicheroRed("Ajustes de entrenamiento no válidos: " + detalle);
}

[[noreturn]] void SinAbrir(const std::string& mensaje)
{
    throw ErrorFicheroRed(mensaje);
}

// The settings of a file: a network file's training, or the object itself.
AjustesEntrenamiento CargarAjustes(const std::string& ruta, std::ostream& err)
{
    const QByteArray datos
        = LeerFicheroLimitado(ruta, kTamanoMaximoRed, "1 MB", "el fichero de ajustes", Falla, SinAbrir);
    const std::string_view texto(datos.constData(), static_cast<size_t>(datos.size()));
    std::vector<std::string> desconocidas;
    const Objeto raiz(DocumentoJson(texto, kTamanoMaximoRed, "1 MB", Falla), "", &desconocidas, Falla);
    AjustesEntrenamiento a;
    if (raiz.Texto("formato", "") == "neurocontrol-red") {
        std::vector<std::string> avisos;
        const RedGuardada red = LeerRed(texto, &avisos);
        for (const std::string& aviso : avisos)
            err << aviso << '\n';
        if (!red.entrenamiento)
            Falla("la red de " + ruta + " no guarda con qué ajustes se entrenó");
        return *red.entrenamiento;
    }
    a = LeerEntrenamientoDe(raiz);
    if (!desconocidas.empty())
        err << AvisoClaves("el fichero de ajustes", desconocidas) << '\n';
    return a;
}

} // namespace

int RunTrainTrace(const std::vector<std::string>& opciones, std::ostream& out, std::ostream& err,
                  const NumberFormat& format, bool terminal)
{
    std::string ajustes_ruta, salida;
    for (size_t i = 0; i < opciones.size(); ++i) {
        if (opciones[i] == "--salida" && i + 1 < opciones.size() && salida.empty())
            salida = opciones[++i];
        else if (opciones[i].rfind("--", 0) != 0 && ajustes_ruta.empty())
            ajustes_ruta = opciones[i];
        else {
            err << kTraceUsage;
            return 2;
        }
    }
    if (salida.empty()) {
        err << "Falta --salida RED.json: el fichero donde guardar la red entrenada\n";
        return 2;
    }
    try {
        const AjustesEntrenamiento ajustes
            = ajustes_ruta.empty() ? AjustesEntrenamiento{} : CargarAjustes(ajustes_ruta, err);
        const int hilos = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
        Entrenador entrenador(ajustes, hilos);
        const auto inicio = std::chrono::steady_clock::now();
        auto segundos
            = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count(); };
        double perdida = 0;
        double ultima_linea = -1;
        while (!entrenador.Terminado()) {
            perdida = entrenador.Iterar();
            // A few lines a second are enough for a person to read.
            if (terminal && (segundos() - ultima_linea > 0.25 || entrenador.Terminado())) {
                ultima_linea = segundos();
                err << "\rIteración " << entrenador.Iteracion() << " de " << ajustes.iteraciones << "  pérdida "
                    << Digits(perdida, 4, format) << "  " << Digits(segundos(), 3, format) << " s   " << std::flush;
            }
        }
        if (terminal)
            err << '\n';
        const double tiempo = segundos();
        GuardarRed(salida, RedGuardada{entrenador.Red(), ajustes, perdida});
        out << "Pérdida final " << Digits(perdida, 6, format) << " en " << Digits(tiempo, 3, format) << " s ("
            << ajustes.iteraciones << " iteraciones, " << hilos << " hilos); red guardada en " << salida << '\n';
    } catch (const std::exception& e) {
        out.flush();
        err << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace nc
