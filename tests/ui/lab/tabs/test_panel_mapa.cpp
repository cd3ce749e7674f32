// SPDX-License-Identifier: MIT
// The competence map panel: "Calcular" sweeps a small map without holding the
// window up, showing each cell as it comes, and a click on a cell hands over
// that cell's settings.
#include "ui/lab/tabs/PanelMapa.h"

#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace nc {
namespace {

TEST(PanelMapa, ComputesASmallMapAndAClickedCellOpensItsExperiment)
{
    TPanelMapa panel;
    panel.resize(1100, 420);
    panel.show();
    const QList<QSpinBox*> enteros = panel.findChildren<QSpinBox*>();
    ASSERT_EQ(enteros.size(), 2);
    enteros[0]->setValue(5);   // rows: starting angles 0, 90, 180, 270, 360
    enteros[1]->setValue(300); // samples per cell

    // Whether the map was seen filling in: some cells computed, others
    // still grey. (How long the window waits meanwhile is bench_realtime's
    // "m" row, not a timed test.)
    bool a_medias = false;
    QTimer latido;
    QObject::connect(&latido, &QTimer::timeout, [&] {
        if (const std::optional<MapaCompetencia>& m = panel.Mapa()) {
            const auto grises = std::count(m->brazo.begin(), m->brazo.end(), ClaseCelda::Pendiente)
                + std::count(m->gemelo.begin(), m->gemelo.end(), ClaseCelda::Pendiente);
            a_medias |= grises > 0 && grises < 2 * 5 * kColumnasMapa;
        }
    });
    latido.start(5);
    QTest::mouseClick(panel.BotonCalcular(), Qt::LeftButton);
    ASSERT_TRUE(panel.Calculando());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.Calculando(); }, 60000));
    latido.stop();
    ASSERT_TRUE(panel.Mapa() && panel.Mapa()->completo);
    EXPECT_TRUE(a_medias);
    if (const char* png = std::getenv("NC_PANEL_MAPA_PNG"))
        panel.grab().save(QString::fromLocal8Bit(png));

    // The PID's map (on the right) at reference 30 from rest.
    std::optional<AjustesExperimento> recibidos;
    panel.OnCelda = [&](const AjustesExperimento& a) { recibidos = a; };
    QTest::mouseClick(panel.Vista(), Qt::LeftButton, {}, panel.RectCelda(1, 0, 6).center());
    ASSERT_TRUE(recibidos);
    AjustesExperimento esperados = AjustesCelda(panel.Mapa()->ajustes, 0, 6);
    std::swap(esperados.controlador, *esperados.comparar);
    EXPECT_EQ(*recibidos, esperados);
    EXPECT_EQ(recibidos->controlador.tipo, TipoControlador::Pid);
    EXPECT_EQ(recibidos->referencia.texto, "30");
    EXPECT_EQ(panel.Mapa()->Clase(0, 6, true), CalcularCelda(*recibidos, 300).clase);
    EXPECT_EQ(panel.Mapa()->Clase(0, 6, true), ClaseCelda::Sobreimpulso);
}

} // namespace
} // namespace nc
