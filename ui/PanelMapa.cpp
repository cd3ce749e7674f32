// SPDX-License-Identifier: MIT
#include "ui/PanelMapa.h"

#include "text/NumberText.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolTip>
#include <QHelpEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

#include <sys/resource.h>
#include <unistd.h>

namespace nc {

// The worker's results, shared so that a sweep that outlives a cancel (it
// ends with its current cell) never writes into a panel that is gone.
struct TPanelMapa::Trabajo {
    explicit Trabajo(const AjustesMapa& a) : ajustes(a), progreso(a) {}
    AjustesMapa ajustes;
    ProgresoMapa progreso;
    std::atomic<bool> terminado{false};
    std::optional<MapaCompetencia> mapa; // written before `terminado`
    std::string error;
};

namespace {

QColor ColorClase(ClaseCelda c)
{
    switch (c) {
    case ClaseCelda::Establece: return QColor(0x3c, 0xa0, 0x4a);
    case ClaseCelda::Sobreimpulso: return QColor(0xe8, 0xb8, 0x20);
    case ClaseCelda::Lenta: return QColor(0x5a, 0x9b, 0xd8);
    case ClaseCelda::Gira: return QColor(0xc8, 0x32, 0x2c);
    case ClaseCelda::SeDetieneFuera: return QColor(0x7b, 0x3f, 0x9e);
    case ClaseCelda::Pendiente: return QColor(0xe6, 0xe6, 0xe6);
    }
    return Qt::white;
}

QString Numero(double v)
{
    return QString::fromStdString(FormatGeneral(v, NumberFormat{".", ","}));
}

} // namespace

// The two maps side by side. Geometry, all in pixels: each map has a title
// line on top, its rows' values on the left and the reference's labels below;
// the columns share the width (whole pixels each, from kCeldaMinima up to
// kCeldaMaxima) and the rows share the height left, the first row at the
// bottom as on a plot's y axis. The legend runs along the bottom.
class TVistaMapa : public QWidget {
public:
    static constexpr int kCeldaMinima = 3;
    static constexpr int kCeldaMaxima = 12;
    static constexpr int kIzquierda = 56; // the rows' values
    static constexpr int kArriba = 22;    // the title
    static constexpr int kAbajo = 34;     // the reference's labels and title
    static constexpr int kLeyenda = 26;
    static constexpr int kSeparacion = 24;

    explicit TVistaMapa(QWidget* parent) : QWidget(parent)
    {
        // Twenty rows of 8 pixels at the least: the default map reads whole
        // in the tab of a 1280 x 720 screen.
        setMinimumSize(AnchoPara(kCeldaMinima), kArriba + 20 * 8 + kAbajo + kLeyenda);
    }

    void Mostrar(const MapaCompetencia* mapa, QString titulo_1, QString titulo_2)
    {
        mapa_ = mapa;
        titulos_[0] = std::move(titulo_1);
        titulos_[1] = std::move(titulo_2);
        update();
    }

    std::function<void(int lado, int fila, int columna)> OnClick;

    // The width both maps take with cells this wide.
    static int AnchoPara(int celda) { return 2 * (kIzquierda + kColumnasMapa * celda) + kSeparacion + 8; }

    // The widest cell with which both maps fit.
    int AnchoCelda() const
    {
        const int celda = (width() - AnchoPara(0)) / (2 * kColumnasMapa);
        return std::clamp(celda, kCeldaMinima, kCeldaMaxima);
    }

    // The rectangle of one map's cells.
    QRect Celdas(int lado) const
    {
        const int ancho = kColumnasMapa * AnchoCelda();
        const int x = kIzquierda + lado * (kIzquierda + ancho + kSeparacion);
        return QRect(x, kArriba, ancho, height() - kArriba - kAbajo - kLeyenda);
    }

