// SPDX-License-Identifier: MIT
#pragma once
// Qt's own texts that the user sees (the buttons of the error box, the context
// menu of the edit boxes, ...) in Spanish, like every other text of the
// program, whatever the user's locale.

#include <QCoreApplication>
#include <QString>

namespace nc {

// The name of Qt's Spanish catalogue (Debian: qt6-translations-l10n).
QString QtSpanishCatalogue();

// Loads Qt's Spanish catalogue from `folder` (Qt's translations folder when
// empty) and installs it on the application, which owns it. Returns false and
// leaves Qt's English texts in place when the catalogue cannot be read: the
// program still starts.
bool LoadSpanishPlatformTexts(QCoreApplication& app, const QString& folder = QString());

} // namespace nc
