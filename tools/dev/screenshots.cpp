// SPDX-License-Identifier: MIT
// Draws the README's pictures of the main window: a run of 100 samples at the
// reference 30, the same run after a step to 60, a zoom into it, and the
// chart's context menu over the window, and the "Laboratorio" window during
// "Red contra PID" shortly after a push, its X-ray at that moment, the
// default competence maps, the "Entrenar" tab half way through its preset,
// the trained network's maps beside the stored one's and the PID's, and the
// phase planes at the reference 300 of the stored network and of the
// trained one, each with a run from rest at 0 degrees. Renders offscreen.
//   nc-screenshots OUTPUT_FOLDER
#include "app/PlatformTexts.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/LabAjustes.h"
#include "ui/lab/Laboratorio.h"
#include "ui/lab/tabs/PanelEntrenar.h"
#include "ui/lab/tabs/PanelFase.h"
#include "ui/lab/tabs/PanelMapa.h"
#include "ui/lab/tabs/PanelRayosX.h"
#include "ui/main/Ppal.h"

#include <QApplication>
#include <QDir>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: nc-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Qt's own texts (the menu's shortcut) in Spanish, as the program shows them.
    nc::LoadSpanishPlatformTexts(app);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    int failures = 0;
    nc::SetErrorHook([&failures](const QString& message) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        ++failures;
    });

    nc::TPpal window;
    window.show();
    window.Button11Click();
    for (int k = 0; k < 100; ++k)
        window.Timer1Timer();
    bool ok = window.grab().save(out.filePath(QStringLiteral("screenshot-run-30.png")));
    window.Edit7->setText(QStringLiteral("60"));
    for (int k = 0; k < 100; ++k)
        window.Timer1Timer();
    ok = window.grab().save(out.filePath(QStringLiteral("screenshot-step-60.png"))) && ok;
    // A zoom into the step, as a drag toward the bottom right would make it.
    window.Chart1->ZoomToValues(64, 26, 64, 26, 150, 90, 150, 90);
    ok = window.grab().save(out.filePath(QStringLiteral("screenshot-zoom.png"))) && ok;
    // The context menu is a window of its own: its picture is laid over the
    // main window's where it opened, as the screen shows them together.
    window.Chart1->UndoZoom();
    window.Chart1ContextPopup(110, 40);
    window.PopupMenu1->setActiveAction(window.GuardarDatos1);
    QPixmap shot = window.grab();
    {
        QPainter painter(&shot);
        painter.drawPixmap(window.mapFromGlobal(window.PopupMenu1->pos()), window.PopupMenu1->grab());
    }
    window.PopupMenu1->hide();
    ok = shot.save(out.filePath(QStringLiteral("screenshot-menu.png"))) && ok;

    // The laboratory: the preset started, then ticked by hand to a moment
    // just after a push to the right on the step to 90 degrees.
    window.Button4Click();
    nc::TLaboratorio& lab = *window.Laboratorio();
    lab.resize(1280, 760);
    lab.PreajusteClick(4); // "Red contra PID"
    window.Button1Click();
    for (int k = 0; k < 320; ++k)
        window.Timer1Timer();
    lab.Ajustes1->EmpujarDerecha->click();
    for (int k = 0; k < 12; ++k)
        window.Timer1Timer();
    lab.ActualizarFiguras();
    QApplication::processEvents();
    ok = lab.grab().save(out.filePath(QStringLiteral("screenshot-lab.png"))) && ok;

    // The same moment in the X-ray, once its timer has read the run.
    auto esperar = [](int ms) {
        QElapsedTimer reloj;
        reloj.start();
        while (reloj.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    lab.MostrarPestana(lab.findChild<nc::TPanelRayosX*>(QStringLiteral("RayosX1")));
    esperar(250);
    ok = lab.grab().save(out.filePath(QStringLiteral("screenshot-rayos.png"))) && ok;

    // The default maps, the network's and the PID's, from rest.
    auto* mapa = lab.findChild<nc::TPanelMapa*>(QStringLiteral("Mapa1"));
    lab.Pestanas->setCurrentWidget(mapa);
    esperar(150);
    mapa->BotonCalcular()->click();
    while (mapa->Calculando())
        esperar(50);
    ok = mapa->grab().save(out.filePath(QStringLiteral("screenshot-mapa.png"))) && ok;

    // Training "Red con integral": half way, with its first small maps, on a
    // projector's screen; then, trained, the network's gravity map beside
    // the stored network's and its load map beside the PID's.
    lab.resize(1400, 900);
    auto* entrenar = lab.findChild<nc::TPanelEntrenar*>(QStringLiteral("Entrenar1"));
    lab.MostrarPestana(entrenar);
    esperar(100);
    entrenar->findChild<QPushButton*>(QStringLiteral("Preajuste0"))->click();
    auto* titulo = entrenar->findChild<QLabel*>(QStringLiteral("TituloMapaEntrenamiento"));
    while (!titulo->text().contains(QStringLiteral("1500")))
        esperar(100);
    entrenar->Pausar();
    esperar(300);
    ok = lab.grab().save(out.filePath(QStringLiteral("screenshot-entrenar.png"))) && ok;

    // The phase planes at the reference 300, each with 400 samples of a run
    // from rest at 0 degrees: the stored network's first, then the trained
    // one's once its training has ended.
    auto* fase = lab.findChild<nc::TPanelFase*>(QStringLiteral("Fase1"));
    auto plano = [&](const char* nombre) {
        window.Button1Click();
        nc::AjustesExperimento a = lab.Lab().Ajustes();
        a.referencia = nc::ProgramaReferencia{};
        a.comparar.reset();
        lab.CambiarAjustes(a);
        window.Edit7->setText(QStringLiteral("300"));
        window.Button11Click();
        window.Timer1Timer();
        window.Button1Click();
        lab.Pestanas->setCurrentWidget(fase);
        esperar(300);
        while (fase->Calculando() || !fase->Plano() || fase->Plano()->ajustes.referencia != 300)
            esperar(100);
        fase->OnInicio(0, 0);
        window.Button1Click();
        for (int k = 0; k < 400; ++k)
            window.Timer1Timer();
        esperar(300);
        return fase->grab().save(out.filePath(QString::fromUtf8(nombre)));
    };
    {
        nc::AjustesExperimento a = lab.Lab().Ajustes();
        a.controlador = nc::AjustesControlador{};
        lab.CambiarAjustes(a);
    }
    ok = plano("screenshot-fase-red.png") && ok;
    entrenar->Continuar();
    while (entrenar->Entrenando())
        esperar(200);
    entrenar->findChild<QPushButton*>(QStringLiteral("UsarControlador"))->click();
    const struct {
        nc::TipoControlador gemelo;
        int magnitud;
        const char* fichero;
    } mapas[] = {{nc::TipoControlador::Red, 2, "screenshot-entrenar-gravedad.png"},
                 {nc::TipoControlador::Pid, 3, "screenshot-entrenar-carga.png"}};
    lab.MostrarPestana(mapa);
    for (const auto& m : mapas) {
        nc::AjustesExperimento a = lab.Lab().Ajustes();
        a.comparar = nc::AjustesControlador(m.gemelo);
        lab.CambiarAjustes(a);
        mapa->findChild<QComboBox*>()->setCurrentIndex(m.magnitud);
        esperar(150);
        mapa->BotonCalcular()->click();
        while (mapa->Calculando())
            esperar(50);
        ok = mapa->grab().save(out.filePath(QString::fromLatin1(m.fichero))) && ok;
    }
    ok = plano("screenshot-fase-integral.png") && ok;
    return ok && failures == 0 ? 0 : 1;
}
