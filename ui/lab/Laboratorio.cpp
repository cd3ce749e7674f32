// SPDX-License-Identifier: MIT
#include "ui/lab/Laboratorio.h"

#include "core/numbers/Unidades.h"
#include "ui/common/FileDialogs.h"

#include "io/FicheroExperimento.h"
#include "core/run/Preajustes.h"
#include "ui/common/Animacion.h"
#include "ui/common/Controls.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/LabAjustes.h"
#include "ui/lab/LabChart.h"
#include "ui/lab/LabMano.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace nc {
namespace {

// A few times a second is enough for figures read by eye.
constexpr int kIntervaloFiguras = 250; // ms

const QString kFiltro = QStringLiteral("Experimentos (*.json)");

// The chart's label for what acted on either arm during a tick; a hold of
// the hand is marked where it starts.
QString EtiquetaEvento(const SalidaPaso& s, const std::optional<SalidaPaso>& anterior)
{
    Actuaciones a = s.brazo.actuaciones;
    if (s.gemelo)
        a |= s.gemelo->actuaciones;
    const bool sujeto = anterior && anterior->muestra + 1 == s.muestra && anterior->brazo.actuaciones.mano;
    QStringList nombres;
    if (a.empujon)
        nombres << QStringLiteral("Empujón");
    if (a.mano && !sujeto)
        nombres << QStringLiteral("Mano");
    if (a.cambio)
        nombres << QStringLiteral("Cambio");
    if (a.lesion)
        nombres << QStringLiteral("Lesión");
    return nombres.join(QStringLiteral(" · "));
}

const QString kGuardable = QStringLiteral("Guarda en un fichero esta ejecución desde la muestra 0: sus ajustes, "
                                          "empujones, arrastres y cambios, para repetirla igual");
const QString kNoGuardable
    = QStringLiteral("Esta ejecución empezó antes de abrir el laboratorio y un fichero no la puede repetir: pulse "
                     "«Limpiar» en la ventana principal y empiécela de nuevo para guardarla");

} // namespace

double AnguloAnimacion(float posicion)
{
    return static_cast<double>(90.0L - posicion * kRadianesAGrados);
}

