// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's lesions panel: switch hidden units off, scale the
// network's weights, add seeded noise to them, quantise them, and
// "Restaurar" the stored network.
//
// A change is checked before it is handed on: a bad value shows its Spanish
// message in the application's error box, the panel goes back to the lesions
// it showed, and OnCambio is not called. "Restaurar" hands on no lesions.

#include "core/network/Lesion.h"
#include "locale/RegionalFormat.h"
#include "core/numbers/NumberText.h"

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace nc {

class TPanelLesiones : public QWidget {
public:
    static constexpr int kUnidades = 8;         // the stored controller's hidden units
    static constexpr int kUnidadesMaximas = 32; // a trained network's most

    explicit TPanelLesiones(QWidget* parent = nullptr);

    // Shows the lesions without calling OnCambio.
    void Mostrar(const Lesions& lesiones);
    // How many hidden units the network in force has: a box for each.
    void SetUnidades(int unidades);
    const Lesions& Lesiones() const { return actual_; }

    std::function<void(const Lesions&)> OnCambio;

    // The controls, for tests that drive the panel as a user would.
    QCheckBox* Unidad(int j) const { return unidades_[static_cast<std::size_t>(j)]; }
    QLineEdit* Escala() const { return escala_; }
    QLineEdit* Ruido() const { return ruido_; }
    QLineEdit* Semilla() const { return semilla_; }
    QSpinBox* Bits() const { return bits_; }
    QPushButton* Restaurar() const { return restaurar_; }

private:
    // Reads every control into a new description, checks it and hands it on;
    // on a refusal the controls go back to `actual_`.
    void Leer();
    void Aplicar(const Lesions& nuevas);

    Lesions actual_;
    NumberFormat formato_ = RegionalNumberFormat();
    bool mostrando_ = false; // Mostrar's own writes are no user's change
    std::array<QCheckBox*, kUnidadesMaximas> unidades_{};
    int visibles_ = kUnidades;
    QLineEdit* escala_ = nullptr;
    QLineEdit* ruido_ = nullptr;
    QLineEdit* semilla_ = nullptr;
    QSpinBox* bits_ = nullptr;
    QPushButton* restaurar_ = nullptr;
};

} // namespace nc
