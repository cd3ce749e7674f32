// SPDX-License-Identifier: MIT
#include "ui/lab/tabs/PanelFase.h"

#include "core/run/Experimento.h"
#include "core/numbers/Unidades.h"
#include "ui/common/ErrorBox.h"
#include "ui/lab/Laboratorio.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace nc {
namespace {

constexpr int kIntervaloLazo = 100;          // ms between looks at the lab's settings
constexpr size_t kPuntosTrayectoria = 20000; // the trajectory's latest points

const QColor kColorGira(0xc8, 0x32, 0x2c);
const QColor kColorSigue(0x7b, 0x3f, 0x9e);
const QColor kColorPendiente(0xe6, 0xe6, 0xe6);

// Where the arm rests at the reference: green, as the map's "Se establece";
// elsewhere, colours that none of the ends above use.
QColor ColorEquilibrio(const AnalisisPlano& a, size_t i, double referencia)
{
    static const QColor kOtros[] = {QColor(0xe8, 0x89, 0x2a), QColor(0x4a, 0x8f, 0xd8), QColor(0x2a, 0xa1, 0x98),
                                    QColor(0xa0, 0x52, 0x2d), QColor(0xd3, 0x6f, 0xa7), QColor(0x9a, 0x9a, 0x2a)};
    const Equilibrio& e = a.equilibrios[i];
    if (!Estable(e.tipo))
        return QColor(0x90, 0x90, 0x90);
    if (!e.en_limite && std::fabs(e.posicion - referencia) < 1.0)
        return QColor(0x3c, 0xa0, 0x4a);
    int otros = 0;
    for (size_t k = 0; k < i; ++k)
        otros += Estable(a.equilibrios[k].tipo) ? 1 : 0;
    return kOtros[static_cast<size_t>(otros) % std::size(kOtros)];
}

QColor ColorFin(const PlanoFase& p, int16_t fin)
{
    switch (fin) {
    case kFinGira: return kColorGira;
    case kFinNoSeDetiene: return kColorSigue;
    case kFinPendiente: return kColorPendiente;
    default: return ColorEquilibrio(p.analisis, static_cast<size_t>(fin), p.ajustes.referencia);
    }
}

// A cell's colour, lightened so that the arrows and the trajectory stand out.
QRgb Aclarado(QColor c)
{
    return qRgb((c.red() * 3 + 255 * 2) / 5, (c.green() * 3 + 255 * 2) / 5, (c.blue() * 3 + 255 * 2) / 5);
}

// Label steps of 1, 2 or 5 times a power of ten, about `cuantas` over the span.
double PasoEtiquetas(double ancho, int cuantas)
{
    const double bruto = ancho / cuantas;
    const double potencia = std::pow(10.0, std::floor(std::log10(bruto)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * potencia >= bruto)
            return m * potencia;
    return 10 * potencia;
}

// Positions are labelled in quarter turns where they span turns.
double PasoPosiciones(double ancho)
{
    const double bruto = ancho / 8;
    if (bruto <= 45)
        return PasoEtiquetas(ancho, 8);
    for (double paso : {90.0, 180.0, 360.0, 720.0})
        if (paso >= bruto)
            return paso;
    return 1440;
}

} // namespace

// The plane. Geometry in pixels: the velocities' labels on the left, the
// positions' below, the legend at the bottom, the plot in between. The
// basins are an image of one pixel per cell scaled into the plot; the
// axes, the flow and the equilibria are drawn over them into a cached
// picture, and the trajectory over that at every paint.
class TVistaFase : public QWidget {
public:
    static constexpr int kIzquierda = 62;
    static constexpr int kArriba = 8;
    static constexpr int kDerecha = 12;
    static constexpr int kAbajo = 38;
    static constexpr int kLineaLeyenda = 20;
    static constexpr int kFlecha = 26; // pixels between the flow's arrows

    TVistaFase(const NumberFormat& formato, QWidget* parent) : QWidget(parent), formato_(formato)
    {
        // The basins and the flow still read at this size, which leaves the
        // tab room on a 1280 x 720 screen.
        setMinimumSize(420, 200);
    }

    std::function<void(double, double)> OnClick;

