// SPDX-License-Identifier: MIT
#pragma once
// The hand: dragging the arm with the mouse on an animation image. While the
// left button is held the arm follows the pointer's angle about the pivot;
// on release the controller takes over from where the hand left it.

#include <QObject>
#include <QPoint>
#include <QSize>

#include <functional>

namespace nc {

// The arm's position in degrees (0 upright, clockwise positive) that points
// at `puntero` on an animation image of size `imagen`, with the image's
// unequal scales across and up undone; of the turns that point there, the
// one nearest `actual`, so that a drag past the bottom goes on turning
// rather than jumping by 360. Held within the hand's range.
double GradosDelPuntero(QPoint puntero, QSize imagen, double actual);

// Watches an animation image for the drag. Owned by the image.
class ManoArrastre : public QObject {
public:
    struct Enlace {
        std::function<bool()> activa;        // whether a press may take the arm now
        std::function<double()> posicion;    // the arm's position now, degrees
        std::function<void(double)> agarrar; // the hand at this angle
        std::function<void()> soltar;
    };
    ManoArrastre(QWidget* imagen, Enlace enlace);
    bool Arrastrando() const { return arrastrando_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* imagen_;
    Enlace enlace_;
    bool arrastrando_ = false;
    double ultima_ = 0; // the hand's last angle, degrees
};

} // namespace nc
