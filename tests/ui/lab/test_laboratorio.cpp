// SPDX-License-Identifier: MIT
// The "Laboratorio" window driven as a user drives it: opened with Ctrl+L,
// a push, a drag in the main window's animation, a preset, an experiment
// saved and opened again, bad input.

#include "io/FicheroExperimento.h"
#include "tools/trace/Trace.h"
#include "tools/trace/TraceMapa.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/LabAjustes.h"
#include "ui/lab/LabChart.h"
#include "ui/lab/Laboratorio.h"
#include "ui/lab/tabs/PanelLesiones.h"
#include "ui/lab/tabs/PanelMapa.h"
#include "ui/main/Ppal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace nc {
namespace {

constexpr long double kRadianesAGrados = 57.295779513082320877L;

struct Curvas {
    std::vector<double> x, posicion, referencia;
    bool operator==(const Curvas&) const = default;
};

Curvas CurvasDe(const TPpal& w)
{
    Curvas c;
    for (int i = 0; i < w.Series1->PointCount(); ++i) {
        c.x.push_back(w.Series1->XValue(i));
        c.posicion.push_back(w.Series1->YValue(i));
        c.referencia.push_back(w.Series2->YValue(i));
    }
    return c;
}

class LaboratorioTest : public ::testing::Test {
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
    void Ticks(int n)
    {
        for (int k = 0; k < n; ++k)
            window->Timer1Timer();
    }

