// SPDX-License-Identifier: MIT
#include "io/FicheroRed.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <limits>

namespace nc {
namespace {

constexpr const char* kFormatoRed = "neurocontrol-red";
const char* const kEntradas[] = {"posicion", "velocidad", "referencia", "integral"};

[[noreturn]] void Falla(const std::string& detalle)
{
    throw ErrorFicheroRed("Red no válida: " + detalle);
}

[[noreturn]] void SinAbrir(const std::string& mensaje)
{
    throw ErrorFicheroRed(mensaje);
}

[[noreturn]] void SinGuardar(const std::string& ruta)
{
    throw ErrorFicheroRed("No se puede guardar la red " + ruta);
}

QJsonArray Numeros(const double* desde, size_t cuantos)
{
    QJsonArray a;
    for (size_t i = 0; i < cuantos; ++i)
        a.append(desde[i]);
    return a;
}

QJsonObject JsonRango(const RangoEntrenamiento& r)
{
    return QJsonObject{{"desde", r.desde}, {"hasta", r.hasta}};
}

RangoEntrenamiento LeerRango(const Objeto& padre, const char* clave, RangoEntrenamiento r)
{
    if (!padre.Tiene(clave))
        return r;
    const Objeto o = padre.Hijo(clave);
    o.Conocidas({"desde", "hasta"});
    r.desde = o.Numero("desde", r.desde);
    r.hasta = o.Numero("hasta", r.hasta);
    return r;
}

} // namespace

QJsonObject JsonRed(const RedEntrenada& r)
{
    const size_t e = static_cast<size_t>(r.Entradas());
    QJsonArray entradas;
    for (size_t k = 0; k < e; ++k)
        entradas.append(kEntradas[k]);
    QJsonArray pesos;
    for (int32_t j = 0; j < r.ocultas; ++j)
        pesos.append(Numeros(&r.w1[static_cast<size_t>(j) * e], e));
    QJsonObject o{{"entradas", entradas},
                  {"ocultas", r.ocultas},
                  {"activacion_oculta", "tanh"},
                  {"activacion_salida", "lineal"},
                  {"escala", Numeros(r.escala.data(), e)},
                  {"pesos_oculta", pesos},
                  {"bias_oculta", Numeros(r.b1.data(), r.b1.size())},
                  {"pesos_salida", Numeros(r.w2.data(), r.w2.size())},
                  {"bias_salida", r.b2}};
    if (r.integral)
        o.insert("limite_integral", r.limite_integral);
    return o;
}

RedEntrenada LeerRedDe(const Objeto& o, Claves otras)
{
    o.Conocidas({"entradas", "ocultas", "activacion_oculta", "activacion_salida", "escala", "limite_integral",
                 "pesos_oculta", "bias_oculta", "pesos_salida", "bias_salida"},
                otras);
    RedEntrenada r;
    const QJsonArray entradas = o.Lista("entradas");
    if (entradas.size() < 3 || entradas.size() > 4)
        o.Rechazar("el campo " + o.Campo("entradas")
                   + " debe ser posicion, velocidad, referencia y, si acaso, integral");
    for (qsizetype k = 0; k < entradas.size(); ++k)
        if (entradas[k].toString() != QLatin1String(kEntradas[k]))
            o.Rechazar("el campo " + o.Campo("entradas")
                       + " debe ser posicion, velocidad, referencia y, si acaso, integral");
    r.integral = entradas.size() == 4;
    if (o.Texto("activacion_oculta", "tanh") != "tanh" || o.Texto("activacion_salida", "lineal") != "lineal")
        o.Rechazar("las neuronas ocultas deben ser tanh y la salida lineal");
    if (!o.Tiene("ocultas"))
        o.Rechazar("falta el campo " + o.Campo("ocultas"));
    r.ocultas
        = static_cast<int32_t>(o.Entero("ocultas", 0, RedEntrenada::kOcultasMinimas, RedEntrenada::kOcultasMaximas));
    const size_t e = static_cast<size_t>(r.Entradas());
    const std::vector<double> escala = o.Numeros("escala", static_cast<long>(e));
    std::copy(escala.begin(), escala.end(), r.escala.begin());
    if (r.integral) {
        if (!o.Tiene("limite_integral"))
            o.Rechazar("falta el campo " + o.Campo("limite_integral"));
        r.limite_integral = o.Numero("limite_integral", 0);
    }
    const QJsonArray filas = o.Lista("pesos_oculta");
    if (filas.size() != r.ocultas)
        o.Rechazar("el campo " + o.Campo("pesos_oculta") + " debe tener una fila por neurona oculta");
    for (const QJsonValue& fila : filas) {
        if (!fila.isArray() || fila.toArray().size() != static_cast<qsizetype>(e))
            o.Rechazar("cada fila de " + o.Campo("pesos_oculta") + " debe tener un peso por entrada");
        for (const QJsonValue& w : fila.toArray()) {
            if (!w.isDouble())
                o.Rechazar("cada peso de " + o.Campo("pesos_oculta") + " debe ser un número");
            r.w1.push_back(w.toDouble());
        }
    }
    r.b1 = o.Numeros("bias_oculta", r.ocultas);
    r.w2 = o.Numeros("pesos_salida", r.ocultas);
    if (!o.Tiene("bias_salida"))
        o.Rechazar("falta el campo " + o.Campo("bias_salida"));
    r.b2 = o.Numero("bias_salida", 0);
    try {
        ComprobarRedEntrenada(r);
    } catch (const std::invalid_argument& e) {
        // The check's own text begins "Red no válida: ".
        o.Rechazar(std::string(e.what()).substr(std::string("Red no válida: ").size()));
    }
    return r;
}

QJsonObject JsonEntrenamiento(const AjustesEntrenamiento& a)
{
    QJsonObject o{{"integral", a.integral},
                  {"limite_integral", a.limite_integral},
                  {"ocultas", a.ocultas},
                  {"referencia", JsonRango(a.referencia)},
                  {"angulo_inicial", JsonRango(a.angulo_inicial)},
                  {"gravedad", JsonRango(a.gravedad)},
                  {"amortiguamiento", JsonRango(a.amortiguamiento)},
                  {"carga", JsonRango(a.carga)},
                  {"muestras", a.muestras},
                  {"episodios", a.episodios},
                  {"iteraciones", a.iteraciones},
                  {"tasa", a.tasa},
                  {"semilla", static_cast<double>(a.semilla)},
                  {"subpasos", a.subpasos},
                  {"imitacion", a.imitacion},
                  {"peso_velocidad", a.peso_velocidad},
                  {"peso_fuerza", a.peso_fuerza},
                  {"peso_sobreimpulso", a.peso_sobreimpulso},
                  {"recorte", a.recorte}};
    if (a.fuerza_maxima)
        o.insert("fuerza_maxima", JsonRango(*a.fuerza_maxima));
    return o;
}

AjustesEntrenamiento LeerEntrenamientoDe(const Objeto& o)
{
    o.Conocidas({"integral",  "limite_integral", "ocultas",     "referencia",        "angulo_inicial",
                 "gravedad",  "amortiguamiento", "carga",       "fuerza_maxima",     "muestras",
                 "episodios", "iteraciones",     "tasa",        "semilla",           "subpasos",
                 "imitacion", "peso_velocidad",  "peso_fuerza", "peso_sobreimpulso", "recorte"});
    AjustesEntrenamiento a;
    constexpr int64_t kMaximo = std::numeric_limits<int32_t>::max();
    a.integral = o.Booleano("integral", a.integral);
    a.limite_integral = o.Numero("limite_integral", a.limite_integral);
    a.ocultas = static_cast<int32_t>(o.Entero("ocultas", a.ocultas, 0, kMaximo));
    a.referencia = LeerRango(o, "referencia", a.referencia);
    a.angulo_inicial = LeerRango(o, "angulo_inicial", a.angulo_inicial);
    a.gravedad = LeerRango(o, "gravedad", a.gravedad);
    a.amortiguamiento = LeerRango(o, "amortiguamiento", a.amortiguamiento);
    a.carga = LeerRango(o, "carga", a.carga);
    if (o.Tiene("fuerza_maxima"))
        a.fuerza_maxima = LeerRango(o, "fuerza_maxima", {});
    a.muestras = static_cast<int32_t>(o.Entero("muestras", a.muestras, 0, kMaximo));
    a.episodios = static_cast<int32_t>(o.Entero("episodios", a.episodios, 0, kMaximo));
    a.iteraciones = static_cast<int32_t>(o.Entero("iteraciones", a.iteraciones, 0, kMaximo));
    a.tasa = o.Numero("tasa", a.tasa);
    a.semilla = static_cast<uint64_t>(o.Entero("semilla", 1, 0, (int64_t{1} << 53) - 1));
    a.subpasos = static_cast<int32_t>(o.Entero("subpasos", a.subpasos, 0, kMaximo));
    a.imitacion = static_cast<int32_t>(o.Entero("imitacion", a.imitacion, 0, kMaximo));
    a.peso_velocidad = o.Numero("peso_velocidad", a.peso_velocidad);
    a.peso_fuerza = o.Numero("peso_fuerza", a.peso_fuerza);
    a.peso_sobreimpulso = o.Numero("peso_sobreimpulso", a.peso_sobreimpulso);
    a.recorte = o.Numero("recorte", a.recorte);
    try {
        ComprobarEntrenamiento(a);
    } catch (const AjusteEntrenamientoInvalido& e) {
        o.Rechazar(std::string("en el entrenamiento: ") + e.what());
    }
    return a;
}

std::string EscribirRed(const RedGuardada& g)
{
    QJsonObject raiz = JsonRed(g.red);
    raiz.insert("formato", kFormatoRed);
    raiz.insert("version", kVersionRed);
    if (g.entrenamiento)
        raiz.insert("entrenamiento", JsonEntrenamiento(*g.entrenamiento));
    if (g.perdida_final)
        raiz.insert("perdida_final", *g.perdida_final);
    return QJsonDocument(raiz).toJson(QJsonDocument::Indented).toStdString();
}

RedGuardada LeerRed(std::string_view texto, std::vector<std::string>* avisos)
{
    std::vector<std::string> desconocidas;
    const Objeto raiz(DocumentoJson(texto, kTamanoMaximoRed, "1 MB", Falla), "", &desconocidas, Falla);
    if (raiz.Texto("formato", "") != kFormatoRed)
        Falla("el fichero no es una red de neurocontrol (falta \"formato\": \"" + std::string(kFormatoRed) + "\")");
    if (!raiz.Tiene("version"))
        Falla("falta el campo «version»");
    const QJsonValue version = raiz.Valor("version");
    if (!version.isDouble() || version.toDouble() != kVersionRed)
        Falla("versión desconocida (este programa lee la versión " + std::to_string(kVersionRed) + ")");
    RedGuardada g;
    g.red = LeerRedDe(raiz, {"formato", "version", "entrenamiento", "perdida_final"});
    if (raiz.Tiene("entrenamiento"))
        g.entrenamiento = LeerEntrenamientoDe(raiz.Hijo("entrenamiento"));
    if (raiz.Tiene("perdida_final"))
        g.perdida_final = raiz.Numero("perdida_final", 0);
    if (avisos && !desconocidas.empty())
        avisos->push_back(AvisoClaves("la red", desconocidas));
    return g;
}

RedGuardada CargarRed(const std::string& ruta, std::vector<std::string>* avisos)
{
    const QByteArray datos = LeerFicheroLimitado(ruta, kTamanoMaximoRed, "1 MB", "la red", Falla, SinAbrir);
    return LeerRed(std::string_view(datos.constData(), static_cast<size_t>(datos.size())), avisos);
}

void GuardarRed(const std::string& ruta, const RedGuardada& guardada)
{
    EscribirFichero(ruta, EscribirRed(guardada), SinGuardar);
}

} // namespace nc
