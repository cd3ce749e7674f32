// SPDX-License-Identifier: MIT
#include "tools/trace/Trace.h"

#include "core/control/ControlLoop.h"
#include "core/analysis/RayosX.h"
#include "core/numbers/Unidades.h"
#include "io/FicheroRed.h"
#include "tools/trace/TraceEntrenar.h"
#include "tools/trace/TraceExperiment.h"
#include "tools/trace/TraceFase.h"
#include "tools/trace/TraceMapa.h"
#include "tools/trace/TraceNumbers.h"
#include "tools/trace/TraceSummary.h"
#include "tools/trace/TraceXray.h"

#include <charconv>
#include <cstdint>
#include <exception>
#include <iostream>
#include <limits>
#include <memory>

#include <unistd.h>

namespace nc {

const char* const kTraceUsage = "Uso: neurocontrol-trace [--red RED] [--resumen | --rayos] [REFERENCIA MUESTRAS]...\n"
                                "  o:  neurocontrol-trace [--resumen | --rayos] --experimento FICHERO [MUESTRAS]\n"
                                "  o:  neurocontrol-trace [--red RED] --mapa [OPCION VALOR]...\n"
                                "  o:  neurocontrol-trace [--red RED] --fase [OPCION VALOR]...\n"
                                "  o:  neurocontrol-trace --entrenar [AJUSTES] --salida RED\n"
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
                                "               referencia, fuerza_exacta (9 cifras), si compara dos\n"
                                "               controladores las columnas del segundo brazo (_2) y, tras\n"
                                "               ellas, fuerza_pedida (la del controlador, 9 cifras; fuerza\n"
                                "               es la que actúa, recortada por la fuerza máxima) y\n"
                                "               posicion_grafica de cada brazo; el resumen da una línea por\n"
                                "               tramo y brazo. Una clave que no conoce se nombra en stderr\n"
                                "  --rayos      añade al final de cada línea la radiografía del controlador\n"
                                "               en el estado que leyó: las salidas de las ocho neuronas\n"
                                "               ocultas (oculta_0 a oculta_7, \"-\" si no es la red), las\n"
                                "               ganancias du_dposicion, du_dvelocidad y du_dreferencia, los\n"
                                "               autovalores del lazo linealizado (re_1, im_1, re_2, im_2), wn\n"
                                "               y zeta (\"-\" si no oscila), estable (1 o 0) y el tercer\n"
                                "               autovalor, el de la integral del PID (re_3, im_3, \"-\" si no\n"
                                "               la hay), con 9 cifras; con --experimento, también las del\n"
                                "               segundo brazo (_2). Si la fuerza máxima corta la fuerza, el\n"
                                "               lazo se linealiza sin ganancias: el brazo no las siente\n"
                                "  --mapa       el mapa de competencia del laboratorio: cada referencia de 0 a\n"
                                "               360 (de 5 en 5) frente a una magnitud, una línea por celda:\n"
                                "               valor, referencia, clase (establece, sobreimpulso, lenta,\n"
                                "               gira o fuera: se detiene fuera de la banda) y clase_2 del\n"
                                "               segundo controlador si lo hay. Opciones:\n"
                                "      --magnitud angulo|amortiguamiento|gravedad|carga|ruido  (angulo)\n"
                                "      --desde X, --hasta Y   los valores de la primera y la última fila\n"
                                "      --filas N (19 con angulo, de 0 a 360; 20 con las demás)\n"
                                "      --muestras N por celda (600)\n"
                                "      --controlador red|pid|ninguno (red)\n"
                                "      --comparar red|pid|ninguno|no   el segundo mapa (no)\n"
                                "      --base FICHERO   los ajustes de un experimento guardado\n"
                                "  --fase       el plano de fase del laboratorio (posición frente a\n"
                                "               velocidad) con la referencia quieta: primero los equilibrios,\n"
                                "               uno por línea: número, posición, integral (\"-\" sin ella),\n"
                                "               en_limite (1 si la integral está en su tope), tipo\n"
                                "               (nodo_estable, foco_estable, silla, nodo_inestable,\n"
                                "               foco_inestable) y autovalores; tras una línea vacía, cada\n"
                                "               estado inicial de la rejilla (posición, velocidad) y dónde\n"
                                "               acaba: el número de su equilibrio, gira (sale del plano más\n"
                                "               de una vuelta) o no_se_detiene. Opciones:\n"
                                "      --referencia GRADOS   (la de los ajustes: 30)\n"
                                "      --desde X, --hasta Y   las posiciones, en grados (-180 y 540)\n"
                                "      --velocidad V   las velocidades, de -V a V grados por segundo (600)\n"
                                "      --columnas N (100), --filas N (60), --muestras N por celda (600)\n"
                                "      --controlador red|pid|ninguno (red), --base FICHERO\n"
                                "  --red RED    el controlador es la red entrenada del fichero RED\n"
                                "               (\"formato\": \"neurocontrol-red\") en lugar de la red\n"
                                "               almacenada. Con pares, la traza y el resumen son los de\n"
                                "               --experimento (un escalón por par); con --mapa y --fase, la red\n"
                                "               es el controlador y \"entrenada\" su nombre en --controlador\n"
                                "               y --comparar. Con --rayos hay una columna oculta_N por neurona\n"
                                "               y du_dintegral, la ganancia de la integral del error\n"
                                "  --entrenar [AJUSTES] --salida RED\n"
                                "               entrena una red sin ventana, en los dos núcleos, y la guarda\n"
                                "               en RED. AJUSTES es un objeto JSON con los campos del\n"
                                "               entrenamiento o una red guardada (se repite su\n"
                                "               entrenamiento); sin él, el preajuste \"Red con integral\".\n"
                                "               Muestra el avance en stderr si es un terminal y, al final,\n"
                                "               la pérdida y el tiempo\n"
                                "  -h, --help   muestra esta ayuda y termina\n"
                                "  --version    muestra la versión y termina\n"
                                "\n"
                                "Salida: una línea por paso, separada por tabuladores, cada número con el\n"
                                "separador decimal regional (LC_ALL=C da puntos). Cada columna y su instante:\n"
                                "  muestra, tiempo   los pasos hechos y el final del paso (muestra x 0,05 s)\n"
                                "  posicion, velocidad, fuerza   los textos de las lecturas de la ventana: el\n"
                                "               estado que leyó el paso, 0,05 s antes de tiempo, y la fuerza\n"
                                "               que actuó de ahí a tiempo\n"
                                "  angulo       el de la animación en tiempo: 90 grados menos la posición\n"
                                "               (17 cifras)\n"
                                "  posicion_rad, velocidad_rad   el estado en tiempo (9 cifras)\n"
                                "  posicion_grafica   la posición en grados que la gráfica dibuja en tiempo\n"
                                "               (9 cifras): frente a tiempo da la curva de la gráfica\n"
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

bool ParseSamples(const std::string& text, int64_t& samples)
{
    if (text.empty())
        return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), samples);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && samples >= 0;
}