    std::unique_ptr<TPpal> window;
    QStringList errors;
};

// With the laboratory open at its defaults, the main window's run is today's
// to the bit: every point of both curves, the read-outs and the arm.
TEST_F(LaboratorioTest, OpenAtItsDefaultsTheRunKeepsEveryBit)
{
    TLaboratorio& lab = Abrir();
    EXPECT_TRUE(lab.isVisible());
    EXPECT_EQ(lab.windowTitle(), QStringLiteral("Laboratorio"));
    TPpal cerrado;
    for (TPpal* w : {window.get(), &cerrado}) {
        w->Button11Click();
        for (const char* referencia : {"30", "60", "-20", "185"}) {
            w->Edit7->setText(QString::fromLatin1(referencia));
            for (int k = 0; k < 1000; ++k)
                w->Timer1Timer();
        }
    }
    EXPECT_EQ(lab.Lab().muestra(), 4000);
    EXPECT_EQ(cerrado.Laboratorio(), nullptr);
    EXPECT_TRUE(CurvasDe(*window) == CurvasDe(cerrado));
    for (auto edit : {&TPpal::Edit2, &TPpal::Edit3, &TPpal::Edit4, &TPpal::Edit6})
        EXPECT_EQ((window.get()->*edit)->text(), (cerrado.*edit)->text());
    EXPECT_EQ(window->Loop().posicion(), cerrado.Loop().posicion());
    EXPECT_EQ(window->Loop().velocidad(), cerrado.Loop().velocidad());
    EXPECT_EQ(window->Image3->Surface(), cerrado.Image3->Surface());
    EXPECT_TRUE(errors.isEmpty());
}

// "Empujar →" adds the push to the velocity at the next tick; a drag in the
// main window's animation holds the arm at the pointer's angle, every held
// sample recorded, and on release the controller takes over.
TEST_F(LaboratorioTest, PushAndDragActOnTheRunAndAreRecorded)
{
    TLaboratorio& lab = Abrir();
    std::vector<SalidaPaso> pasos;
    lab.TrasPaso = [&](const SalidaPaso& s) { pasos.push_back(s); };
    window->Button11Click();
    Ticks(100);
    const float antes = lab.Lab().Estado().velocidad;
    QTest::mouseClick(lab.Ajustes1->EmpujarDerecha, Qt::LeftButton);
    Ticks(1);
    const float empujada = pasos.back().brazo.inicio.velocidad;
    EXPECT_NEAR((empujada - antes) * kRadianesAGrados, 90.0, 1e-3);
    EXPECT_EQ(window->Edit4->text().toStdString(), FormatFixed(empujada * kRadianesAGrados, window->Loop().Format()));
    ASSERT_EQ(lab.Lab().Eventos().size(), 1u);
    EXPECT_EQ(lab.Lab().Eventos()[0].tipo, TipoEvento::Empujon);

    // The pointer straight right of the pivot: the arm lies at 90 degrees.
    const QPoint pivote(110, 102);
    QTest::mousePress(window->Image3, Qt::LeftButton, {}, pivote + QPoint(90, 0));
    Ticks(3);
    EXPECT_NEAR(window->Loop().posicion() * kRadianesAGrados, 90.0, 1e-4);
    QTest::mouseMove(window->Image3, pivote + QPoint(0, -60)); // upright
    Ticks(2);
    EXPECT_NEAR(window->Loop().posicion() * kRadianesAGrados, 0.0, 1e-4);
    EXPECT_NE(window->Edit6->text(), QStringLiteral("0")); // the controller's force still shows
    QTest::mouseRelease(window->Image3, Qt::LeftButton, {}, pivote + QPoint(0, -60));
    Ticks(20);
    const std::vector<Evento>& eventos = lab.Lab().Eventos();
    ASSERT_EQ(eventos.size(), 6u);
    for (size_t i = 1; i < 6; ++i)
        EXPECT_EQ(eventos[i].tipo, TipoEvento::Mano);
    EXPECT_NEAR(eventos[1].valor, 90.0, 1e-9);
    EXPECT_NEAR(eventos[5].valor, 0.0, 1e-9);
    EXPECT_EQ(window->Series1->PointCount(), 126);
    EXPECT_TRUE(errors.isEmpty());
}

// A run under way is taken over where it stands: opened mid-run, the lab
// goes on to the bit as the main window would have, and a run that began
// before it cannot be saved, since a file starts at sample 0: the button
// says so before any dialog, until "Limpiar" starts a new run. A drag in the
// main window of a run the lab never saw takes it over too.
TEST_F(LaboratorioTest, TakesOverARunUnderWay)
{
    TPpal cerrado;
    for (TPpal* w : {window.get(), &cerrado}) {
        w->Button11Click();
        w->Edit7->setText(QStringLiteral("60"));
    }
    Ticks(300);
    TLaboratorio& lab = Abrir();
    Ticks(700);
    for (int k = 0; k < 1000; ++k)
        cerrado.Timer1Timer();
    EXPECT_EQ(lab.Lab().muestra(), 1000);
    EXPECT_TRUE(CurvasDe(*window) == CurvasDe(cerrado));
    EXPECT_EQ(window->Edit3->text(), cerrado.Edit3->text());
    int preguntas = 0;
    lab.AskSaveFileName = [&](const QString&, const QString&, const QString&) {
        ++preguntas;
        return QString();
    };
    EXPECT_FALSE(lab.GuardarExperimento1->isEnabled());
    EXPECT_EQ(lab.GuardarExperimento1->toolTip(),
              QStringLiteral("Esta ejecución empezó antes de abrir el laboratorio y un fichero no la puede repetir: "
                             "pulse «Limpiar» en la ventana principal y empiécela de nuevo para guardarla"));
    lab.GuardarExperimentoClick();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], lab.GuardarExperimento1->toolTip());
    EXPECT_EQ(preguntas, 0);

    const QPoint pivote(110, 102);
    QTest::mousePress(cerrado.Image3, Qt::LeftButton, {}, pivote + QPoint(90, 0));
    ASSERT_NE(cerrado.Laboratorio(), nullptr);
    EXPECT_FALSE(cerrado.Laboratorio()->isVisible());
    cerrado.Timer1Timer();
    EXPECT_NEAR(cerrado.Loop().posicion() * kRadianesAGrados, 90.0, 1e-4);
    EXPECT_EQ(cerrado.Series1->PointCount(), 1001);
    QTest::mouseRelease(cerrado.Image3, Qt::LeftButton, {}, pivote + QPoint(90, 0));

    QTest::mouseClick(window->Button3, Qt::LeftButton); // Limpiar
    EXPECT_TRUE(lab.GuardarExperimento1->isEnabled());
    QTest::mouseClick(lab.GuardarExperimento1, Qt::LeftButton);
    EXPECT_EQ(preguntas, 1);
    EXPECT_EQ(errors.size(), 1);
}

