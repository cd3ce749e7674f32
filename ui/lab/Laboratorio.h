// SPDX-License-Identifier: MIT
#pragma once
// The "Laboratorio" window: the settings of the laboratory's run (pushes,
// load, noise, the arm, the reference programme, the controllers and the
// twin of "Comparar con…"), its own animation with the twin as a ghost, the
// live step figures, the big chart, the experiments saved and opened and the
// built-in ones.
//
// One run: the main window owns the ticking. Once the laboratory has been
// made (opened, or the arm dragged in the main window), every tick goes
// through Paso here, a run under way taken over where it stood, and the
// main window shows the same tick in its read-outs, chart and animation. The
// window holds the run's Experimento; further panels are added as tabs
// beside the chart and follow the run through TrasPaso.

#include "core/run/Experimento.h"
#include "core/numbers/NumberText.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string_view>

namespace nc {

class TImage;
class TLabAjustes;
class TLabChart;
class ManoArrastre;

class TLaboratorio : public QWidget {
public:
    TLaboratorio(NumberFormat formato, QWidget* parent = nullptr);

    Experimento& Lab() { return experimento_; }
    const NumberFormat& Formato() const { return formato_; }
    // The folder the file dialogs start in: the last one a file went to.
    const QString& Carpeta() const { return carpeta_; }
    void RecordarCarpeta(const QString& ruta);
    // The status line under the tabs, shown only while it has a text.
    void MostrarEstado(const QString& texto);
    const Experimento& Lab() const { return experimento_; }

    // A panel in a tab of its own beside the chart.
    void AgregarPestana(QWidget* panel, const QString& titulo);
    // Brings to the front the tab that holds this panel.
    void MostrarPestana(QWidget* panel);
    // New settings for the run, checked whole first (a refusal throws and
    // changes nothing); the settings panel and the chart follow.
    void CambiarAjustes(const AjustesExperimento& ajustes);
    // Called after each successful tick, with what it showed.
    std::function<void(const SalidaPaso&)> TrasPaso;

    // One tick of the run. For "Fija" the reference is the main window's
    // box: its text, read with the regional format, becomes the setting
    // first (a change during a run is recorded with its sample). Throws as
    // Experimento::Paso, with nothing shown or kept.
    SalidaPaso Paso(std::string_view texto_referencia);
    // The run starts again at sample 0: chart emptied, arm at rest.
    void Limpiar();
    // Whether the run opened from a file or a preset has played all its
    // samples; it then pauses, and a further start goes on past them.
    bool Terminado() const;
    void OlvidarFin() { fin_.reset(); }
    // The twin's animation angle after the last tick, when there is a twin.
    std::optional<double> AnguloGemelo() const;
    double PosicionGrados() const; // the arm's position now, degrees

    // Opens a saved run (a file or a preset), checked first: its settings
    // replace the present ones and Arrancar starts it from sample 0.
    void Cargar(const ExperimentoGuardado& guardado);

    // The main window's side: start a run from sample 0 at its reference
    // text (and its own speed when it has one); the speed to save with the
    // run, none when the speed box holds none a file can keep.
    std::function<void(const ExperimentoGuardado&)> Arrancar;
    std::function<std::optional<int32_t>()> Velocidad;
    // Back to "Fija" from another programme: the "Ref." box, which showed
    // that programme's values, gets the text last typed there (a point as
    // its separator), so that the next tick reads it and not the last value.
    std::function<void(const std::string&)> MostrarFija;
    // Where to save and what to open (the dialog's title, the suggested name
    // and the filter in; empty when cancelled). Qt's dialogs unless replaced.
    std::function<QString(const QString&, const QString&, const QString&)> AskSaveFileName;
    std::function<QString(const QString&, const QString&)> AskOpenFileName;

    void GuardarExperimentoClick(); // "Guardar experimento…"
    void AbrirExperimentoClick();   // "Abrir experimento…"
    void PreajusteClick(int fila);
    void PantallaCompletaClick(); // F11
    void ActualizarFiguras();

    TLabAjustes* Ajustes1;
    TImage* Animacion1;
    QLabel* Lectura1; // sample, time and forces
    QLabel* Figuras1;
    QListWidget* Preajustes1;
    QPushButton* GuardarExperimento1;
    QPushButton* AbrirExperimento1;
    QTabWidget* Pestanas;
    TLabChart* Grafica;
    QLabel* Estado1; // the status line: what opening a file had to say
    QTimer* TimerFiguras;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void MostrarNombres();
    // "Guardar experimento…" enabled only for a run a file can hold, its
    // tooltip saying why not and what to do.
    void ActualizarGuardar();
    void DibujarBrazos(double angulo, std::optional<double> gemelo);

    NumberFormat formato_;
    Experimento experimento_;
    std::optional<int32_t> fin_;
    double angulo_ = 90;                  // the arm's animation angle after the last tick
    std::optional<double> angulo_gemelo_; // and the twin's
    bool escena_pendiente_ = false;       // the animation has not been drawn at them yet
    std::optional<SalidaPaso> ultimo_;    // the last tick, for the read-out
    QString carpeta_;
    bool colocada_ = false; // placed on its screen at its first showing
};

// The size the window asks for, and the room a window manager's title bar
// and borders take around it (known only once the window is shown, so
// reserved beforehand).
inline constexpr QSize kTamanoPreferido{1200, 760};
inline constexpr QSize kMarcoVentana{16, 48};
// Where the window opens in a screen's available area: at the size asked
// for, or smaller to fit with its frame, and centred.
QRect LugarVentana(const QRect& disponible, QSize preferido);

// The animation angle (90 upright) of an arm at this position in radians.
double AnguloAnimacion(float posicion);

} // namespace nc
