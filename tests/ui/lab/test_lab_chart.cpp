// SPDX-License-Identifier: MIT
// The laboratory's chart as the window uses it: a run with a twin names its
// curves in each panel's legend and saves, through the menu, the numbers it
// was given; a zoom dragged on one panel moves the other's time axis, and
// the undo gives both back to the data.

#include "tests/ui/QtPrinters.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/LabChart.h"
#include "ui/common/ResponseFile.h"

#include <QFile>
#include <QMouseEvent>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace nc {
namespace {

std::vector<std::string> LegendTitles(const TChart& panel)
{
    std::vector<std::string> titles;
    for (const TChartSeries* s : panel.LegendSeries())
        titles.push_back(s->Title());
    return titles;
}

MuestraLab Sample(int k)
{
    MuestraLab m;
    m.muestra = k;
    m.referencia = k < 50 ? 30.0f : 45.0f;
    m.posicion = static_cast<float>(30.0 * (1.0 - std::exp(-k / 12.0)));
    m.fuerza = static_cast<float>(20.0 * std::exp(-k / 9.0) - 3.1);
    m.posicion_gemelo = static_cast<float>(31.0 * (1.0 - std::exp(-k / 6.0)));
    m.fuerza_gemelo = static_cast<float>(40.0 * std::exp(-k / 4.0) - 2.7);
    // The twin's first force is past the limit of 25: it asks for more.
    m.fuerza_pedida = m.fuerza;
    m.fuerza_pedida_gemelo = *m.fuerza_gemelo;
    if (k == 0)
        m.fuerza_gemelo = 25.0f;
    return m;
}

TEST(LabChart, ARunWithATwinIsNamedInTheLegendsAndSavedAsGiven)
{
    std::vector<QString> errors;
    SetErrorHook([&](const QString& m) { errors.push_back(m); });
    TLabChart chart;
    chart.resize(1200, 800);
    chart.SetNombres(QStringLiteral("Red neuronal"), QStringLiteral("PID"));
    chart.SetFuerzaMaxima(25.0);
    chart.show();
    constexpr int kSamples = 120;
    for (int k = 0; k < kSamples; ++k)
        chart.Agregar(Sample(k));
    chart.Imagen(); // paints both panels, legends included

    EXPECT_EQ(LegendTitles(*chart.PanelPosicion()),
              (std::vector<std::string>{"Posición (Red neuronal)", "Posición (PID)", "Referencia"}));
    EXPECT_EQ(LegendTitles(*chart.PanelFuerza()),
              (std::vector<std::string>{"Fuerza (Red neuronal)", "Fuerza (PID)", "Error (Red neuronal)", "Error (PID)",
                                        "Límite de fuerza", "Fuerza pedida (Red neuronal)", "Fuerza pedida (PID)"}));
    EXPECT_GT(chart.PanelPosicion()->Legend().LegendRect.Width(), 0);
    EXPECT_EQ(chart.Curvas().posicion_gemelo->Count(), kSamples);
    EXPECT_EQ(chart.Curvas().error_gemelo->Count(), kSamples);
    // The limits span the run: from its first sample to its last.
    EXPECT_EQ(chart.Curvas().limite_inferior->Count(), 2);
    EXPECT_EQ(chart.Curvas().limite_inferior->XValue(1), (kSamples - 1) * 0.05);
    EXPECT_EQ(chart.Curvas().limite_inferior->YValue(0), -25.0);

    QTemporaryDir dir;
    QStringList asked;
    chart.AskSaveFileName = [&](const QString& title, const QString& suggested, const QString&) {
        asked << title + u'|' + QFileInfo(suggested).fileName();
        return dir.filePath(QStringLiteral("run.tsv"));
    };
    chart.GuardarDatos1->trigger();
    EXPECT_EQ(asked, QStringList{QStringLiteral("Guardar datos|laboratorio.tsv")});
    QFile file(dir.filePath(QStringLiteral("run.tsv")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), kSamples + 1);
    EXPECT_EQ(lines[0],
              QStringLiteral("muestra\ttiempo\tposicion\tposicion_gemelo\treferencia\tfuerza\tfuerza_gemelo\t"
                             "error\terror_gemelo\tfuerza_pedida\tfuerza_pedida_gemelo"));
    for (int k = 0; k < kSamples; ++k) {
        const MuestraLab m = Sample(k);
        const QStringList f = lines[k + 1].split(u'\t');
        ASSERT_EQ(f.size(), 11) << k;
        EXPECT_EQ(f[0].toInt(), k);
        EXPECT_EQ(f[1].toStdString(), SampleTime(k, NumberFormat{".", ""}));
        EXPECT_EQ(f[2].toDouble(), m.posicion);
        EXPECT_EQ(f[3].toDouble(), *m.posicion_gemelo);
        EXPECT_EQ(f[4].toDouble(), m.referencia);
        EXPECT_EQ(f[5].toDouble(), m.fuerza);
        EXPECT_EQ(f[6].toDouble(), *m.fuerza_gemelo);
        EXPECT_EQ(f[7].toDouble(), double{m.referencia} - m.posicion);
        EXPECT_EQ(f[8].toDouble(), double{m.referencia} - *m.posicion_gemelo);
        EXPECT_EQ(f[9].toDouble(), *m.fuerza_pedida);
        EXPECT_EQ(f[10].toDouble(), *m.fuerza_pedida_gemelo);
    }
    EXPECT_EQ(lines[1].split(u'\t')[6], QStringLiteral("25"));
    EXPECT_NE(lines[1].split(u'\t')[10], QStringLiteral("25"));

    // Without the twin its curves leave the legend and the file.
    chart.SetNombres(QStringLiteral("Red neuronal"), std::nullopt);
    chart.SetFuerzaMaxima(std::nullopt);
    chart.Imagen();
    EXPECT_EQ(LegendTitles(*chart.PanelPosicion()),
              (std::vector<std::string>{"Posición (Red neuronal)", "Referencia"}));
    EXPECT_EQ(LegendTitles(*chart.PanelFuerza()),
              (std::vector<std::string>{"Fuerza (Red neuronal)", "Error (Red neuronal)"}));
    chart.GuardarDatos(dir.filePath(QStringLiteral("solo.tsv")));
    QFile solo(dir.filePath(QStringLiteral("solo.tsv")));
    ASSERT_TRUE(solo.open(QIODevice::ReadOnly));
    EXPECT_EQ(solo.readLine(), QByteArray("muestra\ttiempo\tposicion\treferencia\tfuerza\terror\n"));

    // A folder that is not there: the error box says why, in Spanish.
    chart.AskSaveFileName = [&](const QString&, const QString&, const QString&) {
        return dir.filePath(QStringLiteral("no/existe/run.tsv"));
    };
    chart.GuardarDatos1->trigger();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("No se pudo guardar el archivo"))) << errors[0].toStdString();
    SetErrorHook({});
}

