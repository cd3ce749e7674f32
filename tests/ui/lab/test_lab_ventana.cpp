// SPDX-License-Identifier: MIT
// The "Laboratorio" window as a class meets it, through real key and mouse
// events: it fits the classroom's screens, the keyboard reaches every control
// and the big chart's menu, its fields say what is wrong with a text, and the
// charts' pictures are drawn at the size asked for. NC_LAB_PNG=dir saves the
// window at each screen size for a look.

#include "tests/ui/QtPrinters.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/LabAjustes.h"
#include "ui/lab/LabChart.h"
#include "ui/lab/Laboratorio.h"
#include "ui/lab/tabs/PanelLesiones.h"
#include "ui/lab/tabs/PanelMapa.h"
#include "ui/main/Ppal.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
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

// What a user sees and works: the window's controls, not the parts they are
// made of (a combo's list, a spin box's edit, a tab bar's arrows).
bool EsControl(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w)
        || qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w)
        || qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTabBar*>(w)
        || qobject_cast<const QLabel*>(w) || dynamic_cast<const TChart*>(w) || dynamic_cast<const TImage*>(w);
}

std::vector<QWidget*> Controles(QWidget& lab)
{
    std::vector<QWidget*> out;
    for (QWidget* w : lab.findChildren<QWidget*>()) {
        if (w->window() != &lab || !w->isVisible() || !EsControl(w))
            continue;
        bool parte = false;
        for (QWidget* p = w->parentWidget(); p != &lab; p = p->parentWidget())
            parte = parte || EsControl(p);
        if (!parte)
            out.push_back(w);
    }
    return out;
}

// Whole: inside the window, or inside the content of a scroll area of its
// own (the settings, the X-ray), which scrolls up and down but is never
// wider than its view.
bool Entero(const QWidget* w, const QWidget& lab, const QScrollArea* marco)
{
    for (const QWidget* p = w->parentWidget(); p && p != &lab; p = p->parentWidget())
        if (auto* s = qobject_cast<const QScrollArea*>(p); s && s != marco && s->widget()) {
            const QRect r(w->mapTo(s->widget(), QPoint(0, 0)), w->size());
            return s->widget()->rect().contains(r) && s->widget()->width() <= s->viewport()->width()
                && Entero(s, lab, marco);
        }
    return lab.rect().contains(QRect(w->mapTo(&lab, QPoint(0, 0)), w->size()));
}

QString Nombre(const QWidget* w)
{
    QString n = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    if (auto* l = qobject_cast<const QLabel*>(w))
        n += u' ' + l->text().left(30);
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        n += u' ' + b->text();
    return n;
}

