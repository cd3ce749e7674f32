// SPDX-License-Identifier: MIT
#include "core/run/Experimento.h"

#include "core/numbers/FloatFaults.h"
#include "core/numbers/Unidades.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace nc {
namespace {

bool HayRuido(const AjustesRuido& r)
{
    return r.posicion != 0.0 || r.velocidad != 0.0;
}

// What a change from `antes` to `ahora` moves on one arm: anything of the
// arm, the load or the noise, and the arm's own controller. A PID's gains
// move nothing while the controller is the network, nor lesions while it is
// a PID.
Actuaciones Movido(const AjustesExperimento& antes, const AjustesExperimento& ahora, bool gemelo)
{
    Actuaciones a;
    a.cambio = !(antes.brazo == ahora.brazo) || antes.carga != ahora.carga || !(antes.ruido == ahora.ruido);
    const AjustesControlador* c0 = gemelo ? (antes.comparar ? &*antes.comparar : nullptr) : &antes.controlador;
    const AjustesControlador* c1 = gemelo ? (ahora.comparar ? &*ahora.comparar : nullptr) : &ahora.controlador;
    if (!c0 || !c1) {
        a.cambio |= (c0 != nullptr) != (c1 != nullptr);
        return a;
    }
    const bool red = c1->tipo == TipoControlador::Red || c1->tipo == TipoControlador::Entrenada;
    if (c0->tipo != c1->tipo)
        a.cambio = true;
    else if (c1->tipo == TipoControlador::Pid && !(c0->pid == c1->pid))
        a.cambio = true;
    else if (c1->tipo == TipoControlador::Entrenada && !(c0->entrenada == c1->entrenada))
        a.cambio = true;
    else if (red && c0->lesiones != c1->lesiones)
        a.lesion = true;
    return a;
}

} // namespace

Experimento::Experimento(const AjustesExperimento& ajustes) : ruido_(ajustes.ruido.semilla)
{
    ComprobarAjustes(ajustes);
    ajustes_ = ajustes;
    ajustes_inicio_ = ajustes;
    brazo_ = Brazo(ajustes.brazo);
    principal_.controlador = CrearControlador(ajustes.controlador, ajustes.brazo.fuerza_maxima);
    if (ajustes.comparar) {
        gemelo_.emplace();
        gemelo_->controlador = CrearControlador(*ajustes.comparar, ajustes.brazo.fuerza_maxima);
    }
}

void Experimento::SetAjustes(const AjustesExperimento& nuevos)
{
    ComprobarAjustes(nuevos);
    if (muestra_ > 0 && !ajustes_del_paso_)
        ajustes_del_paso_ = ajustes_;
    Aplicar(nuevos);
    if (muestra_ == 0) {
        ajustes_inicio_ = nuevos;
        return;
    }
    // Several changes before one tick act as the last of them.
    if (!cambios_.empty() && cambios_.back().muestra == muestra_)
        cambios_.back().ajustes = nuevos;
    else
        cambios_.push_back({muestra_, nuevos});
}

void Experimento::Aplicar(const AjustesExperimento& nuevos)
{
    const bool mismo_limite = nuevos.brazo.fuerza_maxima == ajustes_.brazo.fuerza_maxima;
    // Everything new is built before anything is replaced.
    std::unique_ptr<Controlador> principal;
    if (!(mismo_limite && nuevos.controlador == ajustes_.controlador))
        principal = CrearControlador(nuevos.controlador, nuevos.brazo.fuerza_maxima);
    std::unique_ptr<Controlador> gemelo;
    const bool gemelo_igual = mismo_limite && nuevos.comparar == ajustes_.comparar;
    if (nuevos.comparar && !gemelo_igual)
        gemelo = CrearControlador(*nuevos.comparar, nuevos.brazo.fuerza_maxima);
    Brazo brazo(nuevos.brazo);

    brazo_ = brazo;
    if (principal)
        principal_.controlador = std::move(principal);
    if (!nuevos.comparar) {
        gemelo_.reset();
    } else if (gemelo) {
        // A twin that appears mid-run starts from the arm's present state.
        if (!gemelo_) {
            gemelo_.emplace();
            gemelo_->estado = principal_.estado;
            gemelo_->tramo = principal_.tramo;
        }
        gemelo_->controlador = std::move(gemelo);
    }
    if (nuevos.ruido.semilla != ajustes_.ruido.semilla)
        ruido_ = RuidoGaussiano(nuevos.ruido.semilla);
    ajustes_ = nuevos;
}

