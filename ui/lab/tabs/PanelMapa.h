// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's competence map panel: the quantity, its range, the rows
// and the samples per cell; "Calcular" sweeps in a job of its own (Trabajo: the GUI
// thread only polls its progress, so the window never waits for a cell) and
// "Cancelar" stops it. The two maps, the base settings' controller and its
// twin, are drawn side by side as coloured cells with a legend, each cell as
// soon as it is computed; a click on a computed cell hands that cell's
// settings to OnCelda, for the lab to load and start.

#include "core/sweeps/MapaCompetencia.h"
#include "core/work/Trabajo.h"

#include <QRect>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace nc {

class TVistaMapa;

class TPanelMapa : public QWidget {
public:
    explicit TPanelMapa(QWidget* parent = nullptr);
    ~TPanelMapa() override;

    // The settings every cell starts from. Without a twin, the maps compare
    // the controller with the PID (or a PID with the network).
    void SetBase(const AjustesExperimento& base);
    const AjustesExperimento& Base() const { return base_; }

    // Called with the clicked cell's settings.
    std::function<void(const AjustesExperimento&)> OnCelda;

    // The map's settings as the controls show them.
    AjustesMapa Ajustes() const;
    // The map shown: the one being computed, as far as it has gone, or the
    // last one computed (or cancelled), if any.
    const std::optional<MapaCompetencia>& Mapa() const { return mapa_; }
    bool Calculando() const { return trabajo_ != nullptr; }

    void Calcular();
    void Cancelar();

    QPushButton* BotonCalcular() const { return calcular_; }
    QWidget* Vista() const;
    // Where a cell of the map (lado 0) or of the twin's (1) is drawn, in the
    // coordinates of Vista().
    QRect RectCelda(int lado, int fila, int columna) const;

private:
    struct Barrido; // the sweep's settings, progress and map
    void Sondear(); // the timer's look at the worker
    void Terminar();
    void MostrarMapa();
    void MagnitudCambiada();

    AjustesExperimento base_;
    QComboBox* magnitud_;
    QDoubleSpinBox* desde_;
    QDoubleSpinBox* hasta_;
    QSpinBox* filas_;
    QSpinBox* muestras_;
    QPushButton* calcular_;
    QPushButton* cancelar_;
    QProgressBar* progreso_;
    QLabel* estado_;
    TVistaMapa* vista_;
    QTimer* sondeo_;
    std::unique_ptr<Barrido> barrido_;
    std::unique_ptr<Trabajo> trabajo_; // after barrido_: the job ends before what it writes
    std::optional<MapaCompetencia> mapa_;
};

} // namespace nc
