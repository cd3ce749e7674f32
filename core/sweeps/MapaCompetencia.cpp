// SPDX-License-Identifier: MIT
#include "core/sweeps/MapaCompetencia.h"

#include "core/run/Experimento.h"
#include "core/numbers/Unidades.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>

namespace nc {
namespace {

constexpr int kUltimoSegundo = 20; // samples of 0.05 s
constexpr double kSobreimpulsoMaximo = 0.10;
constexpr double kAcercandose = 0.9;

// How far back a state is looked for. A settled arm repeats within a few
// dozen ticks when it repeats at all: on the default map, looking back over
// the whole run finds no cell that 64 does not.
constexpr int kCicloMaximo = 64;
constexpr size_t kMemoriaMaxima = 2; // doubles of controller memory compared

// The bits of the state a tick starts from.
struct Huella {
    uint32_t x = 0, v = 0;
    std::array<uint64_t, kMemoriaMaxima> memoria{};
    bool operator==(const Huella&) const = default;
};

Huella HuellaDe(const Experimento& lab)
{
    Huella h;
    const EstadoBrazo e = lab.Estado();
    h.x = std::bit_cast<uint32_t>(e.posicion);
    h.v = std::bit_cast<uint32_t>(e.velocidad);
    const std::span<const double> m = lab.MemoriaControlador();
    assert(m.size() <= kMemoriaMaxima && "a controller with more memory needs a larger Huella");
    for (size_t i = 0; i < m.size(); ++i)
        h.memoria[i] = std::bit_cast<uint64_t>(m[i]);
    return h;
}

float PosicionGrados(const Experimento& lab)
{
    return static_cast<float>(lab.Estado().posicion * kRadianesAGrados);
}

// Whether position q is a whole turn farther from the reference than the start.
bool Gira(double q, double inicio, double referencia)
{
    return std::abs(q - referencia) > std::abs(inicio - referencia) + 360.0;
}

double MaximoError(std::span<const float> p, size_t desde, size_t hasta, double referencia)
{
    double m = 0;
    for (size_t k = desde; k < hasta; ++k)
        m = std::max(m, std::abs(p[k] - referencia));
    return m;
}

} // namespace

const char* NombreMagnitud(MagnitudMapa m)
{
    switch (m) {
    case MagnitudMapa::AnguloInicial: return "Ángulo inicial (°)";
    case MagnitudMapa::Amortiguamiento: return "Amortiguamiento";
    case MagnitudMapa::Gravedad: return "Gravedad";
    case MagnitudMapa::Carga: return "Carga";
    case MagnitudMapa::Ruido: return "Ruido de posición (°)";
    }
    return "";
}

const char* ClaveMagnitud(MagnitudMapa m)
{
    switch (m) {
    case MagnitudMapa::AnguloInicial: return "angulo";
    case MagnitudMapa::Amortiguamiento: return "amortiguamiento";
    case MagnitudMapa::Gravedad: return "gravedad";
    case MagnitudMapa::Carga: return "carga";
    case MagnitudMapa::Ruido: return "ruido";
    }
    return "";
}

const char* NombreClase(ClaseCelda c)
{
    switch (c) {
    case ClaseCelda::Establece: return "Se establece";
    case ClaseCelda::Sobreimpulso: return "Con sobreimpulso";
    case ClaseCelda::Lenta: return "Lenta";
    case ClaseCelda::Gira: return "Gira";
    case ClaseCelda::SeDetieneFuera: return "Se detiene fuera";
    case ClaseCelda::Pendiente: return "Sin calcular";
    }
    return "";
}

const char* ClaveClase(ClaseCelda c)
{
    switch (c) {
    case ClaseCelda::Establece: return "establece";
    case ClaseCelda::Sobreimpulso: return "sobreimpulso";
    case ClaseCelda::Lenta: return "lenta";
    case ClaseCelda::Gira: return "gira";
    case ClaseCelda::SeDetieneFuera: return "fuera";
    case ClaseCelda::Pendiente: return "pendiente";
    }
    return "";
}

AjustesMapa MapaPorDefecto(MagnitudMapa m, const AjustesExperimento& base)
{
    AjustesMapa mapa;
    mapa.base = base;
    mapa.magnitud = m;
    mapa.filas = 20;
    switch (m) {
    case MagnitudMapa::AnguloInicial: mapa.desde = 0, mapa.hasta = 360, mapa.filas = 19; break;
    case MagnitudMapa::Amortiguamiento: mapa.desde = 0, mapa.hasta = 9.5; break;
    case MagnitudMapa::Gravedad: mapa.desde = 0, mapa.hasta = 28.5; break;
    case MagnitudMapa::Carga: mapa.desde = -10, mapa.hasta = 9; break;
    case MagnitudMapa::Ruido: mapa.desde = 0, mapa.hasta = 3.8; break;
    }
    return mapa;
}

void ComprobarMapa(const AjustesMapa& mapa)
{
    if (mapa.filas < 1 || mapa.filas > kFilasMaximas)
        throw AjusteInvalido("Las filas deben estar entre 1 y " + std::to_string(kFilasMaximas));
    if (mapa.muestras < 20 || mapa.muestras > 100000)
        throw AjusteInvalido("Las muestras por celda deben estar entre 20 y 100000");
    for (int fila = 0; fila < mapa.filas; ++fila)
        ComprobarAjustes(AjustesCelda(mapa, fila, 0));
}

double ValorFila(const AjustesMapa& mapa, int fila)
{
    if (mapa.filas <= 1)
        return mapa.desde;
    const double v = mapa.desde + (mapa.hasta - mapa.desde) * fila / (mapa.filas - 1);
    char texto[32];
    std::snprintf(texto, sizeof texto, "%.12g", v);
    return std::strtod(texto, nullptr);
}

AjustesExperimento AjustesCelda(const AjustesMapa& mapa, int fila, int columna)
{
    AjustesExperimento a = mapa.base;
    a.velocidad_inicial = 0; // every cell starts from rest
    const double v = ValorFila(mapa, fila);
    switch (mapa.magnitud) {
    case MagnitudMapa::AnguloInicial: a.angulo_inicial = v; break;
    case MagnitudMapa::Amortiguamiento: a.brazo.amortiguamiento = v; break;
    case MagnitudMapa::Gravedad: a.brazo.gravedad = v; break;
    case MagnitudMapa::Carga: a.carga = v; break;
    case MagnitudMapa::Ruido: a.ruido.posicion = v; break;
    }
    a.referencia = ProgramaReferencia{};
    a.referencia.texto = std::to_string(5 * columna);
    return a;
}

ClaseCelda Clasificar(std::span<const float> p, double angulo_inicial, double referencia)
{
    assert(p.size() > kUltimoSegundo && "a cell has at least 20 samples");
    const size_t n = p.size() - 1;
    const double paso = referencia - angulo_inicial;
    const double banda = std::max(0.02 * std::abs(paso), 0.5);
    for (float q : p)
        if (Gira(q, p[0], referencia))
            return ClaseCelda::Gira;
    if (MaximoError(p, n - kUltimoSegundo, p.size(), referencia) <= banda) {
        if (paso == 0.0)
            return ClaseCelda::Establece;
        const double sentido = paso > 0 ? 1.0 : -1.0;
        double mas_alla = 0;
        for (float q : p)
            mas_alla = std::max(mas_alla, sentido * (q - referencia));
        return mas_alla > kSobreimpulsoMaximo * std::abs(paso) ? ClaseCelda::Sobreimpulso : ClaseCelda::Establece;
    }
    const size_t cuarto = p.size() / 4;
    const double ultimo = MaximoError(p, p.size() - cuarto, p.size(), referencia);
    const double anterior = MaximoError(p, p.size() - 2 * cuarto, p.size() - cuarto, referencia);
    return ultimo < kAcercandose * anterior ? ClaseCelda::Lenta : ClaseCelda::SeDetieneFuera;
}

ResultadoCelda CalcularCelda(const AjustesExperimento& ajustes, int32_t muestras, bool parada_temprana)
{
    AjustesExperimento solo = ajustes;
    solo.comparar.reset();
    const double referencia = static_cast<double>(GradosReferencia(solo.referencia, 0));
    // A fixed reference and no noise: each tick is a function of the state alone.
    const bool determinista
        = solo.referencia.tipo == TipoReferencia::Fija && solo.ruido.posicion == 0.0 && solo.ruido.velocidad == 0.0;

    std::vector<float> p(static_cast<size_t>(muestras) + 1);
    ResultadoCelda r;
    try {
        Experimento lab(solo);
        // huellas[k % kCicloMaximo] is the state that sample k starts from, k >= 1.
        std::array<Huella, kCicloMaximo> huellas;
        int32_t k = 0;
        int32_t ciclo = 0;
        for (; k < muestras; ++k) {
            const float q = lab.Paso().brazo.posicion_grados;
            p[static_cast<size_t>(k)] = q;
            if (!parada_temprana)
                continue;
            // A spinning arm fails whatever it does afterwards.
            if (Gira(q, p[0], referencia)) {
                r.calculadas = k + 1;
                r.clase = ClaseCelda::Gira;
                return r;
            }
            if (!determinista)
                continue;
            const int32_t siguiente = k + 1;
            const Huella h = HuellaDe(lab);
            for (int32_t d = 1; d <= kCicloMaximo && siguiente - d >= 1; ++d)
                if (huellas[static_cast<size_t>((siguiente - d) % kCicloMaximo)] == h) {
                    ciclo = d;
                    break;
                }
            huellas[static_cast<size_t>(siguiente % kCicloMaximo)] = h;
            if (ciclo > 0)
                break;
        }
        r.calculadas = ciclo > 0 ? k + 1 : k;
        if (ciclo > 0) {
            for (size_t m = static_cast<size_t>(k) + 1; m < p.size(); ++m)
                p[m] = p[m - static_cast<size_t>(ciclo)];
        } else {
            p.back() = PosicionGrados(lab);
        }
    } catch (const std::exception&) {
        r.clase = ClaseCelda::Gira;
        return r;
    }
    r.clase = Clasificar(p, solo.angulo_inicial, referencia);
    return r;
}

ProgresoMapa::ProgresoMapa(const AjustesMapa& mapa) : celdas(static_cast<size_t>(CeldasMapa(mapa)))
{
    for (std::atomic<ClaseCelda>& c : celdas)
        c.store(ClaseCelda::Pendiente, std::memory_order_relaxed);
}

int32_t CeldasMapa(const AjustesMapa& mapa)
{
    return mapa.filas * kColumnasMapa * (mapa.base.comparar ? 2 : 1);
}

MapaCompetencia CalcularMapa(const AjustesMapa& ajustes, int hilos, ProgresoMapa& progreso, bool parada_temprana)
{
    assert((hilos == 1 || hilos == 2) && "a sweep runs on one or two threads");
    assert((progreso.celdas.empty() || progreso.celdas.size() == static_cast<size_t>(CeldasMapa(ajustes)))
           && "a progress made for another map");
    MapaCompetencia mapa;
    mapa.ajustes = ajustes;
    const int32_t por_mapa = ajustes.filas * kColumnasMapa;
    const int32_t total = CeldasMapa(ajustes);
    mapa.brazo.assign(static_cast<size_t>(por_mapa), ClaseCelda::Pendiente);
    if (ajustes.base.comparar)
        mapa.gemelo.assign(static_cast<size_t>(por_mapa), ClaseCelda::Pendiente);

    std::atomic<int32_t> siguiente{0};
    std::atomic<int64_t> calculadas{0};
    std::atomic<int32_t> hechas{0};
    std::exception_ptr fallo;
    std::atomic<bool> fallado{false};
    auto trabajar = [&] {
        try {
            for (;;) {
                if (progreso.cancelar.load() || fallado.load())
                    return;
                const int32_t i = siguiente.fetch_add(1);
                if (i >= total)
                    return;
                const bool del_gemelo = i >= por_mapa;
                const int32_t celda = i % por_mapa;
                AjustesExperimento a = AjustesCelda(ajustes, celda / kColumnasMapa, celda % kColumnasMapa);
                if (del_gemelo)
                    a.controlador = *a.comparar;
                const ResultadoCelda r = CalcularCelda(a, ajustes.muestras, parada_temprana);
                // Each cell is written by the one thread that took it.
                (del_gemelo ? mapa.gemelo : mapa.brazo)[static_cast<size_t>(celda)] = r.clase;
                if (!progreso.celdas.empty())
                    progreso.celdas[static_cast<size_t>(i)].store(r.clase, std::memory_order_release);
                calculadas.fetch_add(r.calculadas);
                hechas.fetch_add(1);
                progreso.hechas.fetch_add(1);
            }
        } catch (...) {
            if (!fallado.exchange(true))
                fallo = std::current_exception();
        }
    };
    if (hilos == 2) {
        std::jthread otro(trabajar);
        trabajar();
    } else {
        trabajar();
    }
    if (fallo)
        std::rethrow_exception(fallo);
    mapa.calculadas = calculadas.load();
    mapa.completo = hechas.load() == total;
    return mapa;
}

} // namespace nc
