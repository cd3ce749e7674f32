// SPDX-License-Identifier: MIT
// The "Laboratorio" window as a class meets it, through real key and mouse
// events: its fields say what is wrong with a text.

#include "tests/ui/QtPrinters.h"
#include "ui/ErrorBox.h"
#include "ui/LabAjustes.h"
#include "ui/Laboratorio.h"
#include "ui/Ppal.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace nc {
namespace {

class LabVentanaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetErrorHook([this](const QString& m) { errors.push_back(m); });
        window = std::make_unique<TPpal>();
    }
    void TearDown() override
    {
        window.reset();
        SetErrorHook({});
    }
    // Ctrl+L in the main window, as the user opens the laboratory.
    TLaboratorio& Abrir()
    {
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
        EXPECT_NE(window->Laboratorio(), nullptr);
        return *window->Laboratorio();
    }

    std::unique_ptr<TPpal> window;
    QStringList errors;
};

// In a comma locale: a text that is not a number says so and names the
// separator, an empty field says it is empty, a number out of range gets the
// range alone, and every message gives the range with the locale's comma.
TEST_F(LabVentanaTest, FieldsSayWhatIsWrongWithATextInTheirLocale)
{
    TLaboratorio lab(NumberFormat{",", "."});
    AjustesExperimento escalones;
    escalones.referencia.tipo = TipoReferencia::Escalones;
    escalones.referencia.escalones = {{30, 10}};
    lab.CambiarAjustes(escalones);
    lab.show();
    TLabAjustes& a = *lab.Ajustes1;
    const struct {
        QLineEdit* campo;
        const char* texto;
        const char* mensaje; // none when the value is taken
    } casos[] = {
        {a.Amortiguamiento, "2.5",
         "«2.5» no es un número (el separador decimal es «,»). El amortiguamiento debe estar entre 0 y 50"},
        {a.Amortiguamiento, "dos",
         "«dos» no es un número (el separador decimal es «,»). El amortiguamiento debe estar entre 0 y 50"},
        {a.Amortiguamiento, "", "El campo está vacío. El amortiguamiento debe estar entre 0 y 50"},
        {a.Amortiguamiento, "1e9", "El amortiguamiento debe estar entre 0 y 50"},
        {a.Amortiguamiento, "2,5", nullptr},
        {a.FuerzaMaxima, "0,0001", "La fuerza máxima debe estar entre 0,001 y 1000"},
        {a.Semilla, "x",
         "«x» no es un número (el separador decimal es «,»). La semilla debe estar entre 0 y "
         "9007199254740991"},
        {a.Escalones, "30 10; 90 1.5",
         "«1.5» no es un número (el separador decimal es «,»). La duración de un escalón debe estar entre 0,05 y "
         "100000"},
        {a.Escalones, "30 10; 90",
         "Cada escalón son dos números, el ángulo en grados y la duración en segundos, y los escalones van "
         "separados por punto y coma: 30 10; 90 10"},
        {a.Escalones, "30 10; -45 2,5", nullptr},
    };
    for (const auto& c : casos) {
        const QString antes = c.campo->text();
        c.campo->setFocus();
        QTest::keyClick(c.campo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(c.campo, Qt::Key_Delete);
        QTest::keyClicks(c.campo, QString::fromLatin1(c.texto));
        QTest::keyClick(c.campo, Qt::Key_Return);
        if (!c.mensaje) {
            EXPECT_TRUE(errors.isEmpty()) << c.texto << ": " << errors.join(u'\n').toStdString();
        } else {
            ASSERT_EQ(errors.size(), 1) << c.texto;
            EXPECT_EQ(errors.takeFirst(), QString::fromUtf8(c.mensaje)) << c.texto;
            EXPECT_EQ(c.campo->text(), antes) << c.texto;
        }
        errors.clear();
    }
    EXPECT_EQ(lab.Lab().Ajustes().brazo.amortiguamiento, 2.5);
    EXPECT_EQ(lab.Lab().Ajustes().referencia.escalones, (std::vector<Escalon>{{30, 10}, {-45, 2.5}}));
}

} // namespace
} // namespace nc
