// SPDX-License-Identifier: MIT
#include "io/FicheroExperimento.h"

#include "io/FicheroRed.h"
#include "io/LectorJson.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace nc {
namespace {

constexpr const char* kFormato = "neurocontrol-experimento";

[[noreturn]] void Falla(const std::string& detalle)
{
    throw ErrorFicheroExperimento("Experimento no válido: " + detalle);
}

[[noreturn]] void SinAbrir(const std::string& mensaje)
{
    throw ErrorFicheroExperimento(mensaje);
}

[[noreturn]] void SinGuardar(const std::string& ruta)
{
    throw ErrorFicheroExperimento("No se puede guardar el experimento " + ruta);
}

// --- Writing ---

const char* ClaveControlador(TipoControlador t)
{
    switch (t) {
    case TipoControlador::Red: return "red";
    case TipoControlador::Pid: return "pid";
    case TipoControlador::Ninguno: return "ninguno";
    case TipoControlador::Entrenada: return "entrenada";
    }
    return "";
}

const char* ClaveReferencia(TipoReferencia t)
{
    switch (t) {
    case TipoReferencia::Fija: return "fija";
    case TipoReferencia::Escalones: return "escalones";
    case TipoReferencia::Cuadrada: return "cuadrada";
    case TipoReferencia::Seno: return "seno";
    case TipoReferencia::Rampa: return "rampa_periodica";
    case TipoReferencia::RampaIlimitada: return "rampa_ilimitada";
    }
    return "";
}

// Lesions are written only when there are some, so a file without them is
// byte for byte what it was before they existed.
QJsonObject JsonLesiones(const Lesions& l)
{
    QJsonArray apagadas;
    for (int j = 0; j < 64; ++j)
        if ((l.apagadas >> j) & 1u)
            apagadas.append(j);
    return QJsonObject{{"apagadas", apagadas},
                       {"escala", l.escala},
                       {"ruido", l.ruido},
                       {"semilla", static_cast<double>(l.semilla)},
                       {"bits", l.bits}};
}

QJsonObject JsonControlador(const AjustesControlador& c)
{
    QJsonObject o{{"tipo", ClaveControlador(c.tipo)}, {"kp", c.pid.kp}, {"ki", c.pid.ki}, {"kd", c.pid.kd}};
    // The trained network travels with the run, so the file replays alone.
    if (c.tipo == TipoControlador::Entrenada && c.entrenada)
        o.insert("red", JsonRed(*c.entrenada));
    if (c.lesiones != Lesions{})
        o.insert("lesiones", JsonLesiones(c.lesiones));
    return o;
}

// --- Reading: each accessor names the field it refuses. ---

constexpr Claves kClavesAjustes = {"controlador",       "comparar", "brazo",   "carga",      "angulo_inicial",
                                   "velocidad_inicial", "ruido",    "empujon", "referencia", "velocidad"};

// The ranges are the network's own (ComprobarLesiones, at the end); here
// only what a double cannot hold exactly is refused.
Lesions LeerLesiones(const Objeto& o)
{
    o.Conocidas({"apagadas", "escala", "ruido", "semilla", "bits"});
    Lesions l;
    if (o.Tiene("apagadas")) {
        for (const QJsonValue& v : o.Lista("apagadas")) {
            const double d = v.toDouble(-1);
            if (!v.isDouble() || !(d >= 0 && d <= 63) || std::floor(d) != d)
                Falla("cada neurona de " + o.Campo("apagadas") + " debe ser un entero entre 0 y 63");
            l.apagadas |= uint64_t{1} << static_cast<int>(d);
        }
    }
    l.escala = o.Numero("escala", l.escala);
    l.ruido = o.Numero("ruido", l.ruido);
    l.semilla = static_cast<uint64_t>(o.Entero("semilla", 0, 0, static_cast<int64_t>(kSemillaMaxima)));
    l.bits = static_cast<int32_t>(o.Entero("bits", 0, 0, 32));
    return l;
}

AjustesControlador LeerControlador(const Objeto& o)
{
    o.Conocidas({"tipo", "kp", "ki", "kd", "lesiones", "red"});
    AjustesControlador c;
    const std::string tipo = o.Texto("tipo", "red");
    if (tipo == "red")
        c.tipo = TipoControlador::Red;
    else if (tipo == "pid")
        c.tipo = TipoControlador::Pid;
    else if (tipo == "ninguno")
        c.tipo = TipoControlador::Ninguno;
    else if (tipo == "entrenada")
        c.tipo = TipoControlador::Entrenada;
    else
        Falla("el campo " + o.Campo("tipo") + " debe ser red, pid, ninguno o entrenada");
    if (c.tipo == TipoControlador::Entrenada) {
        if (!o.Tiene("red"))
            Falla("el controlador entrenado de " + o.Campo("tipo") + " no trae su red («red»)");
        c.entrenada.red = std::make_shared<const RedEntrenada>(LeerRedDe(o.Hijo("red")));
    }
    c.pid.kp = o.Numero("kp", c.pid.kp);
    c.pid.ki = o.Numero("ki", c.pid.ki);
    c.pid.kd = o.Numero("kd", c.pid.kd);
    if (o.Tiene("lesiones"))
        c.lesiones = LeerLesiones(o.Hijo("lesiones"));
    return c;
}

ProgramaReferencia LeerReferencia(const Objeto& o)
{
    o.Conocidas({"tipo", "texto", "escalones", "amplitud", "desplazamiento", "periodo", "pendiente"});
    ProgramaReferencia r;
    const std::string tipo = o.Texto("tipo", "fija");
    const TipoReferencia tipos[] = {TipoReferencia::Fija, TipoReferencia::Escalones, TipoReferencia::Cuadrada,
                                    TipoReferencia::Seno, TipoReferencia::Rampa,     TipoReferencia::RampaIlimitada};
    // "rampa" is how files named the periodic ramp before the unbounded one came.
    bool conocido = tipo == "rampa";
    if (conocido)
        r.tipo = TipoReferencia::Rampa;
    for (TipoReferencia t : tipos)
        if (tipo == ClaveReferencia(t)) {
            r.tipo = t;
            conocido = true;
        }
    if (!conocido)
        Falla("el campo " + o.Campo("tipo")
              + " debe ser fija, escalones, cuadrada, seno, rampa_periodica o rampa_ilimitada");
    r.texto = o.Texto("texto", r.texto);
    r.amplitud = o.Numero("amplitud", r.amplitud);
    r.desplazamiento = o.Numero("desplazamiento", r.desplazamiento);
    r.periodo = o.Numero("periodo", r.periodo);
    r.pendiente = o.Numero("pendiente", r.pendiente);
    if (o.Tiene("escalones")) {
        const QJsonArray lista = o.Lista("escalones");
        if (lista.size() > 1000)
            Falla("los escalones deben ser entre 1 y 1000");
        for (const QJsonValue& v : lista) {
            if (!v.isObject())
                Falla("cada escalón debe ser un objeto");
            const Objeto e = o.Elemento(v, "referencia.escalones[].");
            e.Conocidas({"grados", "duracion"});
            r.escalones.push_back({e.Numero("grados", 0), e.Numero("duracion", 1)});
        }
    }
    return r;
}

std::vector<Evento> LeerEventos(const Objeto& raiz, const QJsonArray& lista)
{
    std::vector<Evento> eventos;
    eventos.reserve(static_cast<size_t>(lista.size()));
    for (const QJsonValue& v : lista) {
        if (!v.isObject())
            Falla("cada evento debe ser un objeto");
        const Objeto e = raiz.Elemento(v, "eventos[].");
        e.Conocidas({"muestra", "tipo", "valor"});
        Evento ev;
        ev.muestra = static_cast<int32_t>(e.Entero("muestra", -1, 0, std::numeric_limits<int32_t>::max() - 1));
        if (!e.Tiene("muestra") || !e.Tiene("tipo") || !e.Tiene("valor"))
            Falla("cada evento debe tener muestra, tipo y valor");
        const std::string tipo = e.Texto("tipo", "");
        if (tipo == "empujon")
            ev.tipo = TipoEvento::Empujon;
        else if (tipo == "mano")
            ev.tipo = TipoEvento::Mano;
        else
            Falla("el campo " + e.Campo("tipo") + " debe ser empujon o mano");
        ev.valor = e.Numero("valor", 0);
        eventos.push_back(ev);
    }
    return eventos;
}

// The settings' keys, at the top of the file (beside `otras`) or in a change.
AjustesExperimento LeerAjustes(const Objeto& o, Claves otras = {})
{
    o.Conocidas(kClavesAjustes, otras);
    AjustesExperimento a;
    if (o.Tiene("controlador"))
        a.controlador = LeerControlador(o.Hijo("controlador"));
    if (o.Tiene("comparar") && !o.Valor("comparar").isNull())
        a.comparar = LeerControlador(o.Hijo("comparar"));
    if (o.Tiene("brazo")) {
        const Objeto b = o.Hijo("brazo");
        b.Conocidas({"amortiguamiento", "gravedad", "fuerza_maxima"});
        a.brazo.amortiguamiento = b.Numero("amortiguamiento", a.brazo.amortiguamiento);
        a.brazo.gravedad = b.Numero("gravedad", a.brazo.gravedad);
        if (b.Tiene("fuerza_maxima") && !b.Valor("fuerza_maxima").isNull())
            a.brazo.fuerza_maxima = b.Numero("fuerza_maxima", 0);
    }
    a.carga = o.Numero("carga", a.carga);
    a.angulo_inicial = o.Numero("angulo_inicial", a.angulo_inicial);
    a.velocidad_inicial = o.Numero("velocidad_inicial", a.velocidad_inicial);
    if (o.Tiene("ruido")) {
        const Objeto r = o.Hijo("ruido");
        r.Conocidas({"posicion", "velocidad", "semilla"});
        a.ruido.posicion = r.Numero("posicion", a.ruido.posicion);
        a.ruido.velocidad = r.Numero("velocidad", a.ruido.velocidad);
        a.ruido.semilla = static_cast<uint64_t>(
            r.Entero("semilla", static_cast<int64_t>(a.ruido.semilla), 0, static_cast<int64_t>(kSemillaMaxima)));
    }
    a.empujon = o.Numero("empujon", a.empujon);
    if (o.Tiene("referencia"))
        a.referencia = LeerReferencia(o.Hijo("referencia"));
    if (o.Tiene("velocidad"))
        a.velocidad = static_cast<int32_t>(o.Entero("velocidad", 0, 1, 1000));
    return a;
}

std::vector<CambioAjustes> LeerCambios(const Objeto& raiz, const QJsonArray& lista)
{
    std::vector<CambioAjustes> cambios;
    for (const QJsonValue& v : lista) {
        if (!v.isObject())
            Falla("cada cambio debe ser un objeto");
        const Objeto c = raiz.Elemento(v, "cambios[].");
        c.Conocidas({"muestra", "ajustes"});
        if (!c.Tiene("muestra") || !c.Tiene("ajustes"))
            Falla("cada cambio debe tener muestra y ajustes");
        CambioAjustes cambio;
        cambio.muestra = static_cast<int32_t>(c.Entero("muestra", 0, 0, std::numeric_limits<int32_t>::max() - 1));
        cambio.ajustes = LeerAjustes(c.Hijo("ajustes"));
        cambios.push_back(std::move(cambio));
    }
    return cambios;
}

// The settings' keys, at the top of the file or in a change.
QJsonObject JsonAjustes(const AjustesExperimento& a)
{
    QJsonObject brazo{{"amortiguamiento", a.brazo.amortiguamiento}, {"gravedad", a.brazo.gravedad}};
    brazo.insert("fuerza_maxima", a.brazo.fuerza_maxima ? QJsonValue(*a.brazo.fuerza_maxima) : QJsonValue());
    QJsonArray escalones;
    for (const Escalon& e : a.referencia.escalones)
        escalones.append(QJsonObject{{"grados", e.grados}, {"duracion", e.duracion}});
    const QJsonObject referencia{{"tipo", ClaveReferencia(a.referencia.tipo)},
                                 {"texto", QString::fromStdString(a.referencia.texto)},
                                 {"escalones", escalones},
                                 {"amplitud", a.referencia.amplitud},
                                 {"desplazamiento", a.referencia.desplazamiento},
                                 {"periodo", a.referencia.periodo},
                                 {"pendiente", a.referencia.pendiente}};
    QJsonObject o{
        {"controlador", JsonControlador(a.controlador)},
        {"comparar", a.comparar ? QJsonValue(JsonControlador(*a.comparar)) : QJsonValue()},
        {"brazo", brazo},
        {"carga", a.carga},
        {"angulo_inicial", a.angulo_inicial},
        {"ruido",
         QJsonObject{{"posicion", a.ruido.posicion},
                     {"velocidad", a.ruido.velocidad},
                     {"semilla", static_cast<double>(a.ruido.semilla)}}},
        {"empujon", a.empujon},
        {"referencia", referencia},
    };
    // Written only when a run starts moving, so that files of runs from
    // rest keep their bytes.
    if (a.velocidad_inicial != 0.0)
        o.insert("velocidad_inicial", a.velocidad_inicial);
    // A run without a speed of its own plays at the speed in force.
    if (a.velocidad)
        o.insert("velocidad", *a.velocidad);
    return o;
}

} // namespace

