// SPDX-License-Identifier: MIT
#include "tools/trace/Trace.h"

#include "simulation/ControlLoop.h"
#include "simulation/RayosX.h"
#include "simulation/Unidades.h"
#include "tools/trace/TraceExperiment.h"
#include "tools/trace/TraceMapa.h"
#include "tools/trace/TraceSummary.h"
#include "tools/trace/TraceXray.h"

#include <charconv>
#include <cstdint>
#include <exception>
#include <limits>

namespace nc {

const char* const kTraceUsage = "Uso: neurocontrol-trace [--resumen | --rayos] [REFERENCIA MUESTRAS]...\n"
                                "  o:  neurocontrol-trace [--resumen | --rayos] --experimento FICHERO [MUESTRAS]\n"
                                "  o:  neurocontrol-trace --mapa [OPCION VALOR]...\n"
                                "  o:  neurocontrol-trace --help | --version\n"
                                "\n"
                                "Ejecuta el lazo de control sin ventana, como si se pulsara \"Inicializar\" y\n"
                                "después \"Controlar\". Cada par ejecuta MUESTRAS pasos con REFERENCIA (grados,\n"
                                "escrita como en la casilla \"Ref.\", con el separador decimal regional) y\n"
                                "continúa la misma ejecución. Sin pares equivale a: 30 100\n"
                                "\n"
                                "Opciones:\n"
                                "  --resumen    en lugar de la traza, una línea por tramo (cada par) con las\n"
                                "               cifras de su respuesta al escalón: tramo, referencia, inicial,\n"
                                "               final, error (referencia - final), sobreimpulso (% del\n"
                                "               escalón), subida (10 % a 90 %, s), establecimiento (banda del\n"
                                "               2 %, s desde el inicio del tramo), pico y t_pico (s); \"-\"\n"
                                "               donde el escalón es menor que 1e-6 grados\n"
                                "  --experimento FICHERO [MUESTRAS]\n"
                                "               repite un experimento guardado del laboratorio durante\n"
                                "               MUESTRAS pasos (los del fichero si faltan); la traza añade\n"
                                "               referencia, fuerza_exacta (9 cifras) y, si compara dos\n"
                                "               controladores, las columnas del segundo brazo (_2); el\n"
                                "               resumen da una línea por tramo y brazo\n"
                                "  --rayos      añade al final de cada línea la radiografía del controlador\n"
                                "               en el estado que leyó: las salidas de las ocho neuronas\n"
                                "               ocultas (oculta_0 a oculta_7, \"-\" si no es la red), las\n"
                                "               ganancias du_dposicion, du_dvelocidad y du_dreferencia, los\n"
                                "               autovalores del lazo linealizado (re_1, im_1, re_2, im_2), wn\n"
                                "               y zeta (\"-\" si no oscila) y estable (1 o 0), con 9 cifras;\n"
                                "               con --experimento, también las del segundo brazo (_2)\n"
                                "  --mapa       el mapa de competencia del laboratorio: cada referencia de 0 a\n"
                                "               360 (de 5 en 5) frente a una magnitud, una línea por celda:\n"
                                "               valor, referencia, clase (establece, sobreimpulso, lenta o\n"
                                "               falla) y clase_2 del segundo controlador si lo hay. Opciones:\n"
                                "      --magnitud angulo|amortiguamiento|gravedad|carga|ruido  (angulo)\n"
                                "      --desde X, --hasta Y   los valores de la primera y la última fila\n"
                                "      --filas N (20), --muestras N por celda (600)\n"
                                "      --controlador red|pid|ninguno (red)\n"
                                "      --comparar red|pid|ninguno|no   el segundo mapa (no)\n"
                                "      --base FICHERO   los ajustes de un experimento guardado\n"
                                "  -h, --help   muestra esta ayuda y termina\n"
                                "  --version    muestra la versión y termina\n"
                                "\n"
                                "Salida (separada por tabuladores, una línea por paso): muestra, tiempo,\n"
                                "posicion, velocidad, fuerza (los textos de las lecturas de la ventana),\n"
                                "angulo (17 cifras), posicion_rad y velocidad_rad (9 cifras).\n"
                                "\n"
                                "Estado de salida: 0 bien, 1 un paso falló (mensaje en stderr),\n"
                                "2 argumentos mal formados.\n";

namespace {

// Collects what one tick shows.
class TraceView final : public ControlView {
public:
    void SetPositionText(const std::string& t) override { posicion = t; }
    void SetVelocityText(const std::string& t) override { velocidad = t; }
    void Dibujar_graficas(int32_t, float, float) override {}
    void SetForceText(const std::string& t) override { fuerza = t; }
    void SetTimeText(const std::string& t) override { tiempo = t; }
    void Dibujar_brazo(double) override {}

