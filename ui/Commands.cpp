// SPDX-License-Identifier: MIT
#include "ui/Commands.h"

#include "simulation/FloatFaults.h"
#include "text/NumberText.h"

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

std::optional<int> UpDownStep(int position, bool up, const UpDownRange& range)
{
    const long long next = static_cast<long long>(position) + (up ? range.increment : -range.increment);
    const long long clamped = next > range.maximum ? range.maximum
                              : next < range.minimum ? range.minimum
                                                     : next;
    if (clamped == position)
        return std::nullopt;
    return static_cast<int>(clamped);
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
