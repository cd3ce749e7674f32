// The simulation timer keeps its rate: a late timer runs the ticks it owes.

#include "ui/ErrorBox.h"
#include "ui/Ppal.h"

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
        window.Edit7->setText(QStringLiteral("30"));
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
