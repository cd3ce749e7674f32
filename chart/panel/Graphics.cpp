// SPDX-License-Identifier: MIT
#include "chart/panel/Graphics.h"

#include <QPainter>
#include <QTransform>

#include <cmath>

namespace nc {

// ---------------------------------------------------------------------- TPen

void TPen::Assign(const TPen& source)
{
    if (&source == this)
        return;
    RepaintIf(AssignFields(source));
}

bool TPen::AssignFields(const TPen& source)
{
    bool changed = StoreChanged(color_, source.color_);
    changed |= StoreChanged(mode_, source.mode_);
    changed |= StoreChanged(style_, source.style_);
    changed |= StoreChanged(width_, source.width_);
    return changed;
}

// -------------------------------------------------------------------- TBrush

void TBrush::Assign(const TBrush& source)
{
    if (&source == this)
        return;
    bool changed = StoreChanged(color_, source.color_);
    changed |= StoreChanged(style_, source.style_);
    changed |= StoreChanged(bitmap_, source.bitmap_);
    RepaintIf(changed);
}

// --------------------------------------------------------------------- TFont

void TFont::Assign(const TFont& source)
{
    if (&source == this)
        return;
    bool changed = StoreChanged(name_, source.name_);
    changed |= StoreChanged(height_, source.height_);
    changed |= StoreChanged(color_, source.color_);
    changed |= StoreChanged(style_, source.style_);
    changed |= StoreChanged(pixelsPerInch_, source.pixelsPerInch_);
    RepaintIf(changed);
}

DeviceFont TFont::ToDeviceFont() const
{
    DeviceFont f;
    f.Name = name_;
    f.Height = height_;
    f.Bold = (style_ & fsBold) != 0;
    f.Italic = (style_ & fsItalic) != 0;
    f.Underline = (style_ & fsUnderline) != 0;
    f.StrikeOut = (style_ & fsStrikeOut) != 0;
    f.Escapement = 0;
    f.Color = ColorToRGB(color_);
    return f;
}

// ------------------------------------------------------------------- TCanvas

TCanvas::TCanvas(DrawDevice* device) : device_(device)
{
    pen_.OnChange = [this] { penValid_ = false; };
    brush_.OnChange = [this] { brushValid_ = false; };
    font_.OnChange = [this] { fontValid_ = false; };
}

void TCanvas::SetDevice(DrawDevice* device)
{
    device_ = device;
    penValid_ = brushValid_ = fontValid_ = false;
}

DrawDevice* TCanvas::Handle()
{
    if (device_ == nullptr)
        return nullptr;
    if (!penValid_) {
        device_->SelectPen(DevicePen{ColorToRGB(pen_.Color()), pen_.Style(), pen_.Width(), pen_.Mode()});
        penValid_ = true;
    }
    if (!brushValid_) {
        device_->SelectBrush(DeviceBrush{ColorToRGB(brush_.Color()), brush_.Style(), brush_.Bitmap()});
        if (brush_.Style() == bsSolid) {
            device_->SetBkColor(ColorToRGB(brush_.Color()));
            device_->SetBkMode(OPAQUE);
        } else {
            device_->SetBkMode(TRANSPARENT);
        }
        brushValid_ = true;
    }
    if (!fontValid_) {
        device_->SelectFont(font_.ToDeviceFont());
        fontValid_ = true;
    }
    return device_;
}

// ------------------------------------------------------------------- TBitmap

TBitmap::TBitmap(std::unique_ptr<DrawDevice> device, bool monochrome)
    : device_(std::move(device)), canvas_(std::make_unique<TCanvas>(device_.get())), monochrome_(monochrome)
{}

void DrawPixelPicture(QPainter& painter, QPoint at, const QImage& picture)
{
    // The device transform holds the device pixel ratio (and any scaling of
    // the caller): whole scale factors keep every picture pixel a sharp block.
    const QTransform t = painter.deviceTransform();
    const auto whole = [](qreal v) { return v > 0 && v == std::floor(v); };
    const bool blocks = t.type() <= QTransform::TxScale && whole(t.m11()) && whole(t.m22());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !blocks);
    painter.drawImage(at, picture);
    painter.restore();
}

} // namespace nc