// Laid out at each size a classroom's screen leaves it (the available area,
// here with a 40-pixel panel, less the frame), every tab in turn: no control
// is cut, nothing but the settings and the X-ray scrolls, and both maps are
// whole. 1920 x 1080 at device pixel ratios 1.25 and 1.5 lays out as 1536 x
// 864 and 1280 x 720. On the test's own small screen it opens inside the
// available area and scrolls.
TEST_F(LabVentanaTest, FitsEveryClassroomScreenAndScrollsOnSmallerOnes)
{
    TLaboratorio& lab = Abrir();
    // Its widest state: two controllers, a force limit and the figures.
    const QList<QListWidgetItem*> red_contra_pid
        = lab.Preajustes1->findItems(QStringLiteral("Red contra PID"), Qt::MatchExactly);
    ASSERT_EQ(red_contra_pid.size(), 1);
    lab.PreajusteClick(lab.Preajustes1->row(red_contra_pid[0]));
    window->Button1Click(); // Parar
    AjustesExperimento limitado = lab.Lab().Ajustes();
    limitado.brazo.fuerza_maxima = 25;
    lab.CambiarAjustes(limitado);
    for (int i = 0; i < 330; ++i)
        window->Timer1Timer();
    lab.ActualizarFiguras();
    auto* marco = lab.findChild<QScrollArea*>(QStringLiteral("Marco"));
    auto* mapa = lab.findChild<TPanelMapa*>(QStringLiteral("Mapa1"));
    ASSERT_TRUE(marco && mapa);
    const QRect pequena = lab.screen()->availableGeometry();
    ASSERT_LT(pequena.width(), 1100) << "the test's screen is not smaller than the window";
    EXPECT_TRUE(pequena.contains(lab.frameGeometry()));
    QApplication::processEvents();
    EXPECT_GT(marco->horizontalScrollBar()->maximum(), 0);
    EXPECT_GE(marco->widget()->width(), marco->widget()->minimumSizeHint().width());

    const std::pair<const char*, QRect> pantallas[]
        = {{"1280x720", {0, 0, 1280, 680}}, {"1366x768", {0, 0, 1366, 728}}, {"1536x864", {0, 0, 1536, 824}}};
    for (const auto& [nombre, disponible] : pantallas) {
        const QRect lugar = LugarVentana(disponible, kTamanoPreferido);
        EXPECT_TRUE(disponible.contains(QRect(lugar.topLeft(), lugar.size() + kMarcoVentana))) << nombre;
        lab.resize(lugar.size());
        for (int i = 0; i < lab.Pestanas->count(); ++i) {
            lab.Pestanas->setCurrentIndex(i);
            QApplication::processEvents();
            const std::string donde = nombre + (" " + lab.Pestanas->tabText(i).toStdString());
            EXPECT_LE(marco->widget()->width(), marco->viewport()->width()) << donde;
            EXPECT_LE(marco->widget()->height(), marco->viewport()->height()) << donde;
            for (const QWidget* w : Controles(lab))
                EXPECT_TRUE(Entero(w, lab, marco)) << donde << ": " << Nombre(w).toStdString();
            if (const QByteArray dir = qgetenv("NC_LAB_PNG"); !dir.isEmpty())
                lab.grab().save(QStringLiteral("%1/laboratorio-%2-%3.png")
                                    .arg(QString::fromLocal8Bit(dir), QString::fromLatin1(nombre))
                                    .arg(i));
        }
        lab.MostrarPestana(mapa);
        QApplication::processEvents();
        EXPECT_TRUE(Entero(mapa->Vista(), lab, marco)) << nombre;
        for (int lado : {0, 1})
            for (int columna : {0, kColumnasMapa - 1})
                EXPECT_TRUE(mapa->Vista()->rect().contains(mapa->RectCelda(lado, 0, columna)))
                    << nombre << " map " << lado << " column " << columna;
        lab.MostrarPestana(lab.Grafica);
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

// Tab goes round every control once, the settings from top to bottom and
// left to right, then the experiments, the tabs and the chart; each field
// says what it means and in what unit; and the menu key, Shift+F10 and the
// context request X11 makes of the menu key open the big chart's menu from
// any control, the chart brought to the front. Escape closes it.
TEST_F(LabVentanaTest, KeyboardReachesEveryControlAndTheChartsMenu)
{
    TLaboratorio& lab = Abrir();
    lab.resize(1264, 632);
    lab.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&lab));
    QApplication::processEvents();

    QWidget* primero = lab.Ajustes1->EmpujarIzquierda;
    primero->setFocus();
    std::vector<QWidget*> ronda{primero};
    for (int i = 0; i < 200; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() == primero)
            break;
        ronda.push_back(QApplication::focusWidget());
    }
    ASSERT_EQ(QApplication::focusWidget(), primero) << "Tab never came back";
    const auto en
        = [&](const QWidget* w) { return static_cast<long>(std::find(ronda.begin(), ronda.end(), w) - ronda.begin()); };
    for (QWidget* w : Controles(lab)) {
        if (w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            EXPECT_LT(en(w), static_cast<long>(ronda.size())) << Nombre(w).toStdString();
        }
    }
    EXPECT_EQ(std::set<QWidget*>(ronda.begin(), ronda.end()).size(), ronda.size());
    QPoint antes(-1, -1);
    for (QWidget* w : ronda) {
        if (!lab.Ajustes1->isAncestorOf(w))
            break;
        const QPoint centro = w->mapTo(lab.Ajustes1, w->rect().center());
        const bool misma_fila = std::abs(centro.y() - antes.y()) < w->height() / 2;
        EXPECT_TRUE(misma_fila ? centro.x() > antes.x() : centro.y() > antes.y()) << Nombre(w).toStdString();
        antes = centro;
    }
    // The gains are reachable only while their controller is a PID; the twin's
    // list is the settings' last control that always is.
    const std::vector<long> orden = {en(lab.Ajustes1->Comparar), en(lab.Preajustes1),
                                     en(lab.Pestanas->findChild<QTabBar*>()), en(lab.Grafica->PanelFuerza())};
    EXPECT_TRUE(std::is_sorted(orden.begin(), orden.end()));
    EXPECT_LT(orden.back(), static_cast<long>(ronda.size()));

    for (QWidget* w : lab.findChildren<QWidget*>()) {
        if ((qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w))
            && !qobject_cast<QAbstractSpinBox*>(w->parentWidget()) && !qobject_cast<QComboBox*>(w->parentWidget())) {
            EXPECT_FALSE(w->toolTip().isEmpty()) << Nombre(w).toStdString();
        }
    }
    EXPECT_TRUE(lab.Ajustes1->Carga->toolTip().endsWith(QStringLiteral("en las unidades de la fuerza")));
    EXPECT_TRUE(lab.Ajustes1->RuidoVelocidad->toolTip().endsWith(QStringLiteral("en grados por segundo")));

    auto* lesiones = lab.findChild<TPanelLesiones*>(QStringLiteral("Lesiones1"));
    const std::pair<QWidget*, QWidget*> focos[] = {{lab.Grafica, lab.Ajustes1->Amortiguamiento},
                                                   {lab.Grafica, lab.Preajustes1},
                                                   {lab.Grafica, lab.Grafica->PanelFuerza()},
                                                   {lesiones, lesiones->Unidad(3)}};
    const std::function<void(QWidget*)> peticiones[]
        = {[](QWidget* foco) { QTest::keyClick(foco, Qt::Key_Menu); },
           [](QWidget* foco) { QTest::keyClick(foco, Qt::Key_F10, Qt::ShiftModifier); },
           [](QWidget* foco) {
               QContextMenuEvent peticion(QContextMenuEvent::Keyboard, QPoint(2, 2), foco->mapToGlobal(QPoint(2, 2)));
               QApplication::sendEvent(foco, &peticion);
           }};
    for (const auto& [pestana, foco] : focos) {
        for (std::size_t i = 0; i < std::size(peticiones); ++i) {
            lab.MostrarPestana(pestana);
            foco->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), foco) << Nombre(foco).toStdString();
            peticiones[i](foco);
            const std::string donde = Nombre(foco).toStdString() + ' ' + std::to_string(i);
            EXPECT_EQ(QApplication::activePopupWidget(), lab.Grafica->Menu) << donde;
            EXPECT_EQ(lab.Pestanas->currentWidget(), lab.Grafica) << donde;
            const QRect grafica(lab.Grafica->mapToGlobal(QPoint(0, 0)), lab.Grafica->size());
            EXPECT_TRUE(grafica.contains(lab.Grafica->Menu->pos())) << donde;
            QTest::keyClick(lab.Grafica->Menu, Qt::Key_Escape);
            EXPECT_FALSE(lab.Grafica->Menu->isVisible()) << donde;
        }
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

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

