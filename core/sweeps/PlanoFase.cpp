// SPDX-License-Identifier: MIT
#include "core/sweeps/PlanoFase.h"

#include "core/run/Experimento.h"
#include "core/work/Trabajo.h"
#include "core/numbers/Unidades.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace nc {
namespace {

constexpr double kPasoBusqueda = 0.25; // degrees between the samples of the search for equilibria
constexpr int kPasosIntegral = 512;    // samples of the integral's clamp range in the search
constexpr double kVuelta = 360.0;
constexpr double kCajaPosicion = 0.5;  // degrees: the neighbourhood's half-width
constexpr double kCajaVelocidad = 5.0; // degrees per second
// The early stop's share of the ellipse's level: a run stopped there would
// have to let the quadratic form grow fourfold, against the linearised
// loop's fall at every sample, to end anywhere else.
constexpr long double kNivelParada = 0.25L;

// Rounded to 12 significant digits, so that a cell's centre reads as written.
double Redondeado(double v)
{
    char texto[32];
    const auto r = std::to_chars(texto, texto + sizeof texto, v, std::chars_format::general, 12);
    double leido = v;
    std::from_chars(texto, r.ptr, leido);
    return leido;
}

std::string TextoGrados(double v)
{
    char texto[32];
    const auto r = std::to_chars(texto, texto + sizeof texto, v);
    return std::string(texto, r.ptr);
}

// NaN fails both comparisons, so it is refused with the range.
void Rango(double v, double minimo, double maximo, const char* campo)
{
    if (!(v >= minimo && v <= maximo))
        throw AjusteInvalido(RangoAjuste{campo, minimo, maximo});
}

// Small square matrices, row-major, n of 2 or 3.
using Matriz = std::array<long double, 9>;

long double& En(Matriz& m, int i, int j)
{
    return m[static_cast<size_t>(3 * i + j)];
}
long double En(const Matriz& m, int i, int j)
{
    return m[static_cast<size_t>(3 * i + j)];
}

Matriz Producto(const Matriz& a, const Matriz& b, int n)
{
    Matriz c{};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            long double s = 0;
            for (int k = 0; k < n; ++k)
                s += En(a, i, k) * En(b, k, j);
            En(c, i, j) = s;
        }
    return c;
}

Matriz Traspuesta(const Matriz& a, int n)
{
    Matriz t{};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            En(t, i, j) = En(a, j, i);
    return t;
}

long double MayorModulo(const Matriz& a, int n)
{
    long double m = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            m = std::max(m, std::fabs(En(a, i, j)));
    return m;
}

// exp(a) of a 3 x 3 by scaling and squaring: the Taylor series of a / 2^s,
// whose largest row sum is below 1/2, then squared s times.
Matriz Exponencial(Matriz a)
{
    long double norma = 0;
    for (int i = 0; i < 3; ++i)
        norma = std::max(norma, std::fabs(En(a, i, 0)) + std::fabs(En(a, i, 1)) + std::fabs(En(a, i, 2)));
    int s = 0;
    while (norma > 0.5L && s < 60) {
        norma /= 2;
        ++s;
    }
    for (long double& x : a)
        x = std::ldexp(x, -s);
    Matriz r{}, termino{};
    for (int i = 0; i < 3; ++i)
        En(r, i, i) = En(termino, i, i) = 1;
    for (int k = 1; k <= 24; ++k) {
        termino = Producto(termino, a, 3);
        for (long double& x : termino)
            x /= k;
        for (size_t i = 0; i < r.size(); ++i)
            r[i] += termino[i];
    }
    for (int k = 0; k < s; ++k)
        r = Producto(r, r, 3);
    return r;
}

// P = sum over k of (M')^k Q M^k, the solution of M'PM - P = -Q, by
// doubling: P += A'PA, A = A^2. False when M is not stable (A does not
// vanish).
bool Lyapunov(const Matriz& m, const Matriz& q, int n, Matriz& p)
{
    p = q;
    Matriz a = m;
    for (int paso = 0; paso < 80; ++paso) {
        const Matriz apa = Producto(Producto(Traspuesta(a, n), p, n), a, n);
        for (size_t i = 0; i < p.size(); ++i)
            p[i] += apa[i];
        a = Producto(a, a, n);
        const long double mayor = MayorModulo(a, n);
        if (!std::isfinite(mayor) || mayor > 1e30L)
            return false;
        if (mayor < 1e-18L)
            return std::all_of(p.begin(), p.end(), [](long double x) { return std::isfinite(x); });
    }
    return false;
}

