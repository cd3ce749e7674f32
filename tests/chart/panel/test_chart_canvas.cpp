// SPDX-License-Identifier: MIT
// The chart canvas: pens, view options, drawing state, buffering, clipping
// and the depth forms, checked through the recording device and in pixels.

#include <gtest/gtest.h>

#include "tests/chart/PixelArt.h"
#include "chart/panel/ChartCanvas.h"
#include "chart/device/ImageDevice.h"
#include "chart/device/RecordingDevice.h"

using namespace nc;
using nc::test::Art;
using nc::test::CountPixels;
using nc::test::InkBounds;
using Calls = std::vector<std::string>;

TEST(ChartPens, ConstructorsSetTheirDefaults)
{
    struct Row {
        const char* name;
        std::unique_ptr<TChartPen> pen;
        TColor color;
        TPenStyle style;
        int width;
        bool visible;
    };
    Row rows[] = {
        {"TChartPen", std::make_unique<TChartPen>(), clBlack, psSolid, 1, true},
        {"TChartHiddenPen", std::make_unique<TChartHiddenPen>(), clBlack, psSolid, 1, false},
        {"TDottedGrayPen", std::make_unique<TDottedGrayPen>(), 0x808080, psDot, 1, true},
        {"TDarkGrayPen", std::make_unique<TDarkGrayPen>(), 0x808080, psSolid, 1, true},
        {"TChartAxisPen", std::make_unique<TChartAxisPen>(), clBlack, psSolid, 2, true},
        {"TChartArrowPen", std::make_unique<TChartArrowPen>(), 0xFFFFFF, psSolid, 1, true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.pen->Color(), row.color) << row.name;
        EXPECT_EQ(row.pen->Style(), row.style) << row.name;
        EXPECT_EQ(row.pen->Width(), row.width) << row.name;
        EXPECT_EQ(row.pen->Mode(), pmCopy) << row.name;
        EXPECT_EQ(row.pen->Visible(), row.visible) << row.name;
    }
}

TEST(ChartPens, AssignCopiesVisibleOnlyBetweenChartPens)
{
    TChartHiddenPen hidden;
    hidden.SetColor(clRed);
    hidden.SetWidth(3);
    hidden.SetMode(pmNotXor);
    hidden.SetStyle(psDot);

    TChartPen chartPen;
    chartPen.Assign(hidden);
    EXPECT_FALSE(chartPen.Visible());
    EXPECT_EQ(chartPen.Color(), clRed);
    EXPECT_EQ(chartPen.Width(), 3);
    EXPECT_EQ(chartPen.Mode(), pmNotXor);
    EXPECT_EQ(chartPen.Style(), psDot);

    TChartPen fromPlain;
    TPen plain;
    plain.SetColor(clBlue);
    fromPlain.Assign(plain);
    EXPECT_TRUE(fromPlain.Visible());
    EXPECT_EQ(fromPlain.Color(), clBlue);
}

TEST(ChartPens, ChangesNotifyOnlyWhenTheValueChanges)
{
    TChartPen pen;
    int notified = 0;
    pen.OnChange = [&] { ++notified; };
    pen.SetVisible(true);
    pen.SetColor(clBlack);
    EXPECT_EQ(notified, 0);
    pen.SetVisible(false);
    pen.SetColor(clRed);
    pen.SetWidth(2);
    pen.SetStyle(psDot);
    pen.SetMode(pmXor);
    EXPECT_EQ(notified, 5);
    TChartPen same;
    same.Assign(pen);
    pen.Assign(same);
    EXPECT_EQ(notified, 5);
    TChartPen other;
    pen.Assign(other);
    EXPECT_EQ(notified, 6);
}