    // What to draw; the panel owns it all. Null for none yet.
    void Mostrar(const PlanoFase* plano, const CampoLazo* campo, std::optional<double> integral)
    {
        if (campo != campo_ || integral != integral_)
            flechas_en_ = QRect();
        plano_ = plano;
        campo_ = campo;
        integral_ = integral;
        Invalidar();
    }
    void SetTrayectoria(const std::vector<QPointF>* t)
    {
        trayectoria_ = t;
        update();
    }
    // The data changed: the legend and the picture are made again.
    void Invalidar()
    {
        leyenda_ = Leyenda();
        alto_leyenda_ = AltoLeyenda();
        fondo_valido_ = false;
        update();
    }

    QRect Grafica() const
    {
        return QRect(kIzquierda, kArriba, std::max(10, width() - kIzquierda - kDerecha),
                     std::max(10, height() - kArriba - kAbajo - alto_leyenda_));
    }

    QPointF Punto(double posicion, double velocidad) const
    {
        if (!plano_)
            return {};
        const QRect g = Grafica();
        const AjustesPlano& a = plano_->ajustes;
        return {g.left() + (posicion - a.desde) / (a.hasta - a.desde) * g.width(),
                g.bottom() + 1 - (velocidad + a.velocidad) / (2 * a.velocidad) * g.height()};
    }

    std::optional<std::pair<double, double>> Estado(QPoint p) const
    {
        const QRect g = Grafica();
        if (!plano_ || !g.contains(p))
            return std::nullopt;
        const AjustesPlano& a = plano_->ajustes;
        const double x = a.desde + (p.x() - g.left() + 0.5) / g.width() * (a.hasta - a.desde);
        const double v = a.velocidad - (p.y() - g.top() + 0.5) / g.height() * 2 * a.velocidad;
        return std::pair{x, v};
    }

protected:
    void resizeEvent(QResizeEvent*) override { Invalidar(); }

    void paintEvent(QPaintEvent*) override
    {
        const qreal dpr = devicePixelRatioF();
        if (!fondo_valido_ || fondo_.size() != size() * dpr) {
            fondo_ = QPixmap(size() * dpr);
            fondo_.setDevicePixelRatio(dpr);
            DibujarFondo();
            fondo_valido_ = true;
        }
        QPainter p(this);
        p.drawPixmap(0, 0, fondo_);
        if (!plano_ || !trayectoria_ || trayectoria_->empty())
            return;
        p.setClipRect(Grafica());
        p.setRenderHint(QPainter::Antialiasing);
        QPolygonF linea;
        linea.reserve(static_cast<qsizetype>(trayectoria_->size()));
        for (const QPointF& q : *trayectoria_)
            linea << Punto(q.x(), q.y());
        p.setPen(QPen(QColor(0x10, 0x10, 0x10), 2));
        p.drawPolyline(linea);
        p.setBrush(QColor(0xff, 0xd0, 0x00));
        p.setPen(QPen(Qt::black, 1.5));
        p.drawEllipse(linea.back(), 5, 5);
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton || !OnClick)
            return;
        if (const auto s = Estado(e->position().toPoint()))
            OnClick(s->first, s->second);
    }

    // Over the plane: the state, and where a run from its cell ends.
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::ToolTip)
            return QWidget::event(e);
        auto* ayuda = static_cast<QHelpEvent*>(e);
        const auto s = Estado(ayuda->pos());
        if (!s) {
            QToolTip::hideText();
            return true;
        }
        const AjustesPlano& a = plano_->ajustes;
        const int columna
            = std::clamp(static_cast<int>((s->first - a.desde) / (a.hasta - a.desde) * a.columnas), 0, a.columnas - 1);
        const int fila
            = std::clamp(static_cast<int>((s->second + a.velocidad) / (2 * a.velocidad) * a.filas), 0, a.filas - 1);
        QToolTip::showText(ayuda->globalPos(),
                           QStringLiteral("Posición %1°, velocidad %2°/s\n%3\nPulse para empezar desde aquí")
                               .arg(Numero(s->first, 1), Numero(s->second, 0), TextoFin(plano_->Fin(fila, columna))),
                           this);
        return true;
    }

