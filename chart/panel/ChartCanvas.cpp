// SPDX-License-Identifier: MIT
#include "chart/panel/ChartCanvas.h"

#include "chart/device/ImageDevice.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QLocale>

#include <algorithm>

namespace nc {

// ------------------------------------------------------------ pen classes

void TChartPen::Assign(const TPen& source)
{
    if (&source == this)
        return;
    bool changed = AssignFields(source);
    if (const auto* chartPen = dynamic_cast<const TChartPen*>(&source))
        changed |= StoreChanged(visible_, chartPen->visible_);
    RepaintIf(changed);
}

TChartHiddenPen::TChartHiddenPen()
{
    SetVisible(false);
}

TDottedGrayPen::TDottedGrayPen()
{
    SetColor(clGray);
    SetStyle(psDot);
}

TDarkGrayPen::TDarkGrayPen()
{
    SetColor(clGray);
}

TChartAxisPen::TChartAxisPen()
{
    SetWidth(2);
}

TChartArrowPen::TChartArrowPen()
{
    SetColor(clWhite);
}

// ------------------------------------------------------------ view options

void TView3DOptions::Assign(const TView3DOptions& source)
{
    elevation_ = source.elevation_;
    horizOffset_ = source.horizOffset_;
    orthogonal_ = source.orthogonal_;
    rotation_ = source.rotation_;
    tilt_ = source.tilt_;
    vertOffset_ = source.vertOffset_;
    zoom_ = source.zoom_;
}

// ------------------------------------------------------------ TChartCanvas

void TChartCanvas::ApplyChartPen(const TChartPen& pen)
{
    if (target_ == nullptr)
        return;
    if (!pen.Visible()) {
        target_->Pen().SetStyle(psClear);
    } else {
        target_->Pen().TPen::Assign(pen);
    }
}

void TChartCanvas::ResetDrawingState()
{
    if (target_ == nullptr)
        return;
    TPen& pen = target_->Pen();
    pen.SetColor(clBlack);
    pen.SetWidth(1);
    pen.SetStyle(psSolid);
    TBrush& brush = target_->Brush();
    brush.SetColor(clWhite);
    brush.SetStyle(bsSolid);
    TFont& font = target_->Font();
    font.SetColor(clBlack);
    font.SetSize(10);
    if (DrawDevice* device = target_->Handle()) {
        device->SetBkColor(clWhite);
        device->SetBkMode(OPAQUE);
    }
}

int TChartCanvas::TextWidth(const std::string& text)
{
    DrawDevice* device = GetHandle();
    return device ? device->TextExtent(text).Width : 0;
}

int TChartCanvas::TextHeight(const std::string& text)
{
    DrawDevice* device = GetHandle();
    return device ? device->TextExtent(text).Height : 0;
}

// ---------------------------------------------------------- TChartCanvas3D

TChartCanvas3D::TChartCanvas3D()
    : factory_([](int w, int h, bool mono) { return std::make_unique<ImageDevice>(w, h, mono); })
{}

TChartCanvas3D::~TChartCanvas3D() = default;

DrawDevice* TChartCanvas3D::GetHandle()
{
    return TargetCanvas() ? TargetCanvas()->Handle() : nullptr;
}

TColor TChartCanvas3D::GetBackColor()
{
    DrawDevice* d = GetHandle();
    return d ? d->GetBkColor() : clWhite;
}

int TChartCanvas3D::GetBackMode()
{
    DrawDevice* d = GetHandle();
    return d ? d->GetBkMode() : OPAQUE;
}

unsigned TChartCanvas3D::GetTextAlign()
{
    DrawDevice* d = GetHandle();
    return d ? d->GetTextAlign() : 0;
}

void TChartCanvas3D::SetBackColor(TColor color)
{
    if (DrawDevice* d = GetHandle())
        d->SetBkColor(ColorToRGB(color));
}

void TChartCanvas3D::SetBackMode(int mode)
{
    if (DrawDevice* d = GetHandle())
        d->SetBkMode(mode);
}

void TChartCanvas3D::SetTextAlign(unsigned flags)
{
    if (DrawDevice* d = GetHandle())
        d->SetTextAlign(flags);
}

void TChartCanvas3D::FreeBitmap()
{
    if (bitmap_ && TargetCanvas() == &bitmap_->Canvas())
        AttachCanvas(nullptr);
    bitmap_.reset();
    dirty_ = true;
}

void TChartCanvas3D::SetMonochrome(bool value)
{
    if (!StoreChanged(monochrome_, value))
        return;
    FreeBitmap();
    if (ViewOptions != nullptr)
        ViewOptions->Repaint();
}

void TChartCanvas3D::SetBuffered(bool value)
{
    buffered_ = value;
    if (!value && bitmap_)
        FreeBitmap();
}

void TChartCanvas3D::SetPixel(int x, int y, TColor color)
{
    if (DrawDevice* d = GetHandle())
        d->SetPixel(x, y, ColorToRGB(color));
}

void TChartCanvas3D::Draw(int x, int y, const QImage& picture)
{
    if (DrawDevice* d = GetHandle())
        d->DrawImage(TRect{x, y, x + picture.width(), y + picture.height()}, picture);
}

void TChartCanvas3D::StretchDraw(const TRect& r, const QImage& picture)
{
    if (DrawDevice* d = GetHandle())
        d->DrawImage(r, picture);
}

void TChartCanvas3D::Ellipse(int x0, int y0, int x1, int y1)
{
    if (DrawDevice* d = GetHandle())
        d->Ellipse(x0, y0, x1, y1);
}

void TChartCanvas3D::FillRect(const TRect& r)
{
    if (DrawDevice* d = GetHandle())
        d->FillRect(r);
}

void TChartCanvas3D::Frame3D(TRect& r, TColor topColor, TColor bottomColor, int width)
{
    TPen* pen = Pen();
    if (pen == nullptr)
        return;
    pen->SetWidth(1);
    --r.Bottom;
    --r.Right;
    for (; width > 0; --width) {
        // Past the middle the rings cross over and grow apart again. Once all
        // four edges lie beyond the picture, each on the side it moves away
        // to, no further ring leaves a pixel: they are counted, not drawn, so
        // that a width of millions ends and the edges cannot run past int.
        // The pen is left as the last ring would leave it. (The device is
        // read without taking the pen and brush to it, which the next line
        // drawn does.)
        const DrawDevice* d = r.Left > r.Right && TargetCanvas() != nullptr ? TargetCanvas()->Device() : nullptr;
        if (d != nullptr) {
            const TRect b = d->Bounds();
            if (r.Left >= b.Right && r.Right < b.Left && r.Top >= b.Bottom && r.Bottom < b.Top) {
                const long long rest = width;
                pen->SetColor(bottomColor);
                MoveTo(Saturated(r.Left + rest - 2), Saturated(r.Bottom + 1 - rest));
                r = TRect{Saturated(r.Left + rest), Saturated(r.Top + rest), Saturated(r.Right - rest),
                          Saturated(r.Bottom - rest)};
                break;
            }
        }
        pen->SetColor(topColor);
        MoveTo(r.Left, r.Bottom);
        LineTo(r.Left, r.Top);
        LineTo(r.Right, r.Top);
        pen->SetColor(bottomColor);
        LineTo(r.Right, r.Bottom);
        LineTo(r.Left - 1, r.Bottom);
        InflateRect(r, -1, -1);
    }
    ++r.Bottom;
    ++r.Right;
}

void TChartCanvas3D::LineTo(int x, int y)
{
    if (DrawDevice* d = GetHandle())
        d->LineTo(x, y);
}

void TChartCanvas3D::PolyLineTo(std::span<const TPoint> points)
{
    if (DrawDevice* d = GetHandle())
        d->PolyLineTo(points);
}

void TChartCanvas3D::MoveTo(int x, int y)
{
    if (DrawDevice* d = GetHandle())
        d->MoveTo(x, y);
}

void TChartCanvas3D::Rectangle(int x0, int y0, int x1, int y1)
{
    if (DrawDevice* d = GetHandle())
        d->Rectangle(x0, y0, x1, y1);
}

void TChartCanvas3D::RectangleR(const TRect& r)
{
    Rectangle(r.Left, r.Top, r.Right, r.Bottom);
}

void TChartCanvas3D::TextOut(int x, int y, const std::string& text)
{
    if (DrawDevice* d = GetHandle())
        d->TextOut(x, y, text);
}

void TChartCanvas3D::ClipToRect(const TRect& r)
{
    if (DrawDevice* d = GetHandle())
        d->SetClipRect(r);
}

void TChartCanvas3D::ResetClip()
{
    if (DrawDevice* d = GetHandle())
        d->SetClipRect(d->Bounds());
}

void TChartCanvas3D::HorizLine(int x0, int x1, int y)
{
    MoveTo(x0, y);
    LineTo(x1, y);
}

void TChartCanvas3D::VertLine(int x, int y0, int y1)
{
    MoveTo(x, y0);
    LineTo(x, y1);
}

void TChartCanvas3D::Line(int x0, int y0, int x1, int y1)
{
    MoveTo(x0, y0);
    LineTo(x1, y1);
}

void TChartCanvas3D::Polygon(std::span<const TPoint> points)
{
    if (DrawDevice* d = GetHandle())
        d->Polygon(points);
}

namespace {

TColor Blend(TColor a, TColor b, long long num, long long den)
{
    if (den <= 0)
        return a;
    auto mix = [&](int ca, int cb) { return static_cast<int>(ca + (cb - ca) * num / den); };
    return RGBColor(mix(RedOf(a), RedOf(b)), mix(GreenOf(a), GreenOf(b)), mix(BlueOf(a), BlueOf(b)));
}

} // namespace

// A smooth fill in bands one pixel wide: rows or columns for the straight
// directions, nested rectangles for the centre and corner ones.
void TChartCanvas3D::GradientFill(const TRect& r, TColor startColor, TColor endColor, TGradientDirection direction)
{
    DrawDevice* d = GetHandle();
    if (d == nullptr || r.IsEmpty())
        return;
    const DeviceBrush saved = d->Brush();
    const TColor from = ColorToRGB(startColor);
    const TColor to = ColorToRGB(endColor);
    auto band = [&](const TRect& area, TColor c) {
        d->SelectBrush(DeviceBrush{c, bsSolid, {}});
        d->FillRect(area);
    };
    const int w = r.Width();
    const int h = r.Height();
    switch (direction) {
    case gdTopBottom:
    case gdBottomTop:
        for (int i = 0; i < h; ++i) {
            const int y = direction == gdTopBottom ? r.Top + i : r.Bottom - 1 - i;
            band(TRect{r.Left, y, r.Right, y + 1}, Blend(from, to, i, h - 1));
        }
        break;
    case gdLeftRight:
    case gdRightLeft:
        for (int i = 0; i < w; ++i) {
            const int x = direction == gdLeftRight ? r.Left + i : r.Right - 1 - i;
            band(TRect{x, r.Top, x + 1, r.Bottom}, Blend(from, to, i, w - 1));
        }
        break;
    case gdFromCenter: {
        const int steps = (std::min(w, h) + 1) / 2;
        for (int k = 0; k < steps; ++k) {
            TRect ring = r;
            InflateRect(ring, -k, -k);
            band(ring, Blend(to, from, k, steps - 1));
        }
        break;
    }
    case gdFromTopLeft:
    case gdFromBottomLeft: {
        const int steps = std::max(w, h);
        for (int k = steps; k >= 1; --k) {
            const int bw = static_cast<int>((static_cast<long long>(w) * k + steps - 1) / steps);
            const int bh = static_cast<int>((static_cast<long long>(h) * k + steps - 1) / steps);
            const TRect area = direction == gdFromTopLeft ? TRect{r.Left, r.Top, r.Left + bw, r.Top + bh}
                                                          : TRect{r.Left, r.Bottom - bh, r.Left + bw, r.Bottom};
            band(area, Blend(from, to, k - 1, steps - 1));
        }
        break;
    }
    }
    d->SelectBrush(saved);
}

namespace {

// Zoomed font sizes stop at 2^20 points: that is past the largest height the
// device draws at any resolution, and its pixel height still fits an int.
constexpr int kMaxZoomedPoints = 1 << 20;

int ZoomedSize(int size, double zoom)
{
    return std::clamp(RoundEven(size * zoom), 1, kMaxZoomedPoints);
}

} // namespace

void TChartCanvas3D::TextOutRotated(int x, int y, const std::string& text, int angle)
{
    TBrush* brush = Brush();
    TFont* font = Font();
    if (brush == nullptr || font == nullptr)
        return;
    brush->SetStyle(bsClear);
    DrawDevice* d = GetHandle();
    if (d == nullptr)
        return;
    DeviceFont rotated = font->ToDeviceFont();
    rotated.Escapement = angle * 10;
    if (ZoomFactor != 1.0) {
        rotated.Height = -MulDiv(ZoomedSize(font->Size(), ZoomFactor), font->PixelsPerInch(), 72);
    }
    const DeviceFont previous = d->Font();
    d->SelectFont(rotated);
    d->TextOut(x, y, text);
    d->SelectFont(previous);
}

TPoint TChartCanvas3D::ProjectPoint(int x, int y, int /*z*/) const
{
    return TPoint{x, y};
}

TRect TChartCanvas3D::BeginDrawing(TCanvas* userCanvas, TView3DOptions* options, TColor /*backColor*/, bool is3D,
                                   const TRect& userRect)
{
    Bounds = userRect;
    ViewOptions = options;
    Is3D = is3D;
    ZoomFactor = 1.0;
    if (Is3D && options != nullptr) {
        IsOrthogonal = options->Orthogonal();
        ZoomFactor = options->Zoom() * 0.01;
    }
    if (buffered_) {
        const int w = userRect.Width();
        const int h = userRect.Height();
        if (!bitmap_)
            bitmap_ = std::make_unique<TBitmap>(factory_(w, h, monochrome_), monochrome_);
        AttachCanvas(&bitmap_->Canvas());
        return TRect{0, 0, w, h};
    }
    AttachCanvas(userCanvas);
    return userRect;
}

void TChartCanvas3D::SetProjection(int depth, const TRect& /*panelRect*/, const TRect& plotRect)
{
    CenterX = (plotRect.Left + plotRect.Right) / 2;
    CenterY = (plotRect.Top + plotRect.Bottom) / 2;
    OffsetCenterX = CenterX;
    OffsetCenterY = CenterY;
    if (ViewOptions != nullptr) {
        // Offsets take any int; the centre stops at int's ends.
        OffsetCenterX = Saturated(static_cast<long long>(OffsetCenterX) + ViewOptions->HorizOffset());
        OffsetCenterY = Saturated(static_cast<long long>(OffsetCenterY) + ViewOptions->VertOffset());
    }
    CenterZ = depth / 2;
}

void TChartCanvas3D::EndDrawing(TCanvas* userCanvas, TCanvas* controlCanvas, const TRect& userRect)
{
    if (buffered_ && bitmap_) {
        if (DrawDevice* d = userCanvas ? userCanvas->Handle() : nullptr) {
            d->CopyFrom(bitmap_->Device(), userRect.Left, userRect.Top);
        }
        dirty_ = false;
    }
    AttachCanvas(controlCanvas);
}

bool TChartCanvas3D::ShowBufferedImage()
{
    if (dirty_ || !bitmap_)
        return false;
    if (DrawDevice* d = GetHandle())
        d->CopyFrom(bitmap_->Device(), 0, 0);
    return true;
}

void TChartCanvas3D::ClipToPlotArea(const TRect& r, int /*z0*/, int /*z1*/)
{
    ClipToRect(TRect{r.Left + 1, r.Top + 1, r.Right, r.Bottom - 1});
}

void TChartCanvas3D::HorizLineZ(int x0, int x1, int y, int z)
{
    const TPoint a = ProjectPoint(x0, y, z);
    const TPoint b = ProjectPoint(x1, y, z);
    Line(a.X, a.Y, b.X, b.Y);
}

void TChartCanvas3D::VertLineZ(int x, int y0, int y1, int z)
{
    const TPoint a = ProjectPoint(x, y0, z);
    const TPoint b = ProjectPoint(x, y1, z);
    Line(a.X, a.Y, b.X, b.Y);
}

void TChartCanvas3D::DepthLine(int x, int y, int z0, int z1)
{
    const TPoint a = ProjectPoint(x, y, z0);
    const TPoint b = ProjectPoint(x, y, z1);
    Line(a.X, a.Y, b.X, b.Y);
}

void TChartCanvas3D::EllipseZ(const TRect& r, int z)
{
    const TPoint a = ProjectPoint(r.Left, r.Top, z);
    const TPoint b = ProjectPoint(r.Right, r.Bottom, z);
    Ellipse(a.X, a.Y, b.X, b.Y);
}

void TChartCanvas3D::ProjectionOff()
{
    saved3D_ = Is3D;
    Is3D = false;
}

void TChartCanvas3D::ProjectionOn()
{
    Is3D = saved3D_;
}

void TChartCanvas3D::LineZ(int x0, int y0, int x1, int y1, int z)
{
    const TPoint a = ProjectPoint(x0, y0, z);
    const TPoint b = ProjectPoint(x1, y1, z);
    Line(a.X, a.Y, b.X, b.Y);
}

void TChartCanvas3D::MoveToZ(int x, int y, int z)
{
    const TPoint p = ProjectPoint(x, y, z);
    MoveTo(p.X, p.Y);
}

void TChartCanvas3D::LineToZ(int x, int y, int z)
{
    const TPoint p = ProjectPoint(x, y, z);
    LineTo(p.X, p.Y);
}

void TChartCanvas3D::RectangleZ(const TRect& r, int z)
{
    const TPoint a = ProjectPoint(r.Left, r.Top, z);
    const TPoint b = ProjectPoint(r.Right, r.Bottom, z);
    Rectangle(a.X, a.Y, b.X, b.Y);
}

void TChartCanvas3D::TextOutRotatedZ(int x, int y, int z, const std::string& text, int angle)
{
    const TPoint p = ProjectPoint(x, y, z);
    TextOutRotated(p.X, p.Y, text, angle);
}

void TChartCanvas3D::TextOutZ(int x, int y, int z, const std::string& text)
{
    const TPoint p = ProjectPoint(x, y, z);
    TFont* font = Font();
    if (ZoomFactor == 1.0 || font == nullptr) {
        TextOut(p.X, p.Y, text);
        return;
    }
    const int oldHeight = font->Height();
    font->SetSize(ZoomedSize(font->Size(), ZoomFactor));
    TextOut(p.X, p.Y, text);
    font->SetHeight(oldHeight);
}

// ------------------------------------------------------------ default font

void InitDefaultChartFont(TFont& font)
{
    std::string name = "Arial";
    int size = std::stoi("8");
    if (QLocale::system().language() == QLocale::Japanese && size == 8
        && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        const QFont desktop = QGuiApplication::font();
        name = desktop.family().toStdString();
        size = QFontInfo(desktop).pointSize();
    }
    font.SetName(name);
    font.SetSize(size);
    font.SetColor(clBlack);
    font.SetStyle(0);
}

std::unique_ptr<TFont> DefaultChartFont()
{
    auto font = std::make_unique<TFont>();
    InitDefaultChartFont(*font);
    return font;
}

} // namespace nc