TLaboratorio::TLaboratorio(NumberFormat formato, QWidget* parent)
    : QWidget(parent, Qt::Window), formato_(std::move(formato))
{
    setWindowTitle(QStringLiteral("Laboratorio"));
    setObjectName(QStringLiteral("Laboratorio"));
    resize(kTamanoPreferido);

    Ajustes1 = new TLabAjustes(formato_, this);
    Ajustes1->Cambiar = [this](const AjustesExperimento& a) { CambiarAjustes(a); };
    Ajustes1->Empujar = [this](int sentido) { experimento_.Empujar(sentido); };
    auto* desplazable = new QScrollArea(this);
    desplazable->setWidget(Ajustes1);
    desplazable->setWidgetResizable(true);
    desplazable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    desplazable->setFixedWidth(380);
    desplazable->setFocusPolicy(Qt::NoFocus); // Tab goes through its fields

    Animacion1 = new TImage(this);
    Animacion1->setObjectName(QStringLiteral("Animacion1"));
    Animacion1->setFixedSize(220, 205);
    Animacion1->installEventFilter(this);
    new ManoArrastre(Animacion1,
                     {[] { return true; }, [this] { return PosicionGrados(); },
                      [this](double g) { experimento_.Agarrar(g); }, [this] { experimento_.Soltar(); }});
    Animacion1->setToolTip(QStringLiteral("Arrastre el brazo con el ratón"));
    Lectura1 = new QLabel(QStringLiteral("Muestra 0   Tiempo 0 s\nFuerza 0"), this);
    Lectura1->setMinimumHeight(Lectura1->sizeHint().height());
    Figuras1 = new QLabel(this);
    Figuras1->setObjectName(QStringLiteral("Figuras1"));
    Figuras1->setTextFormat(Qt::RichText);

    Preajustes1 = new QListWidget(this);
    Preajustes1->setObjectName(QStringLiteral("Preajustes1"));
    for (const Preajuste& p : Preajustes())
        Preajustes1->addItem(QString::fromStdString(p.nombre));
    Preajustes1->setFixedWidth(180);
    Preajustes1->setMaximumHeight(Preajustes1->sizeHintForRow(0) * 6 + 2 * Preajustes1->frameWidth() + 4);
    Preajustes1->setToolTip(QStringLiteral("Un clic carga el experimento y lo pone en marcha"));
    connect(Preajustes1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { PreajusteClick(Preajustes1->row(item)); });
    GuardarExperimento1 = new QPushButton(QStringLiteral("Guardar experimento…"), this);
    GuardarExperimento1->setToolTip(kGuardable);
    AbrirExperimento1 = new QPushButton(QStringLiteral("Abrir experimento…"), this);
    AbrirExperimento1->setToolTip(QStringLiteral("Abre un experimento guardado y lo pone en marcha"));
    connect(GuardarExperimento1, &QPushButton::clicked, this, &TLaboratorio::GuardarExperimentoClick);
    connect(AbrirExperimento1, &QPushButton::clicked, this, &TLaboratorio::AbrirExperimentoClick);

    Pestanas = new QTabWidget(this);
    Grafica = new TLabChart(Pestanas);
    Pestanas->addTab(Grafica, QStringLiteral("Gráfica"));

    // Left the settings; on the right the arm, the figures and the
    // experiments above the tabs, which take the rest.
    auto* arriba = new QHBoxLayout;
    arriba->addWidget(Animacion1, 0, Qt::AlignTop);
    auto* lecturas = new QVBoxLayout;
    lecturas->addWidget(Lectura1);
    lecturas->addWidget(Figuras1);
    lecturas->addStretch(1);
    arriba->addLayout(lecturas, 1);
    auto* experimentos = new QVBoxLayout;
    experimentos->addWidget(new QLabel(QStringLiteral("Experimentos"), this));
    experimentos->addWidget(Preajustes1);
    experimentos->addWidget(GuardarExperimento1);
    experimentos->addWidget(AbrirExperimento1);
    experimentos->addStretch(1);
    arriba->addLayout(experimentos);
    auto* derecha = new QVBoxLayout;
    derecha->addLayout(arriba);
    derecha->addWidget(Pestanas, 1);
    Estado1 = new QLabel(this);
    Estado1->setObjectName(QStringLiteral("Estado1"));
    Estado1->setWordWrap(true);
    Estado1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Only while it has something to say: on a small screen its line is the
    // chart's.
    Estado1->hide();
    derecha->addWidget(Estado1);
    // All of it in a scroll area of its own: on a screen smaller than its
    // least size the window scrolls rather than cut anything off.
    auto* contenido = new QWidget(this);
    auto* todo = new QHBoxLayout(contenido);
    todo->addWidget(desplazable);
    todo->addLayout(derecha, 1);
    auto* marco = new QScrollArea(this);
    marco->setObjectName(QStringLiteral("Marco"));
    marco->setWidget(contenido);
    marco->setWidgetResizable(true);
    marco->setFrameShape(QFrame::NoFrame);
    marco->setFocusPolicy(Qt::NoFocus);
    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->addWidget(marco);

    auto* completa = new QAction(this);
    completa->setShortcut(QKeySequence(Qt::Key_F11));
    completa->setShortcutContext(Qt::WindowShortcut);
    addAction(completa);
    connect(completa, &QAction::triggered, this, &TLaboratorio::PantallaCompletaClick);
    // The big chart's menu from any control of the window, as in the main
    // window; the chart comes to the front first.
    AddKeyboardMenu(this, [this] {
        Guarded([&] {
            Pestanas->setCurrentWidget(Grafica);
            Grafica->AbrirMenu();
        });
    });

    TimerFiguras = new QTimer(this);
    TimerFiguras->setInterval(kIntervaloFiguras);
    connect(TimerFiguras, &QTimer::timeout, this, &TLaboratorio::ActualizarFiguras);
    TimerFiguras->start();

    carpeta_ = QDir::currentPath();
    AskSaveFileName
        = [this](const QString& t, const QString& s, const QString& f) { return AskSaveWithQtDialog(this, t, s, f); };
    AskOpenFileName = [this](const QString& t, const QString& f) { return AskOpenWithQtDialog(this, t, f); };
    Velocidad = [] { return std::optional<int32_t>{}; };

    MostrarNombres();
    ActualizarFiguras();
    DibujarBrazos(90.0, std::nullopt);
    TabOrderFromLayouts(this);
}

QRect LugarVentana(const QRect& disponible, QSize preferido)
{
    const QSize marco = kMarcoVentana;
    const QSize tamano = preferido.boundedTo(disponible.size() - marco);
    const QSize sobra = disponible.size() - tamano - marco;
    return QRect(disponible.topLeft() + QPoint(std::max(0, sobra.width() / 2), std::max(0, sobra.height() / 2)),
                 tamano);
}

void TLaboratorio::AgregarPestana(QWidget* panel, const QString& titulo)
{
    Pestanas->addTab(panel, titulo);
    TabOrderFromLayouts(this);
}