void Experimento::Limpiar()
{
    muestra_ = 0;
    continuada_ = false;
    eventos_.clear();
    cambios_.clear();
    ajustes_inicio_ = ajustes_;
    siguiente_programado_ = 0;
    siguiente_cambio_ = 0;
    empujon_pendiente_.reset();
    ajustes_del_paso_.reset();
    tomada_ = false;
    principal_.tramo.Limpiar();
    if (gemelo_)
        gemelo_->tramo.Limpiar();
}

void Experimento::Continuar(EstadoBrazo estado, int32_t muestra)
{
    if (muestra <= 0)
        throw std::invalid_argument("Experimento::Continuar: a run under way has passed sample 0");
    // Built first, so that a failure changes nothing.
    std::unique_ptr<Controlador> principal = CrearControlador(ajustes_.controlador, ajustes_.brazo.fuerza_maxima);
    std::unique_ptr<Controlador> gemelo;
    if (gemelo_)
        gemelo = CrearControlador(*ajustes_.comparar, ajustes_.brazo.fuerza_maxima);
    Limpiar();
    programa_.clear();
    cambios_programados_.clear();
    muestra_ = muestra;
    continuada_ = true;
    tomada_ = true;
    principal_.controlador = std::move(principal);
    principal_.estado = estado;
    // The arm was already where it stands: what follows is no step until
    // the reference moves.
    const long double referencia = GradosReferencia(ajustes_.referencia, muestra);
    principal_.tramo.Empezar(ajustes_.referencia, muestra, referencia, false);
    if (gemelo_) {
        gemelo_->controlador = std::move(gemelo);
        gemelo_->estado = estado;
        gemelo_->tramo = principal_.tramo;
    }
}

void Experimento::Empujar(int sentido)
{
    empujon_pendiente_ = sentido < 0 ? -1 : 1;
}

void Experimento::Programar(std::vector<Evento> eventos, std::vector<CambioAjustes> cambios)
{
    ComprobarEventos(eventos);
    ComprobarCambios(cambios);
    programa_ = std::move(eventos);
    siguiente_programado_ = 0;
    cambios_programados_ = std::move(cambios);
    siguiente_cambio_ = 0;
}

ExperimentoGuardado Experimento::Guardado() const
{
    if (continuada_)
        throw std::runtime_error("Esta ejecución empezó antes de abrir el laboratorio y un fichero no la puede "
                                 "repetir: pulse Limpiar y empiécela de nuevo para guardarla");
    ExperimentoGuardado g;
    g.ajustes = ajustes_inicio_;
    g.eventos = eventos_;
    g.muestras = muestra_;
    g.cambios = cambios_;
    return g;
}

std::optional<EstadoBrazo> Experimento::EstadoGemelo() const
{
    if (!gemelo_)
        return std::nullopt;
    return gemelo_->estado;
}

// The segment's last point is where the next tick starts.
std::optional<StepFigures> Experimento::FigurasTramo(bool gemelo) const
{
    const Lado* lado = LadoDe(gemelo);
    if (!lado)
        return std::nullopt;
    return lado->tramo.FigurasCompletas(static_cast<float>(lado->estado.posicion * kRadianesAGrados));
}

CifrasTramo Experimento::Cifras(bool gemelo) const
{
    const Lado* lado = LadoDe(gemelo);
    if (!lado)
        return {};
    return lado->tramo.Cifras(static_cast<float>(lado->estado.posicion * kRadianesAGrados));
}

LecturaRayosX Experimento::RayosXLado(const Lado& lado, const AjustesControlador& ajustes) const
{
    if (muestra_ > 0)
        return LeerRayosX(*lado.controlador, ajustes, lado.leida, lado.fuerza, ajustes_.brazo);
    const EstadoLeido reposo{0.0f, 0.0f,
                             static_cast<float>(GradosReferencia(ajustes_.referencia, 0) * kGradosARadianes)};
    return LeerRayosX(*lado.controlador, ajustes, reposo, 0.0f, ajustes_.brazo);
}

LecturaRayosX Experimento::RayosX() const
{
    return RayosXLado(principal_, ajustes_.controlador);
}