// The lab's map and the trace tool's agree cell for cell: from rest the
// network settles at 30 and spins away at 360.
TEST_F(LaboratorioTest, MapOfTheWindowIsTheTraceToolsMap)
{
    TLaboratorio& lab = Abrir();
    auto* mapa = lab.findChild<TPanelMapa*>(QStringLiteral("Mapa1"));
    lab.Pestanas->setCurrentWidget(mapa);
    mapa->findChildren<QSpinBox*>().at(0)->setValue(1); // one row: from rest
    QTest::mouseClick(mapa->BotonCalcular(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !mapa->Calculando(); }, 60000));
    ASSERT_TRUE(mapa->Mapa() && mapa->Mapa()->completo);
    EXPECT_EQ(mapa->Mapa()->Clase(0, 6), ClaseCelda::Establece);
    EXPECT_EQ(mapa->Mapa()->Clase(0, 72), ClaseCelda::Gira);

    std::ostringstream ventana, herramienta, err;
    EscribirMapa(*mapa->Mapa(), ventana, NumberFormat{".", ","});
    ASSERT_EQ(RunTrace({"--mapa", "--filas", "1", "--hasta", "0", "--comparar", "pid"}, herramienta, err,
                       NumberFormat{".", ","}),
              0)
        << err.str();
    EXPECT_EQ(ventana.str(), herramienta.str());
}

// A click on a preset replaces the settings and starts the run, at the
// speed in force.
TEST_F(LaboratorioTest, PresetReplacesTheSettingsAndStarts)
{
    TLaboratorio& lab = Abrir();
    window->Edit1->setText(QStringLiteral("40"));
    QListWidget* lista = lab.Preajustes1;
    const QList<QListWidgetItem*> items = lista->findItems(QStringLiteral("Red contra PID"), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualItemRect(items[0]).center());
    EXPECT_TRUE(window->Timer1->Enabled());
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("40"));
    window->Button1Click();
    const AjustesExperimento& a = lab.Lab().Ajustes();
    ASSERT_TRUE(a.comparar.has_value());
    EXPECT_EQ(a.comparar->tipo, TipoControlador::Pid);
    EXPECT_EQ(a.referencia.tipo, TipoReferencia::Escalones);
    EXPECT_EQ(lab.Ajustes1->Comparar->currentText(), QStringLiteral("PID"));
    Ticks(210);
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("90")); // "Ref." shows the step in force
    EXPECT_TRUE(lab.AnguloGemelo().has_value());
    lab.ActualizarFiguras();
    EXPECT_TRUE(lab.Figuras1->text().contains(QStringLiteral("PID")));
    EXPECT_TRUE(errors.isEmpty());
}

