// SPDX-License-Identifier: MIT
// The "Entrenar" tab driven as a student drives it: fields typed (a bad one
// refused with its range), a small training started and watched, the
// network made the lab's controller, the run saved and replayed by the
// trace tool to the same points, and the network saved and opened again
// (a hostile file refused, changing nothing).

#include "chart/Chart.h"
#include "io/FicheroRed.h"
#include "tools/trace/Trace.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/Laboratorio.h"
#include "ui/lab/tabs/PanelEntrenar.h"
#include "ui/main/Ppal.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

namespace nc {
namespace {

constexpr long double kRadianesAGrados = 57.295779513082320877L;

class EntrenarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetErrorHook([this](const QString& m) { errors.push_back(m); });
        window = std::make_unique<TPpal>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
        lab = window->Laboratorio();
        ASSERT_NE(lab, nullptr);
        tab = lab->findChild<TPanelEntrenar*>(QStringLiteral("Entrenar1"));
        ASSERT_NE(tab, nullptr);
        lab->Pestanas->setCurrentWidget(tab);
    }
    void TearDown() override
    {
        window.reset();
        SetErrorHook({});
    }
    void Escribir(const char* campo, const char* texto)
    {
        auto* edit = tab->findChild<QLineEdit*>(QString::fromLatin1(campo));
        ASSERT_NE(edit, nullptr) << campo;
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, QString::fromUtf8(texto));
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void Pulsar(const char* boton)
    {
        auto* b = tab->findChild<QPushButton*>(QString::fromLatin1(boton));
        ASSERT_NE(b, nullptr) << boton;
        QTest::mouseClick(b, Qt::LeftButton);
    }

    std::unique_ptr<TPpal> window;
    TLaboratorio* lab = nullptr;
    TPanelEntrenar* tab = nullptr;
    QStringList errors;
};

TEST_F(EntrenarTest, TrainUseSaveReplayAndOpen)
{
    for (const auto& [campo, texto] : {std::pair{"Ocultas", "3"},
                                       {"Muestras", "20"},
                                       {"Episodios", "4"},
                                       {"Iteraciones", "12"},
                                       {"Imitacion", "4"},
                                       {"Subpasos", "2"}})
        Escribir(campo, texto);
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u';').toStdString();
    EXPECT_EQ(tab->Ajustes().ocultas, 3);
    EXPECT_EQ(tab->Ajustes().iteraciones, 12);

    // Out of range, not whole, not a number: refused, the field put back.
    const auto esperado = tab->Ajustes();
    const std::string fraccion = "2" + lab->Formato().decimal_separator + "5";
    Escribir("Ocultas", "40");
    Escribir("Ocultas", fraccion.c_str());
    Escribir("Tasa", "abc");
    ASSERT_EQ(errors.size(), 3);
    EXPECT_EQ(errors[0], QStringLiteral("El número de neuronas ocultas debe estar entre 2 y 32"));
    EXPECT_EQ(errors[1],
              QString::fromStdString("«" + fraccion
                                     + "» no es un número entero. El número de neuronas "
                                       "ocultas debe estar entre 2 y 32"));
    EXPECT_EQ(errors[2],
              QString::fromStdString(
                  "«abc» no es un número (el separador decimal es «" + lab->Formato().decimal_separator
                  + "»). La tasa de aprendizaje debe estar entre 0" + lab->Formato().decimal_separator + "0001 y 1"));
    errors.clear();
    EXPECT_TRUE(tab->Ajustes() == esperado);
    EXPECT_EQ(tab->findChild<QLineEdit*>(QStringLiteral("Ocultas"))->text(), QStringLiteral("3"));

    Pulsar("Entrenar");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tab->Entrenando(); }, 60000));
    auto* perdida = tab->findChild<TChart*>(QStringLiteral("GraficaPerdida"));
    ASSERT_NE(perdida, nullptr);
    EXPECT_EQ(perdida->Series(0).PointCount() + perdida->Series(1).PointCount(), 12);
    ASSERT_NE(tab->Red(), nullptr);

    // The network as the lab's controller: its X-ray has the integral's gain
    // and three eigenvalues; the run, saved, replays in the trace tool.
    Pulsar("UsarControlador");
    ASSERT_EQ(lab->Lab().Ajustes().controlador.tipo, TipoControlador::Entrenada);
    EXPECT_TRUE(*lab->Lab().Ajustes().controlador.entrenada == *tab->Red());
    window->Button11Click();
    for (int k = 0; k < 80; ++k)
        window->Timer1Timer();
    const LecturaRayosX rayos = lab->Lab().RayosX();
    EXPECT_TRUE(rayos.du_dintegral.has_value());
    EXPECT_TRUE(rayos.lazo.tres_estados);
    EXPECT_EQ(rayos.ocultas.size(), 3u);

    QTemporaryDir dir;
    const QString experimento = dir.filePath(QStringLiteral("run.json"));
    const QString red = dir.filePath(QStringLiteral("red.json"));
    QString ruta;
    lab->AskSaveFileName = [&](const QString&, const QString&, const QString&) { return ruta; };
    lab->AskOpenFileName = [&](const QString&, const QString&) { return ruta; };
    ruta = experimento;
    QTest::mouseClick(lab->GuardarExperimento1, Qt::LeftButton);
    std::ostringstream out, err;
    ASSERT_EQ(RunTrace({"--experimento", experimento.toStdString()}, out, err, NumberFormat{".", ","}), 0) << err.str();
    std::istringstream lineas(out.str());
    std::string linea;
    std::getline(lineas, linea); // the header
    for (int k = 1; k < window->Series1->PointCount(); ++k) {
        ASSERT_TRUE(std::getline(lineas, linea));
        std::vector<std::string> campos;
        for (std::istringstream c(linea); std::getline(c, campos.emplace_back(), '\t');)
            ;
        ASSERT_EQ(static_cast<float>(std::stof(campos.at(6)) * kRadianesAGrados), window->Series1->YValue(k)) << k;
    }

    // Saved and opened again: the same network. A hostile file changes nothing.
    ruta = red;
    Pulsar("GuardarRed");
    const RedGuardada guardada = CargarRed(red.toStdString());
    EXPECT_TRUE(guardada.red == *tab->Red());
    ASSERT_TRUE(guardada.entrenamiento && guardada.perdida_final);
    EXPECT_EQ(guardada.entrenamiento->ocultas, 3);
    const std::shared_ptr<const RedEntrenada> antes = tab->Red();
    QFile malo(dir.filePath(QStringLiteral("malo.json")));
    ASSERT_TRUE(malo.open(QIODevice::WriteOnly));
    malo.write(R"({"formato": "neurocontrol-red", "version": 7})");
    malo.close();
    ruta = malo.fileName();
    Pulsar("AbrirRed");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.takeFirst(),
              QStringLiteral("Red no válida: versión desconocida (este programa lee la versión 1)"));
    EXPECT_EQ(tab->Red(), antes);
    ruta = red;
    Pulsar("AbrirRed");
    EXPECT_TRUE(*tab->Red() == guardada.red);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u';').toStdString();
}

} // namespace
} // namespace nc
