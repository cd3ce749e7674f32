// SPDX-License-Identifier: MIT
#pragma once
// The main window's command rules as plain functions: the speed text to the
// simulation timer's interval, the up-down's stepping, the clock's text.

#include <QLocale>
#include <QString>
#include <QTime>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace nc {

// The interval in milliseconds for n control steps per second: 1 / n rounded
// to single precision, times 1000, rounded half to even; the low 32 bits of
// that integer. Speeds of 2001 and more give 0, negative ones wrap around.
// Throws FloatDivideByZeroError for 0.
uint32_t IntervalFromSpeed(int32_t speed);

// The speeds a run accepts, in control steps per second. Outside them the
// timer would never tick (0 ms from 2001 on) or tick after weeks (negative
// speeds wrap around), while the window claimed a run.
inline constexpr int32_t kMinSpeed = 1;
inline constexpr int32_t kMaxSpeed = 2000;
inline constexpr const char* kSpeedOutOfRange = "La velocidad de simulación debe estar entre 1 y 2000";

class SpeedRangeError : public std::runtime_error {
public:
    SpeedRangeError() : std::runtime_error(kSpeedOutOfRange) {}
};

// The speed box's text as a speed: the integer conversion's error for a text
// that is not a whole number, FloatDivideByZeroError for 0 (the division it
// would feed), SpeedRangeError outside kMinSpeed..kMaxSpeed.
int32_t SpeedFromText(std::string_view text);

// The interval for the speed box's text: SpeedFromText, then as above.
uint32_t IntervalFromSpeedText(std::string_view text);

// An up-down without wrap-around. One arrow click from a finite value goes to
// the next multiple of the increment in the arrow's direction, held within
// the range (102 goes up to 105 and down to 100, 400 down to 360); nothing
// when the click cannot move (the up arrow at the maximum or above, the down
// arrow at the minimum or below). From a multiple inside the range that is
// one increment, the plain step.
struct UpDownRange {
    int minimum = 0;
    int maximum = 360;
    int increment = 5;
};
std::optional<int> UpDownStep(long double from, bool up, const UpDownRange& range);

// The locale's long time format without its time-zone field ("t"), and the
// brackets or blanks that only surrounded it.
QString LongTimeFormatWithoutZone(const QString& format);

// The clock panel's text for a time of day.
QString ClockText(const QTime& time, const QLocale& locale);

} // namespace nc