// The diagonal of P's inverse, from its cofactors.
std::array<long double, 3> DiagonalInversa(const Matriz& p, int n)
{
    if (n == 2) {
        const long double det = En(p, 0, 0) * En(p, 1, 1) - En(p, 0, 1) * En(p, 1, 0);
        return {En(p, 1, 1) / det, En(p, 0, 0) / det, 0};
    }
    const long double c00 = En(p, 1, 1) * En(p, 2, 2) - En(p, 1, 2) * En(p, 2, 1);
    const long double c11 = En(p, 0, 0) * En(p, 2, 2) - En(p, 0, 2) * En(p, 2, 0);
    const long double c22 = En(p, 0, 0) * En(p, 1, 1) - En(p, 0, 1) * En(p, 1, 0);
    const long double det = En(p, 0, 0) * c00 - En(p, 0, 1) * (En(p, 1, 0) * En(p, 2, 2) - En(p, 1, 2) * En(p, 2, 0))
        + En(p, 0, 2) * (En(p, 1, 0) * En(p, 2, 1) - En(p, 1, 1) * En(p, 2, 0));
    return {c00 / det, c11 / det, c22 / det};
}

// Where f (at rest, of a float position in radians) changes sign on
// [desde, hasta] degrees, sampled every kPasoBusqueda and refined to
// adjacent floats.
template <class F> std::vector<float> RaicesPosicion(double desde, double hasta, F&& f)
{
    std::vector<float> raices;
    const int n = std::max(1, static_cast<int>(std::ceil((hasta - desde) / kPasoBusqueda)));
    auto punto = [&](int k) { return static_cast<float>((desde + (hasta - desde) * k / n) * kGradosARadianes); };
    float xa = punto(0);
    long double fa = f(xa);
    bool cero_anterior = false;
    for (int k = 1; k <= n + 1; ++k) {
        if (fa == 0) {
            if (!cero_anterior)
                raices.push_back(xa);
            cero_anterior = true;
        } else {
            cero_anterior = false;
        }
        if (k > n)
            break;
        const float xb = punto(k);
        const long double fb = f(xb);
        if (fa != 0 && fb != 0 && (fa < 0) != (fb < 0)) {
            float a = xa, b = xb;
            long double f_a = fa, f_b = fb;
            for (;;) {
                const float m = static_cast<float>((static_cast<double>(a) + static_cast<double>(b)) / 2);
                if (m == a || m == b)
                    break;
                const long double fm = f(m);
                if (fm == 0) {
                    a = b = m;
                    f_a = f_b = 0;
                    break;
                }
                if ((fm < 0) == (f_a < 0)) {
                    a = m;
                    f_a = fm;
                } else {
                    b = m;
                    f_b = fm;
                }
            }
            raices.push_back(std::fabs(f_a) <= std::fabs(f_b) ? a : b);
        }
        xa = xb;
        fa = fb;
    }
    return raices;
}

// Where h changes sign on [-limite, limite], refined to adjacent doubles.
template <class F> std::vector<double> RaicesIntegral(double limite, F&& h)
{
    std::vector<double> raices;
    auto punto = [&](int k) { return k == kPasosIntegral ? limite : -limite + 2 * limite * k / kPasosIntegral; };
    double ia = punto(0);
    long double ha = h(ia);
    for (int k = 1; k <= kPasosIntegral; ++k) {
        const double ib = punto(k);
        const long double hb = h(ib);
        if (ha == 0 && (raices.empty() || raices.back() != ia))
            raices.push_back(ia);
        if (ha != 0 && hb != 0 && (ha < 0) != (hb < 0)) {
            double a = ia, b = ib;
            long double h_a = ha, h_b = hb;
            for (int paso = 0; paso < 200; ++paso) {
                const double m = a + (b - a) / 2;
                if (m == a || m == b)
                    break;
                const long double hm = h(m);
                if (hm == 0) {
                    a = b = m;
                    h_a = h_b = 0;
                    break;
                }
                if ((hm < 0) == (h_a < 0)) {
                    a = m;
                    h_a = hm;
                } else {
                    b = m;
                    h_b = hm;
                }
            }
            raices.push_back(std::fabs(h_a) <= std::fabs(h_b) ? a : b);
        }
        ia = ib;
        ha = hb;
    }
    if (ha == 0 && (raices.empty() || raices.back() != ia))
        raices.push_back(ia);
    return raices;
}