void TLaboratorio::MostrarPestana(QWidget* panel)
{
    for (QWidget* w = panel; w; w = w->parentWidget())
        if (const int i = Pestanas->indexOf(w); i >= 0) {
            Pestanas->setCurrentIndex(i);
            return;
        }
}

// Placed once, at its first showing, on the screen it opens on; later it
// opens where the user left it. A run may have been taken over while it was
// hidden.
void TLaboratorio::showEvent(QShowEvent* event)
{
    if (!colocada_ && !event->spontaneous()) {
        colocada_ = true;
        if (const QScreen* pantalla = screen()) {
            const QRect lugar = LugarVentana(pantalla->availableGeometry(), kTamanoPreferido);
            resize(lugar.size());
            move(lugar.topLeft());
        }
    }
    ActualizarGuardar();
    QWidget::showEvent(event);
}

void TLaboratorio::CambiarAjustes(const AjustesExperimento& ajustes)
{
    const bool a_fija = ajustes.referencia.tipo == TipoReferencia::Fija
        && experimento_.Ajustes().referencia.tipo != TipoReferencia::Fija;
    experimento_.SetAjustes(ajustes);
    if (a_fija && MostrarFija)
        MostrarFija(ajustes.referencia.texto);
    Ajustes1->Mostrar(experimento_.Ajustes());
    MostrarNombres();
}

void TLaboratorio::MostrarNombres()
{
    const AjustesExperimento& a = experimento_.Ajustes();
    std::optional<QString> gemelo;
    if (a.comparar)
        gemelo = QString::fromUtf8(NombreControlador(a.comparar->tipo));
    Grafica->SetNombres(QString::fromUtf8(NombreControlador(a.controlador.tipo)), gemelo);
    Grafica->SetFuerzaMaxima(a.brazo.fuerza_maxima);
}

SalidaPaso TLaboratorio::Paso(std::string_view texto_referencia)
{
    const AjustesExperimento& a = experimento_.Ajustes();
    if (a.referencia.tipo == TipoReferencia::Fija) {
        const std::string texto = TextoFija(texto_referencia, formato_);
        if (texto != a.referencia.texto) {
            AjustesExperimento nuevos = a;
            nuevos.referencia.texto = texto;
            experimento_.SetAjustes(nuevos);
            Ajustes1->Mostrar(nuevos);
        }
    }
    // A file's programmed change acts inside the tick, and stays made even
    // when the tick fails: the panel shows the settings in force either way.
    const auto mostrar_cambios = [this] {
        if (!(experimento_.Ajustes() == Ajustes1->Actuales())) {
            Ajustes1->Mostrar(experimento_.Ajustes());
            MostrarNombres();
        }
    };
    SalidaPaso s;
    try {
        s = experimento_.Paso();
    } catch (...) {
        mostrar_cambios();
        throw;
    }
    mostrar_cambios();

    if (s.muestra == 0)
        Grafica->Limpiar();
    MuestraLab m{.muestra = s.muestra,
                 .posicion = s.brazo.posicion_grados,
                 .referencia = static_cast<float>(s.referencia),
                 .fuerza = s.brazo.fuerza,
                 .fuerza_pedida = s.brazo.fuerza_pedida};
    angulo_gemelo_.reset();
    if (s.gemelo) {
        m.posicion_gemelo = s.gemelo->posicion_grados;
        m.fuerza_gemelo = s.gemelo->fuerza;
        m.fuerza_pedida_gemelo = s.gemelo->fuerza_pedida;
        angulo_gemelo_ = AnguloAnimacion(s.gemelo->estado.posicion);
    }
    Grafica->Agregar(m);
    if (const QString marca = EtiquetaEvento(s, ultimo_); !marca.isEmpty())
        Grafica->Marcar(s.muestra, marca);
    DibujarBrazos(AnguloAnimacion(s.brazo.estado.posicion), angulo_gemelo_);
    ultimo_ = s;
    if (TrasPaso)
        TrasPaso(s);
    return s;
}

void TLaboratorio::Limpiar()
{
    experimento_.Limpiar();
    ActualizarGuardar();
    ultimo_.reset();
    Grafica->Limpiar();
    angulo_gemelo_.reset();
    DibujarBrazos(90.0, std::nullopt);
    ActualizarFiguras();
}

bool TLaboratorio::Terminado() const
{
    return fin_ && experimento_.muestra() >= *fin_;
}

std::optional<double> TLaboratorio::AnguloGemelo() const
{
    return angulo_gemelo_;
}

double TLaboratorio::PosicionGrados() const
{
    if (experimento_.muestra() == 0)
        return 0;
    return static_cast<double>(experimento_.Estado().posicion * kRadianesAGrados);
}

