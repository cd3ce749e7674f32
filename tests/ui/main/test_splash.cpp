// SPDX-License-Identifier: MIT
// The splash: its layout, its timer, and the first activation of the main
// window that shows it.

#include "tests/ui/QtPrinters.h"
#include "ui/common/ErrorBox.h"
#include "ui/main/Main_splash.h"
#include "ui/main/Ppal.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace nc {
namespace {

TEST(SplashTest, LayoutAndTimer)
{
    TSplash splash;
    EXPECT_EQ(splash.windowTitle(), QStringLiteral("Splash"));
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(splash.Label1->text(), QStringLiteral("Demostración de un "));
    EXPECT_EQ(splash.Label2->text(), QStringLiteral("Neurocontrolador"));
    EXPECT_EQ(splash.Label1->font().pixelSize(), 21);
    EXPECT_EQ(splash.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(splash.Panel1->geometry(), QRect(7, 50, 181, 151));
    EXPECT_EQ(splash.Image2->geometry(), QRect(21, 9, 142, 135));
    EXPECT_EQ(splash.Image2->Picture().size(), QSize(136, 131));
    EXPECT_TRUE(splash.Timer1->isActive());
    EXPECT_EQ(splash.Timer1->interval(), 3000);
}

TEST(SplashTest, TickWhileHiddenChangesNothing)
{
    TSplash splash;
    splash.Timer1Timer();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(splash.Timer1->isActive());
}

TEST(SplashTest, TickClosesTheModalSplash)
{
    TSplash splash;
    bool was_visible = false;
    QTimer::singleShot(0, &splash, [&] {
        was_visible = splash.isVisible();
        splash.Timer1Timer();
    });
    splash.ShowModal();
    EXPECT_TRUE(was_visible);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_TRUE(splash.Timer1->isActive());
}

TEST(SplashTest, OnlyTheFirstActivationShowsIt)
{
    SetErrorHook([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
    TPpal ppal;
    TSplash splash(&ppal);
    ppal.SetSplash(&splash);
    int shown = 0;
    auto close_when_shown = [&] {
        QTimer::singleShot(0, &splash, [&] {
            shown += splash.isVisible();
            splash.close();
        });
    };
    EXPECT_TRUE(ppal.PrimeraActivacion());
    close_when_shown();
    ppal.FormActivate();
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(ppal.PrimeraActivacion());
    close_when_shown();
    ppal.FormActivate();
    QTest::qWait(10);
    EXPECT_EQ(shown, 1);
    SetErrorHook({});
}

} // namespace
} // namespace nc
