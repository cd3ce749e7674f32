// SPDX-License-Identifier: MIT
#pragma once

// The drawing objects the chart canvas works with: pen, brush and font with
// change notifications, a canvas that holds one of each over a device and
// makes them effective lazily, and an off-screen bitmap.

#include <QImage>
#include <QPoint>

class QPainter;

#include <functional>
#include <memory>
#include <string>

#include "chart/device/ChartDevice.h"
#include "chart/ChartTypes.h"

namespace nc {

// A pen: colour, mode, style and width. Every setter notifies OnChange when
// the value really changes; Assign notifies once when anything changed.
class TPen : public TNotifiesOnChange {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode value) { Store(mode_, value); }
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle value) { Store(style_, value); }
    int Width() const { return width_; }
    void SetWidth(int value) { Store(width_, value); }

    // Copies colour, mode, style and width (a chart pen also copies Visible).
    virtual void Assign(const TPen& source);

protected:
    // Copies the four pen values without notifying; true when any differed.
    bool AssignFields(const TPen& source);

private:
    TColor color_ = clBlack;
    TPenMode mode_ = pmCopy;
    TPenStyle style_ = psSolid;
    int width_ = 1;
};

class TBrush : public TNotifiesOnChange {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle value) { Store(style_, value); }
    // A pattern bitmap, tiled instead of colour and style when not null.
    const QImage& Bitmap() const { return bitmap_; }
    void SetBitmap(const QImage& value) { Store(bitmap_, value); }

    void Assign(const TBrush& source);

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    QImage bitmap_;
};

using TFontStyles = unsigned;
inline constexpr TFontStyles fsBold = 1;
inline constexpr TFontStyles fsItalic = 2;
inline constexpr TFontStyles fsUnderline = 4;
inline constexpr TFontStyles fsStrikeOut = 8;

// A font. Size (points) and Height (pixels; negative for the character
// height) are two views of one value, converted with PixelsPerInch.
class TFont : public TNotifiesOnChange {
public:
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { Store(name_, value); }
    int Height() const { return height_; }
    void SetHeight(int value) { Store(height_, value); }
    int Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }
    void SetSize(int points) { SetHeight(-MulDiv(points, pixelsPerInch_, 72)); }
    TColor Color() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles value) { Store(style_, value); }
    int PixelsPerInch() const { return pixelsPerInch_; }

    void Assign(const TFont& source);
    // The logical font a device draws with (no escapement).
    DeviceFont ToDeviceFont() const;

private:
    std::string name_ = "Arial";
    int height_ = -11; // 8 points at 96 pixels per inch
    TColor color_ = clBlack;
    TFontStyles style_ = 0;
    int pixelsPerInch_ = 96;
};

// A canvas: one pen, brush and font over a device (not owned). A change of
// the pen, brush or font takes effect on the device at the next Handle(), so
// the device sees one selection per change, not one per primitive. Making the
// brush effective also sets the device background: opaque in the brush colour
// for a solid brush, transparent for any other style.
class TCanvas {
public:
    explicit TCanvas(DrawDevice* device = nullptr);
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    TFont& Font() { return font_; }

    // The device without making anything effective; may be null.
    DrawDevice* Device() const { return device_; }
    void SetDevice(DrawDevice* device);
    // Makes the pending pen, brush and font effective and answers the device
    // (null when there is none).
    DrawDevice* Handle();

private:
    DrawDevice* device_;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    bool penValid_ = false;
    bool brushValid_ = false;
    bool fontValid_ = false;
};

// An off-screen picture with its own canvas. The device is chosen by whoever
// creates the bitmap (an ImageDevice normally, a RecordingDevice in tests).
class TBitmap {
public:
    TBitmap(std::unique_ptr<DrawDevice> device, bool monochrome);

    int Width() const { return device_->Width(); }
    int Height() const { return device_->Height(); }
    bool Monochrome() const { return monochrome_; }
    TCanvas& Canvas() { return *canvas_; }
    DrawDevice& Device() { return *device_; }
    const DrawDevice& Device() const { return *device_; }

private:
    std::unique_ptr<DrawDevice> device_;
    std::unique_ptr<TCanvas> canvas_;
    bool monochrome_;
};

// Draws a pixel-exact picture at `at`, in the painter's logical pixels. A
// whole device pixel ratio (or scale) makes every picture pixel a sharp block
// of device pixels; a fractional one would give blocks of unequal sizes, so
// the picture is resampled smoothly there instead.
void DrawPixelPicture(QPainter& painter, QPoint at, const QImage& picture);

} // namespace nc