// The scene is drawn when the image is painted, once for all the ticks since
// the last paint: at 1000 ticks a second most would never be seen.
void TLaboratorio::DibujarBrazos(double angulo, std::optional<double> gemelo)
{
    angulo_ = angulo;
    angulo_gemelo_ = gemelo;
    escena_pendiente_ = true;
    Animacion1->update();
}

bool TLaboratorio::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Animacion1 && event->type() == QEvent::Paint && escena_pendiente_) {
        escena_pendiente_ = false;
        ImageCanvas canvas(Animacion1->Surface());
        Dibujar_brazos(canvas, angulo_, angulo_gemelo_);
    }
    return QWidget::eventFilter(watched, event);
}

void TLaboratorio::Cargar(const ExperimentoGuardado& guardado)
{
    // Checked whole before anything changes; Limpiar then forgets the changes
    // this SetAjustes records on a run under way.
    ComprobarGuardado(guardado);
    experimento_.SetAjustes(guardado.ajustes);
    experimento_.Limpiar();
    experimento_.Programar(guardado.eventos, guardado.cambios);
    fin_ = guardado.muestras;
    ActualizarGuardar();
    Ajustes1->Mostrar(experimento_.Ajustes());
    MostrarNombres();
    if (Arrancar)
        Arrancar(guardado);
}

void TLaboratorio::MostrarEstado(const QString& texto)
{
    Estado1->setText(texto);
    Estado1->setVisible(!texto.isEmpty());
}

void TLaboratorio::RecordarCarpeta(const QString& ruta)
{
    carpeta_ = QFileInfo(ruta).absolutePath();
}

void TLaboratorio::ActualizarGuardar()
{
    const bool guardable = !experimento_.Continuada();
    if (GuardarExperimento1->isEnabled() == guardable)
        return;
    GuardarExperimento1->setEnabled(guardable);
    GuardarExperimento1->setToolTip(guardable ? kGuardable : kNoGuardable);
}

void TLaboratorio::GuardarExperimentoClick()
{
    Guarded([&] {
        // Refused before the dialog: no file is chosen for nothing.
        if (experimento_.Continuada())
            throw std::runtime_error(kNoGuardable.toStdString());
        const QString ruta = AskSaveFileName(QStringLiteral("Guardar experimento"),
                                             QDir(carpeta_).filePath(QStringLiteral("experimento.json")), kFiltro);
        if (ruta.isEmpty())
            return;
        ExperimentoGuardado g = experimento_.Guardado();
        g.ajustes.velocidad = Velocidad();
        GuardarExperimento(ruta.toStdString(), g);
        carpeta_ = QFileInfo(ruta).absolutePath();
    });
}

void TLaboratorio::AbrirExperimentoClick()
{
    Guarded([&] {
        const QString ruta = AskOpenFileName(QStringLiteral("Abrir experimento"), kFiltro);
        if (ruta.isEmpty())
            return;
        // The file is read and checked whole before anything changes; what
        // it holds that this program does not know is named, and it runs.
        std::vector<std::string> avisos;
        const ExperimentoGuardado g = CargarExperimento(ruta.toStdString(), &avisos);
        carpeta_ = QFileInfo(ruta).absolutePath();
        Cargar(g);
        QStringList lineas;
        for (const std::string& aviso : avisos)
            lineas << QString::fromStdString(aviso);
        MostrarEstado(lineas.join(u'\n'));
    });
}

void TLaboratorio::PreajusteClick(int fila)
{
    Guarded([&] {
        const std::vector<Preajuste> lista = Preajustes();
        if (fila >= 0 && fila < static_cast<int>(lista.size())) {
            Cargar(lista[static_cast<size_t>(fila)].experimento);
            MostrarEstado({});
        }
    });
}

void TLaboratorio::PantallaCompletaClick()
{
    Guarded([&] {
        if (isFullScreen())
            showNormal();
        else
            showFullScreen();
    });
}