// One sample of the loop linearised at the equilibrium: the arm's
// x' = A x + B u with the force held over the sample (Phi = exp(A h), Gamma
// its integral times B, from the exponential of the augmented matrix), and
// the controller's u = K x read at the sample's start. With the integral as
// third state, the tick first adds the error times the period to it.
Entorno EntornoDe(const Equilibrio& e, const CampoLazo& campo, const AjustesPlano& plano)
{
    Entorno en;
    const bool tres = e.integral && !e.en_limite;
    en.n = tres ? 3 : 2;
    const long double theta = static_cast<long double>(e.posicion) * kGradosARadianes;
    en.centro = {theta, 0, e.integral.value_or(0)};
    long double kx = 0, kv = 0, ki = 0;
    if (!e.lectura.saturada) {
        kx = e.lectura.ganancias.dposicion;
        kv = e.lectura.ganancias.dvelocidad;
        ki = e.lectura.du_dintegral.value_or(0);
    }
    const long double g = ExtendidoDe(plano.base.brazo.gravedad);
    const long double b = ExtendidoDe(plano.base.brazo.amortiguamiento);
    long double caja_x = kCajaPosicion * kGradosARadianes;
    // Held at its clamp, the integral stays there only while the error keeps
    // its sign.
    if (e.en_limite)
        caja_x = std::min(caja_x, std::fabs(theta - static_cast<long double>(campo.Referencia())) / 2);
    en.caja = {caja_x, kCajaVelocidad * kGradosARadianes, 0};
    if (e.en_limite)
        en.memoria_exacta = e.integral;
    if (tres) {
        // As much integral as moves the force as much as the position's box,
        // and clear of the clamp.
        const long double holgura = (campo.LimiteIntegral() - std::fabs(*e.integral)) / 2;
        const long double mueve = caja_x * std::max(std::fabs(kx), g);
        en.caja[2] = ki != 0 ? std::min(mueve / std::fabs(ki), holgura) : holgura;
        if (!(en.caja[2] > 0))
            return en;
    }

    const long double h = kPeriodo;
    Matriz aumentada{};
    En(aumentada, 0, 1) = h;
    En(aumentada, 1, 0) = g * std::cos(theta) * h;
    En(aumentada, 1, 1) = -b * h;
    En(aumentada, 1, 2) = h;
    const Matriz x = Exponencial(aumentada);
    Matriz m{};
    for (int i = 0; i < 2; ++i) {
        const long double gamma = En(x, i, 2);
        En(m, i, 0) = En(x, i, 0) + gamma * (kx - (tres ? h * ki : 0));
        En(m, i, 1) = En(x, i, 1) + gamma * kv;
        if (tres)
            En(m, i, 2) = gamma * ki;
    }
    if (tres) {
        En(m, 2, 0) = -h;
        En(m, 2, 2) = 1;
    }
    Matriz q{};
    for (int i = 0; i < en.n; ++i)
        En(q, i, i) = 1 / (en.caja[static_cast<size_t>(i)] * en.caja[static_cast<size_t>(i)]);
    Matriz p;
    if (!Lyapunov(m, q, en.n, p))
        return en;
    // The largest level whose ellipse fits the box: max |x_i| over x'Px <= c
    // is sqrt(c (P^-1)_ii).
    const std::array<long double, 3> inversa = DiagonalInversa(p, en.n);
    long double c = std::numeric_limits<long double>::infinity();
    for (int i = 0; i < en.n; ++i) {
        const long double lado = en.caja[static_cast<size_t>(i)];
        c = std::min(c, lado * lado / inversa[static_cast<size_t>(i)]);
    }
    if (!(c > 0 && std::isfinite(c)))
        return en;
    en.elipse = true;
    en.p = p;
    en.c = c;
    return en;
}

} // namespace

