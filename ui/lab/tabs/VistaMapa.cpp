// SPDX-License-Identifier: MIT
#include "ui/lab/tabs/VistaMapa.h"

#include "core/numbers/NumberText.h"

namespace nc {

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

QString TVistaMapa::NumeroFila(double v)
{
    return QString::fromStdString(FormatGeneral(v, NumberFormat{".", ","}));
}

} // namespace nc
