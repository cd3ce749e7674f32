// SPDX-License-Identifier: MIT
#include "ui/common/Animacion.h"

#include <cmath>
#include <vector>

namespace nc {
namespace {

constexpr long double kPi = 3.14159265358979323846264338327950288L;

// Pixels per scene unit; the arm's points carry a further factor 2.
constexpr long double kEscalaX = 45.0L;
constexpr long double kEscalaY = 30.0L;
constexpr long double kFactorBrazo = 2.0L;

const QColor kAqua(0, 255, 255);
const QColor kSilver(192, 192, 192);
const QColor kTeal(0, 128, 128);
const QColor kRed(255, 0, 0);
// The twin of "Comparar con…": a ghost in greys behind the arm.
const QColor kGhostRod(110, 110, 150);
const QColor kGhostEdge(130, 130, 130);
const QColor kGhostHead(70, 70, 90);

// The fixed shapes' offsets: scene lengths times the per-unit scales, truncated.
int Truncated(long double value)
{
    return static_cast<int>(value);
}

int RoundHalfEven(int numerator) // numerator / 2 rounded half to even
{
    return static_cast<int>(std::nearbyint(numerator / 2.0));
}

} // namespace

Matriz_2x2 Matriz_rotacion(double theta)
{
    return {std::cos(theta), -std::sin(theta), std::sin(theta), std::cos(theta)};
}

Vector_2 Rotar_vector(Vector_2 v, const Matriz_2x2& M)
{
    return {v.x * M.m11 + v.y * M.m12, v.x * M.m21 + v.y * M.m22};
}

QPoint ArmCentre(int width, int height)
{
    return {RoundHalfEven(width), RoundHalfEven(height)};
}

QPoint MapArmPoint(Vector_2 v, const Matriz_2x2& M, QPoint centre)
{
    const Vector_2 r = Rotar_vector(v, M);
    // Formed in extended precision: a coordinate within rounding error of an
    // integer truncates differently in plain double.
    const long double x = static_cast<long double>(r.x) * kFactorBrazo * kEscalaX + centre.x();
    const long double y = centre.y() - static_cast<long double>(r.y) * kFactorBrazo * kEscalaY;
    return {static_cast<int>(x), static_cast<int>(y)};
}

ArmScene ComputeArmScene(double angulo_animacion, int width, int height)
{
    ArmScene s{};
    const QPoint c = ArmCentre(width, height);
    const int cx = c.x(), cy = c.y();
    s.centro = c;
    // The reference axes reach the scene points (0, 2) and (2.4, 0), unscaled by
    // the arm's factor 2, rounded to the nearest pixel.
    s.eje_vertical = {c, QPoint(cx, cy - static_cast<int>(std::lround(2.0L * kEscalaY)))};
    s.eje_horizontal = {c, QPoint(cx + static_cast<int>(std::lround(2.4L * kEscalaX)), cy)};

    const double theta = static_cast<double>(kPi * angulo_animacion / 180.0L);
    const Matriz_2x2 M = Matriz_rotacion(theta);
    auto map = [&](double x, double y) { return MapArmPoint({x, y}, M, c); };
    s.varilla = {map(0, 0), map(0.5, 0)};
    s.cabeza = {map(0.7, 0.4), map(0.56, 0.27), map(0.5, 0), map(0.56, -0.27), map(0.7, -0.4), map(0.7, 0.4)};
    s.puntero = {map(0.7, 0), map(0.85, 0)};

    const int ancho_pedestal = Truncated(kEscalaX * 0.2L); // 9
    const int alto_pedestal = Truncated(kEscalaY * 2.0L);  // 60
    const int radio_eje = Truncated(kEscalaY * 0.3L);      // 9
    const int medio_suelo = Truncated(kEscalaX * 2.0L);    // 90
    s.pedestal = {QPoint(cx - ancho_pedestal, cy), QPoint(cx + ancho_pedestal, cy),
                  QPoint(cx + ancho_pedestal, cy + alto_pedestal), QPoint(cx - ancho_pedestal, cy + alto_pedestal),
                  QPoint(cx - ancho_pedestal, cy)};
    s.eje_box = {cx - ancho_pedestal, cy - radio_eje, cx + ancho_pedestal, cy + radio_eje};
    s.suelo = {QPoint(cx - medio_suelo, cy + alto_pedestal), QPoint(cx + medio_suelo, cy + alto_pedestal)};
    return s;
}

void Dibujar_fondo(ArmCanvas& canvas)
{
    const ArmScene s = ComputeArmScene(90.0, canvas.Width(), canvas.Height());
    canvas.SetBrush(Qt::black);
    canvas.SetPen(Qt::white, 1, PenStyle::Solid);
    canvas.Rectangle(0, 0, canvas.Width(), canvas.Height());
    canvas.SetPenStyle(PenStyle::Dotted);
    canvas.MoveTo(s.eje_vertical[0].x(), s.eje_vertical[0].y());
    canvas.LineTo(s.eje_vertical[1].x(), s.eje_vertical[1].y());
    canvas.MoveTo(s.eje_horizontal[0].x(), s.eje_horizontal[0].y());
    canvas.LineTo(s.eje_horizontal[1].x(), s.eje_horizontal[1].y());
    canvas.SetPenStyle(PenStyle::Solid);
}

namespace {

// The rod, the head and the pointer, in the given colours.
void DibujarVarilla(ArmCanvas& canvas, const ArmScene& s, QColor varilla, QColor borde, QColor cabeza)
{
    canvas.SetPen(varilla, 3, PenStyle::Solid);
    canvas.MoveTo(s.varilla[0].x(), s.varilla[0].y());
    canvas.LineTo(s.varilla[1].x(), s.varilla[1].y());

    canvas.SetPen(borde, 1, PenStyle::Solid);
    canvas.SetBrush(cabeza);
    canvas.Polygon(std::vector<QPoint>(s.cabeza.begin(), s.cabeza.end()));

    canvas.SetPen(varilla, 1, PenStyle::Solid);
    canvas.MoveTo(s.puntero[0].x(), s.puntero[0].y());
    canvas.LineTo(s.puntero[1].x(), s.puntero[1].y());
}

// The pedestal, the hub and the floor.
void DibujarFijos(ArmCanvas& canvas, const ArmScene& s)
{
    canvas.SetBrush(kTeal);
    canvas.SetPen(Qt::white, 1, PenStyle::Solid);
    canvas.Polygon(std::vector<QPoint>(s.pedestal.begin(), s.pedestal.end()));

    canvas.SetBrush(kRed);
    canvas.Ellipse(s.eje_box[0], s.eje_box[1], s.eje_box[2], s.eje_box[3]);

    canvas.MoveTo(s.suelo[0].x(), s.suelo[0].y());
    canvas.LineTo(s.suelo[1].x(), s.suelo[1].y());
}

} // namespace

void Dibujar_brazo(ArmCanvas& canvas, double angulo_animacion)
{
    const ArmScene s = ComputeArmScene(angulo_animacion, canvas.Width(), canvas.Height());
    Dibujar_fondo(canvas);
    DibujarVarilla(canvas, s, kAqua, Qt::white, kSilver);
    // The fixed parts come last, so they cover the arm where it passes behind.
    DibujarFijos(canvas, s);
}

void Dibujar_brazos(ArmCanvas& canvas, double angulo_animacion, std::optional<double> angulo_gemelo)
{
    if (!angulo_gemelo) {
        Dibujar_brazo(canvas, angulo_animacion);
        return;
    }
    const ArmScene s = ComputeArmScene(angulo_animacion, canvas.Width(), canvas.Height());
    const ArmScene g = ComputeArmScene(*angulo_gemelo, canvas.Width(), canvas.Height());
    Dibujar_fondo(canvas);
    // The twin first and in greys, so the arm in hand stays in front.
    DibujarVarilla(canvas, g, kGhostRod, kGhostEdge, kGhostHead);
    DibujarVarilla(canvas, s, kAqua, Qt::white, kSilver);
    DibujarFijos(canvas, s);
}

} // namespace nc