std::optional<LecturaRayosX> Experimento::RayosXGemelo() const
{
    if (!gemelo_ || !ajustes_.comparar)
        return std::nullopt;
    return RayosXLado(*gemelo_, *ajustes_.comparar);
}

SalidaBrazo Experimento::PasoBrazo(Lado& lado, bool inicio, float referencia, const Perturbacion& p) const
{
    float x = lado.estado.posicion;
    float v = lado.estado.velocidad;
    if (inicio) {
        // At 0 degrees and at rest these are +0.0f, the main loop's rest
        // state to the bit.
        x = static_cast<float>(ajustes_.angulo_inicial * kGradosARadianes);
        v = static_cast<float>(ajustes_.velocidad_inicial * kGradosARadianes);
    }
    if (p.empujon)
        v = static_cast<float>(v + *p.empujon);
    if (p.mano) {
        v = static_cast<float>((*p.mano - x) / kPeriodo);
        x = *p.mano;
    }
    const long double posicion_grados = x * kRadianesAGrados;
    const long double velocidad_grados = v * kRadianesAGrados;
    // The controller reads the noisy values; the plot and the arm keep the true ones.
    const float leida_x = p.ruido_x ? static_cast<float>(x + *p.ruido_x) : x;
    const float leida_v = p.ruido_v ? static_cast<float>(v + *p.ruido_v) : v;

    SalidaBrazo s;
    s.inicio = {x, v};
    s.posicion_grados = static_cast<float>(posicion_grados);
    s.velocidad_grados = static_cast<float>(velocidad_grados);
    s.leida = {leida_x, leida_v, referencia};
    s.fuerza_pedida = lado.controlador->Calcular(leida_x, leida_v, referencia, inicio);
    s.fuerza = brazo_.FuerzaLimitada(s.fuerza_pedida);
    const float aplicada = brazo_.FuerzaAplicada(s.fuerza_pedida, ajustes_.carga);
    s.estado = p.mano ? EstadoBrazo{x, v} : brazo_.Integrar(x, v, aplicada);
    return s;
}

// Programmed settings act as if set by hand just before this tick, so they
// stay made even if the tick fails.
void Experimento::CambiosProgramados(int32_t n)
{
    while (siguiente_cambio_ < cambios_programados_.size() && cambios_programados_[siguiente_cambio_].muestra <= n) {
        const CambioAjustes& c = cambios_programados_[siguiente_cambio_++];
        if (c.muestra == n)
            SetAjustes(c.ajustes);
    }
}

// What the hand and the programme do on this sample; `siguiente` becomes
// the programme's next event after it.
std::vector<Evento> Experimento::HechosDelPaso(int32_t n, size_t& siguiente) const
{
    std::vector<Evento> hechos;
    siguiente = siguiente_programado_;
    while (siguiente < programa_.size() && programa_[siguiente].muestra < n)
        ++siguiente;
    for (; siguiente < programa_.size() && programa_[siguiente].muestra == n; ++siguiente)
        hechos.push_back(programa_[siguiente]);
    if (empujon_pendiente_)
        hechos.push_back({n, TipoEvento::Empujon, *empujon_pendiente_ * ajustes_.empujon});
    if (mano_)
        hechos.push_back({n, TipoEvento::Mano, *mano_});
    return hechos;
}

Experimento::Perturbacion Experimento::PerturbacionDe(const std::vector<Evento>& hechos)
{
    Perturbacion p;
    long double empujon = 0;
    for (const Evento& e : hechos) {
        if (e.tipo == TipoEvento::Empujon) {
            empujon += e.valor;
            p.empujon = empujon * kGradosARadianes;
        } else {
            p.mano = static_cast<float>(e.valor * kGradosARadianes);
        }
    }
    return p;
}

// What acted on each arm besides its controller and the reference.
void Experimento::MarcarActuaciones(SalidaPaso& salida, const Perturbacion& p) const
{
    Actuaciones comun;
    comun.empujon = p.empujon.has_value();
    salida.brazo.actuaciones = comun;
    salida.brazo.actuaciones.mano = p.mano.has_value();
    if (ajustes_del_paso_)
        salida.brazo.actuaciones |= Movido(*ajustes_del_paso_, ajustes_, false);
    if (salida.gemelo) {
        salida.gemelo->actuaciones = comun;
        if (ajustes_del_paso_)
            salida.gemelo->actuaciones |= Movido(*ajustes_del_paso_, ajustes_, true);
    }
}

