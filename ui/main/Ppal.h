// SPDX-License-Identifier: MIT
#pragma once
// The main window: the block diagram, the arm animation, the chart, the
// read-outs, the commands and the status bar. It owns one control loop and is
// its view: a tick's results come back through the ControlView hand-over
// points. Every handler runs inside Guarded, so an error is shown in the
// error box and the event loop goes on.

#include "chart/Chart.h"
#include "chart/Series.h"
#include "core/control/ControlLoop.h"
#include "core/run/AjustesExperimento.h"
#include "ui/common/Controls.h"
#include "ui/common/FileDialogs.h"
#include "ui/main/SimulationTimer.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

namespace nc {

class TSplash;
class TLaboratorio;

// The panel-0 messages.
inline constexpr const char* kMensajeFondo = "Demostración de Neurocontrol";
inline constexpr const char* kMensajeInicializar = "Inicialización del Perceptron";
inline constexpr const char* kMensajeControlar = "Poner en funcionamiento el sistema controlador-péndulo";
inline constexpr const char* kMensajeParar = "Detener el funcionamiento del sistema controlador-péndulo";
inline constexpr const char* kMensajeLimpiar = "Limpia las gráficas";
inline constexpr const char* kMensajeSalir = "Salir de la demostración";
inline constexpr const char* kMensajeLaboratorio = "Empujar el brazo, cambiarlo y comparar controladores";

class TPpal : public QWidget, public ControlView {
    Q_OBJECT
public:
    explicit TPpal(QWidget* parent = nullptr);

    // The splash shown modally at the first activation.
    void SetSplash(TSplash* splash) { splash_ = splash; }
    // Once the splash has closed, press "Inicializar" and then "&Controlar".
    void SetIniciarTrasSplash(bool on) { iniciar_tras_splash_ = on; }

    // Asks where to save: the dialog's title, the suggested file name and the
    // type filter in; the chosen path out, empty when cancelled. Qt's own
    // dialog unless replaced (tests answer without a modal loop).
    using SaveFileNameProvider
        = std::function<QString(const QString& title, const QString& suggested, const QString& filter)>;
    SaveFileNameProvider AskSaveFileName;

    // Handlers, named after control and event. Each runs its body inside
    // Guarded: an error is shown in the error box and goes no further.
    void FormCreate();
    void FormActivate();
    void FormMouseMove();
    void Button11MouseMove();
    void Button9MouseMove();
    void Button1MouseMove();
    void Button3MouseMove();
    void Button2MouseMove();
    void Button4MouseMove();
    void Button11Click(); // "Inicializar"
    void Button9Click();  // "&Controlar"
    void Button1Click();  // "Parar"
    void Button3Click();  // "Limpiar"
    void Button2Click();  // "&Salir"
    // "Laboratorio", also Ctrl+L and the chart's menu: opens the laboratory,
    // made at the first opening. From then on the run ticks through the
    // laboratory's: a run under way is taken over from where it stands.
    void Button4Click();
    TLaboratorio* Laboratorio() const { return laboratorio_; }
    void UpDown1Click();
    // The reference box's text changed: the up-down's position follows a number.
    void Edit7Change();
    void Timer1Timer();
    // The timer's handler: runs the ticks owed (Timer1Timer each), stopping at
    // the first that fails or stops the loop.
    void Timer1Due();
    void Timer2Timer();
    // The chart's context menu and its three commands.
    void Chart1ContextPopup(int x, int y);
    void GuardarDatosClick();  // "Guardar datos…", also Ctrl+S
    void GuardarImagenClick(); // "Guardar imagen…"
    void CopiarImagenClick();  // "Copiar imagen"
    void DeshacerZoomClick();  // "Deshacer zoom"

    // ControlView: what a tick shows.
    void SetPositionText(const std::string& text) override;
    void SetVelocityText(const std::string& text) override;
    void Dibujar_graficas(int32_t muestra, float posicion_grados, float velocidad_grados) override;
    void SetForceText(const std::string& text) override;
    void SetTimeText(const std::string& text) override;
    void Dibujar_brazo(double angulo_animacion) override;

    const ControlLoop& Loop() const { return loop_; }
    ControlLoop& Loop() { return loop_; }
    bool PrimeraActivacion() const { return primera_activacion_; }

    // The controls, by their layout names.
    TBevel* Bevel7;
    TBevel* Bevel3;
    QLabel* Label4;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label5;
    QLabel* Label6;
    TImage* Image1;
    TImage* Image3;
    QLabel* Label7;
    TButton* Button2;
    TButton* Button9;
    TButton* Button11;
    TStatusBar* StatusBar1;
    TReadout* Edit2;
    TButton* Button1;
    TReadout* Edit3;
    TReadout* Edit4;
    TReadout* Edit6;
    QLineEdit* Edit7;
    QLineEdit* Edit1;
    TButton* Button3;
    TChart* Chart1;
    TFastLineSeries* Series1; // the arm's position, owned by Chart1
    TFastLineSeries* Series2; // the reference, drawn over Series1
    TUpDown* UpDown1;
    SimulationTimer* Timer1;
    QTimer* Timer2;
    QMenu* PopupMenu1; // the chart's context menu
    QAction* GuardarDatos1;
    QAction* GuardarImagen1;
    QAction* CopiarImagen1;
    QAction* DeshacerZoom1; // enabled while the chart is zoomed or scrolled
    QAction* AbrirMenu1;    // the menu key and Shift+F10: the menu, at the chart
    TButton* Button4;       // "Laboratorio", in the free corner under the commands
    QAction* Laboratorio1;  // "Laboratorio…" in the chart's menu, and Ctrl+L

protected:
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void CreateControls();
    // One control step with the reference box's text; throws on failure.
    void Paso();
    // The reference box's number, read as the tick reads it; nothing when the
    // text is not one.
    std::optional<long double> ReferenceNumber() const;
    void WireHandlers();
    void SetRunning(bool running);
    void ShowMessage(const char* text);
    void CreateChartMenu();
    // The path for a save, or empty when the user cancelled; remembers the folder.
    QString AskPath(const QString& title, const QString& name, const QString& filter);
    // The chart as it is drawn now, at the screen's device pixel ratio.
    QImage ChartPicture() const;

    // The laboratory's share of the window: a tick through its run, the
    // start of a run it asks for, the animation with the twin's ghost.
    void PasoLaboratorio();
    void ArrancarLaboratorio(const ExperimentoGuardado& guardado);
    void LaboratorioAlInicio();
    // The laboratory, made (hidden) and driving the run, the first time
    // either it is opened or the arm is dragged in this window.
    TLaboratorio& CrearLaboratorio();
    // The arm's position now in degrees, whichever path drives the run.
    double PosicionGrados() const;
    void DibujarBrazos(double angulo, std::optional<double> gemelo);

    ControlLoop loop_;
    TLaboratorio* laboratorio_ = nullptr; // a window of its own, owned as a child
    bool lab_conduce_ = false;            // this run ticks through the laboratory
    TSplash* splash_ = nullptr;
    bool primera_activacion_ = true;
    bool iniciar_tras_splash_ = false;
    QString carpeta_guardado_;  // where the last save went; the current folder at first
    PictureSize tamano_imagen_; // as last chosen in "Guardar imagen…"
};

} // namespace nc
