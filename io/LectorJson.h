// SPDX-License-Identifier: MIT
#pragma once
// What every JSON file of the laboratory (experiments, networks) does when
// it reads: refuse a file over its size before parsing, give a syntax error
// its line and column, and read each field into a fresh value through an
// accessor that names the field it refuses and the keys it does not know.
// Each file kind says how it refuses (its exception and its first words).

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace nc {

// Throws the file kind's exception with this detail; never returns.
using Rechazo = void (*)(const std::string& detalle);

// The keys an object may hold; any other is named, not refused.
using Claves = std::initializer_list<const char*>;

class Objeto {
public:
    // `desconocidas` collects the keys that Conocidas does not list, by path.
    Objeto(QJsonObject o, std::string ruta, std::vector<std::string>* desconocidas, Rechazo rechazo)
        : o_(std::move(o)), ruta_(std::move(ruta)), desconocidas_(desconocidas), rechazo_(rechazo)
    {}

    // Names every key of the object outside these lists, once each.
    void Conocidas(Claves claves, Claves otras = {}) const;
    // An element of a list under this object: its keys are named as `ruta`.
    Objeto Elemento(const QJsonValue& v, const std::string& ruta) const
    {
        return Objeto(v.toObject(), ruta, desconocidas_, rechazo_);
    }

    bool Tiene(const char* clave) const { return o_.contains(QLatin1String(clave)); }
    std::string Campo(const char* clave) const { return "«" + ruta_ + clave + "»"; }
    QJsonValue Valor(const char* clave) const { return o_.value(QLatin1String(clave)); }

    double Numero(const char* clave, double porDefecto) const;
    // A whole number in [minimo, maximo], held exactly by a double.
    int64_t Entero(const char* clave, int64_t porDefecto, int64_t minimo, int64_t maximo) const;
    std::string Texto(const char* clave, const std::string& porDefecto) const;
    bool Booleano(const char* clave, bool porDefecto) const;
    Objeto Hijo(const char* clave) const;
    QJsonArray Lista(const char* clave) const;
    // A list of numbers, of exactly `cuantos` when it is not negative.
    std::vector<double> Numeros(const char* clave, long cuantos = -1) const;

    [[noreturn]] void Rechazar(const std::string& detalle) const;

private:
    QJsonObject o_;
    std::string ruta_;
    std::vector<std::string>* desconocidas_;
    Rechazo rechazo_;
};

// One warning line for the unknown keys of a file (`que`: "el experimento"),
// each as «ruta.clave».
std::string AvisoClaves(const char* que, const std::vector<std::string>& claves);

// Where a syntax error lies, as an editor shows it: "línea L, columna C" (in
// characters, not bytes) from 1.
std::string LineaYColumna(std::string_view texto, size_t posicion);

// The text's top object: refuses a text over `maximo` bytes (as `tamano`,
// e.g. "8 MB"), text that is not well-formed JSON (with its line and
// column), nesting too deep, and a document that is not an object.
QJsonObject DocumentoJson(std::string_view texto, size_t maximo, const char* tamano, Rechazo rechazo);

// A file's bytes, at most one past `maximo`: enough to know a file is too
// big without reading all of it, even from a pipe whose size is unknown.
// `que` names the file kind in the error ("el experimento").
QByteArray LeerFicheroLimitado(const std::string& ruta, size_t maximo, const char* tamano, const char* que,
                               Rechazo rechazo, Rechazo sin_abrir);

// Writes the text whole or throws through `fallo` ("No se puede guardar ...").
void EscribirFichero(const std::string& ruta, const std::string& texto, Rechazo fallo);

} // namespace nc