    QRect Celda(int lado, int fila, int columna) const
    {
        const QRect r = Celdas(lado);
        const int filas = mapa_ ? mapa_->ajustes.filas : 1;
        const int arriba = r.top() + (filas - 1 - fila) * r.height() / filas;
        const int abajo = r.top() + (filas - fila) * r.height() / filas;
        const int celda = AnchoCelda();
        return QRect(r.left() + columna * celda, arriba, celda, abajo - arriba);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        const QFontMetrics fm(font());
        const int lados = mapa_ && !mapa_->gemelo.empty() ? 2 : 1;
        for (int lado = 0; lado < 2; ++lado) {
            const QRect r = Celdas(lado);
            p.setPen(palette().windowText().color());
            QFont negrita = font();
            negrita.setBold(true);
            p.setFont(negrita);
            p.drawText(QRect(r.left(), 0, r.width(), kArriba), Qt::AlignCenter, titulos_[lado]);
            p.setFont(font());
            if (mapa_ && lado < lados) {
                for (int fila = 0; fila < mapa_->ajustes.filas; ++fila)
                    for (int columna = 0; columna < kColumnasMapa; ++columna)
                        p.fillRect(Celda(lado, fila, columna), ColorClase(mapa_->Clase(fila, columna, lado == 1)));
            } else {
                p.fillRect(r, ColorClase(ClaseCelda::Pendiente));
            }
            p.setPen(palette().windowText().color());
            p.drawRect(r.adjusted(0, 0, -1, -1));
            // The reference every 90 degrees, and the axis' title.
            for (int grados = 0; grados <= 360; grados += 90) {
                const int x = r.left() + (grados / 5) * AnchoCelda() + AnchoCelda() / 2;
                p.drawLine(x, r.bottom() + 1, x, r.bottom() + 4);
                p.drawText(QRect(x - 20, r.bottom() + 4, 40, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                           QString::number(grados));
            }
            p.drawText(QRect(r.left(), r.bottom() + 4 + fm.height(), r.width(), fm.height()), Qt::AlignCenter,
                       QStringLiteral("Referencia (°)"));
            // The rows' values, as many as fit without overlapping.
            if (mapa_) {
                const int filas = mapa_->ajustes.filas;
                const int alto = r.height() / filas;
                const int salto = std::max(1, (fm.height() + alto - 1) / std::max(1, alto));
                for (int fila = 0; fila < filas; fila += salto) {
                    const QRect c = Celda(lado, fila, 0);
                    p.drawText(
                        QRect(r.left() - kIzquierda, c.center().y() - fm.height() / 2, kIzquierda - 4, fm.height()),
                        Qt::AlignRight | Qt::AlignVCenter, Numero(ValorFila(mapa_->ajustes, fila)));
                }
                // The quantity's name, upright along the left side.
                p.save();
                p.translate(r.left() - kIzquierda + fm.height() / 2 - 2, r.center().y());
                p.rotate(-90);
                p.drawText(QRect(-r.height() / 2, -fm.height() / 2, r.height(), fm.height()), Qt::AlignCenter,
                           QString::fromUtf8(NombreMagnitud(mapa_->ajustes.magnitud)));
                p.restore();
            }
        }
        // The legend.
        int x = kIzquierda;
        const int y = height() - kLeyenda + 6;
        for (ClaseCelda c : {ClaseCelda::Establece, ClaseCelda::Sobreimpulso, ClaseCelda::Lenta, ClaseCelda::Gira,
                             ClaseCelda::SeDetieneFuera, ClaseCelda::Pendiente}) {
            p.fillRect(QRect(x, y, 14, 14), ColorClase(c));
            p.drawRect(QRect(x, y, 14, 14).adjusted(0, 0, -1, -1));
            const QString texto = QString::fromUtf8(NombreClase(c));
            p.drawText(QRect(x + 20, y - 2, fm.horizontalAdvance(texto) + 4, 18), Qt::AlignLeft | Qt::AlignVCenter,
                       texto);
            x += 20 + fm.horizontalAdvance(texto) + 24;
        }
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton || !OnClick)
            return;
        if (const std::optional<Punto> c = CeldaEn(e->position().toPoint()))
            OnClick(c->lado, c->fila, c->columna);
    }

    // Over a cell, its row's value, its reference and its class.
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::ToolTip)
            return QWidget::event(e);
        auto* ayuda = static_cast<QHelpEvent*>(e);
        if (const std::optional<Punto> c = CeldaEn(ayuda->pos()))
            QToolTip::showText(
                ayuda->globalPos(),
                QStringLiteral("%1: %2\nReferencia: %3°\n%4")
                    .arg(QString::fromUtf8(NombreMagnitud(mapa_->ajustes.magnitud)),
                         Numero(ValorFila(mapa_->ajustes, c->fila)), QString::number(ReferenciaColumna(c->columna)),
                         QString::fromUtf8(NombreClase(mapa_->Clase(c->fila, c->columna, c->lado == 1)))),
                this);
        else
            QToolTip::hideText();
        return true;
    }

private:
    struct Punto {
        int lado, fila, columna;
    };
    // The computed cell under a point, if any.
    std::optional<Punto> CeldaEn(QPoint punto) const
    {
        if (!mapa_)
            return std::nullopt;
        const int lados = mapa_->gemelo.empty() ? 1 : 2;
        for (int lado = 0; lado < lados; ++lado)
            for (int fila = 0; fila < mapa_->ajustes.filas; ++fila)
                for (int columna = 0; columna < kColumnasMapa; ++columna)
                    if (Celda(lado, fila, columna).contains(punto)) {
                        if (mapa_->Clase(fila, columna, lado == 1) == ClaseCelda::Pendiente)
                            return std::nullopt;
                        return Punto{lado, fila, columna};
                    }
        return std::nullopt;
    }

    const MapaCompetencia* mapa_ = nullptr;
    QString titulos_[2];
};

