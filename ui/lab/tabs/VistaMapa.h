// SPDX-License-Identifier: MIT
#pragma once
// A competence map drawn as coloured cells, with its rows' values, the
// reference's labels, a title over each map and the legend of the classes;
// a click on a computed cell is reported, and a tooltip names it. The
// "Mapa" tab shows the arm's map beside its twin's; the "Entrenar" tab one.

#include "core/sweeps/MapaCompetencia.h"

#include <QColor>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QString>
#include <QToolTip>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

namespace nc {

// Each class's colour, the same in every map.
QColor ColorClase(ClaseCelda c);

// The maps side by side (one, or the arm's and its twin's). Geometry, all in
// pixels: each map has a title
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

    // `lados`: how many maps it lays out side by side, 1 or 2.
    explicit TVistaMapa(QWidget* parent, int lados = 2) : QWidget(parent), lados_(lados)
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

    // The width the maps take with cells this wide.
    int AnchoPara(int celda) const
    {
        return lados_ * (kIzquierda + kColumnasMapa * celda) + (lados_ - 1) * kSeparacion + 8;
    }

    // The widest cell with which the maps fit.
    int AnchoCelda() const
    {
        const int celda = (width() - AnchoPara(0)) / (lados_ * kColumnasMapa);
        return std::clamp(celda, kCeldaMinima, kCeldaMaxima);
    }

    // The rectangle of one map's cells.
    QRect Celdas(int lado) const
    {
        const int ancho = kColumnasMapa * AnchoCelda();
        const int x = kIzquierda + lado * (kIzquierda + ancho + kSeparacion);
        return QRect(x, kArriba, ancho, height() - kArriba - kAbajo - AltoLeyenda());
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
        for (int lado = 0; lado < lados_; ++lado) {
            const QRect r = Celdas(lado);
            p.setPen(palette().windowText().color());
            QFont negrita = font();
            negrita.setBold(true);
            p.setFont(negrita);
            p.drawText(QRect(r.left(), 0, r.width(), kArriba), Qt::AlignCenter, titulos_[lado]);
            p.setFont(font());
            if (mapa_ && lado < lados) {
                // A run of cells of one class in a row is one rectangle: a
                // map is mostly long runs, and a paint of every cell alone
                // took longer than the window may wait.
                for (int fila = 0; fila < mapa_->ajustes.filas; ++fila) {
                    for (int desde = 0; desde < kColumnasMapa;) {
                        const ClaseCelda clase = mapa_->Clase(fila, desde, lado == 1);
                        int hasta = desde + 1;
                        while (hasta < kColumnasMapa && mapa_->Clase(fila, hasta, lado == 1) == clase)
                            ++hasta;
                        p.fillRect(Celda(lado, fila, desde).united(Celda(lado, fila, hasta - 1)), ColorClase(clase));
                        desde = hasta;
                    }
                }
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
                        Qt::AlignRight | Qt::AlignVCenter, NumeroFila(ValorFila(mapa_->ajustes, fila)));
                }
                // The quantity's name, upright along the left side.
                p.save();
                p.translate(r.left() - kIzquierda + fm.height() / 2 - 2, r.center().y());
                p.rotate(-90);
                // Shortened where the map is lower than the name is long.
                p.drawText(QRect(-r.height() / 2, -fm.height() / 2, r.height(), fm.height()), Qt::AlignCenter,
                           fm.elidedText(QString::fromUtf8(NombreMagnitud(mapa_->ajustes.magnitud)), Qt::ElideRight,
                                         r.height()));
                p.restore();
            }
        }
        // The legend, in as many rows as the width asks.
        const std::vector<QPoint> lugares = LugaresLeyenda();
        for (size_t i = 0; i < std::size(kClases); ++i) {
            const QPoint q = lugares[i];
            p.fillRect(QRect(q.x(), q.y(), 14, 14), ColorClase(kClases[i]));
            p.drawRect(QRect(q.x(), q.y(), 14, 14).adjusted(0, 0, -1, -1));
            const QString texto = QString::fromUtf8(NombreClase(kClases[i]));
            p.drawText(QRect(q.x() + 20, q.y() - 2, fm.horizontalAdvance(texto) + 4, 18),
                       Qt::AlignLeft | Qt::AlignVCenter, texto);
        }
    }

    static constexpr ClaseCelda kClases[] = {ClaseCelda::Establece, ClaseCelda::Sobreimpulso,   ClaseCelda::Lenta,
                                             ClaseCelda::Gira,      ClaseCelda::SeDetieneFuera, ClaseCelda::Pendiente};

    // Where each class of the legend goes: left to right from under the
    // maps, on to a new row where the next would pass the right edge.
    std::vector<QPoint> LugaresLeyenda() const
    {
        const QFontMetrics fm(font());
        std::vector<QPoint> lugares;
        int x = kIzquierda;
        int fila = 0;
        for (ClaseCelda c : kClases) {
            const int ancho = 20 + fm.horizontalAdvance(QString::fromUtf8(NombreClase(c)));
            if (x > kIzquierda && x + ancho > width() - 4) {
                x = kIzquierda;
                ++fila;
            }
            lugares.emplace_back(x, fila);
            x += ancho + 24;
        }
        const int filas = lugares.back().y() + 1;
        for (QPoint& q : lugares)
            q.setY(height() - filas * kLeyenda + q.y() * kLeyenda + 6);
        return lugares;
    }

    int AltoLeyenda() const
    {
        const std::vector<QPoint> lugares = LugaresLeyenda();
        return height() - lugares.front().y() + 6;
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
                         NumeroFila(ValorFila(mapa_->ajustes, c->fila)), QString::number(ReferenciaColumna(c->columna)),
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

    static QString NumeroFila(double v);

    const MapaCompetencia* mapa_ = nullptr;
    QString titulos_[2];
    int lados_;
};

} // namespace nc
