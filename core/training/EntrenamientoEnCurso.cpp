// SPDX-License-Identifier: MIT
#include "core/training/EntrenamientoEnCurso.h"

#include "core/run/Experimento.h"

#include <chrono>
#include <cmath>
#include <limits>

namespace nc {
namespace {

double Medio(const RangoEntrenamiento& r)
{
    return (r.desde + r.hasta) / 2.0;
}

} // namespace

AjustesExperimento AjustesSeguimiento(const AjustesEntrenamiento& e, std::shared_ptr<const RedEntrenada> red)
{
    AjustesExperimento a;
    a.controlador.tipo = TipoControlador::Entrenada;
    a.controlador.entrenada.red = std::move(red);
    a.brazo.gravedad = Medio(e.gravedad);
    a.brazo.amortiguamiento = Medio(e.amortiguamiento);
    if (e.fuerza_maxima)
        a.brazo.fuerza_maxima = Medio(*e.fuerza_maxima);
    a.carga = Medio(e.carga);
    a.referencia = ProgramaRepeticion();
    return a;
}

ProgramaReferencia ProgramaRepeticion()
{
    ProgramaReferencia p;
    p.tipo = TipoReferencia::Escalones;
    p.escalones = {{60, 5}, {200, 5}, {330, 5}, {120, 5}};
    return p;
}

Repeticion Repetir(const AjustesExperimento& ajustes, int64_t iteracion)
{
    constexpr int32_t kMuestras = 400; // the four steps of 5 s
    Repeticion r;
    r.iteracion = iteracion;
    r.posiciones.reserve(kMuestras);
    r.referencias.reserve(kMuestras);
    Experimento lab(ajustes);
    for (int32_t k = 0; k < kMuestras; ++k) {
        const SalidaPaso s = lab.Paso();
        r.posiciones.push_back(s.brazo.posicion_grados);
        r.referencias.push_back(static_cast<float>(s.referencia));
    }
    return r;
}

EntrenamientoEnCurso::EntrenamientoEnCurso(const AjustesEntrenamiento& ajustes, int trabajadores,
                                           OpcionesSeguimiento opciones)
    : ajustes_(ajustes), trabajadores_(trabajadores), opciones_(opciones)
{
    ComprobarEntrenamiento(ajustes);
    vista_.iteraciones = ajustes.iteraciones;
    vista_.imitando = ajustes.imitacion > 0;
    trabajo_ = std::make_unique<Trabajo>([this](Trabajo& t) { Entrenar(t); });
}

EntrenamientoEnCurso::~EntrenamientoEnCurso()
{
    // The thread reads this object's members, so it ends first.
    Cancelar();
    trabajo_.reset();
}

void EntrenamientoEnCurso::Cancelar()
{
    cancelado_ = true;
    trabajo_->Cancelar();
    progreso_mapa_.cancelar = true;
}

VistaEntrenamiento EntrenamientoEnCurso::Ver(size_t desde) const
{
    std::lock_guard lock(mutex_);
    VistaEntrenamiento v;
    v.iteracion = vista_.iteracion;
    v.iteraciones = vista_.iteraciones;
    v.imitando = vista_.imitando;
    if (desde < vista_.perdidas.size())
        v.perdidas.assign(vista_.perdidas.begin() + static_cast<std::ptrdiff_t>(desde), vista_.perdidas.end());
    v.repeticion = vista_.repeticion;
    v.mejor = vista_.mejor;
    v.mapa = vista_.mapa;
    v.iteracion_mapa = vista_.iteracion_mapa;
    v.red = vista_.red;
    v.segundos = vista_.segundos;
    v.pausado = trabajo_->Pausado();
    v.terminado = trabajo_->Terminado();
    if (const std::exception_ptr f = trabajo_->Fallo()) {
        try {
            std::rethrow_exception(f);
        } catch (const std::exception& e) {
            v.error = e.what();
        }
    }
    return v;
}

void EntrenamientoEnCurso::Entrenar(Trabajo& t)
{
    using Reloj = std::chrono::steady_clock;
    Entrenador e(ajustes_, trabajadores_);
    e.SetCancelar(&cancelado_);
    {
        std::lock_guard lock(mutex_);
        vista_.red = std::make_shared<const RedEntrenada>(e.Red());
    }
    // The best network so far, by the mean loss since the last replay.
    double mejor_media = std::numeric_limits<double>::infinity();
    std::optional<Repeticion> mejor;
    double suma = 0;
    int32_t cuantas = 0;
    double segundos = 0;
    while (!e.Terminado() && t.Seguir()) {
        const Reloj::time_point inicio = Reloj::now();
        const bool imitando = e.Imitando();
        double perdida;
        try {
            perdida = e.Iterar();
        } catch (const IteracionCancelada&) {
            return;
        }
        const int64_t it = e.Iteracion();
        auto red = std::make_shared<const RedEntrenada>(e.Red());
        if (!imitando) {
            suma += perdida;
            ++cuantas;
        }
        std::optional<Repeticion> repeticion;
        if (opciones_.cada_repeticion > 0 && (it % opciones_.cada_repeticion == 0 || e.Terminado()))
            repeticion = Repetir(AjustesSeguimiento(ajustes_, red), it);
        std::optional<MapaCompetencia> mapa;
        if (opciones_.cada_mapa > 0 && (it % opciones_.cada_mapa == 0 || e.Terminado())) {
            AjustesMapa m = MapaPorDefecto(MagnitudMapa::AnguloInicial, AjustesSeguimiento(ajustes_, red));
            m.base.referencia = ProgramaReferencia{};
            m.desde = 0;
            m.hasta = 360;
            m.filas = opciones_.filas_mapa;
            m.muestras = opciones_.muestras_mapa;
            // A cancel between these two lines is seen by the check; one
            // after them reaches the sweep through its flag.
            progreso_mapa_.hechas = 0;
            progreso_mapa_.cancelar = false;
            if (t.Cancelado())
                return;
            mapa = CalcularMapa(m, trabajadores_, progreso_mapa_);
            if (!mapa->completo)
                return;
        }
        segundos += std::chrono::duration<double>(Reloj::now() - inicio).count();

        std::lock_guard lock(mutex_);
        vista_.iteracion = it;
        vista_.imitando = e.Imitando();
        vista_.perdidas.push_back(perdida);
        vista_.red = red;
        vista_.segundos = segundos;
        if (repeticion) {
            vista_.mejor = mejor;
            vista_.repeticion = repeticion;
            if (cuantas > 0 && suma / cuantas < mejor_media) {
                mejor_media = suma / cuantas;
                mejor = repeticion;
            }
            suma = 0;
            cuantas = 0;
        }
        if (mapa) {
            vista_.mapa = std::move(mapa);
            vista_.iteracion_mapa = it;
        }
        t.Progreso(it, ajustes_.iteraciones);
    }
}

} // namespace nc
