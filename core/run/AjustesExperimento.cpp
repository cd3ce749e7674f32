// SPDX-License-Identifier: MIT
#include "core/run/AjustesExperimento.h"

#include "core/network/Lesion.h"
#include "core/numbers/NumberText.h"

#include <cmath>
#include <limits>

namespace nc {
namespace {

// Written as "-10 y 10": whole numbers with all their digits (a seed's
// 9007199254740991 too), others in general.
std::string Numero(double v, const NumberFormat& formato)
{
    if (v == std::floor(v) && std::fabs(v) < 1e16)
        return std::to_string(static_cast<int64_t>(v));
    return FormatGeneral(v, formato);
}

// NaN fails both comparisons, so it is refused with the range.
void Rango(double valor, double minimo, double maximo, const std::string& campo)
{
    if (!(valor >= minimo && valor <= maximo))
        throw AjusteInvalido(RangoAjuste{campo, minimo, maximo});
}

constexpr size_t kEscalonesMaximos = 1000;

} // namespace

AjusteInvalido::AjusteInvalido(const RangoAjuste& rango)
    : std::invalid_argument(TextoRango(rango, NumberFormat{".", ","})), rango_(rango)
{}

std::string TextoRango(const RangoAjuste& r, const NumberFormat& formato)
{
    return r.campo + " debe estar entre " + Numero(r.minimo, formato) + " y " + Numero(r.maximo, formato);
}

std::string TextoNoNumero(std::string_view texto, const NumberFormat& formato)
{
    return "«" + std::string(texto) + "» no es un número (el separador decimal es «" + formato.decimal_separator + "»)";
}

void ComprobarCarga(double carga)
{
    Rango(carga, -10, 10, "La carga");
}
void ComprobarAnguloInicial(double grados)
{
    Rango(grados, -kGradosMaximos, kGradosMaximos, "El ángulo inicial");
}
void ComprobarVelocidadInicial(double grados_por_segundo)
{
    Rango(grados_por_segundo, -kGradosMaximos, kGradosMaximos, "La velocidad inicial");
}
void ComprobarAmortiguamiento(double valor)
{
    Rango(valor, 0, 50, "El amortiguamiento");
}
void ComprobarGravedad(double valor)
{
    Rango(valor, 0, 100, "La gravedad");
}

void ComprobarFuerzaMaxima(const std::optional<double>& valor)
{
    if (valor)
        Rango(*valor, 0.001, 1000, "La fuerza máxima");
}

void ComprobarGananciasPid(const GananciasPid& g)
{
    Rango(g.kp, 0, 1000, "Kp");
    Rango(g.ki, 0, 1000, "Ki");
    Rango(g.kd, 0, 1000, "Kd");
}

void ComprobarLesiones(const Lesions& lesiones)
{
    if (lesiones.semilla > kSemillaMaxima)
        throw AjusteInvalido(RangoAjuste{"La semilla de las lesiones", 0, static_cast<double>(kSemillaMaxima)});
    if (lesiones == Lesions{})
        return;
    // The network's construction holds the ranges; building it is cheap.
    try {
        Construir_red_lesionada(lesiones);
    } catch (const std::invalid_argument& e) {
        throw AjusteInvalido(e.what());
    }
}

void ComprobarRuido(const AjustesRuido& ruido)
{
    Rango(ruido.posicion, 0, 10, "El ruido de posición");
    Rango(ruido.velocidad, 0, 100, "El ruido de velocidad");
    if (ruido.semilla > kSemillaMaxima)
        throw AjusteInvalido(RangoAjuste{"La semilla", 0, static_cast<double>(kSemillaMaxima)});
}

void ComprobarEmpujon(double grados_por_segundo)
{
    Rango(grados_por_segundo, 0, 1000, "El empujón");
}

void ComprobarReferencia(const ProgramaReferencia& p)
{
    switch (p.tipo) {
    case TipoReferencia::Fija: {
        long double grados = 0;
        try {
            grados = StrToFloat(p.texto, NumberFormat{".", ","});
        } catch (const ConversionError&) {
            throw AjusteInvalido("La referencia debe ser un número entre -3600 y 3600");
        }
        if (!(grados >= -kGradosMaximos && grados <= kGradosMaximos))
            throw AjusteInvalido("La referencia debe estar entre -3600 y 3600");
        return;
    }
    case TipoReferencia::Escalones:
        if (p.escalones.empty() || p.escalones.size() > kEscalonesMaximos)
            throw AjusteInvalido("Los escalones deben ser entre 1 y 1000");
        for (const Escalon& e : p.escalones) {
            Rango(e.grados, -kGradosMaximos, kGradosMaximos, "El ángulo de un escalón");
            Rango(e.duracion, 0.05, 100000, "La duración de un escalón");
        }
        return;
    case TipoReferencia::Cuadrada:
    case TipoReferencia::Seno:
    case TipoReferencia::Rampa:
        Rango(p.amplitud, -kGradosMaximos, kGradosMaximos, "La amplitud");
        Rango(p.desplazamiento, -kGradosMaximos, kGradosMaximos, "El desplazamiento");
        Rango(p.periodo, 0.1, 100000, "El periodo");
        return;
    case TipoReferencia::RampaIlimitada:
        Rango(p.desplazamiento, -kGradosMaximos, kGradosMaximos, "El desplazamiento");
        Rango(p.pendiente, -1000, 1000, "La pendiente");
        return;
    }
    throw AjusteInvalido("El tipo de referencia no es válido");
}

void ComprobarVelocidad(int32_t pasos_por_segundo)
{
    if (pasos_por_segundo < 1 || pasos_por_segundo > 1000)
        throw AjusteInvalido("La velocidad debe estar entre 1 y 1000");
}

void ComprobarEvento(const Evento& e)
{
    if (e.muestra < 0 || e.muestra == std::numeric_limits<int32_t>::max())
        throw AjusteInvalido("La muestra de un evento debe estar entre 0 y 2147483646");
    if (e.tipo == TipoEvento::Empujon)
        Rango(e.valor, -1000, 1000, "Un empujón");
    else
        Rango(e.valor, -kGradosMaximos, kGradosMaximos, "La posición de la mano");
}

void ComprobarAjustes(const AjustesExperimento& a)
{
    ComprobarGananciasPid(a.controlador.pid);
    ComprobarLesiones(a.controlador.lesiones);
    if (a.comparar) {
        ComprobarGananciasPid(a.comparar->pid);
        ComprobarLesiones(a.comparar->lesiones);
    }
    ComprobarAmortiguamiento(a.brazo.amortiguamiento);
    ComprobarGravedad(a.brazo.gravedad);
    ComprobarFuerzaMaxima(a.brazo.fuerza_maxima);
    ComprobarCarga(a.carga);
    ComprobarAnguloInicial(a.angulo_inicial);
    ComprobarVelocidadInicial(a.velocidad_inicial);
    ComprobarRuido(a.ruido);
    ComprobarEmpujon(a.empujon);
    ComprobarReferencia(a.referencia);
    if (a.velocidad)
        ComprobarVelocidad(*a.velocidad);
}

void ComprobarMuestras(int32_t muestras)
{
    if (muestras < 0 || muestras == std::numeric_limits<int32_t>::max())
        throw AjusteInvalido("Las muestras deben estar entre 0 y 2147483646");
}

void ComprobarEventos(const std::vector<Evento>& eventos)
{
    for (size_t i = 0; i < eventos.size(); ++i) {
        ComprobarEvento(eventos[i]);
        if (i > 0 && eventos[i].muestra < eventos[i - 1].muestra)
            throw AjusteInvalido("Los eventos deben estar en orden de muestra");
    }
}

void ComprobarCambios(const std::vector<CambioAjustes>& cambios)
{
    for (size_t i = 0; i < cambios.size(); ++i) {
        if (cambios[i].muestra < 0 || cambios[i].muestra == std::numeric_limits<int32_t>::max())
            throw AjusteInvalido("La muestra de un cambio debe estar entre 0 y 2147483646");
        if (i > 0 && cambios[i].muestra < cambios[i - 1].muestra)
            throw AjusteInvalido("Los cambios deben estar en orden de muestra");
        ComprobarAjustes(cambios[i].ajustes);
    }
}

void ComprobarGuardado(const ExperimentoGuardado& g)
{
    ComprobarAjustes(g.ajustes);
    ComprobarMuestras(g.muestras);
    ComprobarEventos(g.eventos);
    ComprobarCambios(g.cambios);
}

} // namespace nc