// A run with a push, a drag and a new reference, saved and opened again,
// replays to the same points.
TEST_F(LaboratorioTest, SavedExperimentReplaysToTheSameNumbers)
{
    TLaboratorio& lab = Abrir();
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("run.json"));
    lab.AskSaveFileName = [&](const QString&, const QString&, const QString&) { return ruta; };
    lab.AskOpenFileName = [&](const QString&, const QString&) { return ruta; };
    window->Button11Click();
    Ticks(40);
    QTest::mouseClick(lab.Ajustes1->EmpujarIzquierda, Qt::LeftButton);
    Ticks(30);
    QTest::mousePress(lab.Animacion1, Qt::LeftButton, {}, QPoint(110 - 90, 102));
    Ticks(4);
    QTest::mouseRelease(lab.Animacion1, Qt::LeftButton, {}, QPoint(110 - 90, 102));
    window->Edit7->setText(QStringLiteral("45"));
    Ticks(100);
    const Curvas hecha = CurvasDe(*window);
    QTest::mouseClick(lab.GuardarExperimento1, Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(ruta));

    // The trace tool runs the same file to the same points: line k's state
    // is where the window's point k + 1 starts, except where the hand held
    // the arm, whose points are the hand's angle.
    std::vector<bool> mano(hecha.posicion.size(), false);
    for (const Evento& e : lab.Lab().Eventos())
        if (e.tipo == TipoEvento::Mano)
            mano.at(static_cast<size_t>(e.muestra)) = true;
    std::ostringstream out, err;
    ASSERT_EQ(RunTrace({"--experimento", ruta.toStdString()}, out, err, NumberFormat{".", ","}), 0) << err.str();
    std::istringstream lineas(out.str());
    std::string linea;
    std::getline(lineas, linea); // the header
    for (size_t k = 1; k < hecha.posicion.size(); ++k) {
        ASSERT_TRUE(std::getline(lineas, linea));
        std::vector<std::string> campos;
        for (std::istringstream c(linea); std::getline(c, campos.emplace_back(), '\t');)
            ;
        const float rad = std::stof(campos.at(6));
        if (!mano[k]) {
            ASSERT_EQ(static_cast<float>(rad * kRadianesAGrados), hecha.posicion[k]) << k;
        }
    }

    window->Edit7->setText(QStringLiteral("10")); // the file's reference wins
    QTest::mouseClick(lab.AbrirExperimento1, Qt::LeftButton);
    EXPECT_TRUE(window->Timer1->Enabled());
    window->Button1Click();
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("30"));
    Ticks(174);
    EXPECT_TRUE(CurvasDe(*window) == hecha);
    EXPECT_FALSE(window->Timer1->Enabled()); // paused at the run's end
    EXPECT_TRUE(errors.isEmpty());
}

// A bad value is refused with its field's Spanish message and put back; a
// bad file is refused with one Spanish message; nothing changes either time.
TEST_F(LaboratorioTest, BadFieldOrFileChangesNothing)
{
    TLaboratorio& lab = Abrir();
    const AjustesExperimento antes = lab.Lab().Ajustes();
    QLineEdit* carga = lab.Ajustes1->Carga;
    const std::pair<const char*, const char*> casos[]
        = {{"20", "La carga debe estar entre -10 y 10"},
           {"abc", "«abc» no es un número (el separador decimal es «.»). La carga debe estar entre -10 y 10"}};
    for (const auto& [texto, mensaje] : casos) {
        carga->setFocus();
        QTest::keyClick(carga, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(carga, QString::fromLatin1(texto));
        QTest::keyClick(carga, Qt::Key_Return);
        ASSERT_EQ(errors.size(), 1) << texto;
        EXPECT_EQ(errors.takeFirst(), QString::fromUtf8(mensaje));
        EXPECT_EQ(carga->text(), QStringLiteral("0"));
        EXPECT_TRUE(lab.Lab().Ajustes() == antes);
    }
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("malo.json"));
    QFile fichero(ruta);
    ASSERT_TRUE(fichero.open(QIODevice::WriteOnly));
    fichero.write(R"({"formato": "neurocontrol-experimento", "version": 1, "carga": 99})");
    fichero.close();
    lab.AskOpenFileName = [&](const QString&, const QString&) { return ruta; };
    QTest::mouseClick(lab.AbrirExperimento1, Qt::LeftButton);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.front().contains(QStringLiteral("carga"))) << errors.front().toStdString();
    EXPECT_TRUE(lab.Lab().Ajustes() == antes);
    EXPECT_FALSE(window->Timer1->Enabled());
}

