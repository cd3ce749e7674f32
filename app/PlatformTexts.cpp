// SPDX-License-Identifier: MIT
#include "app/PlatformTexts.h"

#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace nc {

QString QtSpanishCatalogue()
{
    return QStringLiteral("qtbase_es");
}

bool LoadSpanishPlatformTexts(QCoreApplication& app, const QString& folder)
{
    const QString where = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QtSpanishCatalogue(), where))
        return false;
    // The application keeps it (as its child) for as long as it runs.
    QTranslator* installed = translator.release();
    installed->setParent(&app);
    if (!QCoreApplication::installTranslator(installed))
        return false;
    return true;
}

} // namespace nc