// The pairs as a lab run of the trained network: one step of the reference
// per pair, held for its samples, from rest at sample 0.
int RunRedTrace(const RedCompartida& red, const std::vector<std::pair<std::string, int64_t>>& runs, bool resumen,
                bool rayos, std::ostream& out, std::ostream& err, const NumberFormat& format)
{
    ExperimentoGuardado g;
    g.ajustes.controlador = AjustesControlador(TipoControlador::Entrenada);
    g.ajustes.controlador.entrenada = red;
    g.ajustes.referencia.tipo = TipoReferencia::Escalones;
    int64_t total = 0;
    try {
        for (const auto& [referencia, muestras] : runs) {
            if (muestras == 0)
                continue;
            g.ajustes.referencia.escalones.push_back(
                {static_cast<double>(StrToFloat(referencia, format)), static_cast<double>(muestras * kPeriodo)});
            total += muestras;
        }
        if (g.ajustes.referencia.escalones.size() > 1000)
            throw std::invalid_argument("Con --red caben a lo sumo 1000 pares");
        if (g.ajustes.referencia.escalones.empty())
            g.ajustes.referencia = ProgramaReferencia{};
        ComprobarAjustes(g.ajustes);
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return 1;
    }
    return RunGuardadoTrace(g, total, resumen, out, err, format, rayos);
}

} // namespace