TEST(View3DOptions, DefaultsSettersAndAssign)
{
    TView3DOptions options;
    EXPECT_EQ(options.Elevation(), 345);
    EXPECT_EQ(options.HorizOffset(), 0);
    EXPECT_TRUE(options.Orthogonal());
    EXPECT_EQ(options.Rotation(), 345);
    EXPECT_EQ(options.Tilt(), 0);
    EXPECT_EQ(options.VertOffset(), 0);
    EXPECT_EQ(options.Zoom(), 100);

    int repaints = 0;
    options.SetRepaintHandler([&] { ++repaints; });
    options.SetZoom(100);
    options.SetOrthogonal(true);
    EXPECT_EQ(repaints, 0);
    options.SetZoom(150);
    options.SetElevation(10);
    options.SetRotation(20);
    options.SetTilt(5);
    options.SetHorizOffset(3);
    options.SetVertOffset(4);
    options.SetOrthogonal(false);
    EXPECT_EQ(repaints, 7);

    TView3DOptions copy;
    int copyRepaints = 0;
    copy.SetRepaintHandler([&] { ++copyRepaints; });
    copy.Assign(options);
    EXPECT_EQ(copyRepaints, 0);
    EXPECT_EQ(copy.Zoom(), 150);
    EXPECT_EQ(copy.Elevation(), 10);
    EXPECT_EQ(copy.Rotation(), 20);
    EXPECT_EQ(copy.Tilt(), 5);
    EXPECT_EQ(copy.HorizOffset(), 3);
    EXPECT_EQ(copy.VertOffset(), 4);
    EXPECT_FALSE(copy.Orthogonal());
}

// A canvas drawing on a recording device through a control canvas.
class RecordedCanvas : public ::testing::Test {
protected:
    RecordingDevice device{200, 100};
    TCanvas control{&device};
    TChartCanvas3D canvas;

    void SetUp() override
    {
        canvas.AttachCanvas(&control);
        canvas.GetHandle(); // settle the initial selections
        device.ClearCalls();
    }
};

TEST_F(RecordedCanvas, AttachCanvasTakesItsPenFontAndBrush)
{
    EXPECT_EQ(canvas.TargetCanvas(), &control);
    EXPECT_EQ(canvas.Pen(), &control.Pen());
    EXPECT_EQ(canvas.Brush(), &control.Brush());
    EXPECT_EQ(canvas.Font(), &control.Font());
}

TEST_F(RecordedCanvas, APenChangeTakesEffectAtTheNextPrimitive)
{
    canvas.Pen()->SetColor(clRed);
    canvas.Pen()->SetWidth(2);
    EXPECT_TRUE(device.Calls().empty());
    canvas.Line(1, 2, 3, 4);
    canvas.HorizLine(5, 9, 7);
    canvas.VertLine(6, 1, 8);
    EXPECT_EQ(device.Calls(),
              (Calls{"Pen(0x0000FF,psSolid,2,pmCopy)", "MoveTo(1,2)", "LineTo(3,4)", "MoveTo(5,7)", "LineTo(9,7)",
                     "MoveTo(6,1)", "LineTo(6,8)"}));
}

TEST_F(RecordedCanvas, BrushStyleSetsTheDeviceBackground)
{
    canvas.Brush()->SetColor(clBlue);
    canvas.FillRect(TRect{0, 0, 4, 4});
    canvas.Brush()->SetStyle(bsClear);
    canvas.TextOut(1, 1, "x");
    EXPECT_EQ(device.Calls(),
              (Calls{"Brush(0xFF0000,bsSolid)", "BkColor(0xFF0000)", "BkMode(2)", "FillRect(0,0,4,4)",
                     "Brush(0xFF0000,bsClear)", "BkMode(1)", "TextOut(1,1,\"x\")"}));
}

TEST_F(RecordedCanvas, SystemColoursReachTheDeviceAsRgb)
{
    canvas.Pen()->SetColor(clBtnShadow);
    canvas.MoveTo(0, 0);
    EXPECT_EQ(device.Calls().front(), "Pen(0xA0A0A0,psSolid,1,pmCopy)");
}

TEST_F(RecordedCanvas, HiddenChartPenOnlyClearsTheStyle)
{
    canvas.Pen()->SetColor(clRed);
    canvas.Pen()->SetWidth(3);
    TChartHiddenPen hidden;
    hidden.SetColor(clBlue);
    canvas.ApplyChartPen(hidden);
    EXPECT_EQ(canvas.Pen()->Style(), psClear);
    EXPECT_EQ(canvas.Pen()->Color(), clRed);
    EXPECT_EQ(canvas.Pen()->Width(), 3);

    TDottedGrayPen dotted;
    canvas.ApplyChartPen(dotted);
    EXPECT_EQ(canvas.Pen()->Style(), psDot);
    EXPECT_EQ(canvas.Pen()->Color(), 0x808080u);
    EXPECT_EQ(canvas.Pen()->Width(), 1);
}

