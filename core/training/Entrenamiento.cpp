// SPDX-License-Identifier: MIT
#include "core/training/Entrenamiento.h"

#include "core/numbers/FloatFaults.h"
#include "core/arm/IntegracionBrazo.h"
#include "core/numbers/NumberText.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <numbers>
#include <string>
#include <thread>

namespace nc {
namespace {

constexpr double kPeriodoDoble = 0.05;
constexpr double kGrado = std::numbers::pi / 180.0;

// splitmix64: a small generator whose every state is a function of the seed
// alone, so an episode's draw needs no generator shared between workers.
uint64_t Mezclar(uint64_t& estado)
{
    uint64_t z = (estado += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform in [0, 1) from the top 53 bits.
double Uniforme(uint64_t& estado)
{
    return static_cast<double>(Mezclar(estado) >> 11) * 0x1p-53;
}

// A standard normal draw by Box-Muller, written here so that a seed gives the
// same network with any standard library.
double Normal(uint64_t& estado)
{
    const double u1 = 1.0 - Uniforme(estado); // in (0, 1]
    const double u2 = Uniforme(estado);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

double En(const RangoEntrenamiento& r, uint64_t& estado)
{
    return r.desde + (r.hasta - r.desde) * Uniforme(estado);
}

[[noreturn]] void Rechazar(const std::string& texto)
{
    throw AjusteEntrenamientoInvalido(texto);
}

// NaN fails both comparisons, so it is refused with the range.
void Entre(double valor, double minimo, double maximo, const char* campo)
{
    if (!(valor >= minimo && valor <= maximo))
        throw AjusteEntrenamientoInvalido(RangoAjuste{campo, minimo, maximo});
}

void Rango(const RangoEntrenamiento& r, double minimo, double maximo, const char* campo)
{
    Entre(r.desde, minimo, maximo, campo);
    Entre(r.hasta, minimo, maximo, campo);
    if (r.desde > r.hasta)
        Rechazar(std::string(campo) + ": el primer valor no puede ser mayor que el segundo");
}

// The slope of tanh at its output t.
inline double PendienteTanh(double t)
{
    return 1.0 - t * t;
}

// One forward pass of the network in double: the hidden outputs into
// `ocultas`, the force returned.
double Adelante(const RedEntrenada& r, const double* entrada, double* ocultas)
{
    const int32_t e = r.Entradas();
    double u = r.b2;
    for (int32_t j = 0; j < r.ocultas; ++j) {
        const double* w = &r.w1[static_cast<size_t>(j * e)];
        double z = r.b1[static_cast<size_t>(j)];
        for (int32_t k = 0; k < e; ++k)
            z += w[k] * entrada[k];
        ocultas[j] = std::tanh(z);
        u += r.w2[static_cast<size_t>(j)] * ocultas[j];
    }
    return u;
}

// The backward pass of Adelante for an adjoint `du` of the force: the
// weights' gradients added into `g`, the inputs' adjoints into `d_entrada`.
void Atras(const RedEntrenada& r, const double* entrada, const double* ocultas, double du, double* g, double* d_entrada)
{
    const int32_t e = r.Entradas();
    const size_t h = static_cast<size_t>(r.ocultas);
    double* g_w1 = g;
    double* g_b1 = g + h * static_cast<size_t>(e);
    double* g_w2 = g_b1 + h;
    double* g_b2 = g_w2 + h;
    *g_b2 += du;
    for (size_t j = 0; j < h; ++j) {
        g_w2[j] += du * ocultas[j];
        const double dz = du * r.w2[j] * PendienteTanh(ocultas[j]);
        g_b1[j] += dz;
        const double* w = &r.w1[j * static_cast<size_t>(e)];
        double* gw = &g_w1[j * static_cast<size_t>(e)];
        for (int32_t k = 0; k < e; ++k) {
            gw[k] += dz * entrada[k];
            d_entrada[k] += dz * w[k];
        }
    }
}

// The step's direction, for the overshoot; a step of zero has none.
double SentidoDelPaso(const Episodio& ep)
{
    return ep.referencia > ep.angulo_inicial ? 1.0 : (ep.referencia < ep.angulo_inicial ? -1.0 : 0.0);
}

void Escalar(const RedEntrenada& r, double x, double v, double referencia, double integral, double* entrada)
{
    entrada[0] = x * r.escala[0];
    entrada[1] = v * r.escala[1];
    entrada[2] = referencia * r.escala[2];
    if (r.integral)
        entrada[3] = integral * r.escala[3];
}

} // namespace

const std::vector<PreajusteEntrenamiento>& PreajustesEntrenamiento()
{
    static const std::vector<PreajusteEntrenamiento> lista = [] {
        AjustesEntrenamiento tierra;
        tierra.integral = false;
        tierra.gravedad = {9.81, 9.81};
        tierra.carga = {0, 0};
        return std::vector<PreajusteEntrenamiento>{{"Red con integral", AjustesEntrenamiento{}},
                                                   {"Solo la Tierra", tierra}};
    }();
    return lista;
}

void ComprobarEntrenamiento(const AjustesEntrenamiento& a)
{
    Entre(a.ocultas, RedEntrenada::kOcultasMinimas, RedEntrenada::kOcultasMaximas, "El número de neuronas ocultas");
    Entre(a.limite_integral, 0.01, 100, "El límite de la integral");
    Rango(a.referencia, -3600, 3600, "La referencia (º)");
    Rango(a.angulo_inicial, -3600, 3600, "El ángulo inicial (º)");
    Rango(a.gravedad, 0, 100, "La gravedad");
    Rango(a.amortiguamiento, 0, 50, "El amortiguamiento");
    Rango(a.carga, -10, 10, "La carga");
    if (a.fuerza_maxima)
        Rango(*a.fuerza_maxima, 0.001, 1000, "La fuerza máxima");
    Entre(a.muestras, 10, 2000, "El número de muestras por episodio");
    Entre(a.episodios, 1, 1024, "El número de episodios por iteración");
    Entre(a.iteraciones, 1, 1000000, "El número de iteraciones");
    Entre(a.tasa, 0.0001, 1, "La tasa de aprendizaje");
    Entre(static_cast<double>(a.semilla), 0, 4294967295.0, "La semilla");
    Entre(a.subpasos, 1, 100, "El número de subpasos de Runge-Kutta");
    Entre(a.imitacion, 0, 1000000, "El número de iteraciones imitando el PID");
    Entre(a.peso_velocidad, 0, 1000, "El peso de la velocidad");
    Entre(a.peso_fuerza, 0, 1000, "El peso de la fuerza");
    Entre(a.peso_sobreimpulso, 0, 1000, "El peso del sobreimpulso");
    Entre(a.recorte, 0, 1e6, "El recorte del gradiente");
}

Episodio SortearEpisodio(const AjustesEntrenamiento& a, int64_t iteracion, int32_t episodio)
{
    uint64_t estado = a.semilla;
    estado = Mezclar(estado) ^ static_cast<uint64_t>(iteracion);
    estado = Mezclar(estado) ^ static_cast<uint64_t>(episodio);
    Episodio e;
    e.referencia = En(a.referencia, estado) * kGrado;
    e.angulo_inicial = En(a.angulo_inicial, estado) * kGrado;
    e.gravedad = En(a.gravedad, estado);
    e.amortiguamiento = En(a.amortiguamiento, estado);
    e.carga = En(a.carga, estado);
    if (a.fuerza_maxima)
        e.fuerza_maxima = En(*a.fuerza_maxima, estado);
    return e;
}

RedEntrenada RedInicial(const AjustesEntrenamiento& a)
{
    RedEntrenada r = RedVacia(a.ocultas, a.integral, a.limite_integral);
    // Position and reference span about two turns, the velocity some turns
    // a second; the integral its own limit.
    r.escala
        = {1.0 / std::numbers::pi, 1.0 / (2.0 * std::numbers::pi), 1.0 / std::numbers::pi, 1.0 / a.limite_integral};
    uint64_t estado = a.semilla ^ 0x5EED5EED5EED5EEDull;
    const double s1 = 1.0 / std::sqrt(static_cast<double>(r.Entradas()));
    for (double& w : r.w1)
        w = s1 * Normal(estado);
    const double s2 = 1.0 / std::sqrt(static_cast<double>(r.ocultas));
    for (double& w : r.w2)
        w = s2 * Normal(estado);
    return r;
}

double FuerzaEntrenamiento(const RedEntrenada& r, double posicion, double velocidad, double referencia, double integral)
{
    double entrada[RedEntrenada::kEntradasMaximas];
    double ocultas[RedEntrenada::kOcultasMaximas];
    Escalar(r, posicion, velocidad, referencia, integral, entrada);
    return Adelante(r, entrada, ocultas);
}

namespace {

// The forward pass of one episode, keeping in `m` what the backward pass
// reads: the states, the forces, the hidden outputs, each stage's g cos x,
// and whether the force limit and the integral's clamp let the gradient
// through. Returns the episode's loss before its scale.
double EpisodioAdelante(const RedEntrenada& r, const Episodio& ep, const Perdida& p, MemoriaEpisodio& m)
{
    const int32_t H = p.muestras;
    const int32_t n = p.subpasos;
    const size_t oc = static_cast<size_t>(r.ocultas);
    const size_t etapas = static_cast<size_t>(n) * 4;
    const double h = kPeriodoDoble / n;
    const double g = ep.gravedad;
    const double b = ep.amortiguamiento;
    const double referencia = ep.referencia;
    const double limite = r.limite_integral;
    const double sentido = SentidoDelPaso(ep);

    m.x.resize(static_cast<size_t>(H) + 1);
    m.v.resize(static_cast<size_t>(H) + 1);
    m.integral.resize(static_cast<size_t>(H) + 1);
    m.u.resize(static_cast<size_t>(H));
    m.activa.resize(static_cast<size_t>(H));
    m.cosenos.resize(static_cast<size_t>(H) * etapas);
    m.ocultas.resize(static_cast<size_t>(H) * oc);
    m.x[0] = ep.angulo_inicial;
    m.v[0] = 0.0;
    m.integral[0] = 0.0;

    double entrada[RedEntrenada::kEntradasMaximas] = {};
    double suma = 0.0;
    for (int32_t k = 0; k < H; ++k) {
        const size_t kk = static_cast<size_t>(k);
        Escalar(r, m.x[kk], m.v[kk], referencia, m.integral[kk], entrada);
        const double u = Adelante(r, entrada, &m.ocultas[kk * oc]);
        m.u[kk] = u;
        double aplicada = u;
        uint8_t activa = 1;
        if (ep.fuerza_maxima && std::fabs(u) > *ep.fuerza_maxima) {
            aplicada = std::copysign(*ep.fuerza_maxima, u);
            activa = 0;
        }
        aplicada += ep.carga;
        double* c = &m.cosenos[kk * etapas];
        const EstadoBrazoDe<double> nuevo
            = IntegrarMuestra<double>({m.x[kk], m.v[kk]}, h, n, [&](double xx, double vv) {
                  *c++ = g * std::cos(xx);
                  return AceleracionBrazo<double>(g, b, std::sin(xx), vv, aplicada);
              });
        m.x[kk + 1] = nuevo.posicion;
        m.v[kk + 1] = nuevo.velocidad;
        const double e = referencia - nuevo.posicion;
        const double integral = m.integral[kk] + e * kPeriodoDoble;
        if (std::fabs(integral) <= limite)
            activa |= 2;
        m.integral[kk + 1] = std::clamp(integral, -limite, limite);
        m.activa[kk] = activa;
        const double o = std::max(0.0, sentido * (nuevo.posicion - referencia));
        suma += e * e + p.peso_velocidad * nuevo.velocidad * nuevo.velocidad + p.peso_fuerza * u * u
            + p.peso_sobreimpulso * o * o;
    }
    return suma;
}

// One Runge-Kutta sub-step in reverse: from the adjoints (dx, dv) of its end
// to those of its start, adding into du the force's share. gc holds the
// four stages' g cos x; the sub-step is IntegrarMuestra's, in double.
inline void SubpasoAtras(double h, double b, const double* gc, double& dx, double& dv, double& du)
{
    constexpr double kSexto = 1.0 / 6.0;
    const double kx1 = dx * kSexto, kv1 = dv * kSexto;
    double kx2 = 2.0 * dx * kSexto, kv2 = 2.0 * dv * kSexto;
    double kx3 = 2.0 * dx * kSexto, kv3 = 2.0 * dv * kSexto;
    const double kx4 = dx * kSexto, kv4 = dv * kSexto;
    double ax = dx, av = dv;
    // Stage 4: kx4 = h v4, kv4 = h b4, b4 = a(x4, v4), x4 = x + kx3.
    double b4 = h * kv4;
    double v4 = h * kx4 - b * b4;
    double x4 = b4 * gc[3];
    du += b4;
    ax += x4, kx3 += x4, av += v4, kv3 += v4;
    // Stage 3: x3 = x + kx2 / 2.
    double b3 = h * kv3;
    double v3 = h * kx3 - b * b3;
    double x3 = b3 * gc[2];
    du += b3;
    ax += x3, kx2 += 0.5 * x3, av += v3, kv2 += 0.5 * v3;
    // Stage 2: x2 = x + kx1 / 2.
    double b2 = h * kv2;
    double v2 = h * kx2 - b * b2;
    double x2 = b2 * gc[1];
    du += b2;
    const double kx1t = kx1 + 0.5 * x2, kv1t = kv1 + 0.5 * v2;
    ax += x2, av += v2;
    // Stage 1 at the sub-step's start.
    double b1 = h * kv1t;
    double v1 = h * kx1t - b * b1;
    double x1s = b1 * gc[0];
    du += b1;
    dx = ax + x1s;
    dv = av + v1;
}

// The backward pass over what EpisodioAdelante kept: the gradient of the
// episode's scaled loss added into `gradiente`. dx, dv, di are the adjoints
// of the state after sample k.
void EpisodioAtras(const RedEntrenada& r, const Episodio& ep, const Perdida& p, const MemoriaEpisodio& m,
                   double* gradiente)
{
    const int32_t H = p.muestras;
    const int32_t n = p.subpasos;
    const size_t oc = static_cast<size_t>(r.ocultas);
    const size_t etapas = static_cast<size_t>(n) * 4;
    const double h = kPeriodoDoble / n;
    const double b = ep.amortiguamiento;
    const double referencia = ep.referencia;
    const double sentido = SentidoDelPaso(ep);
    const double s = p.escala;
    double dx = 0.0, dv = 0.0, di = 0.0;
    double entrada[RedEntrenada::kEntradasMaximas] = {};
    double d_entrada[RedEntrenada::kEntradasMaximas];
    for (int32_t k = H - 1; k >= 0; --k) {
        const size_t kk = static_cast<size_t>(k);
        const double x1 = m.x[kk + 1];
        const double e = referencia - x1;
        const double o = std::max(0.0, sentido * (x1 - referencia));
        dx += -2.0 * e * s + 2.0 * p.peso_sobreimpulso * o * sentido * s;
        dv += 2.0 * p.peso_velocidad * m.v[kk + 1] * s;
        // The integral after sample k: clamp(integral before + e dt).
        double di_antes = 0.0;
        if (m.activa[kk] & 2) {
            di_antes = di;
            dx -= kPeriodoDoble * di;
        }
        // The sample's sub-steps in reverse.
        double du = 0.0;
        const double* c = &m.cosenos[kk * etapas];
        for (int32_t paso = n - 1; paso >= 0; --paso)
            SubpasoAtras(h, b, c + static_cast<size_t>(paso) * 4, dx, dv, du);
        // The force: the limit passes no gradient while it holds.
        const double u = m.u[kk];
        du = ((m.activa[kk] & 1) ? du : 0.0) + 2.0 * p.peso_fuerza * u * s;
        Escalar(r, m.x[kk], m.v[kk], referencia, m.integral[kk], entrada);
        std::fill(d_entrada, d_entrada + RedEntrenada::kEntradasMaximas, 0.0);
        Atras(r, entrada, &m.ocultas[kk * oc], du, gradiente, d_entrada);
        dx += d_entrada[0] * r.escala[0];
        dv += d_entrada[1] * r.escala[1];
        if (r.integral)
            di_antes += d_entrada[3] * r.escala[3];
        di = di_antes;
    }
}

} // namespace

double PerdidaEpisodio(const RedEntrenada& r, const Episodio& ep, const Perdida& p, double* gradiente,
                       MemoriaEpisodio& m)
{
    const double suma = EpisodioAdelante(r, ep, p, m);
    if (gradiente)
        EpisodioAtras(r, ep, p, m, gradiente);
    return suma * p.escala;
}

void Adam::Paso(std::vector<double>& p, const std::vector<double>& g, double tasa)
{
    constexpr double kB1 = 0.9, kB2 = 0.999, kEps = 1e-8;
    ++t_;
    const double c1 = 1.0 - std::pow(kB1, static_cast<double>(t_));
    const double c2 = 1.0 - std::pow(kB2, static_cast<double>(t_));
    for (size_t i = 0; i < p.size(); ++i) {
        m_[i] = kB1 * m_[i] + (1.0 - kB1) * g[i];
        v_[i] = kB2 * v_[i] + (1.0 - kB2) * g[i] * g[i];
        const double mh = m_[i] / c1;
        const double vh = v_[i] / c2;
        p[i] -= tasa * mh / (std::sqrt(vh) + kEps);
    }
}

double FuerzaPidImitada(const AjustesEntrenamiento& a, double x, double v, double referencia, double integral)
{
    // The laboratory's PID gains on the error and the velocity; the integral's
    // gain is such that the integral at its limit gives the largest holding
    // force the conditions ask for (gravity and load at their extremes), and
    // the force is held within what a tanh layer of this size learns well.
    const double sosten = std::max(a.gravedad.hasta, std::fabs(a.gravedad.desde))
        + std::max(std::fabs(a.carga.desde), std::fabs(a.carga.hasta));
    const double ki = (sosten + 5.0) / a.limite_integral;
    const double u = 60.0 * (referencia - x) + (a.integral ? ki * integral : 0.0) - 15.0 * v;
    const double tope = 2.0 * (sosten + 10.0);
    return std::clamp(u, -tope, tope);
}

Entrenador::Entrenador(const AjustesEntrenamiento& ajustes, int trabajadores)
    : ajustes_(ajustes), trabajadores_(trabajadores), adam_(0)
{
    ComprobarEntrenamiento(ajustes);
    if (trabajadores != 1 && trabajadores != 2)
        throw std::invalid_argument("Entrenador: one or two workers");
    red_ = RedInicial(ajustes);
    parametros_ = red_.Parametros();
    adam_ = Adam(parametros_.size());
}

void Entrenador::Aplicar(const std::vector<std::vector<double>>& filas)
{
    std::vector<double> g(parametros_.size(), 0.0);
    for (const std::vector<double>& fila : filas)
        for (size_t i = 0; i < g.size(); ++i)
            g[i] += fila[i];
    if (ajustes_.recorte > 0.0) {
        double norma = 0.0;
        for (double x : g)
            norma += x * x;
        norma = std::sqrt(norma);
        if (norma > ajustes_.recorte)
            for (double& x : g)
                x *= ajustes_.recorte / norma;
    }
    std::vector<double> p = parametros_;
    Adam adam = adam_;
    ClearFloatFaults();
    adam.Paso(p, g, ajustes_.tasa);
    ThrowOnFloatFaults();
    for (double x : p)
        if (!std::isfinite(x))
            throw FloatOverflowError();
    parametros_ = std::move(p);
    adam_ = std::move(adam);
    red_.FijarParametros(parametros_);
}

namespace {

// Runs trabajo(i, worker) for i in [0, n) on one or two workers, each taking
// the next index; the floating-point flags of each worker are its own, so
// each checks them, and the first fault is thrown here. A raised `cancelar`
// stops both at their next index, and IteracionCancelada is thrown.
template <class Trabajo>
void Repartir(int32_t n, int trabajadores, const std::atomic<bool>* cancelar, Trabajo&& trabajo)
{
    std::atomic<int32_t> siguiente{0};
    std::exception_ptr fallos[2];
    auto trabajar = [&](int w) {
        try {
            ClearFloatFaults();
            for (int32_t i; (i = siguiente.fetch_add(1)) < n;) {
                if (cancelar && cancelar->load())
                    throw IteracionCancelada();
                trabajo(i, w);
            }
            ThrowOnFloatFaults();
        } catch (...) {
            fallos[w] = std::current_exception();
        }
    };
    if (trabajadores == 2) {
        std::jthread otro(trabajar, 1);
        trabajar(0);
    } else {
        trabajar(0);
    }
    for (const std::exception_ptr& f : fallos)
        if (f)
            std::rethrow_exception(f);
}

} // namespace

double Entrenador::IterarTiempo()
{
    const int32_t B = ajustes_.episodios;
    Perdida p;
    p.peso_velocidad = ajustes_.peso_velocidad;
    p.peso_fuerza = ajustes_.peso_fuerza;
    p.peso_sobreimpulso = ajustes_.peso_sobreimpulso;
    p.muestras = ajustes_.muestras;
    p.subpasos = ajustes_.subpasos;
    p.escala = 1.0 / (static_cast<double>(ajustes_.muestras) * B);
    std::vector<std::vector<double>> filas(static_cast<size_t>(B), std::vector<double>(parametros_.size(), 0.0));
    std::vector<double> perdidas(static_cast<size_t>(B), 0.0);
    MemoriaEpisodio memoria[2];
    Repartir(B, trabajadores_, cancelar_, [&](int32_t i, int w) {
        const Episodio ep = SortearEpisodio(ajustes_, iteracion_, i);
        perdidas[static_cast<size_t>(i)]
            = PerdidaEpisodio(red_, ep, p, filas[static_cast<size_t>(i)].data(), memoria[w]);
    });
    double total = 0.0;
    for (double l : perdidas)
        total += l;
    if (!std::isfinite(total))
        throw FloatOverflowError();
    Aplicar(filas);
    return total;
}

double Entrenador::IterarImitacion()
{
    // Random states about the conditions, each compared with the PID's force.
    constexpr int32_t kEstados = 16; // per episode
    const int32_t B = ajustes_.episodios;
    const double escala = 1.0 / (static_cast<double>(B) * kEstados);
    std::vector<std::vector<double>> filas(static_cast<size_t>(B), std::vector<double>(parametros_.size(), 0.0));
    std::vector<double> perdidas(static_cast<size_t>(B), 0.0);
    // The error is measured in units of the largest force asked for, so that
    // the imitation's loss and gradient are of about one.
    const double fuerza = std::fabs(FuerzaPidImitada(ajustes_, 0.0, 0.0, 10.0, 0.0));
    const double lo = std::min(ajustes_.referencia.desde, ajustes_.angulo_inicial.desde) - 30.0;
    const double hi = std::max(ajustes_.referencia.hasta, ajustes_.angulo_inicial.hasta) + 30.0;
    Repartir(B, trabajadores_, cancelar_, [&](int32_t i, int) {
        uint64_t estado = ajustes_.semilla ^ 0x1D1D1D1D1D1D1D1Dull;
        estado = Mezclar(estado) ^ static_cast<uint64_t>(iteracion_);
        estado = Mezclar(estado) ^ static_cast<uint64_t>(i);
        double entrada[RedEntrenada::kEntradasMaximas];
        double ocultas[RedEntrenada::kOcultasMaximas];
        double d_entrada[RedEntrenada::kEntradasMaximas];
        double suma = 0.0;
        for (int32_t k = 0; k < kEstados; ++k) {
            const double x = (lo + (hi - lo) * Uniforme(estado)) * kGrado;
            const double v = (Uniforme(estado) * 2.0 - 1.0) * 6.0;
            const double ref = En(ajustes_.referencia, estado) * kGrado;
            const double integral = (Uniforme(estado) * 2.0 - 1.0) * ajustes_.limite_integral;
            Escalar(red_, x, v, ref, integral, entrada);
            const double d
                = (Adelante(red_, entrada, ocultas) - FuerzaPidImitada(ajustes_, x, v, ref, integral)) / fuerza;
            suma += d * d;
            Atras(red_, entrada, ocultas, 2.0 * d * escala / fuerza, filas[static_cast<size_t>(i)].data(), d_entrada);
        }
        perdidas[static_cast<size_t>(i)] = suma * escala;
    });
    double total = 0.0;
    for (double l : perdidas)
        total += l;
    Aplicar(filas);
    return total;
}

double Entrenador::Iterar()
{
    const double perdida = Imitando() ? IterarImitacion() : IterarTiempo();
    ++iteracion_;
    return perdida;
}

} // namespace nc