private:
    QString Numero(double v, int decimales) const
    {
        return QString::fromStdString(FormatGrouped(v, formato_, decimales));
    }

    QString TextoFin(int16_t fin) const
    {
        switch (fin) {
        case kFinGira: return QStringLiteral("Gira: sale del plano más de una vuelta");
        case kFinNoSeDetiene: return QStringLiteral("No se detiene");
        case kFinPendiente: return QStringLiteral("Sin calcular");
        default: {
            const Equilibrio& e = plano_->analisis.equilibrios[static_cast<size_t>(fin)];
            return QStringLiteral("%1°: %2").arg(Numero(e.posicion, 1), QString::fromUtf8(NombreTipo(e.tipo)));
        }
        }
    }

    // The legend's entries: the equilibria some cell ends at or that are
    // stable inside the plane, then the other ends.
    std::vector<std::pair<QColor, QString>> Leyenda() const
    {
        std::vector<std::pair<QColor, QString>> l;
        if (!plano_)
            return l;
        const AnalisisPlano& a = plano_->analisis;
        std::vector<int> celdas(a.equilibrios.size(), 0);
        bool pendientes = false;
        for (int16_t fin : plano_->celdas) {
            if (fin >= 0)
                ++celdas[static_cast<size_t>(fin)];
            pendientes |= fin == kFinPendiente;
        }
        for (size_t i = 0; i < a.equilibrios.size(); ++i) {
            const Equilibrio& e = a.equilibrios[i];
            const bool visible = e.posicion >= plano_->ajustes.desde && e.posicion <= plano_->ajustes.hasta;
            if (celdas[i] > 0 || (visible && Estable(e.tipo)))
                l.emplace_back(ColorEquilibrio(a, i, plano_->ajustes.referencia),
                               TextoFin(static_cast<int16_t>(i))
                                   + (e.en_limite ? QStringLiteral(" (integral en su tope)") : QString()));
        }
        l.emplace_back(kColorGira, QStringLiteral("Gira"));
        l.emplace_back(kColorSigue, QStringLiteral("No se detiene"));
        if (pendientes)
            l.emplace_back(kColorPendiente, QStringLiteral("Sin calcular"));
        return l;
    }

    // The legend's lines at this width.
    int AltoLeyenda() const
    {
        const QFontMetrics fm(font());
        int lineas = 1, x = kIzquierda;
        for (const auto& [color, texto] : leyenda_) {
            const int ancho = 20 + fm.horizontalAdvance(texto) + 18;
            if (x + ancho > width() && x > kIzquierda) {
                ++lineas;
                x = kIzquierda;
            }
            x += ancho;
        }
        return lineas * kLineaLeyenda + 6;
    }

    void DibujarFondo()
    {
        QPainter p(&fondo_);
        p.fillRect(QRect(QPoint(0, 0), size()), palette().window());
        const QRect g = Grafica();
        const QFontMetrics fm(font());
        const QColor tinta = palette().windowText().color();
        if (!plano_) {
            p.fillRect(g, kColorPendiente);
            p.setPen(tinta);
            p.drawRect(g.adjusted(0, 0, -1, -1));
            return;
        }
        const AjustesPlano& a = plano_->ajustes;

        // The basins, one image pixel per cell, the first row at the bottom.
        QImage celdas(a.columnas, a.filas, QImage::Format_RGB32);
        for (int fila = 0; fila < a.filas; ++fila)
            for (int columna = 0; columna < a.columnas; ++columna)
                celdas.setPixel(columna, a.filas - 1 - fila, Aclarado(ColorFin(*plano_, plano_->Fin(fila, columna))));
        p.drawImage(QRectF(g), celdas);

        // The grid lines at the labels, and the labels.
        p.setPen(tinta);
        const double paso_x = PasoPosiciones(a.hasta - a.desde);
        for (double x = std::ceil(a.desde / paso_x) * paso_x; x <= a.hasta + 1e-9; x += paso_x) {
            const int px = static_cast<int>(std::lround(Punto(x, 0).x()));
            p.setPen(QPen(QColor(0, 0, 0, 40), 1));
            p.drawLine(px, g.top(), px, g.bottom());
            p.setPen(tinta);
            p.drawLine(px, g.bottom() + 1, px, g.bottom() + 4);
            p.drawText(QRect(px - 30, g.bottom() + 4, 60, fm.height()), Qt::AlignHCenter | Qt::AlignTop, Numero(x, 0));
        }
        const double paso_v = PasoEtiquetas(2 * a.velocidad, 6);
        for (double v = std::ceil(-a.velocidad / paso_v) * paso_v; v <= a.velocidad + 1e-9; v += paso_v) {
            const int py = static_cast<int>(std::lround(Punto(a.desde, v).y()));
            p.setPen(QPen(QColor(0, 0, 0, v == 0 ? 110 : 40), 1));
            p.drawLine(g.left(), py, g.right(), py);
            p.setPen(tinta);
            p.drawLine(g.left() - 4, py, g.left() - 1, py);
            p.drawText(QRect(g.left() - kIzquierda + 18, py - fm.height() / 2, kIzquierda - 24, fm.height()),
                       Qt::AlignRight | Qt::AlignVCenter, Numero(v, 0));
        }
        p.drawText(QRect(g.left(), g.bottom() + 4 + fm.height(), g.width(), fm.height()), Qt::AlignCenter,
                   QStringLiteral("Posición (°)"));
        p.save();
        p.translate(fm.height() / 2 + 2, g.center().y());
        p.rotate(-90);
        p.drawText(QRect(-g.height() / 2, -fm.height() / 2, g.height(), fm.height()), Qt::AlignCenter,
                   QStringLiteral("Velocidad (°/s)"));
        p.restore();

        p.setClipRect(g);
        p.setRenderHint(QPainter::Antialiasing);
        // The reference.
        const qreal rx = Punto(a.referencia, 0).x();
        p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.2, Qt::DashLine));
        p.drawLine(QPointF(rx, g.top()), QPointF(rx, g.bottom()));
        p.drawText(QRectF(rx + 3, g.top() + 2, 60, fm.height()), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Ref."));
        DibujarFlujo(p, g);
        DibujarEquilibrios(p);
        p.setClipping(false);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(tinta);
        p.setBrush(Qt::NoBrush);
        p.drawRect(g.adjusted(0, 0, -1, -1));
        DibujarLeyenda(p, g.bottom() + kAbajo);
    }

    // Arrows of one length along the flow in the picture's own scale, their
    // direction that of (position', velocity') on the plane.
    // The arrows are kept while the loop, the integral and the plot's size
    // stay: the cells, which come every 50 ms while the plane fills in, do
    // not move them.
    void DibujarFlujo(QPainter& p, const QRect& g)
    {
        if (!campo_)
            return;
        if (flechas_en_ != g) {
            CalcularFlechas(g);
            flechas_en_ = g;
        }
        p.setPen(QPen(QColor(0x30, 0x30, 0x30, 170), 1.1));
        p.drawLines(flechas_.data(), static_cast<int>(flechas_.size()));
    }

    void CalcularFlechas(const QRect& g)
    {
        flechas_.clear();
        const AjustesPlano& a = plano_->ajustes;
        const double por_grado = g.width() / (a.hasta - a.desde);
        const double por_grado_s = g.height() / (2 * a.velocidad);
        const double integral = integral_.value_or(0);
        const int nx = std::max(2, g.width() / kFlecha), ny = std::max(2, g.height() / kFlecha);
        for (int i = 0; i < nx; ++i)
            for (int j = 0; j < ny; ++j) {
                const QPointF c(g.left() + (i + 0.5) * g.width() / nx, g.top() + (j + 0.5) * g.height() / ny);
                const double x = a.desde + (c.x() - g.left()) / por_grado;
                const double v = a.velocidad - (c.y() - g.top()) / por_grado_s;
                const float xr = static_cast<float>(x * kGradosARadianes);
                const float vr = static_cast<float>(v * kGradosARadianes);
                const double acc = static_cast<double>(campo_->Aceleracion(xr, vr, integral) * kRadianesAGrados);
                const double dx = v * por_grado;
                const double dy = -acc * por_grado_s;
                const double n = std::hypot(dx, dy);
                if (!(n > 0) || !std::isfinite(n)) {
                    flechas_.emplace_back(c, c + QPointF(1, 0)); // at rest: a dot
                    continue;
                }
                const QPointF u(dx / n, dy / n);
                const QPointF punta = c + u * 6.0;
                const QPointF normal(-u.y(), u.x());
                flechas_.emplace_back(c - u * 6.0, punta);
                flechas_.emplace_back(punta, punta - u * 4.0 + normal * 2.5);
                flechas_.emplace_back(punta, punta - u * 4.0 - normal * 2.5);
            }
    }

    // Stable: a filled disc; a saddle: a cross; unstable: a ring; neither: a
    // square.
    void DibujarEquilibrios(QPainter& p)
    {
        for (const Equilibrio& e : plano_->analisis.equilibrios) {
            const QPointF c = Punto(e.posicion, 0);
            p.setPen(QPen(Qt::white, 4));
            p.setBrush(Qt::NoBrush);
            auto marca = [&] {
                switch (e.tipo) {
                case TipoEquilibrio::NodoEstable:
                case TipoEquilibrio::FocoEstable: p.drawEllipse(c, 5.5, 5.5); break;
                case TipoEquilibrio::Silla:
                    p.drawLine(c + QPointF(-6, -6), c + QPointF(6, 6));
                    p.drawLine(c + QPointF(-6, 6), c + QPointF(6, -6));
                    break;
                case TipoEquilibrio::NodoInestable:
                case TipoEquilibrio::FocoInestable: p.drawEllipse(c, 5.5, 5.5); break;
                case TipoEquilibrio::NoHiperbolico: p.drawRect(QRectF(c - QPointF(5, 5), QSizeF(10, 10))); break;
                }
            };
            marca();
            p.setPen(QPen(Qt::black, 2));
            if (Estable(e.tipo))
                p.setBrush(Qt::black);
            marca();
        }
    }

    void DibujarLeyenda(QPainter& p, int y)
    {
        const QFontMetrics fm(font());
        int x = kIzquierda;
        for (const auto& [color, texto] : leyenda_) {
            const int ancho = 20 + fm.horizontalAdvance(texto) + 18;
            if (x + ancho > width() && x > kIzquierda) {
                y += kLineaLeyenda;
                x = kIzquierda;
            }
            const QRect muestra(x, y + 3, 14, 14);
            p.fillRect(muestra, Aclarado(color));
            p.setPen(palette().windowText().color());
            p.drawRect(muestra.adjusted(0, 0, -1, -1));
            p.drawText(QRect(x + 20, y, ancho, kLineaLeyenda), Qt::AlignLeft | Qt::AlignVCenter, texto);
            x += ancho;
        }
    }

    NumberFormat formato_;
    const PlanoFase* plano_ = nullptr;
    const CampoLazo* campo_ = nullptr;
    std::optional<double> integral_;
    const std::vector<QPointF>* trayectoria_ = nullptr;
    std::vector<QLineF> flechas_;
    QRect flechas_en_; // the plot they were made for; empty when they must be made again
    std::vector<std::pair<QColor, QString>> leyenda_;
    int alto_leyenda_ = kLineaLeyenda + 6;
    QPixmap fondo_;
    bool fondo_valido_ = false;
};

