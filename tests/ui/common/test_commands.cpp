// SPDX-License-Identifier: MIT
// The command rules without a window: speed to interval, the up-down's steps,
// the clock's format.

#include "core/numbers/FloatFaults.h"
#include "core/numbers/NumberText.h"
#include "tests/ui/QtPrinters.h"
#include "ui/common/Commands.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>

namespace nc {
namespace {

struct SpeedRow {
    int32_t speed;
    uint32_t interval;
};

void PrintTo(const SpeedRow& r, std::ostream* os)
{
    *os << "speed " << r.speed;
}

class IntervalTest : public ::testing::TestWithParam<SpeedRow> {};

TEST_P(IntervalTest, SingleStepThenRoundHalfToEven)
{
    EXPECT_EQ(IntervalFromSpeed(GetParam().speed), GetParam().interval);
}

INSTANTIATE_TEST_SUITE_P(Speeds, IntervalTest,
                         ::testing::Values(SpeedRow{1, 1000}, SpeedRow{2, 500}, SpeedRow{3, 333}, SpeedRow{5, 200},
                                           SpeedRow{6, 167}, SpeedRow{7, 143}, SpeedRow{16, 62}, SpeedRow{20, 50},
                                           SpeedRow{64, 16}, SpeedRow{1000, 1}, SpeedRow{2000, 1}, SpeedRow{2001, 0},
                                           SpeedRow{2147483647, 0}, SpeedRow{-5, 4294967096u},
                                           SpeedRow{-1, 4294966296u}, SpeedRow{-2001, 0},
                                           SpeedRow{-2147483647 - 1, 0}));

TEST(IntervalTest, ZeroSpeedIsADivisionByZero)
{
    try {
        IntervalFromSpeed(0);
        FAIL() << "no error";
    } catch (const FloatDivideByZeroError& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
}

struct SpeedTextRow {
    const char* text;
    const char* error; // nullptr when the text converts
    uint32_t interval;
};

void PrintTo(const SpeedTextRow& r, std::ostream* os)
{
    *os << "'" << r.text << "'";
}

class SpeedTextTest : public ::testing::TestWithParam<SpeedTextRow> {};

TEST_P(SpeedTextTest, ConvertsOrReportsExactly)
{
    const SpeedTextRow& row = GetParam();
    if (!row.error) {
        EXPECT_EQ(IntervalFromSpeedText(row.text), row.interval);
        return;
    }
    try {
        IntervalFromSpeedText(row.text);
        FAIL() << "no error for " << row.text;
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), row.error);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, SpeedTextTest,
                         ::testing::Values(SpeedTextRow{"5", nullptr, 200}, SpeedTextRow{" 20", nullptr, 50},
                                           SpeedTextRow{"abc", "'abc' is not a valid integer value", 0},
                                           SpeedTextRow{"", "'' is not a valid integer value", 0},
                                           SpeedTextRow{"2.5", "'2.5' is not a valid integer value", 0},
                                           SpeedTextRow{"0", "Floating point division by zero", 0},
                                           SpeedTextRow{"1", nullptr, 1000}, SpeedTextRow{"2000", nullptr, 1},
                                           SpeedTextRow{"2001", kSpeedOutOfRange, 0},
                                           SpeedTextRow{"-1", kSpeedOutOfRange, 0}));

struct StepRow {
    int position;
    bool up;
    std::optional<int> next;
};

void PrintTo(const StepRow& r, std::ostream* os)
{
    *os << r.position << (r.up ? " up" : " down");
}

class UpDownStepTest : public ::testing::TestWithParam<StepRow> {};

TEST_P(UpDownStepTest, StepsWithoutWrapping)
{
    EXPECT_EQ(UpDownStep(GetParam().position, GetParam().up, UpDownRange{}), GetParam().next);
}

INSTANTIATE_TEST_SUITE_P(Positions, UpDownStepTest,
                         ::testing::Values(StepRow{30, true, 35}, StepRow{30, false, 25}, StepRow{355, true, 360},
                                           StepRow{360, true, std::nullopt}, StepRow{0, false, std::nullopt},
                                           StepRow{5, false, 0}, StepRow{358, true, 360}, StepRow{2, false, 0}));

struct FormatRow {
    const char* format;
    const char* without_zone;
};

void PrintTo(const FormatRow& r, std::ostream* os)
{
    *os << "'" << r.format << "'";
}

class ClockFormatTest : public ::testing::TestWithParam<FormatRow> {};

TEST_P(ClockFormatTest, DropsTheZoneName)
{
    EXPECT_EQ(LongTimeFormatWithoutZone(QString::fromUtf8(GetParam().format)),
              QString::fromUtf8(GetParam().without_zone));
}

INSTANTIATE_TEST_SUITE_P(Formats, ClockFormatTest,
                         ::testing::Values(FormatRow{"HH:mm:ss t", "HH:mm:ss"}, FormatRow{"h:mm:ss AP t", "h:mm:ss AP"},
                                           FormatRow{"H:mm:ss (t)", "H:mm:ss"}, FormatRow{"t HH:mm:ss", "HH:mm:ss"},
                                           FormatRow{"HH:mm:ss", "HH:mm:ss"},
                                           FormatRow{"HH'h' mm 'at' ss t", "HH'h' mm 'at' ss"}));

TEST(ClockTextTest, LocalesLongFormatWithoutZone)
{
    const QTime time(9, 5, 7);
    EXPECT_EQ(ClockText(time, QLocale(QLocale::Spanish, QLocale::Spain)), QStringLiteral("9:05:07"));
    EXPECT_EQ(ClockText(time, QLocale(QLocale::English, QLocale::UnitedStates)), QStringLiteral("9:05:07 AM"));
    EXPECT_EQ(ClockText(time, QLocale::c()), QStringLiteral("09:05:07"));
}

} // namespace
} // namespace nc
