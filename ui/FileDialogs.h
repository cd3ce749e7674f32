// SPDX-License-Identifier: MIT
#pragma once
// The file dialogs every window uses: Qt's own, not the desktop's, so that
// their texts come from Qt's Spanish catalogue like the rest of the
// program's. Each returns the chosen path, or an empty string when the user
// cancelled.

#include <QString>

class QWidget;

namespace nc {

// Asks before replacing a file; the suggested name's suffix is added to a
// name typed without one.
QString AskSaveWithQtDialog(QWidget* parent, const QString& title, const QString& suggested, const QString& filter);
// An existing file only.
QString AskOpenWithQtDialog(QWidget* parent, const QString& title, const QString& filter);

} // namespace nc
