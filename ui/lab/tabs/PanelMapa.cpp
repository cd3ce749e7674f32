// SPDX-License-Identifier: MIT
#include "ui/lab/tabs/PanelMapa.h"

#include "core/numbers/NumberText.h"
#include "ui/lab/tabs/VistaMapa.h"

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


namespace nc {

// What a sweep reads and writes: its settings, its progress cell by cell,
// and the map, written by the job before it ends.
struct TPanelMapa::Barrido {
    explicit Barrido(const AjustesMapa& a) : ajustes(a), progreso(a) {}
    AjustesMapa ajustes;
    ProgresoMapa progreso;
    std::optional<MapaCompetencia> mapa;
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
    // The sweep ends with the cells under way, a few milliseconds each, and
    // the job waits for it before the results it writes are gone.
    Cancelar();
    trabajo_.reset();
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
    barrido_ = std::make_unique<Barrido>(ajustes);
    progreso_->setRange(0, CeldasMapa(ajustes));
    progreso_->setValue(0);
    // The sweep's two threads are the job's; the panel only polls them.
    trabajo_ = std::make_unique<Trabajo>(
        [b = barrido_.get()](Trabajo&) { b->mapa = CalcularMapa(b->ajustes, 2, b->progreso); });
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
    if (barrido_)
        barrido_->progreso.cancelar = true;
}

void TPanelMapa::Sondear()
{
    if (!trabajo_)
        return;
    const int32_t hechas = barrido_->progreso.hechas.load();
    if (hechas != progreso_->value()) {
        progreso_->setValue(hechas);
        const std::vector<std::atomic<ClaseCelda>>& celdas = barrido_->progreso.celdas;
        const size_t n = mapa_->brazo.size();
        for (size_t i = 0; i < celdas.size(); ++i)
            (i < n ? mapa_->brazo[i] : mapa_->gemelo[i - n]) = celdas[i].load(std::memory_order_acquire);
        vista_->update();
    }
    if (trabajo_->Terminado())
        Terminar();
}

void TPanelMapa::Terminar()
{
    sondeo_->stop();
    const std::exception_ptr fallo = trabajo_->Fallo();
    trabajo_.reset();
    const std::unique_ptr<Barrido> b = std::move(barrido_);
    calcular_->setEnabled(true);
    cancelar_->setEnabled(false);
    if (fallo) {
        try {
            std::rethrow_exception(fallo);
        } catch (const std::exception& e) {
            estado_->setText(QString::fromUtf8(e.what()));
        }
        return;
    }
    mapa_ = std::move(b->mapa);
    MostrarMapa();
    estado_->setText(mapa_->completo ? QStringLiteral("Pulse una celda para abrir su experimento")
                                     : QStringLiteral("Cancelado: las celdas grises no se calcularon"));
}

} // namespace nc
