// SPDX-License-Identifier: MIT
// The recording device's transcript of calls.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/device/RecordingDevice.h"

using namespace nc;

TEST(RecordingDevice, RecordsCallsAndKeepsState)
{
    RecordingDevice d(100, 50);
    d.SelectPen(DevicePen{clRed, psDot, 1, pmNotXor});
    d.SelectBrush(DeviceBrush{clWhite, bsClear, {}});
    d.MoveTo(1, 2);
    d.LineTo(3, 4);
    d.Rectangle(0, 0, 10, 10);
    d.SetClipRect(TRect{-5, 10, 200, 20});
    d.SetBkMode(TRANSPARENT);
    d.SetTextAlign(TA_CENTER | TA_BOTTOM);
    d.TextOut(5, 6, "hi");
    const std::vector<std::string> expected = {
        "Pen(0x0000FF,psDot,1,pmNotXor)",
        "Brush(0xFFFFFF,bsClear)",
        "MoveTo(1,2)",
        "LineTo(3,4)",
        "Rectangle(0,0,10,10)",
        "Clip(0,10,100,20)",
        "BkMode(1)",
        "TextAlign(14)",
        "TextOut(5,6,\"hi\")",
    };
    EXPECT_EQ(d.Calls(), expected);
    EXPECT_EQ(d.CurrentPoint(), (TPoint{3, 4}));
    EXPECT_EQ(d.GetBkMode(), TRANSPARENT);
    EXPECT_EQ(d.GetTextAlign(), TA_CENTER | TA_BOTTOM);
    EXPECT_EQ(d.TextExtent("abc"), (TSize{18, 11}));
}
