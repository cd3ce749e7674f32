// SPDX-License-Identifier: MIT
// The simulation timer keeps its rate: a late timer runs the ticks it owes.

#include "ui/common/ErrorBox.h"
#include "ui/main/Ppal.h"

#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace nc {
namespace {

TEST(SimulationTimer, LateTimerOwesTheTicksItMissedUpToABurst)
{
    SimulationTimer timer(nullptr);
    timer.SetInterval(1);
    timer.SetEnabled(true);
    QThread::msleep(12);
    const int owed = timer.TakeDueTicks();
    EXPECT_GE(owed, 11); // a loaded machine may oversleep, never undersleep
    EXPECT_LE(owed, SimulationTimer::kMaxBurst);
    EXPECT_LE(timer.TakeDueTicks(), 5); // on time again: about one tick
    QThread::msleep(80);
    EXPECT_EQ(timer.TakeDueTicks(), SimulationTimer::kMaxBurst); // the rest is dropped
    EXPECT_LE(timer.TakeDueTicks(), 5);
    timer.SetEnabled(false);
}

// Each kind of failing tick, met while the loop runs: the run stops once with
// the message, and state, counter, read-outs and curves are as before it.
TEST(SimulationTimer, FailingTickStopsTheRunAndChangesNothing)
{
    struct Case {
        const char* name;
        const char* reference;
        bool at_limit;
        const char* message;
    };
    const Case cases[] = {
        {"bad text", "abc", false, "'abc' is not a valid floating point value"},
        {"overflow", "1e41", false, "Floating point overflow"},
        {"counter", "30", true, nullptr},
    };
    for (const Case& c : cases) {
        QStringList errors;
        SetErrorHook([&errors](const QString& m) { errors.push_back(m); });
        TPpal window;
        window.Button11Click();
        for (int k = 0; k < 20; ++k)
            window.Timer1Timer();
        if (c.at_limit)
            window.Loop().SetState(window.Loop().posicion(), window.Loop().velocidad(), 2147483647);
        const int32_t muestra = window.Loop().muestra();
        const float posicion = window.Loop().posicion();
        const double angulo = window.Loop().angulo_animacion();
        const QString tiempo = window.Edit2->text();
        const int points = window.Series1->PointCount();
        window.Edit1->setText(QStringLiteral("1000"));
        window.Button9Click();
        window.Edit7->setText(QString::fromLatin1(c.reference));
        QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), 5000);
        QTest::qWait(30);
        ASSERT_EQ(errors.size(), 1) << c.name;
        if (c.message) {
            EXPECT_EQ(errors.front(), QString::fromLatin1(c.message)) << c.name;
        }
        EXPECT_FALSE(window.Timer1->Enabled()) << c.name;
        EXPECT_TRUE(window.Button9->isEnabled()) << c.name;
        EXPECT_EQ(window.Loop().muestra(), muestra) << c.name;
        EXPECT_EQ(window.Loop().posicion(), posicion) << c.name;
        EXPECT_EQ(window.Loop().angulo_animacion(), angulo) << c.name;
        EXPECT_EQ(window.Edit2->text(), tiempo) << c.name;
        EXPECT_EQ(window.Series1->PointCount(), points) << c.name;
        EXPECT_EQ(window.Series2->PointCount(), points) << c.name;
        SetErrorHook({});
    }
}

TEST(SimulationTimer, OwedTicksStopAtTheFirstFailure)
{
    QStringList errors;
    SetErrorHook([&errors](const QString& m) { errors.push_back(m); });
    {
        TPpal window;
        window.Button11Click();
        window.Edit1->setText(QStringLiteral("1000"));
        window.Button9Click();
        window.Edit7->setText(QStringLiteral("abc"));
        QThread::msleep(20);
        window.Timer1Due();
        EXPECT_EQ(errors.size(), 1);
        EXPECT_EQ(window.Loop().muestra(), 0);
        EXPECT_FALSE(window.Timer1->Enabled()); // the failure stopped the run
        window.Edit7->setText(QStringLiteral("30"));
        window.Button9Click();
        QThread::msleep(20);
        window.Timer1Due();
        EXPECT_GE(window.Loop().muestra(), 15);
        EXPECT_EQ(window.Series1->PointCount(), window.Loop().muestra());
        window.Button1Click();
    }
    SetErrorHook({});
}

} // namespace
} // namespace nc
