// SPDX-License-Identifier: MIT
// Tests of widgets need a QApplication; they run headless unless a platform is set.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("neurocontrol"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