void ComprobarPlano(const AjustesPlano& plano)
{
    ComprobarAjustes(AjustesInicio(plano, 0, 0));
    Rango(plano.desde, -kGradosMaximos, kGradosMaximos, "El principio de las posiciones");
    Rango(plano.hasta, -kGradosMaximos, kGradosMaximos, "El final de las posiciones");
    if (!(plano.hasta - plano.desde >= 10))
        throw AjusteInvalido("Las posiciones deben abarcar al menos 10 grados, de menos a más");
    Rango(plano.velocidad, 1, kGradosMaximos, "La velocidad mayor");
    Rango(plano.columnas, 2, kCeldasPlanoMaximas, "El número de columnas");
    Rango(plano.filas, 2, kCeldasPlanoMaximas, "El número de filas");
    Rango(plano.muestras, 20, 100000, "El número de muestras por celda");
}

double PosicionColumna(const AjustesPlano& plano, int columna)
{
    return Redondeado(plano.desde + (plano.hasta - plano.desde) * (columna + 0.5) / plano.columnas);
}

double VelocidadFila(const AjustesPlano& plano, int fila)
{
    return Redondeado(-plano.velocidad + 2 * plano.velocidad * (fila + 0.5) / plano.filas);
}

AjustesExperimento AjustesInicio(const AjustesPlano& plano, double posicion, double velocidad)
{
    AjustesExperimento a = plano.base;
    a.comparar.reset();
    a.ruido = AjustesRuido{};
    a.velocidad.reset();
    a.referencia = ProgramaReferencia{};
    a.referencia.texto = TextoGrados(plano.referencia);
    a.angulo_inicial = posicion;
    a.velocidad_inicial = velocidad;
    return a;
}

const char* NombreTipo(TipoEquilibrio tipo)
{
    switch (tipo) {
    case TipoEquilibrio::NodoEstable: return "nodo estable";
    case TipoEquilibrio::FocoEstable: return "foco estable";
    case TipoEquilibrio::Silla: return "silla";
    case TipoEquilibrio::NodoInestable: return "nodo inestable";
    case TipoEquilibrio::FocoInestable: return "foco inestable";
    case TipoEquilibrio::NoHiperbolico: return "no hiperbólico";
    }
    return "";
}

const char* ClaveTipo(TipoEquilibrio tipo)
{
    switch (tipo) {
    case TipoEquilibrio::NodoEstable: return "nodo_estable";
    case TipoEquilibrio::FocoEstable: return "foco_estable";
    case TipoEquilibrio::Silla: return "silla";
    case TipoEquilibrio::NodoInestable: return "nodo_inestable";
    case TipoEquilibrio::FocoInestable: return "foco_inestable";
    case TipoEquilibrio::NoHiperbolico: return "no_hiperbolico";
    }
    return "";
}

TipoEquilibrio TipoDe(const LazoLinealizado& l)
{
    const long double re[] = {l.autovalores.re1, l.autovalores.re2, l.re3};
    const long double im[] = {l.autovalores.im1, l.autovalores.im2, l.im3};
    bool positivo = false, negativo = false, cero = false, complejo = false;
    for (int i = 0; i < (l.tres_estados ? 3 : 2); ++i) {
        positivo |= re[i] > 0;
        negativo |= re[i] < 0;
        cero |= re[i] == 0;
        complejo |= im[i] != 0;
    }
    if (cero)
        return TipoEquilibrio::NoHiperbolico;
    if (positivo && negativo)
        return TipoEquilibrio::Silla;
    if (negativo)
        return complejo ? TipoEquilibrio::FocoEstable : TipoEquilibrio::NodoEstable;
    return complejo ? TipoEquilibrio::FocoInestable : TipoEquilibrio::NodoInestable;
}

// The controller's network and a scratch copy that each reading runs on, as
// the tick's controller does.
struct CampoLazo::Red {
    std::unique_ptr<Controlador> controlador;
    red copia;
    vector_1_Din entrada;
};

