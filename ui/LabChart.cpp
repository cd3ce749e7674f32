// SPDX-License-Identifier: MIT
#include "ui/LabChart.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <stdexcept>

namespace nc {

TLabChart::TLabChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(320, 240);
}

void TLabChart::Limpiar()
{
    muestras_.clear();
    update();
}

void TLabChart::SetNombres(const QString& principal, const std::optional<QString>& gemelo)
{
    principal_ = principal;
    gemelo_ = gemelo;
    update();
}

void TLabChart::Agregar(const MuestraLab& m)
{
    muestras_.push_back(m);
    update();
}

void TLabChart::SetFuerzaMaxima(std::optional<double>) {}

QImage TLabChart::Imagen() const
{
    return const_cast<TLabChart*>(this)->grab().toImage();
}

void TLabChart::GuardarDatos(const QString& ruta) const
{
    QFile file(ruta);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("No se puede escribir el archivo");
    file.write("Muestra\tPosición\tReferencia\tFuerza\n");
    for (const MuestraLab& m : muestras_)
        file.write(
            QStringLiteral("%1\t%2\t%3\t%4\n").arg(m.muestra).arg(m.posicion).arg(m.referencia).arg(m.fuerza).toUtf8());
}

// The last samples that fit, one pixel each, from -180 to 180 degrees.
void TLabChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const int n = std::min<int>(static_cast<int>(muestras_.size()), width());
    const size_t desde = muestras_.size() - static_cast<size_t>(n);
    auto y = [&](float grados) { return height() / 2.0 - grados * height() / 360.0; };
    auto curva = [&](auto valor, QColor color) {
        QPainterPath path;
        for (int i = 0; i < n; ++i) {
            const std::optional<float> v = valor(muestras_[desde + static_cast<size_t>(i)]);
            if (!v)
                return;
            if (i == 0)
                path.moveTo(i, y(*v));
            else
                path.lineTo(i, y(*v));
        }
        p.setPen(color);
        p.drawPath(path);
    };
    curva([](const MuestraLab& m) { return std::optional<float>(m.referencia); }, Qt::darkGreen);
    curva([](const MuestraLab& m) { return m.posicion_gemelo; }, QColor(150, 150, 255));
    curva([](const MuestraLab& m) { return std::optional<float>(m.posicion); }, Qt::blue);
    p.setPen(Qt::black);
    p.drawText(8, 16, principal_ + (gemelo_ ? QStringLiteral(" / ") + *gemelo_ : QString()));
}

} // namespace nc
