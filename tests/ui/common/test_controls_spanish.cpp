// SPDX-License-Identifier: MIT
// Qt's own texts that the user meets, in Spanish from Qt's catalogue; and the
// program's start without the catalogue.

#include "app/PlatformTexts.h"
#include "tests/ui/QtPrinters.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>

namespace nc {
namespace {

class SpanishTexts : public ::testing::Test {
protected:
    // Takes back whatever translator a test installed, so that the other
    // tests of this program see Qt's English texts as before.
    void TearDown() override
    {
        for (QTranslator* t : qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(t);
            std::unique_ptr<QTranslator> owned(t);
        }
    }

    static QString OkButtonText()
    {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("neurocontrol"),
                        QStringLiteral("Floating point overflow"), QMessageBox::Ok);
        return box.button(QMessageBox::Ok)->text();
    }

    static QStringList LineEditMenu()
    {
        QLineEdit edit(QStringLiteral("30"));
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text().section(QLatin1Char('\t'), 0, 0);
        return texts;
    }
};

TEST_F(SpanishTexts, ErrorBoxButtonReadsAceptar)
{
    ASSERT_TRUE(LoadSpanishPlatformTexts(*qApp));
    EXPECT_EQ(OkButtonText(), QStringLiteral("Aceptar"));
}

TEST_F(SpanishTexts, EditBoxContextMenuIsSpanish)
{
    ASSERT_TRUE(LoadSpanishPlatformTexts(*qApp));
    EXPECT_EQ(LineEditMenu(),
              (QStringList{QStringLiteral("&Deshacer"), QStringLiteral("&Rehacer"), QStringLiteral("Cor&tar"),
                           QStringLiteral("&Copiar"), QStringLiteral("&Pegar"), QStringLiteral("Borrar"),
                           QStringLiteral("Seleccionar todo")}));
}

TEST_F(SpanishTexts, TheApplicationOwnsTheTranslator)
{
    ASSERT_TRUE(LoadSpanishPlatformTexts(*qApp));
    EXPECT_EQ(qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly).size(), 1);
}

TEST_F(SpanishTexts, MissingCatalogueLeavesQtsTextsAndInstallsNothing)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    EXPECT_FALSE(LoadSpanishPlatformTexts(*qApp, empty.path()));
    EXPECT_TRUE(qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly).isEmpty());
    EXPECT_EQ(OkButtonText(), QStringLiteral("OK"));
}

} // namespace
} // namespace nc