CampoLazo::CampoLazo(const AjustesPlano& plano)
    : ajustes_(AjustesInicio(plano, 0, 0)), brazo_(ajustes_.brazo),
      referencia_(static_cast<float>(GradosReferencia(ajustes_.referencia, 0) * kGradosARadianes)),
      g_(ExtendidoDe(ajustes_.brazo.gravedad)), b_(ExtendidoDe(ajustes_.brazo.amortiguamiento)),
      red_(std::make_unique<Red>())
{
    red_->controlador = CrearControlador(ajustes_.controlador, ajustes_.brazo.fuerza_maxima);
    const AjustesControlador& c = ajustes_.controlador;
    if (c.tipo == TipoControlador::Pid && c.pid.ki > 0) {
        con_integral_ = true;
        limite_integral_ = LimiteIntegralPid(c.pid, ajustes_.brazo.fuerza_maxima);
    } else if (c.tipo == TipoControlador::Entrenada && c.entrenada->integral) {
        con_integral_ = true;
        limite_integral_ = c.entrenada->limite_integral;
    }
}

CampoLazo::~CampoLazo() = default;

float CampoLazo::Pedida(float x, float v, double integral) const
{
    const AjustesControlador& c = ajustes_.controlador;
    switch (c.tipo) {
    case TipoControlador::Red:
    case TipoControlador::Entrenada: {
        Red& r = *red_;
        if (c.tipo == TipoControlador::Red)
            r.entrada = vector_1_Din{x, v, referencia_};
        else
            EntradaEscalada(*c.entrenada, x, v, referencia_, integral, r.entrada);
        r.copia = *r.controlador->Red();
        FeedBack(r.copia, r.entrada);
        return static_cast<float>(r.copia.Capa(1).Neurona(0).Salida());
    }
    case TipoControlador::Pid: {
        const double error = static_cast<double>(referencia_) - static_cast<double>(x);
        return static_cast<float>(c.pid.kp * error + c.pid.ki * integral - c.pid.kd * static_cast<double>(v));
    }
    case TipoControlador::Ninguno: return 0.0f;
    }
    return 0.0f;
}

float CampoLazo::Aplicada(float x, float v, double integral) const
{
    return brazo_.FuerzaAplicada(Pedida(x, v, integral), ajustes_.carga);
}

long double CampoLazo::Aceleracion(float x, float v, double integral) const
{
    return AceleracionBrazo<long double>(g_, b_, std::sin(static_cast<long double>(x)), v, Aplicada(x, v, integral));
}

LecturaRayosX CampoLazo::Lectura(float x, float v, double integral, bool con_integral) const
{
    const AjustesControlador& c = ajustes_.controlador;
    const EstadoLeido estado{x, v, referencia_};
    LecturaRayosX l;
    if (c.tipo == TipoControlador::Red)
        l = RayosXRed(*red_->controlador->Red(), c.lesiones.apagadas, estado, ajustes_.brazo);
    else if (c.tipo == TipoControlador::Entrenada)
        l = RayosXEntrenada(*red_->controlador->Red(), *c.entrenada, c.lesiones.apagadas, estado, integral,
                            ajustes_.brazo);
    else
        l = LeerRayosX(*red_->controlador, c, estado, Pedida(x, v, integral), ajustes_.brazo);
    if (!con_integral && l.du_dintegral) {
        l.du_dintegral.reset();
        l.lazo = l.saturada ? Linealizar(x, 0.0L, 0.0L, g_, b_)
                            : Linealizar(x, l.ganancias.dposicion, l.ganancias.dvelocidad, g_, b_);
    }
    return l;
}

