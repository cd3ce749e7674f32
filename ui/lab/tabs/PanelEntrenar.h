// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's "Entrenar" tab: the network to train (its inputs, the
// integral's limit, its hidden units), the conditions it trains on, the
// method, and the training itself on the worker threads of
// EntrenamientoEnCurso, which the tab only polls: the loss curve on our
// chart, the replay of four steps beside the best network's before it, a
// small competence map, progress, pause, continue, cancel and a reset from
// the same seed. The network, as it stands at any moment, can become the
// lab's controller or its twin, and be saved or opened as a file.
//
// Every field is checked when the user leaves it, against the whole
// settings' ranges; a refusal puts the field back and says why.

#include "io/FicheroRed.h"
#include "core/training/EntrenamientoEnCurso.h"
#include "core/numbers/NumberText.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace nc {

class TChart;
class TFastLineSeries;
class TVistaMapa;

class TPanelEntrenar : public QWidget {
public:
    TPanelEntrenar(NumberFormat formato, QWidget* parent = nullptr);
    ~TPanelEntrenar() override;

    const AjustesEntrenamiento& Ajustes() const { return ajustes_; }
    // New settings for the fields; checked first (a refusal throws).
    void SetAjustes(const AjustesEntrenamiento& ajustes);
    // The network as it stands: the training's latest, or the one opened.
    std::shared_ptr<const RedEntrenada> Red() const { return red_; }
    // The network with the settings that trained it and its last loss, to
    // save; an opened one becomes the tab's network, its settings the
    // fields'. Opening stops a training under way.
    RedGuardada ParaGuardar() const;
    void Abrir(const RedGuardada& guardada);
    bool Entrenando() const { return entrenamiento_ != nullptr && !terminado_; }

    // The commands of the buttons.
    void Entrenar();
    void Pausar();
    void Continuar();
    void Cancelar();
    void Reiniciar();
    void Preajuste(int indice); // loads it and starts training

    // The lab's side: make the network its controller or its twin; save and
    // open a network file (set by the window that owns the tab).
    std::function<void(std::shared_ptr<const RedEntrenada>, bool gemelo)> Usar;
    std::function<void()> GuardarRed;
    std::function<void()> AbrirRed;

    // One look at the training: new losses, replays, map, buttons. The tab's
    // timer calls it; tests call it to follow a training without waiting.
    void Sondear();

private:
    struct Campo;
    void CrearCampos(QWidget* columna);
    // A number field: its object name, its tooltip, how it reads and writes
    // its value in the settings, and whether the value must be whole.
    QLineEdit* CampoNumero(const char* nombre, const QString& ayuda,
                           std::function<double(const AjustesEntrenamiento&)> leer,
                           std::function<void(double, AjustesEntrenamiento&)> poner, bool entero = false);
    void Proponer(const std::function<void(AjustesEntrenamiento&)>& cambio);
    void MostrarCampos();
    QString Texto(double valor) const;
    double Numero(const Campo& campo) const;
    void Empezar(const AjustesEntrenamiento& ajustes);
    void ActualizarBotones();
    void MostrarRepeticiones(const VistaEntrenamiento& v);

    NumberFormat formato_;
    AjustesEntrenamiento ajustes_;
    std::vector<std::unique_ptr<Campo>> campos_;
    QCheckBox* integral_;
    QCheckBox* limitar_;
    QCheckBox* imitar_;
    QPushButton* entrenar_;
    QPushButton* pausar_;
    QPushButton* continuar_;
    QPushButton* cancelar_;
    QPushButton* reiniciar_;
    QPushButton* usar_;
    QPushButton* gemelo_;
    QPushButton* guardar_;
    QPushButton* abrir_;
    QProgressBar* progreso_;
    QLabel* estado_;
    TChart* perdida_;
    TFastLineSeries* curva_perdida_;
    TFastLineSeries* curva_imitacion_;
    TChart* repeticion_;
    TFastLineSeries* curva_actual_;
    TFastLineSeries* curva_mejor_;
    TFastLineSeries* curva_referencia_;
    TVistaMapa* mapa_;
    QLabel* titulo_mapa_;
    QTimer* sondeo_;

    std::unique_ptr<EntrenamientoEnCurso> entrenamiento_;
    bool terminado_ = false;
    size_t perdidas_ = 0; // losses already on the curve
    int64_t repeticion_mostrada_ = -1;
    int64_t mapa_mostrado_ = -1;
    std::optional<MapaCompetencia> mapa_actual_;
    std::shared_ptr<const RedEntrenada> red_;
    // Where red_ came from: the settings that trained it and its last loss.
    std::optional<AjustesEntrenamiento> origen_;
    std::optional<double> perdida_final_;
};

} // namespace nc
