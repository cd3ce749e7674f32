// SPDX-License-Identifier: MIT
#include "lab/ExperimentFile.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace nc {
namespace {

constexpr const char* kFormato = "neurocontrol-experimento";

[[noreturn]] void Falla(const std::string& detalle)
{
    throw ErrorFicheroExperimento("Experimento no válido: " + detalle);
}

// --- Writing ---

const char* ClaveControlador(TipoControlador t)
{
    switch (t) {
    case TipoControlador::Red: return "red";
    case TipoControlador::Pid: return "pid";
    case TipoControlador::Ninguno: return "ninguno";
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
    case TipoReferencia::Rampa: return "rampa";
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
    if (c.lesiones != Lesions{})
        o.insert("lesiones", JsonLesiones(c.lesiones));
    return o;
}

// --- Reading: each accessor names the field it refuses. ---

class Objeto {
public:
    Objeto(QJsonObject o, std::string ruta) : o_(std::move(o)), ruta_(std::move(ruta)) {}

    bool Tiene(const char* clave) const { return o_.contains(QLatin1String(clave)); }

    std::string Campo(const char* clave) const { return "«" + ruta_ + clave + "»"; }

    QJsonValue Valor(const char* clave) const { return o_.value(QLatin1String(clave)); }

    double Numero(const char* clave, double porDefecto) const
    {
        if (!Tiene(clave))
            return porDefecto;
        const QJsonValue v = Valor(clave);
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            Falla("el campo " + Campo(clave) + " debe ser un número");
        return v.toDouble();
    }

    // A whole number in [minimo, maximo], held exactly by a double.
    int64_t Entero(const char* clave, int64_t porDefecto, int64_t minimo, int64_t maximo) const
    {
        if (!Tiene(clave))
            return porDefecto;
        const QJsonValue v = Valor(clave);
        const double d = v.toDouble();
        if (!v.isDouble() || !(d >= static_cast<double>(minimo) && d <= static_cast<double>(maximo))
            || std::floor(d) != d)
            Falla("el campo " + Campo(clave) + " debe ser un entero entre " + std::to_string(minimo) + " y "
                  + std::to_string(maximo));
        return static_cast<int64_t>(d);
    }

    std::string Texto(const char* clave, const std::string& porDefecto) const
    {
        if (!Tiene(clave))
            return porDefecto;
        const QJsonValue v = Valor(clave);
        if (!v.isString())
            Falla("el campo " + Campo(clave) + " debe ser un texto");
        return v.toString().toStdString();
    }

    Objeto Hijo(const char* clave) const
    {
        const QJsonValue v = Valor(clave);
        if (!v.isObject())
            Falla("el campo " + Campo(clave) + " debe ser un objeto");
        return Objeto(v.toObject(), ruta_ + clave + ".");
    }

    QJsonArray Lista(const char* clave) const
    {
        const QJsonValue v = Valor(clave);
        if (!v.isArray())
            Falla("el campo " + Campo(clave) + " debe ser una lista");
        return v.toArray();
    }

private:
    QJsonObject o_;
    std::string ruta_;
};

// The ranges are the network's own (ComprobarLesiones, at the end); here
// only what a double cannot hold exactly is refused.
Lesions LeerLesiones(const Objeto& o)
{
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
    AjustesControlador c;
    const std::string tipo = o.Texto("tipo", "red");
    if (tipo == "red")
        c.tipo = TipoControlador::Red;
    else if (tipo == "pid")
        c.tipo = TipoControlador::Pid;
    else if (tipo == "ninguno")
        c.tipo = TipoControlador::Ninguno;
    else
        Falla("el campo " + o.Campo("tipo") + " debe ser red, pid o ninguno");
    c.pid.kp = o.Numero("kp", c.pid.kp);
    c.pid.ki = o.Numero("ki", c.pid.ki);
    c.pid.kd = o.Numero("kd", c.pid.kd);
    if (o.Tiene("lesiones"))
        c.lesiones = LeerLesiones(o.Hijo("lesiones"));
    return c;
}

ProgramaReferencia LeerReferencia(const Objeto& o)
{
    ProgramaReferencia r;
    const std::string tipo = o.Texto("tipo", "fija");
    const TipoReferencia tipos[] = {TipoReferencia::Fija, TipoReferencia::Escalones, TipoReferencia::Cuadrada,
                                    TipoReferencia::Seno, TipoReferencia::Rampa};
    bool conocido = false;
    for (TipoReferencia t : tipos)
        if (tipo == ClaveReferencia(t)) {
            r.tipo = t;
            conocido = true;
        }
    if (!conocido)
        Falla("el campo " + o.Campo("tipo") + " debe ser fija, escalones, cuadrada, seno o rampa");
    r.texto = o.Texto("texto", r.texto);
    r.amplitud = o.Numero("amplitud", r.amplitud);
    r.desplazamiento = o.Numero("desplazamiento", r.desplazamiento);
    r.periodo = o.Numero("periodo", r.periodo);
    if (o.Tiene("escalones")) {
        const QJsonArray lista = o.Lista("escalones");
        if (lista.size() > 1000)
            Falla("los escalones deben ser entre 1 y 1000");
        for (const QJsonValue& v : lista) {
            if (!v.isObject())
                Falla("cada escalón debe ser un objeto");
            const Objeto e(v.toObject(), "referencia.escalones[].");
            r.escalones.push_back({e.Numero("grados", 0), e.Numero("duracion", 1)});
        }
    }
    return r;
}

std::vector<Evento> LeerEventos(const QJsonArray& lista)
{
    std::vector<Evento> eventos;
    eventos.reserve(static_cast<size_t>(lista.size()));
    for (const QJsonValue& v : lista) {
        if (!v.isObject())
            Falla("cada evento debe ser un objeto");
        const Objeto e(v.toObject(), "eventos[].");
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

// The settings' keys, at the top of the file or in a change.
AjustesExperimento LeerAjustes(const Objeto& o)
{
    AjustesExperimento a;
    if (o.Tiene("controlador"))
        a.controlador = LeerControlador(o.Hijo("controlador"));
    if (o.Tiene("comparar") && !o.Valor("comparar").isNull())
        a.comparar = LeerControlador(o.Hijo("comparar"));
    if (o.Tiene("brazo")) {
        const Objeto b = o.Hijo("brazo");
        a.brazo.amortiguamiento = b.Numero("amortiguamiento", a.brazo.amortiguamiento);
        a.brazo.gravedad = b.Numero("gravedad", a.brazo.gravedad);
        if (b.Tiene("fuerza_maxima") && !b.Valor("fuerza_maxima").isNull())
            a.brazo.fuerza_maxima = b.Numero("fuerza_maxima", 0);
    }
    a.carga = o.Numero("carga", a.carga);
    a.angulo_inicial = o.Numero("angulo_inicial", a.angulo_inicial);
    if (o.Tiene("ruido")) {
        const Objeto r = o.Hijo("ruido");
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

std::vector<CambioAjustes> LeerCambios(const QJsonArray& lista)
{
    std::vector<CambioAjustes> cambios;
    for (const QJsonValue& v : lista) {
        if (!v.isObject())
            Falla("cada cambio debe ser un objeto");
        const Objeto c(v.toObject(), "cambios[].");
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
                                 {"periodo", a.referencia.periodo}};
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

ExperimentoGuardado LeerExperimento(std::string_view texto)
{
    if (texto.size() > kTamanoMaximo)
        Falla("el fichero pasa de 8 MB");
    QJsonParseError error;
    const QJsonDocument documento
        = QJsonDocument::fromJson(QByteArray(texto.data(), static_cast<qsizetype>(texto.size())), &error);
    if (error.error == QJsonParseError::DeepNesting)
        Falla("el JSON está anidado a demasiada profundidad");
    if (error.error != QJsonParseError::NoError)
        Falla("no es JSON bien formado (error cerca del carácter " + std::to_string(error.offset) + ")");
    if (!documento.isObject())
        Falla("el fichero debe contener un objeto JSON");
    const Objeto raiz(documento.object(), "");
    if (raiz.Texto("formato", "") != kFormato)
        Falla("el fichero no es un experimento de neurocontrol (falta \"formato\": \"" + std::string(kFormato) + "\")");
    if (!raiz.Tiene("version"))
        Falla("falta el campo «version»");
    const QJsonValue version = raiz.Valor("version");
    if (!version.isDouble() || version.toDouble() != kVersionExperimento)
        Falla("versión desconocida (este programa lee la versión " + std::to_string(kVersionExperimento) + ")");

    ExperimentoGuardado g;
    g.ajustes = LeerAjustes(raiz);
    g.muestras = static_cast<int32_t>(raiz.Entero("muestras", g.muestras, 0, std::numeric_limits<int32_t>::max() - 1));
    if (raiz.Tiene("eventos"))
        g.eventos = LeerEventos(raiz.Lista("eventos"));
    if (raiz.Tiene("cambios"))
        g.cambios = LeerCambios(raiz.Lista("cambios"));
    try {
        ComprobarGuardado(g);
    } catch (const AjusteInvalido& e) {
        Falla(e.what());
    }
    return g;
}

ExperimentoGuardado CargarExperimento(const std::string& ruta)
{
    QFile fichero(QString::fromStdString(ruta));
    if (!fichero.open(QIODevice::ReadOnly))
        throw ErrorFicheroExperimento("No se puede abrir el experimento " + ruta
                                      + (fichero.exists() ? ": no se puede leer" : ": no existe"));
    // At most one byte past the limit: enough to know a file is too big
    // without reading all of it, even from a pipe whose size is unknown.
    const QByteArray datos = fichero.read(static_cast<qint64>(kTamanoMaximo) + 1);
    if (datos.size() > static_cast<qsizetype>(kTamanoMaximo))
        Falla("el fichero pasa de 8 MB");
    return LeerExperimento(std::string_view(datos.constData(), static_cast<size_t>(datos.size())));
}

void GuardarExperimento(const std::string& ruta, const ExperimentoGuardado& guardado)
{
    const std::string texto = EscribirExperimento(guardado);
    QFile fichero(QString::fromStdString(ruta));
    if (!fichero.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || fichero.write(texto.data(), static_cast<qint64>(texto.size())) != static_cast<qint64>(texto.size())
        || !fichero.flush())
        throw ErrorFicheroExperimento("No se puede guardar el experimento " + ruta);
}

} // namespace nc