AnalisisPlano AnalizarPlano(const AjustesPlano& plano)
{
    const CampoLazo campo(plano);
    AnalisisPlano a;
    a.con_integral = campo.ConIntegral();
    a.limite_integral = campo.LimiteIntegral();
    const double desde = plano.desde - kVuelta;
    const double hasta = plano.hasta + kVuelta;
    const float r = campo.Referencia();
    auto agregar = [&](float x, std::optional<double> integral, bool en_limite) {
        Equilibrio e;
        e.posicion = static_cast<double>(x * kRadianesAGrados);
        e.integral = integral;
        e.en_limite = en_limite;
        e.lectura = campo.Lectura(x, 0.0f, integral.value_or(0), !en_limite);
        e.tipo = TipoDe(e.lectura.lazo);
        a.equilibrios.push_back(std::move(e));
    };
    if (!a.con_integral) {
        for (float x : RaicesPosicion(desde, hasta, [&](float x) { return campo.Aceleracion(x, 0.0f, 0.0); }))
            agregar(x, std::nullopt, false);
    } else {
        // The whole loop rests only where the error is zero, unless the
        // integral is held at its clamp.
        const double limite = campo.LimiteIntegral();
        for (double i : RaicesIntegral(limite, [&](double i) { return campo.Aceleracion(r, 0.0f, i); })) {
            agregar(r, i, false);
            a.equilibrio_en_referencia = true;
        }
        for (double lado : {-1.0, 1.0}) {
            const double i = lado * limite;
            for (float x : RaicesPosicion(desde, hasta, [&](float x) { return campo.Aceleracion(x, 0.0f, i); }))
                if (lado * (static_cast<double>(r) - static_cast<double>(x)) > 0)
                    agregar(x, i, true);
        }
    }
    std::sort(a.equilibrios.begin(), a.equilibrios.end(), [](const Equilibrio& p, const Equilibrio& q) {
        return p.posicion != q.posicion ? p.posicion < q.posicion : p.integral.value_or(0) < q.integral.value_or(0);
    });
    for (Equilibrio& e : a.equilibrios)
        e.entorno = EntornoDe(e, campo, plano);
    return a;
}

int EquilibrioEn(const AnalisisPlano& analisis, EstadoBrazo estado, std::span<const double> memoria, bool parada)
{
    for (size_t i = 0; i < analisis.equilibrios.size(); ++i) {
        const Entorno& en = analisis.equilibrios[i].entorno;
        if (parada && !en.elipse)
            continue;
        if (en.memoria_exacta && (memoria.empty() || memoria[0] != *en.memoria_exacta))
            continue;
        std::array<long double, 3> x{static_cast<long double>(estado.posicion) - en.centro[0],
                                     static_cast<long double>(estado.velocidad), 0};
        if (en.n == 3)
            x[2] = (memoria.empty() ? 0.0L : static_cast<long double>(memoria[0])) - en.centro[2];
        bool dentro = true;
        for (int k = 0; k < en.n; ++k)
            dentro &= std::fabs(x[static_cast<size_t>(k)]) <= en.caja[static_cast<size_t>(k)];
        if (!dentro)
            continue;
        if (!en.elipse)
            return static_cast<int>(i);
        long double v = 0;
        for (int f = 0; f < en.n; ++f)
            for (int c = 0; c < en.n; ++c)
                v += x[static_cast<size_t>(f)] * En(en.p, f, c) * x[static_cast<size_t>(c)];
        if (v <= (parada ? kNivelParada * en.c : en.c))
            return static_cast<int>(i);
    }
    return -1;
}

ResultadoCeldaPlano CalcularCeldaPlano(const AjustesPlano& plano, const AnalisisPlano& analisis, int fila, int columna,
                                       bool parada_temprana)
{
    const AjustesExperimento a = AjustesInicio(plano, PosicionColumna(plano, columna), VelocidadFila(plano, fila));
    const long double desde = (plano.desde - kVuelta) * kGradosARadianes;
    const long double hasta = (plano.hasta + kVuelta) * kGradosARadianes;
    ResultadoCeldaPlano r;
    bool gira = false;
    try {
        Experimento lab(a);
        for (int32_t k = 0; k < plano.muestras; ++k) {
            lab.Paso();
            ++r.calculadas;
            const EstadoBrazo e = lab.Estado();
            if (!(e.posicion >= desde && e.posicion <= hasta)) {
                gira = true;
                if (parada_temprana)
                    break;
            }
            if (parada_temprana) {
                const int i = EquilibrioEn(analisis, e, lab.MemoriaControlador(), true);
                if (i >= 0) {
                    r.fin = static_cast<int16_t>(i);
                    return r;
                }
            }
        }
        if (gira) {
            r.fin = kFinGira;
            return r;
        }
        const int i = EquilibrioEn(analisis, lab.Estado(), lab.MemoriaControlador());
        r.fin = i >= 0 ? static_cast<int16_t>(i) : kFinNoSeDetiene;
    } catch (const std::exception&) {
        // A tick that overflowed: the arm ran away.
        r.fin = kFinGira;
    }
    return r;
}

