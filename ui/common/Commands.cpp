// SPDX-License-Identifier: MIT
#include "ui/common/Commands.h"

#include "core/numbers/FloatFaults.h"
#include "core/numbers/NumberText.h"

#include <algorithm>
#include <cmath>

namespace nc {

uint32_t IntervalFromSpeed(int32_t speed)
{
    if (speed == 0)
        throw FloatDivideByZeroError();
    const float q = static_cast<float>(1.0L / speed);
    // |1000 q| <= 1000: the rounded value always fits, and its low 32 bits are
    // the timer's unsigned count.
    const double ms = std::nearbyint(1000.0 * static_cast<double>(q));
    return static_cast<uint32_t>(static_cast<int64_t>(ms));
}

int32_t SpeedFromText(std::string_view text)
{
    const int32_t speed = StrToInt(text);
    if (speed == 0)
        throw FloatDivideByZeroError();
    if (speed < kMinSpeed || speed > kMaxSpeed)
        throw SpeedRangeError();
    return speed;
}

uint32_t IntervalFromSpeedText(std::string_view text)
{
    return IntervalFromSpeed(SpeedFromText(text));
}

std::optional<int> UpDownStep(long double from, bool up, const UpDownRange& range)
{
    const long double minimum = range.minimum;
    const long double maximum = range.maximum;
    if (up ? from >= maximum : from <= minimum)
        return std::nullopt;
    // Beyond one increment outside the range every value gives the same
    // click, and the far ones would overflow the arithmetic below.
    const long double near = std::clamp(from, minimum - range.increment, maximum + range.increment);
    // A multiple of the increment divided by it is a whole number, exactly,
    // so a value already on a multiple moves by one whole increment.
    const long double steps = near / range.increment;
    const long double next = up ? (std::floor(steps) + 1) * range.increment : (std::ceil(steps) - 1) * range.increment;
    return static_cast<int>(std::clamp(next, minimum, maximum));
}

QString LongTimeFormatWithoutZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    out.replace(QStringLiteral("()"), QString());
    out.replace(QStringLiteral("[]"), QString());
    return out.simplified();
}

QString ClockText(const QTime& time, const QLocale& locale)
{
    return locale.toString(time, LongTimeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)));
}

} // namespace nc