TPanelFase::TPanelFase(NumberFormat formato, QWidget* parent) : QWidget(parent), formato_(std::move(formato))
{
    auto numero = [this](double minimo, double maximo, double valor) {
        auto* s = new QDoubleSpinBox(this);
        s->setRange(minimo, maximo);
        s->setDecimals(0);
        s->setValue(valor);
        return s;
    };
    const AjustesPlano d;
    desde_ = numero(-kGradosMaximos, kGradosMaximos, d.desde);
    hasta_ = numero(-kGradosMaximos, kGradosMaximos, d.hasta);
    velocidad_ = numero(1, kGradosMaximos, d.velocidad);
    auto entero = [this](int minimo, int maximo, int valor) {
        auto* s = new QSpinBox(this);
        s->setRange(minimo, maximo);
        s->setValue(valor);
        return s;
    };
    columnas_ = entero(2, kCeldasPlanoMaximas, d.columnas);
    filas_ = entero(2, kCeldasPlanoMaximas, d.filas);
    muestras_ = entero(20, 100000, d.muestras);
    cancelar_ = new QPushButton(QStringLiteral("Cancelar"), this);
    cancelar_->setEnabled(false);
    progreso_ = new QProgressBar(this);
    estado_ = new QLabel(this);
    texto_ = new QLabel(this);
    texto_->setWordWrap(true);
    texto_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    vista_ = new TVistaFase(formato_, this);
    sondeo_ = new QTimer(this);
    sondeo_->setInterval(50);
    espera_ = new QTimer(this);
    espera_->setSingleShot(true);
    espera_->setInterval(400);

    desde_->setToolTip(QStringLiteral("La posición del borde izquierdo del plano, en grados"));
    hasta_->setToolTip(QStringLiteral("La posición del borde derecho del plano, en grados"));
    velocidad_->setToolTip(QStringLiteral("El plano va de esta velocidad hacia atrás a esta hacia delante, "
                                          "en grados por segundo"));
    columnas_->setToolTip(QStringLiteral("Cuántos estados iniciales se prueban a lo ancho (posiciones)"));
    filas_->setToolTip(QStringLiteral("Cuántos estados iniciales se prueban a lo alto (velocidades)"));
    muestras_->setToolTip(QStringLiteral("Lo que dura como mucho la ejecución desde cada estado, en muestras "
                                         "(20 por segundo)"));
    cancelar_->setToolTip(QStringLiteral("Detiene el cálculo; las celdas que faltan quedan en gris"));

    // Two rows of controls, the plane's ranges above and its grid with the
    // progress below, so that the tab fits beside the settings on a
    // 1280 x 720 screen.
    auto* fila = new QHBoxLayout;
    auto* segunda = new QHBoxLayout;
    auto etiqueta = [&](QHBoxLayout* en, const char* texto, QWidget* w) {
        en->addWidget(new QLabel(QString::fromUtf8(texto), this));
        en->addWidget(w);
    };
    etiqueta(fila, "Posición desde", desde_);
    etiqueta(fila, "hasta", hasta_);
    etiqueta(fila, "Velocidad ±", velocidad_);
    fila->addWidget(estado_, 1);
    etiqueta(segunda, "Columnas", columnas_);
    etiqueta(segunda, "Filas", filas_);
    etiqueta(segunda, "Muestras", muestras_);
    segunda->addWidget(cancelar_);
    segunda->addWidget(progreso_, 1);
    auto* columna = new QVBoxLayout(this);
    columna->addLayout(fila);
    columna->addLayout(segunda);
    columna->addWidget(vista_, 1);
    columna->addWidget(texto_);

    for (QDoubleSpinBox* s : {desde_, hasta_, velocidad_})
        connect(s, &QDoubleSpinBox::valueChanged, espera_, qOverload<>(&QTimer::start));
    for (QSpinBox* s : {columnas_, filas_, muestras_})
        connect(s, &QSpinBox::valueChanged, espera_, qOverload<>(&QTimer::start));
    connect(espera_, &QTimer::timeout, this,
            [this] { Guarded([&] { SetLazo(lazo_.base, lazo_.referencia, integral_); }); });
    connect(cancelar_, &QPushButton::clicked, this, [this] { Cancelar(); });
    connect(sondeo_, &QTimer::timeout, this, [this] { Guarded([&] { Sondear(); }); });
    vista_->OnClick = [this](double x, double v) {
        if (OnInicio)
            OnInicio(std::round(x * 10) / 10, std::round(v));
    };
    vista_->SetTrayectoria(&trayectoria_);
    lazo_ = Pedido();
    ajustes_ = lazo_;
}

