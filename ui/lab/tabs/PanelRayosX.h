// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's X-ray panel: what the controller does at the state the
// last tick read, one column per arm. For a network, its hidden units as
// bars from zero (blue positive, red negative, a unit switched off drawn
// grey as "apagada"); for every controller, the force that acts (where the
// force limit cuts it, "Saturada" and the controller's demand), the gains
// ∂u/∂θ, ∂u/∂ω, ∂u/∂r (and the PID's ∂u/∂I), the eigenvalues of the
// linearised loop (three with the PID's integral), ωn and ζ, and "Estable"
// or "Inestable".
//
// Mostrar keeps the readings and asks for a repaint; the paint formats a
// few dozen numbers and fills a few dozen rectangles, cheap enough for
// every tick.

#include "core/analysis/RayosX.h"
#include "locale/RegionalFormat.h"
#include "core/numbers/NumberText.h"

#include <QString>
#include <QWidget>

#include <optional>

namespace nc {

class TPanelRayosX : public QWidget {
public:
    explicit TPanelRayosX(QWidget* parent = nullptr);

    void Mostrar(const LecturaRayosX& principal, const std::optional<LecturaRayosX>& gemelo,
                 const QString& nombre_principal, const std::optional<QString>& nombre_gemelo);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Columna {
        LecturaRayosX lectura;
        QString nombre;
    };
    void PintarColumna(QPainter& p, const Columna& c, const QRect& area) const;

    std::optional<Columna> principal_;
    std::optional<Columna> gemelo_;
    NumberFormat formato_ = RegionalNumberFormat();
};

} // namespace nc
