// SPDX-License-Identifier: MIT
#include "ui/lab/tabs/LabPestanas.h"

#include "ui/common/ErrorBox.h"
#include "ui/lab/LabChart.h"
#include "ui/lab/Laboratorio.h"
#include "ui/lab/tabs/PanelEntrenar.h"
#include "ui/lab/tabs/PanelFase.h"
#include "ui/lab/tabs/PanelLesiones.h"
#include "ui/lab/tabs/PanelMapa.h"
#include "ui/lab/tabs/PanelRayosX.h"

#include <QDir>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>

namespace nc {
namespace {

// The X-ray follows the run ten times a second: at 1000 ticks a second no
// one reads every tick, and at the default 5 every tick is shown.
constexpr int kIntervaloRayos = 100; // ms

QString Nombre(const AjustesControlador& c)
{
    QString nombre = QString::fromUtf8(NombreControlador(c.tipo));
    if (c.tipo == TipoControlador::Red && c.lesiones != Lesions{})
        nombre += QStringLiteral(" (lesionada)");
    return nombre;
}

} // namespace

void AgregarPestanasRed(TLaboratorio& lab)
{
    auto* rayos = new TPanelRayosX(&lab);
    auto* lesiones = new TPanelLesiones(&lab);
    auto* mapa = new TPanelMapa(&lab);
    rayos->setObjectName(QStringLiteral("RayosX1"));
    lesiones->setObjectName(QStringLiteral("Lesiones1"));
    mapa->setObjectName(QStringLiteral("Mapa1"));
    // The X-ray is drawn at a fixed line height; where the tab is shorter it
    // scrolls rather than lose its last lines.
    auto* rayos_desplazable = new QScrollArea(&lab);
    rayos_desplazable->setWidget(rayos);
    rayos_desplazable->setWidgetResizable(true);
    rayos_desplazable->setFrameShape(QFrame::NoFrame);
    rayos_desplazable->setFocusPolicy(Qt::NoFocus);
    lab.AgregarPestana(rayos_desplazable, QStringLiteral("Rayos X"));
    lab.AgregarPestana(lesiones, QStringLiteral("Lesiones"));
    lab.AgregarPestana(mapa, QStringLiteral("Mapa"));
    AgregarPestanaFase(lab);
    auto* entrenar = new TPanelEntrenar(lab.Formato(), &lab);
    entrenar->setObjectName(QStringLiteral("Entrenar1"));
    lab.AgregarPestana(entrenar, QStringLiteral("Entrenar"));

    // The trained network, as it stands, becomes the arm's controller or the
    // twin's, with the PID gains it had and no lesions.
    entrenar->Usar = [&lab](std::shared_ptr<const RedEntrenada> red, bool gemelo) {
        AjustesExperimento a = lab.Lab().Ajustes();
        AjustesControlador c(TipoControlador::Entrenada);
        c.entrenada.red = std::move(red);
        if (gemelo) {
            c.pid = a.comparar ? a.comparar->pid : a.controlador.pid;
            a.comparar = c;
        } else {
            c.pid = a.controlador.pid;
            a.controlador = c;
        }
        lab.CambiarAjustes(a);
    };
    const QString filtro = QStringLiteral("Redes (*.json)");
    entrenar->GuardarRed = [&lab, entrenar, filtro] {
        const RedGuardada red = entrenar->ParaGuardar();
        const QString ruta = lab.AskSaveFileName(QStringLiteral("Guardar red"),
                                                 QDir(lab.Carpeta()).filePath(QStringLiteral("red.json")), filtro);
        if (ruta.isEmpty())
            return;
        GuardarRed(ruta.toStdString(), red);
        lab.RecordarCarpeta(ruta);
    };
    // The file is read and checked whole before the tab changes.
    entrenar->AbrirRed = [&lab, entrenar, filtro] {
        const QString ruta = lab.AskOpenFileName(QStringLiteral("Abrir red"), filtro);
        if (ruta.isEmpty())
            return;
        std::vector<std::string> avisos;
        const RedGuardada red = CargarRed(ruta.toStdString(), &avisos);
        entrenar->Abrir(red);
        lab.RecordarCarpeta(ruta);
        QStringList lineas;
        for (const std::string& aviso : avisos)
            lineas << QString::fromStdString(aviso);
        lab.MostrarEstado(lineas.join(u'\n'));
    };

    // The lesions act on the network that controls the arm; the twin keeps
    // the stored one, so that the two can be compared. A refusal goes back
    // to the panel, which shows it and keeps what it showed.
    lesiones->OnCambio = [&lab](const Lesions& l) {
        AjustesExperimento a = lab.Lab().Ajustes();
        a.controlador.lesiones = l;
        lab.CambiarAjustes(a);
    };
    // The map starts from the run's settings as they are when it is asked
    // for ("pressed" comes before the click that starts the sweep).
    QObject::connect(mapa->BotonCalcular(), &QPushButton::pressed, &lab,
                     [&lab, mapa] { Guarded([&] { mapa->SetBase(lab.Lab().Ajustes()); }); });
    // A cell is loaded as the run the map made of it, as long as it, and
    // shown in "Gráfica" at the speed in force: the run's settings may carry
    // the speed of the file they came from, which is not the cell's.
    mapa->OnCelda = [&lab, mapa](const AjustesExperimento& celda) {
        Guarded([&] {
            ExperimentoGuardado g;
            g.ajustes = celda;
            g.ajustes.velocidad.reset();
            g.muestras = mapa->Ajustes().muestras;
            lab.Cargar(g);
            lab.Pestanas->setCurrentWidget(lab.Grafica);
        });
    };

    auto* timer = new QTimer(&lab);
    timer->setInterval(kIntervaloRayos);
    QObject::connect(timer, &QTimer::timeout, &lab, [&lab, rayos, lesiones, mapa] {
        Guarded([&] {
            const AjustesExperimento& a = lab.Lab().Ajustes();
            if (lesiones->Lesiones() != a.controlador.lesiones)
                lesiones->Mostrar(a.controlador.lesiones);
            const bool red
                = a.controlador.tipo == TipoControlador::Red || a.controlador.tipo == TipoControlador::Entrenada;
            lesiones->setEnabled(red);
            lesiones->SetUnidades(a.controlador.tipo == TipoControlador::Entrenada && a.controlador.entrenada
                                      ? a.controlador.entrenada->ocultas
                                      : TPanelLesiones::kUnidades);
            if (!mapa->Calculando() && !(mapa->Base() == a))
                mapa->SetBase(a);
            if (!rayos->isVisible())
                return;
            std::optional<QString> gemelo;
            if (a.comparar)
                gemelo = Nombre(*a.comparar);
            rayos->Mostrar(lab.Lab().RayosX(), lab.Lab().RayosXGemelo(), Nombre(a.controlador), gemelo);
        });
    });
    timer->start();
}

} // namespace nc
