// SPDX-License-Identifier: MIT
#include "ui/lab/tabs/PanelRayosX.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace nc {
namespace {

constexpr int kAnchoColumna = 270;
constexpr int kMargen = 8;
constexpr int kFila = 18;             // one line of text
constexpr int kBarra = 14;            // a unit's bar
constexpr int kEtiqueta = 52;         // "N0" or "Fuerza" before a bar
constexpr int kValor = 62;            // the value after it
constexpr double kFuerzaPlena = 25.0; // the force bar's half width, in force units

const QColor kPositivo(0x3c, 0x78, 0xc8);
const QColor kNegativo(0xd2, 0x50, 0x3c);
const QColor kApagada(0xdc, 0xdc, 0xdc);
const QColor kGris(0x70, 0x70, 0x70);
const QColor kEstable(0x1e, 0x8c, 0x3c);
const QColor kInestable(0xc8, 0x28, 0x28);
const QColor kTitulo(0x30, 0x30, 0x30);

QString Texto(const std::string& s)
{
    return QString::fromStdString(s);
}

// A signed value with 4 decimals and the regional separator, "+" shown so
// that a column of signs reads at a glance.
QString ConSigno(long double v, const NumberFormat& f)
{
    const std::string s = FormatFixed(v, f);
    return Texto(s.front() == '-' || s.find_first_not_of("0.,") == std::string::npos ? s : "+" + s);
}

QString Autovalor(long double re, long double im, const NumberFormat& f)
{
    if (im == 0.0L)
        return Texto(FormatFixed(re, f));
    return Texto(FormatFixed(re, f)) + QStringLiteral(" ± ") + Texto(FormatFixed(std::fabs(im), f)) + "i";
}

// The loop's eigenvalues as lines, a complex pair on one: "λ₁,₂", "λ₃".
std::vector<std::pair<QString, QString>> Autovalores(const LazoLinealizado& lazo, const NumberFormat& f)
{
    std::vector<std::pair<long double, long double>> v{{lazo.autovalores.re1, lazo.autovalores.im1},
                                                       {lazo.autovalores.re2, lazo.autovalores.im2}};
    if (lazo.tres_estados)
        v.emplace_back(lazo.re3, lazo.im3);
    static const QString kIndices[] = {QStringLiteral("₁"), QStringLiteral("₂"), QStringLiteral("₃")};
    std::vector<std::pair<QString, QString>> lineas;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i].second > 0.0L && i + 1 < v.size()) {
            lineas.emplace_back(QStringLiteral("λ") + kIndices[i] + QStringLiteral(",") + kIndices[i + 1],
                                Autovalor(v[i].first, v[i].second, f));
            ++i;
        } else {
            lineas.emplace_back(QStringLiteral("λ") + kIndices[i], Autovalor(v[i].first, 0.0L, f));
        }
    }
    return lineas;
}

// A bar from the centre of `pista` towards the value's sign, `fraccion` of
// the half width. Beyond the end it is clipped, and a notch at the end says
// so.
void Barra(QPainter& p, const QRect& pista, double fraccion, const QColor& color)
{
    const bool recortada = std::fabs(fraccion) > 1.0;
    fraccion = std::clamp(fraccion, -1.0, 1.0);
    const int centro = pista.left() + pista.width() / 2;
    const int largo = static_cast<int>(std::lround(std::fabs(fraccion) * (pista.width() / 2)));
    const QRect r = fraccion >= 0 ? QRect(centro, pista.top(), largo, pista.height())
                                  : QRect(centro - largo, pista.top(), largo, pista.height());
    p.fillRect(r, color);
    if (recortada) {
        const int x = fraccion > 0 ? r.right() - 3 : r.left();
        p.fillRect(QRect(x, r.top(), 4, r.height()), QColor(0x20, 0x20, 0x20));
    }
}

// A white track with its zero line, so that a short bar still reads.
void Pista(QPainter& p, const QRect& pista)
{
    p.fillRect(pista, Qt::white);
    p.setPen(QColor(0xc8, 0xc8, 0xc8));
    p.drawRect(pista.adjusted(0, 0, -1, -1));
    p.setPen(QColor(0x60, 0x60, 0x60));
    const int centro = pista.left() + pista.width() / 2;
    p.drawLine(centro, pista.top() - 2, centro, pista.bottom() + 2);
}

} // namespace

TPanelRayosX::TPanelRayosX(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize TPanelRayosX::sizeHint() const
{
    return {2 * kAnchoColumna + 3 * kMargen, 25 * kFila};
}

QSize TPanelRayosX::minimumSizeHint() const
{
    return {kAnchoColumna + 2 * kMargen, 25 * kFila};
}

void TPanelRayosX::Mostrar(const LecturaRayosX& principal, const std::optional<LecturaRayosX>& gemelo,
                           const QString& nombre_principal, const std::optional<QString>& nombre_gemelo)
{
    principal_ = Columna{principal, nombre_principal};
    if (gemelo)
        gemelo_ = Columna{*gemelo, nombre_gemelo.value_or(QString())};
    else
        gemelo_.reset();
    update();
}

void TPanelRayosX::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (!principal_) {
        p.setPen(kTitulo);
        p.drawText(rect().adjusted(kMargen, kMargen, -kMargen, -kMargen), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("Sin lectura: ejecute un paso"));
        return;
    }
    const int columnas = gemelo_ ? 2 : 1;
    const int ancho = (width() - (columnas + 1) * kMargen) / columnas;
    PintarColumna(p, *principal_, QRect(kMargen, kMargen, ancho, height() - 2 * kMargen));
    if (gemelo_) {
        const int x = 2 * kMargen + ancho;
        p.setPen(QColor(0xb0, 0xb0, 0xb0));
        p.drawLine(x - kMargen / 2, kMargen, x - kMargen / 2, height() - kMargen);
        PintarColumna(p, *gemelo_, QRect(x, kMargen, ancho, height() - 2 * kMargen));
    }
}