// A stepped programme's segment starts where the reference takes a new
// value; a sine's where the programme changes. Neither does on the first
// tick of a run taken over, whose reference the window may only now have
// written in.
bool Experimento::EmpiezaTramo(const SalidaPaso& salida, bool inicio) const
{
    const ProgramaReferencia& programa = ajustes_.referencia;
    const bool escalonada = TieneEscalones(programa.tipo);
    bool tramo_nuevo = inicio;
    if (!tomada_ && !inicio) {
        if (escalonada)
            tramo_nuevo = salida.referencia != referencia_tramo_;
        if (ajustes_del_paso_ && !(ajustes_del_paso_->referencia == programa))
            tramo_nuevo |= !(escalonada && TieneEscalones(ajustes_del_paso_->referencia.tipo));
    }
    return tramo_nuevo;
}

void Experimento::ConfirmarLado(Lado& lado, const SalidaBrazo& s, const SalidaPaso& salida, bool inicio,
                                bool tramo_nuevo)
{
    const bool con_escalon = inicio ? salida.referencia != static_cast<long double>(ajustes_.angulo_inicial)
                                    : salida.referencia != referencia_tramo_;
    // The position the tick started from, before a push or the hand.
    const float antes = inicio ? s.posicion_grados : static_cast<float>(lado.estado.posicion * kRadianesAGrados);
    lado.controlador->Confirmar();
    lado.estado = s.estado;
    lado.leida = s.leida;
    lado.fuerza = s.fuerza_pedida;
    Actuaciones que = s.actuaciones;
    if (tramo_nuevo) {
        lado.tramo.Empezar(ajustes_.referencia, salida.muestra, salida.referencia, con_escalon);
        // A change made as the step begins acts from its start.
        que.cambio = que.lesion = false;
    }
    if (que.Alguna())
        lado.tramo.Interrumpir(que, salida.muestra, antes);
    lado.tramo.Agregar(s.posicion_grados);
}

SalidaPaso Experimento::Paso()
{
    if (muestra_ == std::numeric_limits<int32_t>::max())
        throw std::runtime_error(
            "El contador de muestras ha llegado a su límite (2147483647): pulse Limpiar o Inicializar");
    const int32_t n = muestra_;
    const bool inicio = n == 0;
    CambiosProgramados(n);
    size_t siguiente = 0;
    const std::vector<Evento> hechos = HechosDelPaso(n, siguiente);

    // Everything is computed into locals and checked before anything is kept.
    ClearFloatFaults();
    Perturbacion p = PerturbacionDe(hechos);
    SalidaPaso salida;
    salida.muestra = n;
    salida.referencia = GradosReferencia(ajustes_.referencia, n);
    const float referencia = static_cast<float>(salida.referencia * kGradosARadianes);
    std::optional<RuidoGaussiano> ruido;
    if (HayRuido(ajustes_.ruido)) {
        ruido = inicio ? RuidoGaussiano(ajustes_.ruido.semilla) : ruido_;
        const ParNormal par = ruido->Siguiente();
        p.ruido_x = par.primero * ajustes_.ruido.posicion * kGradosARadianes;
        p.ruido_v = par.segundo * ajustes_.ruido.velocidad * kGradosARadianes;
    }
    salida.brazo = PasoBrazo(principal_, inicio, referencia, p);
    if (gemelo_) {
        Perturbacion sin_mano = p;
        sin_mano.mano.reset();
        salida.gemelo = PasoBrazo(*gemelo_, inicio, referencia, sin_mano);
    }
    ThrowOnFloatFaults();

    MarcarActuaciones(salida, p);
    const bool tramo_nuevo = EmpiezaTramo(salida, inicio);
    ConfirmarLado(principal_, salida.brazo, salida, inicio, tramo_nuevo);
    if (gemelo_)
        ConfirmarLado(*gemelo_, *salida.gemelo, salida, inicio, tramo_nuevo);
    referencia_tramo_ = salida.referencia;
    ajustes_del_paso_.reset();
    tomada_ = false;
    if (ruido)
        ruido_ = *ruido;
    muestra_ = n + 1;
    siguiente_programado_ = siguiente;
    empujon_pendiente_.reset();
    eventos_.insert(eventos_.end(), hechos.begin(), hechos.end());
    return salida;
}

} // namespace nc
