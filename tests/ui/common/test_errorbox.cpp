// SPDX-License-Identifier: MIT
// The error box: a handler's exception becomes one message, and nothing
// escapes the guard.

#include "tests/ui/QtPrinters.h"
#include "ui/common/ErrorBox.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <stdexcept>

namespace nc {
namespace {

class ErrorBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetErrorHook([this](const QString& m) { messages.push_back(m); });
    }
    void TearDown() override { SetErrorHook({}); }
    QStringList messages;
};

TEST_F(ErrorBoxTest, GuardShowsTheExceptionsMessage)
{
    bool after = false;
    Guarded([&] {
        throw std::runtime_error("'abc' is not a valid floating point value");
        after = true;
    });
    EXPECT_FALSE(after);
    EXPECT_EQ(messages, QStringList{QStringLiteral("'abc' is not a valid floating point value")});
}

TEST_F(ErrorBoxTest, MessagesKeepTheirUtf8)
{
    Guarded([] { throw std::logic_error("La red neuronal no está construida"); });
    EXPECT_EQ(messages, QStringList{QStringLiteral("La red neuronal no está construida")});
}

TEST_F(ErrorBoxTest, HandlerWithoutErrorShowsNothing)
{
    int runs = 0;
    Guarded([&] { ++runs; });
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ErrorBoxTest, HookCanBeRestored)
{
    ErrorHook previous = SetErrorHook([](const QString&) {});
    EXPECT_TRUE(static_cast<bool>(previous));
    SetErrorHook(previous);
    ShowError(QStringLiteral("x"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("x")});
}

// A failing tick inside the box's own event loop opens no second box.
TEST_F(ErrorBoxTest, NoSecondBoxWhileOneIsOpen)
{
    SetErrorHook([this](const QString& m) {
        messages.push_back(m);
        Guarded([] { throw std::runtime_error("again"); });
    });
    ShowError(QStringLiteral("first"));
    ShowError(QStringLiteral("next"));
    EXPECT_EQ(messages, (QStringList{QStringLiteral("first"), QStringLiteral("next")}));
}

TEST(ErrorBoxTitleTest, IsTheProgramsName)
{
    EXPECT_EQ(ErrorBoxTitle(), QStringLiteral("neurocontrol"));
}

} // namespace
} // namespace nc