TPanelFase::~TPanelFase()
{
    // The job reads nothing of the panel's, but its cells under way end first.
    en_curso_.reset();
}

QWidget* TPanelFase::Vista() const
{
    return vista_;
}

QPoint TPanelFase::PuntoDe(double posicion, double velocidad) const
{
    return vista_->Punto(posicion, velocidad).toPoint();
}

AjustesPlano TPanelFase::Pedido() const
{
    AjustesPlano p = lazo_;
    p.desde = desde_->value();
    p.hasta = hasta_->value();
    p.velocidad = velocidad_->value();
    p.columnas = columnas_->value();
    p.filas = filas_->value();
    p.muestras = muestras_->value();
    return p;
}

void TPanelFase::SetLazo(const AjustesExperimento& ajustes, double referencia, std::optional<double> integral)
{
    // Only what moves the loop: a run's start, noise, twin and speed do not.
    AjustesExperimento base = ajustes;
    base.comparar.reset();
    base.ruido = AjustesRuido{};
    base.velocidad.reset();
    base.referencia = ProgramaReferencia{};
    base.angulo_inicial = 0;
    base.velocidad_inicial = 0;
    base.empujon = AjustesExperimento{}.empujon;
    lazo_.base = base;
    lazo_.referencia = referencia;
    const AjustesPlano pedido = Pedido();
    if (!(pedido == ajustes_)) {
        ajustes_ = pedido;
        pendiente_ = true;
    }
    if (integral != integral_) {
        integral_ = integral;
        if (plano_) {
            vista_->Mostrar(&*plano_, campo_.get(), integral_);
            MostrarTexto();
        }
    }
    if (!pendiente_)
        return;
    if (isVisible())
        Reiniciar();
    else if (en_curso_)
        en_curso_->Cancelar(); // a plane no one will see
}