// Qt's own save dialog answered as a user would, once it is open: the size
// chosen in its row, the file's name typed, the save button.
void ResponderDialogo(const QString& ruta, const std::function<void(QFileDialog&)>& elegir)
{
    auto* reloj = new QTimer(qApp);
    reloj->setInterval(10);
    QObject::connect(reloj, &QTimer::timeout, reloj, [=] {
        auto* dialogo = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialogo || !dialogo->isVisible())
            return;
        reloj->stop();
        reloj->deleteLater();
        elegir(*dialogo);
        auto* nombre = dialogo->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        nombre->setFocus();
        nombre->selectAll();
        QTest::keyClicks(nombre, ruta);
        // A name typed with its folder takes a second press: the first only
        // works the name out.
        auto* botones = dialogo->findChild<QDialogButtonBox*>();
        for (QAbstractButton* b : botones->buttons())
            for (int vez = 0; vez < 3 && dialogo->isVisible(); ++vez)
                if (botones->buttonRole(b) == QDialogButtonBox::AcceptRole)
                    QTest::mouseClick(b, Qt::LeftButton);
    });
    reloj->start();
}

// A picture scaled up from a smaller one has blocks of one colour; one drawn
// at its size has lines one pixel wide.
int BloquesMezclados(const QImage& imagen, int lado)
{
    int mezclados = 0;
    for (int y = 0; y + lado <= imagen.height(); y += lado)
        for (int x = 0; x + lado <= imagen.width(); x += lado) {
            bool uno = true;
            for (int j = 0; j < lado && uno; ++j)
                for (int i = 0; i < lado && uno; ++i)
                    uno = imagen.pixel(x + i, y + j) == imagen.pixel(x, y);
            mezclados += uno ? 0 : 1;
        }
    return mezclados;
}

