// SPDX-License-Identifier: MIT
#pragma once
// The arm seen from the side, on the animation image: a black field with
// dotted reference axes, a pedestal with a floor line, a pivot hub and the arm
// (a rod with a pointed head) turned to the animation angle. The coordinates
// are a pure computation (ArmScene); the drawing routines paint them.

#include "ui/common/Canvas.h"

#include <QPoint>

#include <array>
#include <optional>

namespace nc {

struct Matriz_2x2 {
    double m11, m12;
    double m21, m22;
};

struct Vector_2 {
    double x, y;
};

// (cos theta, -sin theta / sin theta, cos theta), theta in radians.
Matriz_2x2 Matriz_rotacion(double theta);

// r.x = v.x m11 + v.y m12, r.y = v.x m21 + v.y m22.
Vector_2 Rotar_vector(Vector_2 v, const Matriz_2x2& M);

// Every coordinate of one scene, in the order they are drawn.
struct ArmScene {
    QPoint centro;                        // the pivot, image centre rounded half to even
    std::array<QPoint, 2> eje_vertical;   // dotted upright reference
    std::array<QPoint, 2> eje_horizontal; // dotted horizontal reference
    std::array<QPoint, 2> varilla;        // rod, aqua, 3 px
    std::array<QPoint, 6> cabeza;         // head polygon, first vertex repeated
    std::array<QPoint, 2> puntero;        // pointer, aqua
    std::array<QPoint, 5> pedestal;       // teal polygon, first vertex repeated
    std::array<int, 4> eje_box;           // hub ellipse box: left, top, right, bottom
    std::array<QPoint, 2> suelo;          // floor line, white
};

// The image centre: W / 2 and H / 2 rounded to nearest, ties to even.
QPoint ArmCentre(int width, int height);

// A point of the arm's own frame (rod along +x) on the screen: rotated by M,
// scaled 90 px per unit across and 60 px per unit up, offset from the pivot in
// extended precision and truncated toward zero.
QPoint MapArmPoint(Vector_2 v, const Matriz_2x2& M, QPoint centre);

// The scene at angulo_animacion degrees (90 = upright) on a width x height image.
ArmScene ComputeArmScene(double angulo_animacion, int width, int height);

// Paints the background: black field, white border, dotted reference axes.
// Leaves the pen solid.
void Dibujar_fondo(ArmCanvas& canvas);

// Paints the whole scene at angulo_animacion.
void Dibujar_brazo(ArmCanvas& canvas, double angulo_animacion);

// The scene with the twin's arm of "Comparar con…" drawn as a ghost behind
// the arm; without a twin it is Dibujar_brazo, pixel for pixel.
void Dibujar_brazos(ArmCanvas& canvas, double angulo_animacion, std::optional<double> angulo_gemelo);

} // namespace nc
