// SPDX-License-Identifier: MIT
#include "ui/lab/LabMano.h"

#include "core/run/AjustesExperimento.h"
#include "ui/common/Animacion.h"
#include "ui/common/ErrorBox.h"

#include <QMouseEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace nc {

double GradosDelPuntero(QPoint puntero, QSize imagen, double actual)
{
    const QPoint c = ArmCentre(imagen.width(), imagen.height());
    // The arm's unit is 90 pixels across and 60 up (Animacion).
    const double x = (puntero.x() - c.x()) / 90.0;
    const double y = (c.y() - puntero.y()) / 60.0;
    if (x == 0 && y == 0)
        return actual;
    const double angulo = std::atan2(y, x) * 180.0 / 3.14159265358979323846;
    const double grados = 90.0 - angulo;
    const double vueltas = std::nearbyint((actual - grados) / 360.0);
    return std::clamp(grados + 360.0 * vueltas, -kGradosMaximos, kGradosMaximos);
}

ManoArrastre::ManoArrastre(QWidget* imagen, Enlace enlace)
    : QObject(imagen), imagen_(imagen), enlace_(std::move(enlace))
{
    imagen->installEventFilter(this);
}

bool ManoArrastre::eventFilter(QObject*, QEvent* event)
{
    bool tomado = false;
    Guarded([&] {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton || !enlace_.activa())
                return;
            ultima_ = GradosDelPuntero(e->position().toPoint(), imagen_->size(), enlace_.posicion());
            enlace_.agarrar(ultima_);
            arrastrando_ = true;
            imagen_->setCursor(Qt::ClosedHandCursor);
            tomado = true;
            return;
        }
        case QEvent::MouseMove:
            if (!arrastrando_)
                return;
            // Nearest the hand's last angle, not the arm's, which lags a tick behind.
            ultima_
                = GradosDelPuntero(static_cast<QMouseEvent*>(event)->position().toPoint(), imagen_->size(), ultima_);
            enlace_.agarrar(ultima_);
            tomado = true;
            return;
        case QEvent::MouseButtonRelease:
            if (!arrastrando_ || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
                return;
            arrastrando_ = false;
            imagen_->unsetCursor();
            enlace_.soltar();
            tomado = true;
            return;
        default: return;
        }
    });
    return tomado;
}

} // namespace nc
