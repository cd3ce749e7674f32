// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's big chart: the position, the reference and the twin's
// position against time, and the forces. This is a placeholder with the
// chart's interface and a plain drawing, so the window can be built and
// tested; the chart built on our own engine replaces it.

#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace nc {

// One sample of the run, in degrees.
struct MuestraLab {
    int32_t muestra;
    float posicion;
    float referencia;
    float fuerza;
    std::optional<float> posicion_gemelo;
    std::optional<float> fuerza_gemelo;
};

class TLabChart : public QWidget {
public:
    explicit TLabChart(QWidget* parent = nullptr);

    void Limpiar();
    void SetNombres(const QString& principal, const std::optional<QString>& gemelo);
    void Agregar(const MuestraLab& m);
    void SetFuerzaMaxima(std::optional<double> limite);
    QImage Imagen() const;
    void GuardarDatos(const QString& ruta) const;
    std::function<QString(const QString& title, const QString& suggested, const QString& filter)> AskSaveFileName;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<MuestraLab> muestras_;
    QString principal_;
    std::optional<QString> gemelo_;
};

} // namespace nc