TPanelMapa::TPanelMapa(QWidget* parent) : QWidget(parent)
{
    magnitud_ = new QComboBox(this);
    for (MagnitudMapa m : kMagnitudesMapa)
        magnitud_->addItem(QString::fromUtf8(NombreMagnitud(m)));
    auto numero = [this] {
        auto* s = new QDoubleSpinBox(this);
        s->setRange(-kGradosMaximos, kGradosMaximos);
        s->setDecimals(2);
        return s;
    };
    desde_ = numero();
    hasta_ = numero();
    filas_ = new QSpinBox(this);
    filas_->setRange(1, kFilasMaximas);
    filas_->setValue(20);
    muestras_ = new QSpinBox(this);
    muestras_->setRange(20, 100000);
    muestras_->setValue(600);
    calcular_ = new QPushButton(QStringLiteral("Calcular"), this);
    cancelar_ = new QPushButton(QStringLiteral("Cancelar"), this);
    cancelar_->setEnabled(false);
    progreso_ = new QProgressBar(this);
    estado_ = new QLabel(this);
    vista_ = new TVistaMapa(this);
    sondeo_ = new QTimer(this);
    sondeo_->setInterval(50);

    // Two rows of controls, the quantity and its range above, so that the
    // panel fits beside the settings on a small screen.
    auto* fila = new QHBoxLayout;
    auto* segunda = new QHBoxLayout;
    auto etiqueta = [&](QHBoxLayout* en, const char* texto, QWidget* w) {
        en->addWidget(new QLabel(QString::fromUtf8(texto), this));
        en->addWidget(w);
    };
    etiqueta(fila, "Magnitud", magnitud_);
    etiqueta(fila, "Desde", desde_);
    etiqueta(fila, "Hasta", hasta_);
    etiqueta(segunda, "Filas", filas_);
    etiqueta(segunda, "Muestras por celda", muestras_);
    magnitud_->setToolTip(QStringLiteral("La magnitud que cambia de una fila a otra; las columnas son la referencia, "
                                         "de 0 a 360 grados"));
    desde_->setToolTip(QStringLiteral("El valor de la magnitud en la primera fila, en su unidad"));
    hasta_->setToolTip(QStringLiteral("El valor de la magnitud en la última fila, en su unidad"));
    filas_->setToolTip(QStringLiteral("Cuántos valores de la magnitud se prueban, de «Desde» a «Hasta»"));
    muestras_->setToolTip(QStringLiteral("Lo que dura la ejecución de cada celda, en muestras (20 por segundo)"));
    calcular_->setToolTip(QStringLiteral("Ejecuta una vez cada celda desde el reposo con los ajustes de ahora"));
    cancelar_->setToolTip(QStringLiteral("Detiene el cálculo; las celdas que faltan quedan en gris"));
    segunda->addWidget(calcular_);
    segunda->addWidget(cancelar_);
    fila->addStretch();
    segunda->addStretch();
    auto* columna = new QVBoxLayout(this);
    columna->addLayout(fila);
    columna->addLayout(segunda);
    auto* barra = new QHBoxLayout;
    barra->addWidget(progreso_, 1);
    barra->addWidget(estado_, 2);
    columna->addLayout(barra);
    columna->addWidget(vista_, 1);

    connect(magnitud_, &QComboBox::currentIndexChanged, this, [this] { MagnitudCambiada(); });
    connect(calcular_, &QPushButton::clicked, this, [this] { Calcular(); });
    connect(cancelar_, &QPushButton::clicked, this, [this] { Cancelar(); });
    connect(sondeo_, &QTimer::timeout, this, [this] { Sondear(); });
    vista_->OnClick = [this](int lado, int fila, int columna) {
        if (!mapa_ || !OnCelda)
            return;
        AjustesExperimento a = AjustesCelda(mapa_->ajustes, fila, columna);
        // The twin's cell opens with the twin's controller in front.
        if (lado == 1)
            std::swap(a.controlador, *a.comparar);
        OnCelda(a);
    };
    SetBase(AjustesExperimento{});
    MagnitudCambiada();
}

TPanelMapa::~TPanelMapa()
{
    // The sweep ends with the cells under way, a few milliseconds each.
    if (trabajo_)
        trabajo_->progreso.cancelar = true;
    if (hilo_.joinable())
        hilo_.join();
}

QWidget* TPanelMapa::Vista() const
{
    return vista_;
}