// The network's tabs act on the lab's run: a unit switched off in
// "Lesiones" changes the next tick's force and shows at 0 in the X-ray, and
// a cell clicked on a computed map becomes the run.
TEST_F(LaboratorioTest, NetworkTabsActOnTheRun)
{
    TLaboratorio& lab = Abrir();
    auto* lesiones = lab.findChild<TPanelLesiones*>(QStringLiteral("Lesiones1"));
    auto* mapa = lab.findChild<TPanelMapa*>(QStringLiteral("Mapa1"));
    ASSERT_TRUE(lesiones && mapa);
    window->Button11Click();
    Ticks(60);
    TPpal intacta;
    intacta.Button11Click();
    for (int k = 0; k < 61; ++k)
        intacta.Timer1Timer();

    lab.Pestanas->setCurrentWidget(lesiones);
    QCheckBox* unidad = lesiones->Unidad(2);
    QTest::mouseClick(unidad, Qt::LeftButton, {}, QPoint(8, unidad->height() / 2)); // on its box
    EXPECT_EQ(lab.Lab().Ajustes().controlador.lesiones.apagadas, 4u);
    Ticks(1);
    EXPECT_EQ(lab.Lab().RayosX().ocultas.at(2), 0.0);
    EXPECT_NE(window->Edit6->text(), intacta.Edit6->text());

    lab.Pestanas->setCurrentWidget(mapa);
    const QList<QSpinBox*> enteros = mapa->findChildren<QSpinBox*>();
    ASSERT_EQ(enteros.size(), 2);
    enteros[0]->setValue(1);   // one row: from 90 degrees
    enteros[1]->setValue(100); // samples per cell
    mapa->findChildren<QDoubleSpinBox*>().at(0)->setValue(90);
    QTest::mouseClick(mapa->BotonCalcular(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !mapa->Calculando(); }, 60000));
    ASSERT_TRUE(mapa->Mapa() && mapa->Mapa()->completo);
    // The cell's run shows in "Gráfica" at the speed in force, its starting
    // angle in its field.
    window->Edit1->setText(QStringLiteral("40"));
    QTest::mouseClick(mapa->Vista(), Qt::LeftButton, {}, mapa->RectCelda(0, 0, 6).center());
    EXPECT_EQ(lab.Lab().Ajustes().referencia.texto, "30");
    EXPECT_EQ(lab.Lab().Ajustes().controlador.lesiones.apagadas, 4u);
    EXPECT_EQ(lab.Lab().muestra(), 0);
    EXPECT_EQ(lab.Pestanas->currentWidget(), lab.Grafica);
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("40"));
    EXPECT_EQ(lab.Ajustes1->AnguloInicial->text(), QStringLiteral("90"));
    EXPECT_TRUE(window->Timer1->Enabled());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QStringLiteral("; ")).toStdString();
}