TEST_F(RecordedCanvas, ResetDrawingState)
{
    canvas.Pen()->SetColor(clRed);
    canvas.Pen()->SetWidth(4);
    canvas.Pen()->SetStyle(psDot);
    canvas.Brush()->SetColor(clBlue);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->SetColor(clRed);
    canvas.Font()->SetSize(20);
    canvas.SetBackMode(TRANSPARENT);
    canvas.SetBackColor(clBlue);
    canvas.ResetDrawingState();
    EXPECT_EQ(canvas.Pen()->Color(), clBlack);
    EXPECT_EQ(canvas.Pen()->Width(), 1);
    EXPECT_EQ(canvas.Pen()->Style(), psSolid);
    EXPECT_EQ(canvas.Brush()->Color(), clWhite);
    EXPECT_EQ(canvas.Brush()->Style(), bsSolid);
    EXPECT_EQ(canvas.Font()->Color(), clBlack);
    EXPECT_EQ(canvas.Font()->Size(), 10);
    EXPECT_EQ(canvas.GetBackColor(), clWhite);
    EXPECT_EQ(canvas.GetBackMode(), OPAQUE);
}

TEST_F(RecordedCanvas, ClipToPlotAreaShrinksLeftTopAndBottom)
{
    RecordingDevice wide(257, 204);
    TCanvas target(&wide);
    canvas.AttachCanvas(&target);
    canvas.GetHandle();
    wide.ClearCalls();
    canvas.ClipToPlotArea(TRect{8, 8, 249, 196}, 0, 0);
    canvas.ResetClip();
    EXPECT_EQ(wide.Calls(), (Calls{"Clip(9,9,249,195)", "Clip(0,0,257,204)"}));
}

TEST_F(RecordedCanvas, TextOutRotatedDrawsTransparentWithATurnedFont)
{
    canvas.TextOutRotated(10, 90, "Grados", 90);
    EXPECT_EQ(device.Calls(),
              (Calls{"Brush(0xFFFFFF,bsClear)", "BkMode(1)", "Font(Arial,-11,0x000000,esc=900)",
                     "TextOut(10,90,\"Grados\")", "Font(Arial,-11,0x000000)"}));
}

TEST_F(RecordedCanvas, ZoomFactorScalesTextForOneCall)
{
    canvas.ZoomFactor = 1.5;
    canvas.TextOutZ(3, 4, 7, "a");
    canvas.TextOutRotatedZ(3, 4, 7, "b", 0);
    EXPECT_EQ(device.Calls(),
              (Calls{"Font(Arial,-16,0x000000)", "TextOut(3,4,\"a\")", "Brush(0xFFFFFF,bsClear)", "BkMode(1)",
                     "Font(Arial,-11,0x000000)", "Font(Arial,-16,0x000000)", "TextOut(3,4,\"b\")",
                     "Font(Arial,-11,0x000000)"}));
    EXPECT_EQ(canvas.Font()->Height(), -11);
}

TEST_F(RecordedCanvas, DepthFormsIgnoreDepthIn2D)
{
    canvas.Is3D = false;
    canvas.MoveToZ(1, 2, 50);
    canvas.LineToZ(3, 4, 50);
    canvas.LineZ(5, 6, 7, 8, 9);
    canvas.HorizLineZ(1, 5, 3, 9);
    canvas.VertLineZ(2, 1, 6, 9);
    canvas.DepthLine(4, 4, 0, 30);
    canvas.RectangleZ(TRect{1, 1, 5, 5}, 9);
    EXPECT_EQ(device.Calls(),
              (Calls{"MoveTo(1,2)", "LineTo(3,4)", "MoveTo(5,6)", "LineTo(7,8)", "MoveTo(1,3)", "LineTo(5,3)",
                     "MoveTo(2,1)", "LineTo(2,6)", "MoveTo(4,4)", "LineTo(4,4)", "Rectangle(1,1,5,5)"}));
}

TEST_F(RecordedCanvas, ProjectionOffAndOnRestoreIs3D)
{
    canvas.Is3D = true;
    canvas.ProjectionOff();
    EXPECT_FALSE(canvas.Is3D);
    canvas.ProjectionOn();
    EXPECT_TRUE(canvas.Is3D);
}

TEST_F(RecordedCanvas, TextExtentsComeFromTheDevice)
{
    EXPECT_EQ(canvas.TextWidth("abcd"), 24);
    EXPECT_EQ(canvas.TextHeight("abcd"), 11);
    EXPECT_EQ(canvas.FontHeight(), 11);
    TChartCanvas3D detached;
    EXPECT_EQ(detached.TextWidth("abcd"), 0);
    EXPECT_EQ(detached.FontHeight(), 0);
}