std::string EscribirExperimento(const ExperimentoGuardado& g)
{
    QJsonArray eventos;
    for (const Evento& e : g.eventos)
        eventos.append(QJsonObject{
            {"muestra", e.muestra}, {"tipo", e.tipo == TipoEvento::Empujon ? "empujon" : "mano"}, {"valor", e.valor}});
    QJsonArray cambios;
    for (const CambioAjustes& c : g.cambios)
        cambios.append(QJsonObject{{"muestra", c.muestra}, {"ajustes", JsonAjustes(c.ajustes)}});
    QJsonObject raiz = JsonAjustes(g.ajustes);
    raiz.insert("formato", kFormato);
    raiz.insert("version", kVersionExperimento);
    raiz.insert("muestras", g.muestras);
    raiz.insert("eventos", eventos);
    raiz.insert("cambios", cambios);
    return QJsonDocument(raiz).toJson(QJsonDocument::Indented).toStdString();
}


std::string AvisoClavesDesconocidas(const std::vector<std::string>& claves)
{
    return AvisoClaves("el experimento", claves);
}

ExperimentoGuardado LeerExperimento(std::string_view texto, std::vector<std::string>* avisos)
{
    std::vector<std::string> desconocidas;
    const Objeto raiz(DocumentoJson(texto, kTamanoMaximo, "8 MB", Falla), "", &desconocidas, Falla);
    if (raiz.Texto("formato", "") != kFormato)
        Falla("el fichero no es un experimento de neurocontrol (falta \"formato\": \"" + std::string(kFormato) + "\")");
    if (!raiz.Tiene("version"))
        Falla("falta el campo «version»");
    const QJsonValue version = raiz.Valor("version");
    if (!version.isDouble() || version.toDouble() != kVersionExperimento)
        Falla("versión desconocida (este programa lee la versión " + std::to_string(kVersionExperimento) + ")");

    ExperimentoGuardado g;
    g.ajustes = LeerAjustes(raiz, {"formato", "version", "muestras", "eventos", "cambios"});
    g.muestras = static_cast<int32_t>(raiz.Entero("muestras", g.muestras, 0, std::numeric_limits<int32_t>::max() - 1));
    if (raiz.Tiene("eventos"))
        g.eventos = LeerEventos(raiz, raiz.Lista("eventos"));
    if (raiz.Tiene("cambios"))
        g.cambios = LeerCambios(raiz, raiz.Lista("cambios"));
    try {
        ComprobarGuardado(g);
    } catch (const AjusteInvalido& e) {
        Falla(e.what());
    }
    if (avisos && !desconocidas.empty())
        avisos->push_back(AvisoClavesDesconocidas(desconocidas));
    return g;
}

ExperimentoGuardado CargarExperimento(const std::string& ruta, std::vector<std::string>* avisos)
{
    const QByteArray datos = LeerFicheroLimitado(ruta, kTamanoMaximo, "8 MB", "el experimento", Falla, SinAbrir);
    return LeerExperimento(std::string_view(datos.constData(), static_cast<size_t>(datos.size())), avisos);
}

void GuardarExperimento(const std::string& ruta, const ExperimentoGuardado& guardado)
{
    EscribirFichero(ruta, EscribirExperimento(guardado), SinGuardar);
}

} // namespace nc