    std::string posicion, velocidad, fuerza, tiempo;
};

template <class T> std::string Digits(T value, int significant)
{
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significant);
    return std::string(buffer, r.ptr);
}

bool ParseSamples(const std::string& text, int64_t& samples)
{
    if (text.empty())
        return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), samples);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && samples >= 0;
}

} // namespace

int RunTrace(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const NumberFormat& format)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kTraceUsage;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << "neurocontrol-trace " NC_VERSION "\n";
        return 0;
    }
    if (!args.empty() && args[0] == "--mapa")
        return RunMapTrace(std::vector<std::string>(args.begin() + 1, args.end()), out, err, format);
    const bool resumen = !args.empty() && args[0] == "--resumen";
    const bool rayos = !args.empty() && args[0] == "--rayos";
    std::vector<std::string> pairs(args.begin() + (resumen || rayos ? 1 : 0), args.end());
    if (rayos && !pairs.empty() && pairs[0] == "--resumen") {
        err << kTraceUsage;
        return 2;
    }
    if (!pairs.empty() && pairs[0] == "--experimento") {
        int64_t samples = 0;
        if (pairs.size() != 2 && pairs.size() != 3) {
            err << kTraceUsage;
            return 2;
        }
        if (pairs.size() == 3 && !ParseSamples(pairs[2], samples)) {
            err << "--experimento: «" << pairs[2] << "» no es un número de muestras (un entero de 0 o más)\n";
            return 2;
        }
        return RunExperimentTrace(pairs[1], pairs.size() == 3 ? std::optional<int64_t>(samples) : std::nullopt, resumen,
                                  out, err, format, rayos);
    }
    if (pairs.empty())
        pairs = {"30", "100"};
    if (pairs.size() % 2 != 0) {
        err << kTraceUsage;
        return 2;
    }
    std::vector<std::pair<std::string, int64_t>> runs;
    for (size_t i = 0; i < pairs.size(); i += 2) {
        int64_t samples = 0;
        if (!ParseSamples(pairs[i + 1], samples)) {
            err << kTraceUsage;
            return 2;
        }
        runs.emplace_back(pairs[i], samples);
    }

    if (resumen)
        return RunSummary(runs, out, err, format);

    ControlLoop loop(format);
    TraceView view;
    loop.Inicializar(view);
    out << "muestra\ttiempo\tposicion\tvelocidad\tfuerza\tangulo\tposicion_rad\tvelocidad_rad";
    if (rayos)
        CabeceraRayos(out, "");
    out << '\n';
    for (const auto& [reference, samples] : runs) {
        for (int64_t k = 0; k < samples; ++k) {
            std::optional<LecturaRayosX> lectura;
            try {
                // The state the tick reads: from rest on the first sample.
                const bool inicio = loop.muestra() == 0;
                EstadoLeido leido{inicio ? 0.0f : loop.posicion(), inicio ? 0.0f : loop.velocidad(), 0.0f};
                loop.Paso(reference, view);
                if (rayos) {
                    leido.referencia = static_cast<float>(StrToFloat(reference, format) * kGradosARadianes);
                    lectura = RayosXRed(*loop.Red(), 0, leido, ParametrosBrazo{});
                }
            } catch (const std::exception& e) {
                out.flush();
                err << e.what() << '\n';
                return 1;
            }
            out << loop.muestra() << '\t' << view.tiempo << '\t' << view.posicion << '\t' << view.velocidad << '\t'
                << view.fuerza << '\t' << Digits(loop.angulo_animacion(), 17) << '\t' << Digits(loop.posicion(), 9)
                << '\t' << Digits(loop.velocidad(), 9);
            if (lectura)
                ColumnasRayos(out, *lectura);
            out << '\n';
        }
    }
    return 0;
}

} // namespace nc