TEST_F(RecordedCanvas, SetProjectionCentresOnThePlot)
{
    TView3DOptions options;
    options.SetHorizOffset(5);
    options.SetVertOffset(-3);
    canvas.ViewOptions = &options;
    canvas.SetProjection(21, TRect{0, 0, 257, 204}, TRect{8, 8, 249, 195});
    EXPECT_EQ(canvas.CenterX, 128);
    EXPECT_EQ(canvas.CenterY, 101);
    EXPECT_EQ(canvas.CenterZ, 10);
    EXPECT_EQ(canvas.OffsetCenterX, 133);
    EXPECT_EQ(canvas.OffsetCenterY, 98);
}

// Buffering: the canvas draws into a bitmap and shows it with one copy.
class BufferedCanvas : public ::testing::Test {
protected:
    RecordingDevice screen{40, 30};
    TCanvas control{&screen};
    TChartCanvas3D canvas;
    TView3DOptions options;
    const TRect client{0, 0, 40, 30};

    void SetUp() override
    {
        canvas.AttachCanvas(&control);
        canvas.SetDeviceFactory([](int w, int h, bool) { return std::make_unique<RecordingDevice>(w, h); });
    }
    void PaintOnce()
    {
        const TRect r = canvas.BeginDrawing(&control, &options, clWhite, false, client);
        canvas.FillRect(r);
        canvas.EndDrawing(&control, &control, client);
    }
};

TEST_F(BufferedCanvas, StartsDirtyWithoutBitmap)
{
    EXPECT_TRUE(canvas.Dirty());
    EXPECT_TRUE(canvas.Buffered());
    EXPECT_FALSE(canvas.Monochrome());
    EXPECT_EQ(canvas.OffscreenBitmap(), nullptr);
    EXPECT_TRUE(canvas.Is3D);
    EXPECT_FALSE(canvas.ShowBufferedImage());
}

TEST_F(BufferedCanvas, PaintDrawsIntoTheBitmapAndCopiesItOnce)
{
    const TRect r = canvas.BeginDrawing(&control, &options, clWhite, false, TRect{5, 6, 45, 36});
    EXPECT_EQ(r, (TRect{0, 0, 40, 30}));
    ASSERT_NE(canvas.OffscreenBitmap(), nullptr);
    EXPECT_EQ(canvas.TargetCanvas(), &const_cast<TBitmap*>(canvas.OffscreenBitmap())->Canvas());
    EXPECT_FALSE(canvas.Is3D);
    EXPECT_EQ(canvas.ViewOptions, &options);
    canvas.EndDrawing(&control, &control, TRect{5, 6, 45, 36});
    EXPECT_FALSE(canvas.Dirty());
    EXPECT_EQ(canvas.TargetCanvas(), &control);
    EXPECT_EQ(screen.Calls().back(), "CopyFrom(5,6,40x30)");

    screen.ClearCalls();
    EXPECT_TRUE(canvas.ShowBufferedImage());
    EXPECT_EQ(screen.Calls(), (Calls{"CopyFrom(0,0,40x30)"}));
}

TEST_F(BufferedCanvas, MarkDirtyForcesTheNextPaintToDraw)
{
    PaintOnce();
    const TBitmap* bitmap = canvas.OffscreenBitmap();
    canvas.MarkDirty();
    EXPECT_FALSE(canvas.ShowBufferedImage());
    PaintOnce();
    EXPECT_EQ(canvas.OffscreenBitmap(), bitmap); // reused
    EXPECT_TRUE(canvas.ShowBufferedImage());
}

TEST_F(BufferedCanvas, SwitchingBufferingOffFreesTheBitmap)
{
    PaintOnce();
    canvas.SetBuffered(false);
    EXPECT_EQ(canvas.OffscreenBitmap(), nullptr);
    EXPECT_TRUE(canvas.Dirty());
    const TRect r = canvas.BeginDrawing(&control, &options, clWhite, false, TRect{2, 3, 10, 10});
    EXPECT_EQ(r, (TRect{2, 3, 10, 10}));
    EXPECT_EQ(canvas.TargetCanvas(), &control);
    canvas.EndDrawing(&control, &control, TRect{2, 3, 10, 10});
    EXPECT_TRUE(canvas.Dirty());
    EXPECT_FALSE(canvas.ShowBufferedImage());
}