void TPanelFase::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (pendiente_)
        Guarded([&] { Reiniciar(); });
}

void TPanelFase::Reiniciar()
{
    pendiente_ = false;
    en_curso_.reset();
    sondeo_->stop();
    // The view lets go of the old plane before it goes: a progress bar's
    // repaint below may paint the view too.
    vista_->Mostrar(nullptr, nullptr, integral_);
    plano_.reset();
    campo_.reset();
    con_analisis_ = false;
    try {
        campo_ = std::make_unique<CampoLazo>(ajustes_);
        en_curso_ = std::make_unique<PlanoEnCurso>(ajustes_);
    } catch (const std::exception& e) {
        estado_->setText(QString::fromUtf8(e.what()));
        cancelar_->setEnabled(false);
        MostrarTexto();
        return;
    }
    plano_.emplace();
    plano_->ajustes = ajustes_;
    plano_->celdas.assign(static_cast<size_t>(ajustes_.columnas * ajustes_.filas), kFinPendiente);
    vista_->Mostrar(&*plano_, campo_.get(), integral_);
    progreso_->setRange(0, ajustes_.columnas * ajustes_.filas);
    progreso_->setValue(0);
    cancelar_->setEnabled(true);
    estado_->setText(QStringLiteral("Calculando…"));
    MostrarTexto();
    sondeo_->start();
}