// A file's run as a class watches it: at the speed in force, or at the
// file's own; the panel showing each programmed change as it acts; the
// chart marking the push and the change at their samples; the table's step
// figures ended by the push.
TEST_F(LaboratorioTest, FileRunShowsWhatIsInForce)
{
    TLaboratorio& lab = Abrir();
    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("jupiter.json"));
    const auto escribir = [&](const char* velocidad) {
        QFile fichero(ruta);
        ASSERT_TRUE(fichero.open(QIODevice::WriteOnly));
        fichero.write(R"({"formato": "neurocontrol-experimento", "version": 1, "muestras": 120,)");
        fichero.write(velocidad);
        fichero.write(R"("brazo": {"gravedad": 1.62}, "eventos": [{"muestra": 40, "tipo": "empujon", "valor": 90}],
            "cambios": [{"muestra": 80, "ajustes": {"brazo": {"gravedad": 24.79}}}]})");
    };
    escribir("");
    lab.AskOpenFileName = [&](const QString&, const QString&) { return ruta; };
    window->Edit1->setText(QStringLiteral("40"));
    QTest::mouseClick(lab.AbrirExperimento1, Qt::LeftButton);
    EXPECT_TRUE(window->Timer1->Enabled());
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("40"));
    const NumberFormat& f = window->Loop().Format();
    EXPECT_EQ(lab.Ajustes1->Gravedad->text().toStdString(), FormatGeneral(1.62, f));

    Ticks(60);
    lab.ActualizarFiguras();
    EXPECT_TRUE(lab.Figuras1->text().contains(QStringLiteral("terminado: empujón a 2 s")))
        << lab.Figuras1->text().toStdString();
    Ticks(30);
    EXPECT_EQ(lab.Ajustes1->Gravedad->text().toStdString(), FormatGeneral(24.79, f));
    EXPECT_EQ(lab.Ajustes1->PresetGravedad->currentText(), QStringLiteral("Júpiter"));
    const auto marcas = [](TChart* panel) {
        std::vector<std::pair<double, std::string>> m;
        for (const TChartMarker& i : panel->Markers().Items())
            m.emplace_back(i.Value, i.Text);
        return m;
    };
    using Marcas = std::vector<std::pair<double, std::string>>;
    EXPECT_EQ(marcas(lab.Grafica->PanelPosicion()), (Marcas{{2.0, "Empujón"}, {4.0, "Cambio"}}));
    EXPECT_EQ(marcas(lab.Grafica->PanelFuerza()), (Marcas{{2.0, ""}, {4.0, ""}}));
    // The picture the menu saves has the push's dotted line.
    const QImage imagen = lab.Grafica->Imagen();
    TChart* arriba = lab.Grafica->PanelPosicion();
    const QPoint x = arriba->mapTo(lab.Grafica, QPoint(arriba->BottomAxis().ValueToPixel(2.0), 0));
    int puntos = 0;
    for (int y = arriba->PlotRect.Top + 1; y < arriba->PlotRect.Bottom - 1; ++y)
        puntos += imagen.pixelColor(x.x(), x.y() + y) == QColor(0x5A, 0x5A, 0x5A);
    EXPECT_GT(puntos, (arriba->PlotRect.Bottom - arriba->PlotRect.Top) / 3);

    escribir(R"("velocidad": 100,)");
    QTest::mouseClick(lab.AbrirExperimento1, Qt::LeftButton);
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("100"));
    EXPECT_TRUE(lab.Grafica->PanelPosicion()->Markers().Items().empty());
    EXPECT_EQ(lab.Ajustes1->Gravedad->text().toStdString(), FormatGeneral(1.62, f));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QStringLiteral("; ")).toStdString();
}

