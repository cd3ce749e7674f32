// SPDX-License-Identifier: MIT
#pragma once
// The simulation timer: an on/off flag and an unsigned interval. Qt's timer
// runs only for the intervals that tick within its range: 0 means no tick at
// all, and counts beyond Qt's (over 24 days, from negative speeds) never come
// in practice either.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>

namespace nc {

class SimulationTimer : public QObject {
public:
    explicit SimulationTimer(QObject* parent);
    bool Enabled() const { return enabled_; }
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t ms);
    void SetEnabled(bool on);
    QTimer* Timer() const { return timer_; }
    bool Ticking() const { return timer_->isActive(); }
    // How many ticks are owed when the timer fires: at least one, more when
    // it fired late. A late QTimer fires once, not once per interval missed,
    // so a paint or a repaint of the window that holds the loop would
    // otherwise cost the simulation its rate. A backlog beyond kMaxBurst is
    // dropped rather than run, so a machine that cannot keep up never spirals.
    int TakeDueTicks();
    static constexpr int64_t kMaxBurst = 50;

private:
    void Apply();

    QTimer* timer_;
    QElapsedTimer clock_; // since the timer started
    int64_t delivered_ = 0;
    uint32_t interval_ = 1000;
    bool enabled_ = false;
};

} // namespace nc
