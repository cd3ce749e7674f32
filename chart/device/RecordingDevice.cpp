// SPDX-License-Identifier: MIT
#include "chart/device/RecordingDevice.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace nc {

namespace {

const char* StyleName(TPenStyle s)
{
    static const char* const names[]
        = {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
    return names[s];
}

const char* ModeName(TPenMode m)
{
    static const char* const names[]
        = {"pmBlack",       "pmWhite",      "pmNop",         "pmNot",        "pmCopy",  "pmNotCopy",
           "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
           "pmMask",        "pmNotMask",    "pmXor",         "pmNotXor"};
    return names[m];
}

const char* BrushName(TBrushStyle s)
{
    static const char* const names[]
        = {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"};
    return names[s];
}

std::string Ints(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values) {
        if (!s.empty())
            s += ',';
        s += std::to_string(v);
    }
    return s;
}

} // namespace

std::string ColorText(TColor c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06X", static_cast<unsigned>(c));
    return buf;
}

RecordingDevice::RecordingDevice(int width, int height) : DrawDevice(width, height) {}

void RecordingDevice::SelectPen(const DevicePen& pen)
{
    Record("Pen(" + ColorText(pen.Color) + "," + StyleName(pen.Style) + "," + std::to_string(pen.Width) + ","
           + ModeName(pen.Mode) + ")");
    DrawDevice::SelectPen(pen);
}

void RecordingDevice::SelectBrush(const DeviceBrush& brush)
{
    Record("Brush(" + ColorText(brush.Color) + "," + BrushName(brush.Style) + (brush.Pattern.isNull() ? "" : ",pattern")
           + ")");
    DrawDevice::SelectBrush(brush);
}

void RecordingDevice::SelectFont(const DeviceFont& font)
{
    std::string s = "Font(" + font.Name + "," + std::to_string(font.Height) + "," + ColorText(font.Color);
    if (font.Bold)
        s += ",bold";
    if (font.Italic)
        s += ",italic";
    if (font.Underline)
        s += ",underline";
    if (font.StrikeOut)
        s += ",strikeout";
    if (font.Escapement != 0)
        s += ",esc=" + std::to_string(font.Escapement);
    Record(s + ")");
    DrawDevice::SelectFont(font);
}

void RecordingDevice::SetBkMode(int mode)
{
    Record("BkMode(" + std::to_string(mode) + ")");
    DrawDevice::SetBkMode(mode);
}

void RecordingDevice::SetBkColor(TColor color)
{
    Record("BkColor(" + ColorText(color) + ")");
    DrawDevice::SetBkColor(color);
}

void RecordingDevice::SetTextAlign(unsigned flags)
{
    Record("TextAlign(" + std::to_string(flags) + ")");
    DrawDevice::SetTextAlign(flags);
}

void RecordingDevice::SetClipRect(const TRect& r)
{
    DrawDevice::SetClipRect(r);
    const TRect& c = ClipRect();
    Record("Clip(" + Ints({c.Left, c.Top, c.Right, c.Bottom}) + ")");
}

void RecordingDevice::MoveTo(int x, int y)
{
    Record("MoveTo(" + Ints({x, y}) + ")");
    DrawDevice::MoveTo(x, y);
}

void RecordingDevice::LineTo(int x, int y)
{
    Record("LineTo(" + Ints({x, y}) + ")");
    SetCurrentPoint(x, y);
}

void RecordingDevice::Rectangle(int x0, int y0, int x1, int y1)
{
    Record("Rectangle(" + Ints({x0, y0, x1, y1}) + ")");
}

void RecordingDevice::FillRect(const TRect& r)
{
    Record("FillRect(" + Ints({r.Left, r.Top, r.Right, r.Bottom}) + ")");
}

void RecordingDevice::Ellipse(int x0, int y0, int x1, int y1)
{
    Record("Ellipse(" + Ints({x0, y0, x1, y1}) + ")");
}

void RecordingDevice::Polygon(std::span<const TPoint> points)
{
    std::string s = "Polygon(";
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0)
            s += ' ';
        s += Ints({points[i].X, points[i].Y});
    }
    Record(s + ")");
}

void RecordingDevice::SetPixel(int x, int y, TColor color)
{
    Record("Pixel(" + Ints({x, y}) + "," + ColorText(color) + ")");
}

void RecordingDevice::TextOut(int x, int y, const std::string& text)
{
    Record("TextOut(" + Ints({x, y}) + ",\"" + text + "\")");
}

TSize RecordingDevice::TextExtent(const std::string& text) const
{
    const int h = std::abs(Font().Height);
    return TSize{static_cast<int>(text.size()) * ((h + 1) / 2), h};
}

void RecordingDevice::CopyFrom(const DrawDevice& source, int x, int y)
{
    Record("CopyFrom(" + Ints({x, y}) + "," + std::to_string(source.Width()) + "x" + std::to_string(source.Height())
           + ")");
}

void RecordingDevice::DrawImage(const TRect& dest, const QImage& image)
{
    Record("DrawImage(" + Ints({dest.Left, dest.Top, dest.Right, dest.Bottom}) + "," + std::to_string(image.width())
           + "x" + std::to_string(image.height()) + ")");
}

} // namespace nc
