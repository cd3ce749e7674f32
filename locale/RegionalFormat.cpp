// SPDX-License-Identifier: MIT
#include "locale/RegionalFormat.h"

#include <QLocale>

namespace nc {

NumberFormat RegionalNumberFormat()
{
    const QLocale locale = QLocale::system();
    NumberFormat f;
    f.decimal_separator = locale.decimalPoint().toStdString();
    f.thousands_separator = locale.groupSeparator().toStdString();
    return f;
}

} // namespace nc