PlanoFase CalcularPlano(const AjustesPlano& ajustes, const AnalisisPlano& analisis, int hilos, bool parada_temprana,
                        Trabajo* trabajo, std::span<std::atomic<int16_t>> celdas)
{
    assert((hilos == 1 || hilos == 2) && "a plane runs on one or two workers");
    const int32_t total = ajustes.columnas * ajustes.filas;
    assert((celdas.empty() || celdas.size() == static_cast<size_t>(total)) && "one atomic per cell");
    PlanoFase plano;
    plano.ajustes = ajustes;
    plano.analisis = analisis;
    plano.celdas.assign(static_cast<size_t>(total), kFinPendiente);

    std::atomic<int32_t> siguiente{0};
    std::atomic<int32_t> hechas{0};
    std::atomic<int64_t> calculadas{0};
    auto trabajar = [&] {
        for (;;) {
            if (trabajo && !trabajo->Seguir())
                return;
            const int32_t i = siguiente.fetch_add(1);
            if (i >= total)
                return;
            const ResultadoCeldaPlano r
                = CalcularCeldaPlano(ajustes, analisis, i / ajustes.columnas, i % ajustes.columnas, parada_temprana);
            // Each cell is written by the one worker that took it.
            plano.celdas[static_cast<size_t>(i)] = r.fin;
            if (!celdas.empty())
                celdas[static_cast<size_t>(i)].store(r.fin, std::memory_order_release);
            calculadas.fetch_add(r.calculadas);
            const int32_t h = hechas.fetch_add(1) + 1;
            if (trabajo)
                trabajo->Progreso(h, total);
        }
    };
    // A cell catches every exception of its run, so nothing leaves a worker.
    if (hilos == 2) {
        std::jthread otro(trabajar);
        trabajar();
    } else {
        trabajar();
    }
    plano.calculadas = calculadas.load();
    plano.completo = hechas.load() == total;
    return plano;
}

PlanoEnCurso::PlanoEnCurso(const AjustesPlano& plano, int hilos)
    : ajustes_(plano), hilos_(hilos), celdas_(static_cast<size_t>(plano.columnas) * static_cast<size_t>(plano.filas))
{
    ComprobarPlano(plano);
    for (std::atomic<int16_t>& c : celdas_)
        c.store(kFinPendiente, std::memory_order_relaxed);
    trabajo_ = std::make_unique<Trabajo>([this](Trabajo& t) { Calcular(t); });
}

PlanoEnCurso::~PlanoEnCurso()
{
    // The thread reads this object's members, so it ends first.
    trabajo_.reset();
}

void PlanoEnCurso::Calcular(Trabajo& t)
{
#ifdef __linux__
    // The plane yields to the window: Linux keeps a nice value per thread,
    // and the second worker inherits this one's, so the window's events are
    // never queued behind cells.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
#endif
    auto analisis = std::make_shared<const AnalisisPlano>(AnalizarPlano(ajustes_));
    {
        std::lock_guard lock(mutex_);
        analisis_ = analisis;
    }
    PlanoFase plano = CalcularPlano(ajustes_, *analisis, hilos_, true, &t, celdas_);
    std::lock_guard lock(mutex_);
    resultado_ = std::move(plano);
}

void PlanoEnCurso::Cancelar()
{
    trabajo_->Cancelar();
}

bool PlanoEnCurso::Terminado() const
{
    return trabajo_->Terminado();
}

std::shared_ptr<const AnalisisPlano> PlanoEnCurso::Analisis() const
{
    std::lock_guard lock(mutex_);
    return analisis_;
}

int32_t PlanoEnCurso::Celdas(std::vector<int16_t>& destino) const
{
    destino.resize(celdas_.size());
    for (size_t i = 0; i < celdas_.size(); ++i)
        destino[i] = celdas_[i].load(std::memory_order_acquire);
    return static_cast<int32_t>(trabajo_->Hechos());
}

std::optional<PlanoFase> PlanoEnCurso::Resultado() const
{
    std::lock_guard lock(mutex_);
    return resultado_;
}

std::string PlanoEnCurso::Error() const
{
    const std::exception_ptr f = trabajo_->Fallo();
    if (!f)
        return {};
    try {
        std::rethrow_exception(f);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Error desconocido";
    }
}

} // namespace nc