TEST_F(BufferedCanvas, MonochromeChangeFreesTheBitmapAndRepaints)
{
    bool monoRequested = false;
    canvas.SetDeviceFactory([&](int w, int h, bool mono) {
        monoRequested = mono;
        return std::make_unique<ImageDevice>(w, h, mono);
    });
    int repaints = 0;
    options.SetRepaintHandler([&] { ++repaints; });
    PaintOnce();
    canvas.SetMonochrome(false);
    EXPECT_EQ(repaints, 0);
    canvas.SetMonochrome(true);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(canvas.OffscreenBitmap(), nullptr);
    EXPECT_TRUE(canvas.Dirty());
    PaintOnce();
    EXPECT_TRUE(monoRequested);
    EXPECT_TRUE(canvas.OffscreenBitmap()->Monochrome());

    TChartCanvas3D other;
    other.AssignSettings(canvas);
    EXPECT_TRUE(other.Monochrome());
}

// Pixels through the whole stack: canvas, form canvas and image device.
class ImageCanvas : public ::testing::Test {
protected:
    ImageDevice device{20, 12};
    TCanvas control{&device};
    TChartCanvas3D canvas;
    void SetUp() override { canvas.AttachCanvas(&control); }
};

TEST_F(ImageCanvas, Frame3DDrawsHighlightTopLeftAndShadowBottomRight)
{
    TRect r{0, 0, 6, 5};
    canvas.Frame3D(r, clRed, clBlue, 1);
    EXPECT_EQ(r, (TRect{1, 1, 5, 4}));
    EXPECT_EQ(Art(device, 7, 6),
              (std::vector<std::string>{"rrrrrb.", "r....b.", "r....b.", "r....b.", "bbbbbb.", "......."}));
}

TEST_F(ImageCanvas, DepthLineAndLineToCurrentPointDrawNothing)
{
    canvas.Is3D = false;
    canvas.DepthLine(5, 5, 0, 20);
    canvas.MoveTo(3, 3);
    canvas.LineTo(3, 3);
    EXPECT_EQ(CountPixels(device, clBlack), 0);
}

TEST_F(ImageCanvas, TextOutRotatedAtZeroIsTextOutOnATransparentBackground)
{
    ImageDevice plain(60, 30);
    TCanvas plainControl(&plain);
    TChartCanvas3D plainCanvas;
    plainCanvas.AttachCanvas(&plainControl);
    plainCanvas.Brush()->SetStyle(bsClear);
    plainCanvas.TextOut(2, 2, "Eje");

    ImageDevice turned(60, 30);
    TCanvas turnedControl(&turned);
    TChartCanvas3D turnedCanvas;
    turnedCanvas.AttachCanvas(&turnedControl);
    turnedCanvas.Brush()->SetColor(clRed); // opaque red until the rotated text clears it
    turnedCanvas.TextOutRotated(2, 2, "Eje", 0);
    EXPECT_EQ(*turned.Image(), *plain.Image());
    EXPECT_EQ(CountPixels(turned, clRed), 0);
}

TEST_F(ImageCanvas, GradientRunsFromStartToEnd)
{
    canvas.GradientFill(TRect{0, 0, 20, 12}, clBlack, clWhite, gdTopBottom);
    EXPECT_EQ(device.PixelAt(0, 0), clBlack);
    EXPECT_EQ(device.PixelAt(19, 11), clWhite);
    EXPECT_LT(RedOf(device.PixelAt(5, 3)), RedOf(device.PixelAt(5, 8)));
    canvas.GradientFill(TRect{0, 0, 20, 12}, clBlack, clWhite, gdRightLeft);
    EXPECT_EQ(device.PixelAt(19, 5), clBlack);
    EXPECT_EQ(device.PixelAt(0, 5), clWhite);
    for (TGradientDirection d : {gdFromCenter, gdFromTopLeft, gdFromBottomLeft}) {
        canvas.GradientFill(TRect{0, 0, 20, 12}, clRed, clBlue, d);
        EXPECT_EQ(CountPixels(device, clWhite), 0) << d;
    }
    // The canvas brush is untouched by the gradient.
    EXPECT_EQ(device.Brush().Color, clWhite);
}

TEST(DefaultChartFont, IsArialEightPointsBlack)
{
    const auto font = DefaultChartFont();
    EXPECT_EQ(font->Name(), "Arial");
    EXPECT_EQ(font->Size(), 8);
    EXPECT_EQ(font->Height(), -11);
    EXPECT_EQ(font->Color(), clBlack);
    EXPECT_EQ(font->Style(), 0u);
}