void TPanelFase::Cancelar()
{
    if (en_curso_)
        en_curso_->Cancelar();
}

void TPanelFase::Sondear()
{
    if (!en_curso_)
        return;
    bool cambio = false;
    if (!con_analisis_) {
        // The cells name the analysis' equilibria: none is read before it.
        const std::shared_ptr<const AnalisisPlano> a = en_curso_->Analisis();
        if (!a) {
            if (en_curso_->Terminado())
                Terminar();
            return;
        }
        plano_->analisis = *a;
        con_analisis_ = true;
        cambio = true;
        MostrarTexto();
    }
    const int32_t hechas = en_curso_->Celdas(plano_->celdas);
    if (hechas != progreso_->value()) {
        progreso_->setValue(hechas);
        cambio = true;
    }
    if (cambio)
        vista_->Invalidar();
    if (en_curso_->Terminado())
        Terminar();
}

void TPanelFase::Terminar()
{
    sondeo_->stop();
    const std::string error = en_curso_->Error();
    std::optional<PlanoFase> hecho = en_curso_->Resultado();
    en_curso_.reset();
    cancelar_->setEnabled(false);
    if (!hecho) {
        estado_->setText(QString::fromStdString(error));
        return;
    }
    con_analisis_ = true;
    plano_ = std::move(hecho);
    vista_->Mostrar(&*plano_, campo_.get(), integral_);
    MostrarTexto();
    estado_->setText(plano_->completo ? QStringLiteral("Pulse en el plano para empezar desde ese estado")
                                      : QStringLiteral("Cancelado: las celdas grises no se calcularon"));
}

QString TPanelFase::TextoEquilibrios() const
{
    return texto_->text();
}