TEST(LabChart, AZoomDraggedOnOnePanelMovesTheOthersTimeAndTheUndoFreesBoth)
{
    TLabChart chart;
    chart.resize(1000, 700);
    chart.SetNombres(QStringLiteral("Red neuronal"), QStringLiteral("PID"));
    chart.show();
    for (int k = 0; k < 400; ++k)
        chart.Agregar(Sample(k));
    chart.Imagen();
    TChart& upper = *chart.PanelPosicion();
    TChart& lower = *chart.PanelFuerza();
    const double lowerMin = lower.LeftAxis().Minimum();
    const double lowerMax = lower.LeftAxis().Maximum();
    ASSERT_DOUBLE_EQ(upper.BottomAxis().Maximum(), 399 * 0.05);

    const TRect plot = upper.PlotRect;
    const QPoint from(plot.Left + plot.Width() / 4, plot.Top + 10);
    const QPoint to(plot.Left + plot.Width() / 2, plot.Bottom - 10);
    QTest::mousePress(&upper, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), upper.mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&upper, &move);
    QTest::mouseRelease(&upper, Qt::LeftButton, Qt::NoModifier, to);
    chart.Imagen();

    const double lo = upper.BottomAxis().Minimum();
    const double hi = upper.BottomAxis().Maximum();
    EXPECT_NEAR(lo, 399 * 0.05 / 4, 0.2);
    EXPECT_NEAR(hi, 399 * 0.05 / 2, 0.2);
    EXPECT_EQ(lower.BottomAxis().Minimum(), lo);
    EXPECT_EQ(lower.BottomAxis().Maximum(), hi);
    EXPECT_FALSE(lower.BottomAxis().Automatic());
    // The follower's vertical axis still follows its data.
    EXPECT_TRUE(lower.LeftAxis().Automatic());
    EXPECT_TRUE(chart.Zoomed());

    // The menu's undo, asked from the panel that only followed.
    chart.ContextPopup(lower, 50, 50);
    EXPECT_TRUE(chart.DeshacerZoom1->isEnabled());
    chart.Menu->hide();
    chart.DeshacerZoom1->trigger();
    chart.Imagen();
    EXPECT_FALSE(chart.Zoomed());
    for (TChart* panel : {&upper, &lower}) {
        EXPECT_TRUE(panel->BottomAxis().Automatic());
        EXPECT_TRUE(panel->LeftAxis().Automatic());
        EXPECT_DOUBLE_EQ(panel->BottomAxis().Maximum(), 399 * 0.05);
    }
    EXPECT_EQ(lower.LeftAxis().Minimum(), lowerMin);
    EXPECT_EQ(lower.LeftAxis().Maximum(), lowerMax);
}

} // namespace
} // namespace nc
