// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's "Fase" tab: the phase plane of the controller in force at
// the lab's settings and the reference in force (simulation/PlanoFase).
// Position runs across, velocity up; the loop's flow as arrows, its
// equilibria marked by kind, each cell of the grid coloured by where a run
// from there ends, with a legend, and the run's own trajectory drawn over it
// as it goes. A click on the plane starts the lab from that state.
//
// A change of the settings, the reference or the controller starts the
// plane again; it is computed in a job of its own (PlanoEnCurso) on two
// workers, which the tab polls, showing the cells as they come. It is only
// computed while the tab is shown.

#include "core/sweeps/PlanoFase.h"
#include "core/numbers/NumberText.h"

#include <QPointF>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace nc {

class TLaboratorio;
class TVistaFase;

class TPanelFase : public QWidget {
public:
    explicit TPanelFase(NumberFormat formato, QWidget* parent = nullptr);
    ~TPanelFase() override;

    // The loop to show: the lab's settings, the reference in force (degrees)
    // and the controller's integral now (the slice the flow is drawn on).
    // What the plane depends on starts it again when it changed; the
    // integral only redraws the flow.
    void SetLazo(const AjustesExperimento& ajustes, double referencia, std::optional<double> integral);
    // A tick of the run, its state at the sample's start; sample 0 begins a
    // new trajectory.
    void AgregarPunto(int32_t muestra, float posicion, float velocidad);
    // Called with the clicked state: degrees and degrees per second, rounded
    // to a tenth of a degree and a degree per second.
    std::function<void(double posicion, double velocidad)> OnInicio;

    // The plane asked for, with the tab's ranges and grid.
    const AjustesPlano& Ajustes() const { return ajustes_; }
    // The plane shown: the cells known so far (all of them once complete).
    const std::optional<PlanoFase>& Plano() const { return plano_; }
    bool Calculando() const { return en_curso_ != nullptr; }
    void Cancelar();
    // What the tab says of the equilibria.
    QString TextoEquilibrios() const;
    const std::vector<QPointF>& Trayectoria() const { return trayectoria_; }

    QWidget* Vista() const;
    // Where a state is drawn, in the coordinates of Vista().
    QPoint PuntoDe(double posicion, double velocidad) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Reiniciar(); // the plane asked for, from the start
    void Sondear();   // the timer's look at the job
    void Terminar();
    void MostrarTexto();
    AjustesPlano Pedido() const; // the lab's loop with the tab's ranges

    NumberFormat formato_;
    QDoubleSpinBox* desde_;
    QDoubleSpinBox* hasta_;
    QDoubleSpinBox* velocidad_;
    QSpinBox* columnas_;
    QSpinBox* filas_;
    QSpinBox* muestras_;
    QPushButton* cancelar_;
    QProgressBar* progreso_;
    QLabel* estado_;
    QLabel* texto_;
    TVistaFase* vista_;
    QTimer* sondeo_;
    QTimer* espera_; // a moment after the last change of a range

    AjustesPlano lazo_; // the lab's loop, before the tab's ranges
    AjustesPlano ajustes_;
    std::optional<double> integral_;
    bool pendiente_ = true; // the plane shown is not the one asked for
    std::unique_ptr<PlanoEnCurso> en_curso_;
    std::unique_ptr<CampoLazo> campo_; // the flow's arrows, read on this thread
    std::optional<PlanoFase> plano_;
    bool con_analisis_ = false; // plano_ holds the job's equilibria
    std::vector<QPointF> trayectoria_;
};

// Adds the "Fase" tab to the lab, owned by it: it follows the lab's settings
// and ticks, and a click on it loads the clicked state as the run's start.
void AgregarPestanaFase(TLaboratorio& lab);

} // namespace nc
