// SPDX-License-Identifier: MIT
#include "ui/lab/tabs/PanelLesiones.h"

#include "core/run/AjustesExperimento.h"
#include "ui/common/ErrorBox.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace nc {
namespace {

// A number typed with the regional separator; a text that is none is
// refused with the field's name.
double Numero(const QLineEdit* edit, const NumberFormat& f, const char* campo)
{
    try {
        const long double v = StrToFloat(edit->text().trimmed().toStdString(), f);
        return static_cast<double>(v);
    } catch (const ConversionError&) {
        throw AjusteInvalido(std::string(campo) + " debe ser un número");
    }
}

} // namespace

TPanelLesiones::TPanelLesiones(QWidget* parent) : QWidget(parent)
{
    auto* columna = new QVBoxLayout(this);

    auto* grupo_unidades = new QGroupBox(QStringLiteral("Neuronas ocultas apagadas"), this);
    auto* rejilla = new QGridLayout(grupo_unidades);
    for (int j = 0; j < kUnidadesMaximas; ++j) {
        auto* caja = new QCheckBox(QStringLiteral("N%1").arg(j), grupo_unidades);
        caja->setToolTip(QStringLiteral("Su salida queda en 0"));
        caja->setVisible(j < visibles_);
        rejilla->addWidget(caja, j / 4, j % 4);
        unidades_[static_cast<std::size_t>(j)] = caja;
        connect(caja, &QCheckBox::toggled, this, [this] { Leer(); });
    }
    columna->addWidget(grupo_unidades);

    auto* grupo_pesos = new QGroupBox(QStringLiteral("Pesos"), this);
    auto* formulario = new QFormLayout(grupo_pesos);
    escala_ = new QLineEdit(grupo_pesos);
    escala_->setToolTip(QStringLiteral("Todos los pesos y sesgos se multiplican por ella"));
    ruido_ = new QLineEdit(grupo_pesos);
    ruido_->setToolTip(QStringLiteral("Desviación típica del ruido gaussiano sumado a cada peso"));
    semilla_ = new QLineEdit(grupo_pesos);
    semilla_->setToolTip(QStringLiteral("La misma semilla da siempre la misma red"));
    bits_ = new QSpinBox(grupo_pesos);
    bits_->setRange(0, 32);
    bits_->setSpecialValueText(QStringLiteral("sin cuantizar"));
    bits_->setToolTip(QStringLiteral("Cada peso se redondea a este número de bits"));
    formulario->addRow(QStringLiteral("Escala:"), escala_);
    formulario->addRow(QStringLiteral("Ruido (desv. típica):"), ruido_);
    formulario->addRow(QStringLiteral("Semilla del ruido:"), semilla_);
    formulario->addRow(QStringLiteral("Bits:"), bits_);
    columna->addWidget(grupo_pesos);
    for (QLineEdit* edit : {escala_, ruido_, semilla_})
        connect(edit, &QLineEdit::editingFinished, this, [this] { Leer(); });
    connect(bits_, &QSpinBox::valueChanged, this, [this] { Leer(); });

    auto* fila = new QHBoxLayout;
    restaurar_ = new QPushButton(QStringLiteral("Restaurar"), this);
    restaurar_->setToolTip(QStringLiteral("Vuelve a la red almacenada, sin lesiones"));
    fila->addStretch();
    fila->addWidget(restaurar_);
    columna->addLayout(fila);
    columna->addStretch();
    connect(restaurar_, &QPushButton::clicked, this, [this] { Guarded([this] { Aplicar(Lesions{}); }); });

    Mostrar(actual_);
}

void TPanelLesiones::Mostrar(const Lesions& l)
{
    mostrando_ = true;
    actual_ = l;
    for (int j = 0; j < kUnidadesMaximas; ++j)
        unidades_[static_cast<std::size_t>(j)]->setChecked(((l.apagadas >> j) & 1u) != 0);
    escala_->setText(QString::fromStdString(FormatGeneral(l.escala, formato_)));
    ruido_->setText(QString::fromStdString(FormatGeneral(l.ruido, formato_)));
    semilla_->setText(QString::number(l.semilla));
    bits_->setValue(l.bits);
    mostrando_ = false;
}

void TPanelLesiones::SetUnidades(int unidades)
{
    if (unidades == visibles_)
        return;
    visibles_ = std::clamp(unidades, 0, kUnidadesMaximas);
    for (int j = 0; j < kUnidadesMaximas; ++j)
        unidades_[static_cast<std::size_t>(j)]->setVisible(j < visibles_);
}

void TPanelLesiones::Leer()
{
    if (mostrando_)
        return;
    Guarded([this] {
        Lesions nuevas = actual_;
        nuevas.apagadas = actual_.apagadas & ~((uint64_t{1} << visibles_) - 1);
        for (int j = 0; j < visibles_; ++j)
            if (unidades_[static_cast<std::size_t>(j)]->isChecked())
                nuevas.apagadas |= uint64_t{1} << j;
        nuevas.bits = bits_->value();
        try {
            nuevas.escala = Numero(escala_, formato_, "La escala");
            nuevas.ruido = Numero(ruido_, formato_, "El ruido");
            const double semilla = Numero(semilla_, formato_, "La semilla del ruido");
            if (!(semilla >= 0 && semilla <= static_cast<double>(kSemillaMaxima)) || std::floor(semilla) != semilla)
                throw AjusteInvalido("La semilla del ruido debe ser un entero entre 0 y 9007199254740991");
            nuevas.semilla = static_cast<uint64_t>(semilla);
            ComprobarLesiones(nuevas);
        } catch (...) {
            // The refused text goes before the box opens, so that the focus
            // it takes finds nothing new to read.
            Mostrar(actual_);
            throw;
        }
        if (nuevas != actual_)
            Aplicar(nuevas);
    });
}

void TPanelLesiones::Aplicar(const Lesions& nuevas)
{
    try {
        if (OnCambio)
            OnCambio(nuevas);
    } catch (...) {
        Mostrar(actual_);
        throw;
    }
    Mostrar(nuevas);
}

} // namespace nc
