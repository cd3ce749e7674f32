// SPDX-License-Identifier: MIT
#pragma once
// The perceptron's building blocks: a neuron, a layer of neurons and a layered
// network. They validate nothing: indices and the agreement of weight counts
// with the bias mode are the builder's to respect (StoredController.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace nc {

// The network's input: position, velocity and reference, in radians.
using vector_1_Din = std::vector<double>;

class neurona {
public:
    // Kind 0 linear (clipped at +-1e6), 1 unipolar sigmoid, 2 bipolar sigmoid,
    // 3 sign, 4 bipolar step with hold, 5 unipolar step with hold.
    void Iniciar(int32_t tipo, int32_t num_pesos);
    int32_t Num_pesos() const { return num_pesos; }
    void Fijar_peso(int32_t i, double valor) { pesos[static_cast<std::size_t>(i)] = valor; }
    double Peso(int32_t i) const { return pesos[static_cast<std::size_t>(i)]; }
    void Fijar_neta(double valor) { neta = valor; }
    void Activar();
    double Salida() const { return salida; }

    double Neta() const { return neta; }
    int32_t Tipo() const { return tipo; }

private:
    std::vector<double> pesos;
    std::vector<double> pesos_aux; // zero-filled by Iniciar; nothing reads it
    double neta = 0.0;
    double salida = 0.0; // kept between evaluations: kinds 4 and 5 hold it at 0
    double aux_1 = 0.0;
    int32_t tipo = 0;
    double aux_2 = 0.0;
    int32_t num_pesos = 0;
};

class capa {
public:
    bool Iniciar(int32_t n);
    int32_t Num_neuronas() const { return num_neuronas; }
    neurona& Neurona(int32_t i) { return neuronas[static_cast<std::size_t>(i)]; }
    const neurona& Neurona(int32_t i) const { return neuronas[static_cast<std::size_t>(i)]; }

private:
    // Neurons are held by value, side by side, rather than as separately
    // allocated objects: the forward pass walks them in order.
    std::vector<neurona> neuronas;
    int32_t num_neuronas = 0;
};

class red {
public:
    // Stores the sizes and the bias mode and creates the (empty) layer objects:
    // num_capas - 1 of them, but one when num_capas is 1.
    bool Iniciar(int32_t num_capas, int32_t modo_bias, std::array<int32_t, 6> tamanos);
    int32_t Num_capas() const { return num_capas; }
    int32_t Modo_bias() const { return modo_bias; }
    capa& Capa(int32_t i) { return capas[static_cast<std::size_t>(i)]; }
    const capa& Capa(int32_t i) const { return capas[static_cast<std::size_t>(i)]; }
    int32_t Num_objetos_capa() const { return static_cast<int32_t>(capas.size()); }
    int32_t Tamano(int32_t i) const { return tamanos[static_cast<std::size_t>(i)]; }

private:
    std::vector<capa> capas; // layers by value, like their neurons
    std::array<int32_t, 6> tamanos{};
    int32_t num_capas = 0;
    int32_t modo_bias = 0;
};

// The forward pass: each neuron's net input is a single-precision running sum
// of weight x input, formed in extended precision and rounded after every
// term; the bias (bias mode 1) is the last term. A network with fewer than two
// sizes is left untouched.
void FeedBack(red& red_neuronal, const vector_1_Din& entrada);

} // namespace nc
