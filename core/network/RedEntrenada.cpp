// SPDX-License-Identifier: MIT
#include "core/network/RedEntrenada.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace nc {
namespace {

constexpr double kPesoMaximo = 1e6;

[[noreturn]] void Rechazar(const std::string& detalle)
{
    throw std::invalid_argument("Red no válida: " + detalle);
}

void ComprobarPesos(const std::vector<double>& pesos, size_t cuantos, const char* nombre)
{
    if (pesos.size() != cuantos)
        Rechazar(std::string("«") + nombre + "» debe tener " + std::to_string(cuantos) + " pesos");
    for (double w : pesos)
        if (!std::isfinite(w) || std::fabs(w) > kPesoMaximo)
            Rechazar(std::string("«") + nombre + "» tiene un peso no finito o mayor que 1e6");
}

} // namespace

std::vector<double> RedEntrenada::Parametros() const
{
    std::vector<double> p;
    p.reserve(static_cast<size_t>(NumParametros()));
    p.insert(p.end(), w1.begin(), w1.end());
    p.insert(p.end(), b1.begin(), b1.end());
    p.insert(p.end(), w2.begin(), w2.end());
    p.push_back(b2);
    return p;
}

void RedEntrenada::FijarParametros(const std::vector<double>& p)
{
    const size_t n1 = static_cast<size_t>(ocultas * Entradas());
    const size_t h = static_cast<size_t>(ocultas);
    w1.assign(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(n1));
    b1.assign(p.begin() + static_cast<std::ptrdiff_t>(n1), p.begin() + static_cast<std::ptrdiff_t>(n1 + h));
    w2.assign(p.begin() + static_cast<std::ptrdiff_t>(n1 + h), p.begin() + static_cast<std::ptrdiff_t>(n1 + 2 * h));
    b2 = p[n1 + 2 * h];
}

RedEntrenada RedVacia(int32_t ocultas, bool integral, double limite_integral)
{
    RedEntrenada r;
    r.ocultas = ocultas;
    r.integral = integral;
    r.limite_integral = limite_integral;
    r.w1.assign(static_cast<size_t>(ocultas * r.Entradas()), 0.0);
    r.b1.assign(static_cast<size_t>(ocultas), 0.0);
    r.w2.assign(static_cast<size_t>(ocultas), 0.0);
    return r;
}

void ComprobarRedEntrenada(const RedEntrenada& r)
{
    if (r.ocultas < RedEntrenada::kOcultasMinimas || r.ocultas > RedEntrenada::kOcultasMaximas)
        Rechazar("las neuronas ocultas deben estar entre 2 y 32");
    const size_t h = static_cast<size_t>(r.ocultas);
    ComprobarPesos(r.w1, h * static_cast<size_t>(r.Entradas()), "pesos_oculta");
    ComprobarPesos(r.b1, h, "bias_oculta");
    ComprobarPesos(r.w2, h, "pesos_salida");
    ComprobarPesos({r.b2}, 1, "bias_salida");
    for (int k = 0; k < r.Entradas(); ++k)
        if (!std::isfinite(r.escala[static_cast<size_t>(k)]) || !(r.escala[static_cast<size_t>(k)] > 0.0)
            || r.escala[static_cast<size_t>(k)] > kPesoMaximo)
            Rechazar("cada escala de entrada debe ser un número positivo no mayor que 1e6");
    if (r.integral && !(std::isfinite(r.limite_integral) && r.limite_integral > 0.0 && r.limite_integral <= 1000.0))
        Rechazar("el límite de la integral debe estar entre 0 (sin incluir) y 1000");
}

std::unique_ptr<red> ComoRed(const RedEntrenada& r)
{
    const int32_t entradas = r.Entradas();
    auto nueva = std::make_unique<red>();
    nueva->Iniciar(3, 1, {entradas, r.ocultas, 1, 0, 0, 0});
    capa& oculta = nueva->Capa(0);
    oculta.Iniciar(r.ocultas);
    for (int32_t j = 0; j < r.ocultas; ++j) {
        neurona& n = oculta.Neurona(j);
        n.Iniciar(2, entradas + 1);
        for (int32_t k = 0; k < entradas; ++k)
            n.Fijar_peso(k, r.w1[static_cast<size_t>(j * entradas + k)]);
        n.Fijar_peso(entradas, r.b1[static_cast<size_t>(j)]);
    }
    capa& salida = nueva->Capa(1);
    salida.Iniciar(1);
    neurona& u = salida.Neurona(0);
    u.Iniciar(0, r.ocultas + 1);
    for (int32_t j = 0; j < r.ocultas; ++j)
        u.Fijar_peso(j, r.w2[static_cast<size_t>(j)]);
    u.Fijar_peso(r.ocultas, r.b2);
    return nueva;
}

} // namespace nc