// What a class reads under the plane: the equilibria in it and their kinds,
// and with an integral what the slice and the basins are.
void TPanelFase::MostrarTexto()
{
    if (!plano_) {
        texto_->clear();
        return;
    }
    const AnalisisPlano& a = plano_->analisis;
    const AjustesPlano& p = plano_->ajustes;
    auto grados = [&](double v) { return QString::fromStdString(FormatGrouped(v, formato_, 1)); };
    auto integral = [&](double v) { return QString::fromStdString(FormatGrouped(v, formato_, 3)); };
    QStringList partes;
    for (const Equilibrio& e : a.equilibrios) {
        if (e.posicion < p.desde || e.posicion > p.hasta)
            continue;
        QString parte = QStringLiteral("%1° %2").arg(grados(e.posicion), QString::fromUtf8(NombreTipo(e.tipo)));
        if (e.integral)
            parte += e.en_limite ? QStringLiteral(" (integral en su tope, %1 rad·s)").arg(integral(*e.integral))
                                 : QStringLiteral(" (integral %1 rad·s)").arg(integral(*e.integral));
        partes << parte;
    }
    if (!con_analisis_) {
        texto_->setText(QStringLiteral("Buscando los equilibrios…"));
        return;
    }
    QString texto;
    if (!a.con_integral) {
        texto = partes.isEmpty() ? QStringLiteral("No hay equilibrios en el plano.")
                                 : QStringLiteral("Equilibrios: %1.").arg(partes.join(QStringLiteral("; ")));
        const bool en_referencia = std::any_of(a.equilibrios.begin(), a.equilibrios.end(), [&](const Equilibrio& e) {
            return Estable(e.tipo) && std::fabs(e.posicion - p.referencia) < 1.0;
        });
        if (!en_referencia)
            texto += QStringLiteral(" Ninguno estable a menos de un grado de la referencia (%1°): el brazo no se "
                                    "queda en ella.")
                         .arg(grados(p.referencia));
    } else {
        texto = QStringLiteral("Con la integral del error el lazo tiene tres estados: las flechas son el corte con la "
                               "integral en su valor de ahora (%1 rad·s) y las celdas parten de la integral a cero, "
                               "como empieza una ejecución. ")
                    .arg(integral(integral_.value_or(0)));
        if (!a.equilibrio_en_referencia)
            texto += QStringLiteral("Ninguna integral dentro de su tope (±%1 rad·s) sostiene el brazo en la "
                                    "referencia. ")
                         .arg(integral(a.limite_integral));
        texto += partes.isEmpty()
            ? QStringLiteral("El lazo entero no tiene equilibrios en el plano.")
            : QStringLiteral("Equilibrios del lazo entero: %1.").arg(partes.join(QStringLiteral("; ")));
    }
    texto_->setText(texto);
}

void TPanelFase::AgregarPunto(int32_t muestra, float posicion, float velocidad)
{
    if (muestra == 0)
        trayectoria_.clear();
    if (trayectoria_.size() >= kPuntosTrayectoria)
        trayectoria_.erase(trayectoria_.begin(), trayectoria_.begin() + kPuntosTrayectoria / 2);
    trayectoria_.emplace_back(posicion, velocidad);
    if (isVisible())
        vista_->update();
}

void AgregarPestanaFase(TLaboratorio& lab)
{
    auto* fase = new TPanelFase(lab.Formato(), &lab);
    fase->setObjectName(QStringLiteral("Fase1"));
    lab.AgregarPestana(fase, QStringLiteral("Fase"));

    // Other panels may follow the ticks too: the one before is called first.
    lab.TrasPaso = [previo = std::move(lab.TrasPaso), fase](const SalidaPaso& s) {
        if (previo)
            previo(s);
        fase->AgregarPunto(s.muestra, s.brazo.posicion_grados, s.brazo.velocidad_grados);
    };
    // The reference the next tick reads, and the integral it carries.
    auto* timer = new QTimer(fase);
    timer->setInterval(kIntervaloLazo);
    QObject::connect(timer, &QTimer::timeout, fase, [&lab, fase] {
        Guarded([&] {
            const Experimento& e = lab.Lab();
            const std::span<const double> memoria = e.MemoriaControlador();
            fase->SetLazo(e.Ajustes(), static_cast<double>(GradosReferencia(e.Ajustes().referencia, e.muestra())),
                          memoria.empty() ? std::nullopt : std::optional<double>(memoria[0]));
        });
    });
    timer->start();
    // The clicked state becomes the run's start, run as long as a cell's.
    fase->OnInicio = [&lab, fase](double posicion, double velocidad) {
        Guarded([&] {
            ExperimentoGuardado g;
            g.ajustes = lab.Lab().Ajustes();
            g.ajustes.angulo_inicial = posicion;
            g.ajustes.velocidad_inicial = velocidad;
            g.ajustes.velocidad.reset();
            g.muestras = fase->Ajustes().muestras;
            lab.Cargar(g);
        });
    };
}

} // namespace nc
