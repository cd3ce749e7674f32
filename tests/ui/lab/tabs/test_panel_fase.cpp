// SPDX-License-Identifier: MIT
// The "Fase" tab in the lab, driven as a class drives it: set to the
// reference 300 it starts again and fills in without holding the window up and finds the stored
// network's resting place where the trace tool finds it; a click starts the
// run there, whose trajectory the tab draws and which ends at that focus;
// another controller starts the plane again, and "Cancelar" stops it.
#include "tools/trace/Trace.h"
#include "tools/trace/TraceFase.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/LabAjustes.h"
#include "ui/lab/Laboratorio.h"
#include "ui/lab/tabs/PanelFase.h"
#include "ui/main/Ppal.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace nc {
namespace {

TEST(PanelFase, FindsTheStoredNetworksRestingPlaceAndAClickRunsToIt)
{
    QStringList errores;
    SetErrorHook([&](const QString& m) { errores << m; });
    TPpal window;
    window.show();
    window.Button4Click();
    TLaboratorio& lab = *window.Laboratorio();
    lab.resize(1280, 760);
    auto* fase = lab.findChild<TPanelFase*>(QStringLiteral("Fase1"));
    ASSERT_NE(fase, nullptr);
    lab.MostrarPestana(fase);
    QApplication::processEvents(); // the tab laid out and painted, its plane at 30 begun

    // A new reference starts the plane again; whether it was seen half done.
    // (How long the window waits meanwhile is bench_realtime's "f" row.)
    bool a_medias = false;
    QTimer latido;
    QObject::connect(&latido, &QTimer::timeout, [&] {
        if (const std::optional<PlanoFase>& p = fase->Plano()) {
            const auto grises = std::count(p->celdas.begin(), p->celdas.end(), kFinPendiente);
            a_medias |= grises > 0 && grises < static_cast<long>(p->celdas.size());
        }
    });
    latido.start(5);
    window.Edit7->setText(QStringLiteral("300"));
    window.Button11Click();
    window.Timer1Timer(); // the lab reads the reference box
    window.Button1Click();
    auto hecho = [&] {
        return !fase->Calculando() && fase->Plano() && fase->Plano()->completo
            && fase->Plano()->ajustes.referencia == 300;
    };
    ASSERT_TRUE(QTest::qWaitFor(hecho, 120000));
    latido.stop();
    EXPECT_TRUE(a_medias);
    if (const char* png = std::getenv("NC_PANEL_FASE_PNG"))
        lab.grab().save(QString::fromLocal8Bit(png));

    // The focus near 237 degrees, named under the plane, and the same plane
    // as the trace tool's.
    const PlanoFase plano = *fase->Plano();
    const auto foco = std::find_if(plano.analisis.equilibrios.begin(), plano.analisis.equilibrios.end(),
                                   [](const Equilibrio& e) { return Estable(e.tipo) && e.posicion > 0; });
    ASSERT_NE(foco, plano.analisis.equilibrios.end());
    EXPECT_NEAR(foco->posicion, 236.8, 0.1);
    EXPECT_TRUE(fase->TextoEquilibrios().contains(QStringLiteral("236")));
    EXPECT_TRUE(fase->TextoEquilibrios().contains(QStringLiteral("foco estable")));
    std::ostringstream ventana, herramienta, err;
    EscribirPlano(plano, ventana, NumberFormat{".", ","});
    ASSERT_EQ(RunTrace({"--fase", "--referencia", "300"}, herramienta, err, NumberFormat{".", ","}), 0) << err.str();
    EXPECT_EQ(ventana.str(), herramienta.str());

    // A click near rest at 0 degrees: the run starts there, at the speed in
    // force, and ends at the focus.
    QTest::mouseClick(fase->Vista(), Qt::LeftButton, {}, fase->PuntoDe(0, 0));
    const AjustesExperimento& a = lab.Lab().Ajustes();
    EXPECT_LT(std::fabs(a.angulo_inicial), 2.0);
    EXPECT_LT(std::fabs(a.velocidad_inicial), 10.0);
    EXPECT_EQ(lab.Ajustes1->VelocidadInicial->text().toDouble(), a.velocidad_inicial);
    EXPECT_EQ(lab.Lab().muestra(), 0);
    EXPECT_TRUE(window.Timer1->Enabled());
    for (int k = 0; k < 600; ++k)
        window.Timer1Timer();
    EXPECT_EQ(fase->Trayectoria().size(), 600u);
    EXPECT_NEAR(fase->Trayectoria().front().x(), a.angulo_inicial, 1e-5);
    EXPECT_NEAR(fase->Trayectoria().front().y(), a.velocidad_inicial, 1e-4);
    EXPECT_NEAR(lab.PosicionGrados(), foco->posicion, 0.1);

    // The PID instead: the plane starts again, with the whole loop's
    // equilibrium said under it; "Cancelar" leaves the rest grey.
    AjustesExperimento pid = lab.Lab().Ajustes();
    pid.controlador.tipo = TipoControlador::Pid;
    lab.CambiarAjustes(pid);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fase->Calculando() && fase->Plano()->analisis.con_integral; }, 5000));
    QTest::mouseClick(fase->findChild<QPushButton*>(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fase->Calculando(); }, 5000));
    EXPECT_FALSE(fase->Plano()->completo);
    EXPECT_TRUE(fase->TextoEquilibrios().contains(QStringLiteral("Equilibrios del lazo entero: 300")))
        << fase->TextoEquilibrios().toStdString();
    EXPECT_TRUE(errores.isEmpty()) << errores.join(QStringLiteral("; ")).toStdString();
    SetErrorHook({});
}

} // namespace
} // namespace nc