namespace {

// --red RED at the front of the arguments: the network, read and checked
// before anything runs, and the arguments after it. Returns an exit status
// when it cannot go on.
std::optional<int> ReadRedOption(std::vector<std::string>& rest, RedCompartida& red, std::ostream& err)
{
    if (rest.empty() || rest[0] != "--red")
        return std::nullopt;
    if (rest.size() < 2) {
        err << kTraceUsage;
        return 2;
    }
    try {
        std::vector<std::string> avisos;
        red.red = std::make_shared<const RedEntrenada>(CargarRed(rest[1], &avisos).red);
        for (const std::string& aviso : avisos)
            err << aviso << '\n';
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return 1;
    }
    rest.erase(rest.begin(), rest.begin() + 2);
    return std::nullopt;
}

// --experimento FICHERO [MUESTRAS], after --resumen or --rayos if any.
int RunExperimentOption(const std::vector<std::string>& pairs, bool red, bool resumen, bool rayos, std::ostream& out,
                        std::ostream& err, const NumberFormat& format)
{
    int64_t samples = 0;
    // A file carries its own controllers.
    if (red || (pairs.size() != 2 && pairs.size() != 3)) {
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

// The pairs REFERENCIA MUESTRAS, or nothing when one is malformed.
std::optional<std::vector<std::pair<std::string, int64_t>>> ReadPairs(std::vector<std::string> pairs)
{
    if (pairs.empty())
        pairs = {"30", "100"};
    if (pairs.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::pair<std::string, int64_t>> runs;
    for (size_t i = 0; i < pairs.size(); i += 2) {
        int64_t samples = 0;
        if (!ParseSamples(pairs[i + 1], samples))
            return std::nullopt;
        runs.emplace_back(pairs[i], samples);
    }
    return runs;
}

// The main window's loop, as after "Inicializar" and "Controlar", one line a
// step.
int RunLoopTrace(const std::vector<std::pair<std::string, int64_t>>& runs, bool rayos, std::ostream& out,
                 std::ostream& err, const NumberFormat& format)
{
    ControlLoop loop(format);
    TraceView view;
    loop.Inicializar(view);
    out << "muestra\ttiempo\tposicion\tvelocidad\tfuerza\tangulo\tposicion_rad\tvelocidad_rad\tposicion_grafica";
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
                << view.fuerza << '\t' << Digits(loop.angulo_animacion(), 17, format) << '\t'
                << Digits(loop.posicion(), 9, format) << '\t' << Digits(loop.velocidad(), 9, format) << '\t'
                << Digits(loop.PosicionSiguiente(), 9, format);
            if (lectura)
                ColumnasRayos(out, *lectura, format);
            out << '\n';
        }
    }
    return 0;
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
    if (!args.empty() && args[0] == "--entrenar")
        return RunTrainTrace(std::vector<std::string>(args.begin() + 1, args.end()), out, err, format,
                             &err == &std::cerr && isatty(STDERR_FILENO));
    std::vector<std::string> rest = args;
    RedCompartida red;
    if (const std::optional<int> estado = ReadRedOption(rest, red, err))
        return *estado;
    if (!rest.empty() && rest[0] == "--mapa")
        return RunMapTrace(std::vector<std::string>(rest.begin() + 1, rest.end()), out, err, format, red);
    if (!rest.empty() && rest[0] == "--fase")
        return RunPhaseTrace(std::vector<std::string>(rest.begin() + 1, rest.end()), out, err, format, red);
    const bool resumen = !rest.empty() && rest[0] == "--resumen";
    const bool rayos = !rest.empty() && rest[0] == "--rayos";
    const std::vector<std::string> pairs(rest.begin() + (resumen || rayos ? 1 : 0), rest.end());
    if (rayos && !pairs.empty() && pairs[0] == "--resumen") {
        err << kTraceUsage;
        return 2;
    }
    if (!pairs.empty() && pairs[0] == "--experimento")
        return RunExperimentOption(pairs, static_cast<bool>(red), resumen, rayos, out, err, format);
    const std::optional<std::vector<std::pair<std::string, int64_t>>> runs = ReadPairs(pairs);
    if (!runs) {
        err << kTraceUsage;
        return 2;
    }
    if (red)
        return RunRedTrace(red, *runs, resumen, rayos, out, err, format);
    if (resumen)
        return RunSummary(*runs, out, err, format);
    return RunLoopTrace(*runs, rayos, out, err, format);
}

} // namespace nc
