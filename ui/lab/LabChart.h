// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's big chart: two of our chart panels stacked, the arm's
// position, the reference and the twin's position above, the forces (with
// the force limit's lines when one is set) and the errors below, against
// time in seconds. The panels' X axes move together: a zoom, a wheel turn or
// a scroll on one gives the other the same X range, and an undo on either
// puts both back to following the data. Each panel names its curves in the
// engine's legend and answers the pointer with a hint.
//
// The window owning it feeds one sample per tick (Agregar); a sample costs a
// few appends, and a paint costs the pixels drawn, not the points held
// (chart/FastLineWalk.h), so a run of millions of samples keeps painting at
// the display's rate (BM_PaintLabChart in bench/chart/bench_chart.cpp).
//
// The panels' context menu (a right click, or the keyboard through AbrirMenu,
// which the window holding the chart gives the menu key and Shift+F10) saves
// or copies the picture, saves the data and undoes a zoom; every handler runs
// inside Guarded, so an error goes to the error box and never reaches Qt.

#include "chart/Chart.h"
#include "chart/Series.h"
#include "ui/common/FileDialogs.h"
#include "ui/lab/LabChartData.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QSplitter>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace nc {

// One sample of a lab run, in degrees; the twin's values are there when a
// twin runs. fuerza is the force that acts, fuerza_pedida the controller's,
// which the force limit cuts.
struct MuestraLab {
    int32_t muestra = 0;
    float posicion = 0;
    float referencia = 0;
    float fuerza = 0;
    std::optional<float> posicion_gemelo = {};
    std::optional<float> fuerza_gemelo = {};
    std::optional<float> fuerza_pedida = {};
    std::optional<float> fuerza_pedida_gemelo = {};
};

// The curves, all owned by their panel.
struct CurvasLab {
    TFastLineSeries* posicion = nullptr;
    TFastLineSeries* posicion_gemelo = nullptr;
    TFastLineSeries* referencia = nullptr;
    TFastLineSeries* fuerza = nullptr;
    TFastLineSeries* fuerza_gemelo = nullptr;
    TFastLineSeries* error = nullptr; // referencia - posicion
    TFastLineSeries* error_gemelo = nullptr;
    TFastLineSeries* limite_superior = nullptr; // +limit, named in the legend
    TFastLineSeries* limite_inferior = nullptr; // -limit, not named again
    // The controllers' own forces, dashed, shown while a limit is set: where
    // the limit cuts a force they leave its curve.
    TFastLineSeries* fuerza_pedida = nullptr;
    TFastLineSeries* fuerza_pedida_gemelo = nullptr;
};

class TLabChart : public QWidget {
    Q_OBJECT
public:
    explicit TLabChart(QWidget* parent = nullptr);

    // Empties every curve and gives both panels' axes back to the data.
    void Limpiar();
    // The controllers' names for the legend, the hint and nothing else (e.g.
    // "Red neuronal", "PID"). Without a twin its curves are hidden, left out
    // of the legend and of the saved data.
    void SetNombres(const QString& principal, const std::optional<QString>& gemelo);
    // One sample: a point on every curve at muestra x 0.05 s; the error is
    // referencia - posicion for each arm. A twin curve without a value gets
    // none (and shows only with a twin).
    void Agregar(const MuestraLab& m);
    // An event at this sample (a push, the hand, a change, a lesion): a thin
    // line across both panels and, in the upper one, a short label. Drawn by
    // the panels (TChartMarkers), so saved and copied pictures have them;
    // Limpiar removes them.
    void Marcar(int32_t muestra, const QString& etiqueta);
    // Horizontal lines at +-limite across the run in the force panel, and
    // the forces asked for beside the forces that act; or neither.
    void SetFuerzaMaxima(std::optional<double> limite);
    // The widget as drawn, at its size times its device pixel ratio.
    QImage Imagen() const;
    // Both panels drawn again at this size, in the same proportions and with
    // the same gap between them as on screen.
    QImage Imagen(QSize tamano);
    // Every column shown, tab separated with a header row (LabTsv). Throws
    // std::runtime_error with the Spanish reason when the file cannot be
    // written; an existing file is then left as it was.
    void GuardarDatos(const QString& ruta) const;

    // Asks where to save: title, suggested path and type filter in; the path
    // out, empty when cancelled. Qt's own dialog unless replaced.
    std::function<QString(const QString& title, const QString& suggested, const QString& filter)> AskSaveFileName;

    TChart* PanelPosicion() const { return posicion_; }
    TChart* PanelFuerza() const { return fuerza_; }
    const CurvasLab& Curvas() const { return curvas_; }
    // Whether either panel's axes are the user's (zoomed or scrolled).
    bool Zoomed() const;

    // The context menu and its commands.
    void ContextPopup(TChart& panel, int x, int y);
    // The menu at the middle of the panel with the focus, or of the upper one.
    void AbrirMenu();
    void GuardarDatosClick();  // "Guardar datos…"
    void GuardarImagenClick(); // "Guardar imagen…"
    void CopiarImagenClick();  // "Copiar imagen"
    void DeshacerZoomClick();  // "Deshacer zoom"
    QMenu* Menu;
    QAction* GuardarDatos1;
    QAction* GuardarImagen1;
    QAction* CopiarImagen1;
    QAction* DeshacerZoom1; // enabled while either panel is zoomed or scrolled

protected:
    // A short chart (a small screen) scales its letters down with its height.
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The left axis' title at the largest size, up to its own, that the
    // panel's height has room for: a short panel (a small screen, the
    // splitter dragged) shows it whole in smaller letters.
    void FitLeftTitle(TChart& panel);
    void CreateMenu();
    void WirePanel(TChart& panel, TChart& other);
    // After a zoom or a scroll of `from`: the other panel takes its X range.
    void FollowX(TChart& from, TChart& to);
    // After an undo on `from`: the other one undoes too, both follow the data.
    void UndoBoth(TChart& from, TChart& to);
    void UpdateLimits();
    void UpdateTitles();
    void UpdateDemands();
    // The curves shown in a panel (or in both, for the file), limits left out.
    std::vector<LabColumn> Columns(const TChart* panel) const;
    QString AskPath(const QString& title, const QString& name, const QString& filter);

    QSplitter* splitter_;
    TChart* posicion_;
    TChart* fuerza_;
    CurvasLab curvas_;
    QString principal_;
    std::optional<QString> gemelo_;
    std::optional<double> limite_;
    bool linking_ = false; // inside FollowX or UndoBoth: the other's events are ours
    QString carpeta_guardado_;
    PictureSize tamano_imagen_; // as last chosen in "Guardar imagen…"
    QSize fitted_size_[2];      // each panel's size when its title was last fitted
    int fitted_room_[2] = {0, 0};
    double escala_ = 1.0; // of the letters' full size
};

} // namespace nc
