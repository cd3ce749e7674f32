// SPDX-License-Identifier: MIT
#include "ui/common/FileDialogs.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QWidget>

namespace nc {

namespace {

void SetUpSave(QFileDialog& dialog, const QString& suggested, const QString& filter)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
    dialog.selectFile(suggested);
}

QString Chosen(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// A picture's side, in pixels: a few times a 4K screen's width is more than
// any slide needs, and the picture stays within memory.
constexpr int kLadoMinimo = 16;
constexpr int kLadoMaximo = 8000;

} // namespace

QString AskSaveWithQtDialog(QWidget* parent, const QString& title, const QString& suggested, const QString& filter)
{
    QFileDialog dialog(parent, title);
    SetUpSave(dialog, suggested, filter);
    return Chosen(dialog);
}

QString AskSavePictureWithQtDialog(QWidget* parent, const QString& title, const QString& suggested,
                                   const QString& filter, QSize shown, PictureSize& size)
{
    QFileDialog dialog(parent, title);
    SetUpSave(dialog, suggested, filter);

    auto* fila = new QWidget(&dialog);
    auto* caja = new QHBoxLayout(fila);
    caja->setContentsMargins(0, 0, 0, 0);
    auto* tamano = new QComboBox(fila);
    tamano->setObjectName(QStringLiteral("TamanoImagen"));
    const auto medida = [](QSize s) { return QStringLiteral("%1 × %2").arg(s.width()).arg(s.height()); };
    // On screen the picture has the screen's device pixels.
    const qreal ratio = parent ? parent->devicePixelRatioF() : 1.0;
    tamano->addItem(QStringLiteral("Como en pantalla (%1)").arg(medida((QSizeF(shown) * ratio).toSize())), 1);
    tamano->addItem(QStringLiteral("Doble (%1)").arg(medida(shown * 2)), 2);
    tamano->addItem(QStringLiteral("Cuádruple (%1)").arg(medida(shown * 4)), 4);
    tamano->addItem(QStringLiteral("Otro tamaño"), 0);
    tamano->setToolTip(QStringLiteral("La gráfica se dibuja de nuevo a ese tamaño, con sus líneas y letras nítidas"));
    auto lado = [&](const char* nombre, int valor) {
        auto* s = new QSpinBox(fila);
        s->setObjectName(QString::fromLatin1(nombre));
        s->setRange(kLadoMinimo, kLadoMaximo);
        s->setSuffix(QStringLiteral(" px"));
        s->setValue(valor);
        return s;
    };
    const QSize propio = size.For(shown);
    QSpinBox* ancho = lado("AnchoImagen", propio.width());
    QSpinBox* alto = lado("AltoImagen", propio.height());
    ancho->setToolTip(QStringLiteral("El ancho de la imagen, en píxeles"));
    alto->setToolTip(QStringLiteral("El alto de la imagen, en píxeles"));
    caja->addWidget(tamano, 1);
    caja->addWidget(new QLabel(QStringLiteral("Ancho:"), fila));
    caja->addWidget(ancho);
    caja->addWidget(new QLabel(QStringLiteral("Alto:"), fila));
    caja->addWidget(alto);
    const auto elegido = [=] {
        const bool propia = tamano->currentData().toInt() == 0;
        ancho->setEnabled(propia);
        alto->setEnabled(propia);
    };
    QObject::connect(tamano, &QComboBox::currentIndexChanged, fila, elegido);
    const int actual = tamano->findData(size.scale);
    tamano->setCurrentIndex(actual >= 0 ? actual : 0);
    elegido();
    // Qt's own dialog lays its fields out on a grid: the size goes on a row
    // of its own under them, labelled as they are.
    auto* etiqueta = new QLabel(QStringLiteral("Tamaño:"), &dialog);
    etiqueta->setBuddy(tamano);
    if (auto* rejilla = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = rejilla->rowCount();
        rejilla->addWidget(etiqueta, row, 0);
        rejilla->addWidget(fila, row, 1, 1, rejilla->columnCount() - 1);
    } else if (dialog.layout()) {
        dialog.layout()->addWidget(etiqueta);
        dialog.layout()->addWidget(fila);
    }

    const QString path = Chosen(dialog);
    if (!path.isEmpty())
        size = PictureSize{tamano->currentData().toInt(), QSize(ancho->value(), alto->value())};
    return path;
}

QString AskOpenWithQtDialog(QWidget* parent, const QString& title, const QString& filter)
{
    QFileDialog dialog(parent, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace nc