// "Guardar imagen…" in both charts' menus offers the size in its dialog: the
// main chart at four times its size and the lab's at a width and height of
// its own, each drawn again by the engine at that size.
TEST_F(LabVentanaTest, PicturesAreDrawnAtTheSizeChosenInTheDialog)
{
    TLaboratorio& lab = Abrir();
    QTest::mouseClick(window->Button11, Qt::LeftButton); // Inicializar
    for (int i = 0; i < 60; ++i)
        window->Timer1Timer();
    QTemporaryDir dir;

    const QString principal = dir.filePath(QStringLiteral("principal.png"));
    ResponderDialogo(principal, [](QFileDialog& d) {
        auto* tamano = d.findChild<QComboBox*>(QStringLiteral("TamanoImagen"));
        ASSERT_TRUE(tamano);
        EXPECT_EQ(tamano->itemText(2), QStringLiteral("Cuádruple (1028 × 816)"));
        tamano->setFocus();
        QTest::keyClick(tamano, Qt::Key_Down);
        QTest::keyClick(tamano, Qt::Key_Down);
    });
    QTest::mouseClick(window->Chart1, Qt::RightButton, {}, window->Chart1->rect().center());
    QTest::mouseClick(window->PopupMenu1, Qt::LeftButton, {},
                      window->PopupMenu1->actionGeometry(window->GuardarImagen1).center());
    const QImage grande(principal);
    EXPECT_EQ(grande.size(), QSize(1028, 816));
    EXPECT_GT(BloquesMezclados(grande, 4), 1000);

    const QString laboratorio = dir.filePath(QStringLiteral("laboratorio.png"));
    ResponderDialogo(laboratorio, [](QFileDialog& d) {
        auto* tamano = d.findChild<QComboBox*>(QStringLiteral("TamanoImagen"));
        tamano->setCurrentIndex(3); // "Otro tamaño"
        for (auto [nombre, valor] : {std::pair{"AnchoImagen", "1600"}, std::pair{"AltoImagen", "900"}}) {
            auto* lado = d.findChild<QSpinBox*>(QString::fromLatin1(nombre));
            lado->setFocus();
            lado->selectAll();
            QTest::keyClicks(lado, QString::fromLatin1(valor));
        }
    });
    lab.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&lab));
    lab.Grafica->PanelPosicion()->setFocus();
    QTest::keyClick(lab.Grafica->PanelPosicion(), Qt::Key_Menu);
    ASSERT_EQ(QApplication::activePopupWidget(), lab.Grafica->Menu);
    QTest::mouseClick(lab.Grafica->Menu, Qt::LeftButton, {},
                      lab.Grafica->Menu->actionGeometry(lab.Grafica->GuardarImagen1).center());
    const QImage propia(laboratorio);
    EXPECT_EQ(propia.size(), QSize(1600, 900));
    // The position's blue curve is drawn on it.
    bool azul = false;
    for (int y = 0; y < propia.height() && !azul; ++y)
        for (int x = 0; x < propia.width() && !azul; ++x)
            azul = propia.pixel(x, y) == qRgb(0x1F, 0x56, 0xB5);
    EXPECT_TRUE(azul);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

} // namespace
} // namespace nc