QRect TPanelMapa::RectCelda(int lado, int fila, int columna) const
{
    return vista_->Celda(lado, fila, columna);
}

void TPanelMapa::SetBase(const AjustesExperimento& base)
{
    base_ = base;
    if (!base_.comparar) {
        AjustesControlador otro;
        otro.tipo = base_.controlador.tipo == TipoControlador::Pid ? TipoControlador::Red : TipoControlador::Pid;
        base_.comparar = otro;
    }
    estado_->setText(QStringLiteral("%1 frente a %2")
                         .arg(QString::fromUtf8(NombreControlador(base_.controlador.tipo)),
                              QString::fromUtf8(NombreControlador(base_.comparar->tipo))));
}

void TPanelMapa::MagnitudCambiada()
{
    const AjustesMapa d = MapaPorDefecto(kMagnitudesMapa[magnitud_->currentIndex()]);
    desde_->setValue(d.desde);
    hasta_->setValue(d.hasta);
    filas_->setValue(d.filas);
}

AjustesMapa TPanelMapa::Ajustes() const
{
    AjustesMapa m = MapaPorDefecto(kMagnitudesMapa[magnitud_->currentIndex()], base_);
    m.desde = desde_->value();
    m.hasta = hasta_->value();
    m.filas = filas_->value();
    m.muestras = muestras_->value();
    return m;
}

void TPanelMapa::Calcular()
{
    if (trabajo_)
        return;
    const AjustesMapa ajustes = Ajustes();
    try {
        ComprobarMapa(ajustes);
    } catch (const AjusteInvalido& e) {
        estado_->setText(QString::fromUtf8(e.what()));
        return;
    }
    auto trabajo = std::make_shared<Trabajo>(ajustes);
    progreso_->setRange(0, CeldasMapa(ajustes));
    progreso_->setValue(0);
    // The worker keeps its own reference: nothing it touches belongs to the panel.
    hilo_ = std::thread([trabajo] {
        // The sweep yields to the window: Linux keeps a nice value per thread,
        // and the sweep's second thread inherits this one's, so the GUI
        // thread's events are never queued behind cells.
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
        try {
            trabajo->mapa = CalcularMapa(trabajo->ajustes, 2, trabajo->progreso);
        } catch (const std::exception& e) {
            trabajo->error = e.what();
        }
        trabajo->terminado = true;
    });
    trabajo_ = std::move(trabajo);
    calcular_->setEnabled(false);
    cancelar_->setEnabled(true);
    estado_->setText(QStringLiteral("Calculando…"));
    // The map fills in as its cells come: all grey at first.
    mapa_.emplace();
    mapa_->ajustes = ajustes;
    mapa_->brazo.assign(static_cast<size_t>(ajustes.filas * kColumnasMapa), ClaseCelda::Pendiente);
    mapa_->gemelo.assign(mapa_->brazo.size(), ClaseCelda::Pendiente);
    MostrarMapa();
    sondeo_->start();
}

void TPanelMapa::MostrarMapa()
{
    const AjustesExperimento& base = mapa_->ajustes.base;
    vista_->Mostrar(&*mapa_, QString::fromUtf8(NombreControlador(base.controlador.tipo)),
                    QString::fromUtf8(NombreControlador(base.comparar->tipo)));
}

void TPanelMapa::Cancelar()
{
    if (trabajo_)
        trabajo_->progreso.cancelar = true;
}

void TPanelMapa::Sondear()
{
    if (!trabajo_)
        return;
    const int32_t hechas = trabajo_->progreso.hechas.load();
    if (hechas != progreso_->value()) {
        progreso_->setValue(hechas);
        const std::vector<std::atomic<ClaseCelda>>& celdas = trabajo_->progreso.celdas;
        const size_t n = mapa_->brazo.size();
        for (size_t i = 0; i < celdas.size(); ++i)
            (i < n ? mapa_->brazo[i] : mapa_->gemelo[i - n]) = celdas[i].load(std::memory_order_acquire);
        vista_->update();
    }
    if (trabajo_->terminado.load())
        Terminar();
}

void TPanelMapa::Terminar()
{
    sondeo_->stop();
    hilo_.join();
    std::shared_ptr<Trabajo> t = std::move(trabajo_);
    calcular_->setEnabled(true);
    cancelar_->setEnabled(false);
    if (!t->mapa) {
        estado_->setText(QString::fromStdString(t->error));
        return;
    }
    mapa_ = std::move(t->mapa);
    MostrarMapa();
    estado_->setText(mapa_->completo ? QStringLiteral("Pulse una celda para abrir su experimento")
                                     : QStringLiteral("Cancelado: las celdas grises no se calcularon"));
}

} // namespace nc