// The settings panel through the keyboard: the unbounded ramp runs and
// shows in "Ref.", and back at "Fija" the box gives the value last typed
// there; the twin's PID has gains of its own; a file with a typo runs and
// the status line names the key.
TEST_F(LaboratorioTest, RampTwinGainsAndUnknownKeysThroughThePanel)
{
    TLaboratorio& lab = Abrir();
    TLabAjustes& panel = *lab.Ajustes1;
    window->Button11Click();
    window->Edit7->setText(QStringLiteral("45"));
    Ticks(5);
    auto teclea = [&](QWidget* w, std::initializer_list<Qt::Key> teclas) {
        w->setFocus();
        for (Qt::Key k : teclas)
            QTest::keyClick(w, k);
    };
    auto escribe = [&](QLineEdit* e, const char* texto) {
        e->setFocus();
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(e, QString::fromLatin1(texto));
        QTest::keyClick(e, Qt::Key_Return);
    };
    teclea(panel.TipoReferencia, {Qt::Key_End});
    EXPECT_EQ(panel.TipoReferencia->currentText(), QStringLiteral("Rampa"));
    EXPECT_TRUE(panel.Pendiente->isEnabled());
    EXPECT_FALSE(panel.Periodo->isEnabled());
    escribe(panel.Pendiente, "4");
    escribe(panel.Desplazamiento, "10");
    Ticks(21); // samples 5 to 25: the last at 1.25 s
    EXPECT_EQ(lab.Lab().Ajustes().referencia.tipo, TipoReferencia::RampaIlimitada);
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("15"));
    teclea(panel.TipoReferencia, {Qt::Key_Home});
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("45"));
    Ticks(1);
    EXPECT_EQ(lab.Lab().Ajustes().referencia.texto, "45");
    EXPECT_EQ(window->Edit7->text(), QStringLiteral("45"));

    // "Comparar con…" a PID, whose gains are its own.
    EXPECT_FALSE(panel.KpGemelo->isEnabled());
    EXPECT_FALSE(panel.Kp->isEnabled()); // the network has no gains to type
    teclea(panel.Comparar, {Qt::Key_Down, Qt::Key_Down});
    ASSERT_EQ(panel.Comparar->currentText(), QStringLiteral("PID"));
    ASSERT_TRUE(panel.KpGemelo->isEnabled());
    escribe(panel.KpGemelo, "50");
    escribe(panel.KdGemelo, "10");
    ASSERT_TRUE(lab.Lab().Ajustes().comparar.has_value());
    EXPECT_EQ(lab.Lab().Ajustes().comparar->pid, (GananciasPid{50, 120, 10}));
    EXPECT_EQ(lab.Lab().Ajustes().controlador.pid, GananciasPid{});
    EXPECT_EQ(panel.Kp->text(), QStringLiteral("100"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QStringLiteral("; ")).toStdString();

    QTemporaryDir dir;
    const QString ruta = dir.filePath(QStringLiteral("errata.json"));
    QFile fichero(ruta);
    ASSERT_TRUE(fichero.open(QIODevice::WriteOnly));
    fichero.write(R"({"formato": "neurocontrol-experimento", "version": 1, "brazo": {"gravedd": 1.62}})");
    fichero.close();
    lab.AskOpenFileName = [&](const QString&, const QString&) { return ruta; };
    window->Button1Click();
    QTest::mouseClick(lab.AbrirExperimento1, Qt::LeftButton);
    EXPECT_TRUE(window->Timer1->Enabled());
    EXPECT_EQ(
        lab.Estado1->text(),
        QStringLiteral("Aviso: el experimento tiene claves que este programa no conoce y no usa: «brazo.gravedd»"));
    EXPECT_TRUE(errors.isEmpty());

    // NC_LAB_PNG=dir: a PID against its twin under a force limit of 8, the
    // chart while the limit cuts and the X-ray once settled, at two sizes.
    const QByteArray carpeta = qgetenv("NC_LAB_PNG");
    if (carpeta.isEmpty())
        return;
    window->Button1Click();
    teclea(panel.Controlador, {Qt::Key_Down});
    teclea(panel.Comparar, {Qt::Key_Down, Qt::Key_Down});
    escribe(panel.KpGemelo, "40");
    escribe(panel.FuerzaMaxima, "8");
    window->Edit7->setText(QStringLiteral("30"));
    window->Button11Click();
    const QString ruta_png = QString::fromLocal8Bit(carpeta) + QStringLiteral("/%1_%2x%3.png");
    for (const int ticks : {30, 170}) {
        Ticks(ticks);
        for (const QSize tamano : {QSize(1280, 720), QSize(1366, 768)}) {
            lab.resize(tamano);
            lab.Pestanas->setCurrentIndex(ticks == 30 ? 0 : 1);
            lab.ActualizarFiguras();
            QTest::qWait(250);
            lab.grab().save(ruta_png.arg(ticks == 30 ? "lab" : "rayos").arg(tamano.width()).arg(tamano.height()));
        }
    }
}

} // namespace
} // namespace nc
