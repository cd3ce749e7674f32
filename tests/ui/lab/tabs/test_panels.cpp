// SPDX-License-Identifier: MIT
// The lesions panel drives a laboratory run as a user would, and the X-ray
// panel shows what it did: a unit switched off reads 0 from the next tick, a
// bad value is refused with its Spanish message and changes nothing, and
// "Restaurar" gives the stored network back. NC_XRAY_PNG=dir saves the
// panel's pictures for a look.
#include "core/network/StoredController.h"
#include "core/run/Experimento.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/tabs/PanelLesiones.h"
#include "ui/lab/tabs/PanelRayosX.h"

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <bit>
#include <vector>

namespace nc {
namespace {

void Guardar(TPanelRayosX& panel, const char* nombre)
{
    const QByteArray dir = qgetenv("NC_XRAY_PNG");
    if (!dir.isEmpty())
        panel.grab().save(QString::fromLocal8Bit(dir) + "/" + nombre);
}

// The colours of a grabbed panel: the bars' blue and red and the verdict's
// green or red are there only if it drew them.
bool Tiene(const QImage& imagen, QRgb color)
{
    for (int y = 0; y < imagen.height(); ++y)
        for (int x = 0; x < imagen.width(); ++x)
            if ((imagen.pixel(x, y) & 0xffffff) == (color & 0xffffff))
                return true;
    return false;
}

TEST(PanelesRayosX, LesionsPanelDrivesTheRunAndTheXrayShowsIt)
{
    std::vector<QString> errores;
    SetErrorHook([&](const QString& m) { errores.push_back(m); });

    AjustesExperimento ajustes;
    ajustes.comparar = AjustesControlador{TipoControlador::Pid};
    Experimento lab(ajustes);
    TPanelLesiones lesiones;
    TPanelRayosX rayos;
    rayos.resize(rayos.sizeHint());
    int cambios = 0;
    lesiones.OnCambio = [&](const Lesions& l) {
        AjustesExperimento a = lab.Ajustes();
        a.controlador.lesiones = l;
        lab.SetAjustes(a);
        ++cambios;
    };
    auto mostrar = [&] {
        rayos.Mostrar(lab.RayosX(), lab.RayosXGemelo(), QStringLiteral("Red neuronal"), QStringLiteral("PID"));
    };
    for (int k = 0; k < 30; ++k)
        lab.Paso();
    lab.Empujar(+1); // a push, so the state is off the reference
    lab.Paso();
    mostrar();
    Guardar(rayos, "rayos_empujon.png");
    const QImage sano = rayos.grab().toImage();
    EXPECT_TRUE(Tiene(sano, qRgb(0x3c, 0x78, 0xc8)));
    EXPECT_TRUE(Tiene(sano, qRgb(0xd2, 0x50, 0x3c)));
    EXPECT_TRUE(Tiene(sano, qRgb(0x1e, 0x8c, 0x3c)));

    // N1 off acts on the next tick.
    lesiones.Unidad(1)->click();
    ASSERT_EQ(cambios, 1);
    EXPECT_EQ(lab.Ajustes().controlador.lesiones.apagadas, 2u);
    const SalidaPaso s = lab.Paso();
    mostrar();
    Guardar(rayos, "rayos_n1_apagada.png");
    EXPECT_EQ(lab.RayosX().ocultas[1], 0.0);
    EXPECT_EQ(std::bit_cast<uint32_t>(lab.RayosX().fuerza), std::bit_cast<uint32_t>(s.brazo.fuerza));

    // Bad values: one Spanish message each, nothing changes.
    lesiones.Escala()->setText(QStringLiteral("abc"));
    emit lesiones.Escala()->editingFinished();
    lesiones.Escala()->setText(QStringLiteral("2e7"));
    emit lesiones.Escala()->editingFinished();
    ASSERT_EQ(errores.size(), 2u);
    EXPECT_EQ(errores[0], QStringLiteral("La escala debe ser un número"));
    EXPECT_EQ(errores[1], QStringLiteral("Lesión no válida: escala fuera de rango"));
    EXPECT_EQ(cambios, 1);
    EXPECT_EQ(lesiones.Escala()->text(), QStringLiteral("1"));
    EXPECT_EQ(lab.Ajustes().controlador.lesiones.apagadas, 2u);

    // "Restaurar": the stored network from the next tick, to the bit.
    lesiones.Restaurar()->click();
    EXPECT_EQ(lab.Ajustes().controlador.lesiones, Lesions{});
    EXPECT_FALSE(lesiones.Unidad(1)->isChecked());
    const SalidaPaso r = lab.Paso();
    EXPECT_EQ(std::bit_cast<uint32_t>(r.brazo.fuerza),
              std::bit_cast<uint32_t>(RayosXRed(*Construir_red_almacenada(), 0, r.brazo.leida, {}).fuerza));
    SetErrorHook({});
}

} // namespace
} // namespace nc
