// SPDX-License-Identifier: MIT
#include "io/LectorJson.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>
#include <exception>

namespace nc {

void Objeto::Rechazar(const std::string& detalle) const
{
    rechazo_(detalle);
    std::terminate(); // a Rechazo always throws
}

void Objeto::Conocidas(Claves claves, Claves otras) const
{
    for (const QString& k : o_.keys()) {
        const auto es = [&](const char* c) { return k == QLatin1String(c); };
        if (std::any_of(claves.begin(), claves.end(), es) || std::any_of(otras.begin(), otras.end(), es))
            continue;
        const std::string nombre = "«" + ruta_ + k.toStdString() + "»";
        if (std::find(desconocidas_->begin(), desconocidas_->end(), nombre) == desconocidas_->end())
            desconocidas_->push_back(nombre);
    }
}

double Objeto::Numero(const char* clave, double porDefecto) const
{
    if (!Tiene(clave))
        return porDefecto;
    const QJsonValue v = Valor(clave);
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        Rechazar("el campo " + Campo(clave) + " debe ser un número");
    return v.toDouble();
}

int64_t Objeto::Entero(const char* clave, int64_t porDefecto, int64_t minimo, int64_t maximo) const
{
    if (!Tiene(clave))
        return porDefecto;
    const QJsonValue v = Valor(clave);
    const double d = v.toDouble();
    if (!v.isDouble() || !(d >= static_cast<double>(minimo) && d <= static_cast<double>(maximo)) || std::floor(d) != d)
        Rechazar("el campo " + Campo(clave) + " debe ser un entero entre " + std::to_string(minimo) + " y "
                 + std::to_string(maximo));
    return static_cast<int64_t>(d);
}

std::string Objeto::Texto(const char* clave, const std::string& porDefecto) const
{
    if (!Tiene(clave))
        return porDefecto;
    const QJsonValue v = Valor(clave);
    if (!v.isString())
        Rechazar("el campo " + Campo(clave) + " debe ser un texto");
    return v.toString().toStdString();
}

bool Objeto::Booleano(const char* clave, bool porDefecto) const
{
    if (!Tiene(clave))
        return porDefecto;
    const QJsonValue v = Valor(clave);
    if (!v.isBool())
        Rechazar("el campo " + Campo(clave) + " debe ser true o false");
    return v.toBool();
}

Objeto Objeto::Hijo(const char* clave) const
{
    const QJsonValue v = Valor(clave);
    if (!v.isObject())
        Rechazar("el campo " + Campo(clave) + " debe ser un objeto");
    return Objeto(v.toObject(), ruta_ + clave + ".", desconocidas_, rechazo_);
}

QJsonArray Objeto::Lista(const char* clave) const
{
    const QJsonValue v = Valor(clave);
    if (!v.isArray())
        Rechazar("el campo " + Campo(clave) + " debe ser una lista");
    return v.toArray();
}

std::vector<double> Objeto::Numeros(const char* clave, long cuantos) const
{
    const QJsonArray lista = Lista(clave);
    if (cuantos >= 0 && lista.size() != cuantos)
        Rechazar("el campo " + Campo(clave) + " debe tener " + std::to_string(cuantos) + " números");
    std::vector<double> numeros;
    numeros.reserve(static_cast<size_t>(lista.size()));
    for (const QJsonValue& v : lista) {
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            Rechazar("el campo " + Campo(clave) + " debe ser una lista de números");
        numeros.push_back(v.toDouble());
    }
    return numeros;
}

std::string AvisoClaves(const char* que, const std::vector<std::string>& claves)
{
    std::string aviso = std::string("Aviso: ") + que + " tiene claves que este programa no conoce y no usa:";
    for (size_t i = 0; i < claves.size(); ++i)
        aviso += (i == 0 ? " " : ", ") + claves[i];
    return aviso;
}

std::string LineaYColumna(std::string_view texto, size_t posicion)
{
    posicion = std::min(posicion, texto.size());
    size_t linea = 1, columna = 1;
    for (size_t i = 0; i < posicion; ++i) {
        if (texto[i] == '\n') {
            ++linea;
            columna = 1;
        } else if ((static_cast<unsigned char>(texto[i]) & 0xC0) != 0x80) {
            ++columna;
        }
    }
    return "línea " + std::to_string(linea) + ", columna " + std::to_string(columna);
}

QJsonObject DocumentoJson(std::string_view texto, size_t maximo, const char* tamano, Rechazo rechazo)
{
    if (texto.size() > maximo)
        rechazo(std::string("el fichero pasa de ") + tamano);
    QJsonParseError error;
    const QJsonDocument documento
        = QJsonDocument::fromJson(QByteArray(texto.data(), static_cast<qsizetype>(texto.size())), &error);
    if (error.error == QJsonParseError::DeepNesting)
        rechazo("el JSON está anidado a demasiada profundidad");
    if (error.error != QJsonParseError::NoError)
        rechazo("no es JSON bien formado (error en la " + LineaYColumna(texto, static_cast<size_t>(error.offset))
                + ")");
    if (!documento.isObject())
        rechazo("el fichero debe contener un objeto JSON");
    return documento.object();
}

QByteArray LeerFicheroLimitado(const std::string& ruta, size_t maximo, const char* tamano, const char* que,
                               Rechazo rechazo, Rechazo sin_abrir)
{
    QFile fichero(QString::fromStdString(ruta));
    if (!fichero.open(QIODevice::ReadOnly))
        sin_abrir(std::string("No se puede abrir ") + que + " " + ruta
                  + (fichero.exists() ? ": no se puede leer" : ": no existe"));
    QByteArray datos = fichero.read(static_cast<qint64>(maximo) + 1);
    if (datos.size() > static_cast<qsizetype>(maximo))
        rechazo(std::string("el fichero pasa de ") + tamano);
    return datos;
}

void EscribirFichero(const std::string& ruta, const std::string& texto, Rechazo fallo)
{
    QFile fichero(QString::fromStdString(ruta));
    if (!fichero.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || fichero.write(texto.data(), static_cast<qint64>(texto.size())) != static_cast<qint64>(texto.size())
        || !fichero.flush())
        fallo(ruta);
}

} // namespace nc