void TPanelRayosX::PintarColumna(QPainter& p, const Columna& c, const QRect& area) const
{
    const LecturaRayosX& l = c.lectura;
    const NumberFormat& f = formato_;
    QFont normal = font();
    QFont negrita = normal;
    negrita.setBold(true);
    int y = area.top();
    auto linea = [&](const QString& izquierda, const QString& derecha, const QColor& color = kTitulo) {
        p.setPen(color);
        const QRect r(area.left(), y, area.width(), kFila);
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, izquierda);
        p.drawText(r, Qt::AlignRight | Qt::AlignVCenter, derecha);
        y += kFila;
    };
    auto titulo = [&](const QString& texto) {
        p.setFont(negrita);
        linea(texto, QString());
        p.setFont(normal);
    };

    titulo(c.nombre);
    y += 4;

    titulo(QStringLiteral("Neuronas ocultas"));
    const QRect pistas(area.left() + kEtiqueta, 0, area.width() - kEtiqueta - kValor, kBarra);
    if (l.ocultas.empty()) {
        p.setPen(kGris);
        p.drawText(QRect(area.left(), y, area.width(), 8 * kFila), Qt::AlignCenter,
                   QStringLiteral("Este controlador no tiene neuronas"));
        y += 8 * kFila;
    } else {
        for (std::size_t j = 0; j < l.ocultas.size() && j < 64; ++j) {
            const bool apagada = ((l.apagadas >> j) & 1u) != 0;
            const QRect pista = pistas.translated(0, y + (kFila - kBarra) / 2);
            p.setPen(kTitulo);
            p.drawText(QRect(area.left(), y, kEtiqueta, kFila), Qt::AlignLeft | Qt::AlignVCenter,
                       QStringLiteral("N%1").arg(j));
            if (apagada) {
                p.fillRect(pista, kApagada);
                p.setPen(kGris);
                p.drawText(pista, Qt::AlignCenter, QStringLiteral("apagada"));
            } else {
                Pista(p, pista);
                const double v = l.ocultas[j];
                Barra(p, pista, v, v >= 0 ? kPositivo : kNegativo);
            }
            p.setPen(apagada ? kGris : kTitulo);
            p.drawText(QRect(area.right() - kValor, y, kValor, kFila), Qt::AlignRight | Qt::AlignVCenter,
                       ConSigno(l.ocultas[j], f));
            y += kFila;
        }
    }
    y += 4;

    // The force, as a bar on a fixed scale so that two columns compare.
    p.setFont(negrita);
    p.setPen(kTitulo);
    p.drawText(QRect(area.left(), y, kEtiqueta, kFila), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Fuerza"));
    p.setFont(normal);
    const QRect pista_fuerza = pistas.translated(0, y + (kFila - kBarra) / 2);
    Pista(p, pista_fuerza);
    Barra(p, pista_fuerza, l.fuerza / kFuerzaPlena, l.fuerza >= 0 ? kPositivo : kNegativo);
    p.setPen(kTitulo);
    p.drawText(QRect(area.right() - kValor, y, kValor, kFila), Qt::AlignRight | Qt::AlignVCenter,
               ConSigno(l.fuerza, f));
    y += kFila;
    // The bar is the force that acts; where the limit cuts the controller's,
    // its demand stands beneath. The line is kept either way, so that two
    // columns stay level.
    if (l.saturada)
        linea(QStringLiteral("Saturada: pide"), ConSigno(l.fuerza_pedida, f), kInestable);
    else
        y += kFila;
    y += 4;

    titulo(l.saturada ? QStringLiteral("Ganancias (el brazo no las siente)")
                      : QStringLiteral("Ganancias en este estado"));
    const int fin_ganancias = y + 4 * kFila;
    linea(QStringLiteral("∂u/∂θ (por rad)"), ConSigno(l.ganancias.dposicion, f));
    linea(QStringLiteral("∂u/∂ω (por rad/s)"), ConSigno(l.ganancias.dvelocidad, f));
    linea(QStringLiteral("∂u/∂r (por rad)"), ConSigno(l.ganancias.dreferencia, f));
    if (l.du_dintegral)
        linea(QStringLiteral("∂u/∂I (por rad·s)"), ConSigno(*l.du_dintegral, f));
    y = fin_ganancias + 4;

    titulo(QStringLiteral("Lazo linealizado"));
    const LazoLinealizado& lazo = l.lazo;
    // Four lines are kept for the loop, so that the verdicts of two columns
    // sit side by side.
    const int fin_lazo = y + 4 * kFila;
    for (const auto& [nombre, valor] : Autovalores(lazo, f))
        linea(nombre, valor);
    if (lazo.oscilador) {
        linea(QStringLiteral("ωn (rad/s)"), Texto(FormatFixed(lazo.frecuencia_natural, f)));
        linea(QStringLiteral("ζ"), Texto(FormatFixed(lazo.amortiguamiento, f)));
    } else {
        linea(QStringLiteral("ωn, ζ"), QStringLiteral("no oscila"));
    }
    y = fin_lazo + 4;

    const QRect marca(area.left(), y, area.width(), kFila + 8);
    p.fillRect(marca, lazo.estable ? kEstable : kInestable);
    p.setPen(Qt::white);
    p.setFont(negrita);
    p.drawText(marca, Qt::AlignCenter, lazo.estable ? QStringLiteral("Estable") : QStringLiteral("Inestable"));
    p.setFont(normal);
}

} // namespace nc
