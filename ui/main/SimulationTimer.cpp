// SPDX-License-Identifier: MIT
#include "ui/main/SimulationTimer.h"

#include <algorithm>
#include <limits>

namespace nc {

SimulationTimer::SimulationTimer(QObject* parent) : QObject(parent), timer_(new QTimer(this))
{
    timer_->setTimerType(Qt::PreciseTimer);
    Apply();
}

void SimulationTimer::SetInterval(uint32_t ms)
{
    interval_ = ms;
    Apply();
}

void SimulationTimer::SetEnabled(bool on)
{
    enabled_ = on;
    Apply();
}

void SimulationTimer::Apply()
{
    const bool ticks
        = enabled_ && interval_ != 0 && interval_ <= static_cast<uint32_t>(std::numeric_limits<int>::max());
    if (!ticks) {
        timer_->stop();
        return;
    }
    timer_->start(static_cast<int>(interval_));
    clock_.start();
    delivered_ = 0;
}

int SimulationTimer::TakeDueTicks()
{
    const int64_t due = clock_.nsecsElapsed() / (int64_t{interval_} * 1000000);
    int64_t owed = std::max<int64_t>(1, due - delivered_);
    if (owed > kMaxBurst) {
        owed = kMaxBurst;
        delivered_ = due - owed;
    }
    delivered_ += owed;
    return static_cast<int>(owed);
}

} // namespace nc