void TLaboratorio::ActualizarFiguras()
{
    ActualizarGuardar();
    // Each update measures the whole segment: none while nobody looks.
    if (!isVisible())
        return;
    QElapsedTimer reloj;
    reloj.start();
    Guarded([&] {
        if (!ultimo_) {
            Lectura1->setText(QStringLiteral("Muestra 0   Tiempo 0 s\nFuerza 0"));
        } else {
            const SalidaPaso& s = *ultimo_;
            // The force that acts, and where the limit cuts it the demand.
            auto fuerza = [&](const SalidaBrazo& b) {
                QString t = QString::fromStdString(FormatFixed(b.fuerza, formato_));
                if (b.fuerza != b.fuerza_pedida)
                    t += QStringLiteral(" (pide %1)")
                             .arg(QString::fromStdString(FormatFixed(b.fuerza_pedida, formato_)));
                return t;
            };
            QString lectura = QStringLiteral("Muestra %1   Tiempo %2 s\nFuerza %3")
                                  .arg(s.muestra + 1)
                                  .arg(QString::fromStdString(FormatGeneral((s.muestra + 1) * kPeriodo, formato_)))
                                  .arg(fuerza(s.brazo));
            if (s.gemelo)
                lectura += QStringLiteral("   gemelo %1").arg(fuerza(*s.gemelo));
            Lectura1->setText(lectura);
        }
        const AjustesExperimento& a = experimento_.Ajustes();
        auto numero = [&](const std::optional<double>& v, const char* unidad) {
            if (!v)
                return QStringLiteral("—");
            return QString::fromStdString(FormatGrouped(*v, formato_, 2)) + QString::fromUtf8(unidad);
        };
        const auto segundos
            = [&](int32_t muestra) { return QString::fromStdString(FormatGeneral(muestra * kPeriodo, formato_)); };
        const CifrasTramo principal = experimento_.Cifras(false);
        const bool seno = principal.clase == ClaseTramo::Seguimiento;
        // One column of the table: the state of the segment's figures, then
        // the figures themselves.
        auto columna = [&](const CifrasTramo& c) {
            QStringList col;
            if (c.fin)
                col << QStringLiteral("terminado: %1 a %2 s")
                           .arg(QString::fromUtf8(NombreActuacion(c.fin->que)), segundos(c.fin->muestra));
            else if (c.clase == ClaseTramo::SinEscalon)
                col << QStringLiteral("sin escalón");
            else if (c.clase == ClaseTramo::Seguimiento && !c.seguimiento)
                col << QStringLiteral("esperando un periodo");
            else if (c.clase == ClaseTramo::Ninguna)
                col << QStringLiteral("—");
            else
                col << QStringLiteral("en curso");
            if (seno) {
                const std::optional<TrackingFigures>& f = c.seguimiento;
                col << numero(f ? std::optional(f->razon) : std::nullopt, "")
                    << numero(f ? std::optional(f->desfase) : std::nullopt, " º");
                return col;
            }
            const std::optional<StepFigures>& f = c.escalon;
            if (!f) {
                for (int i = 0; i < 5; ++i)
                    col << QStringLiteral("—");
                return col;
            }
            col << numero(f->sobreimpulso, " %") << numero(f->subida, " s") << numero(f->establecimiento, " s")
                << numero(static_cast<double>(c.referencia) - f->final, " º") << numero(f->pico, " º");
            return col;
        };
        const QStringList filas = seno
            ? QStringList{QStringLiteral("Estado"), QStringLiteral("Razón de amplitud"), QStringLiteral("Desfase")}
            : QStringList{QStringLiteral("Estado"),          QStringLiteral("Sobreimpulso"), QStringLiteral("Subida"),
                          QStringLiteral("Establecimiento"), QStringLiteral("Error final"),  QStringLiteral("Pico")};
        const QStringList columna_principal = columna(principal);
        std::optional<QStringList> gemelo;
        QString html = QStringLiteral("<table cellspacing=4><tr><th align=left>%1</th><th>%2</th>")
                           .arg(seno ? QStringLiteral("Seguimiento") : QStringLiteral("Escalón"),
                                QString::fromUtf8(NombreControlador(a.controlador.tipo)));
        if (a.comparar) {
            gemelo = columna(experimento_.Cifras(true));
            html += QStringLiteral("<th>%1</th>").arg(QString::fromUtf8(NombreControlador(a.comparar->tipo)));
        }
        html += QStringLiteral("</tr>");
        for (int i = 0; i < filas.size(); ++i) {
            html += QStringLiteral("<tr><td>%1</td><td align=right style=\"padding-left:10px\">%2</td>")
                        .arg(filas[i], columna_principal[i]);
            if (gemelo)
                html += QStringLiteral("<td align=right style=\"padding-left:10px\">%1</td>").arg((*gemelo)[i]);
            html += QStringLiteral("</tr>");
        }
        html += QStringLiteral("</table>");
        if (Figuras1->text() != html)
            Figuras1->setText(html);
    });
    // The figures measure the whole segment, which after a long hold is long:
    // the update then comes less often, so that it never takes more than a
    // twentieth of the time (bench_realtime, its lab row).
    TimerFiguras->setInterval(std::max<int>(kIntervaloFiguras, static_cast<int>(20 * reloj.elapsed())));
}

} // namespace nc
