// SPDX-License-Identifier: MIT
#pragma once

// A device that draws nothing and records every drawing and state call as
// one line of text, for tests that assert call sequences exactly. It keeps
// the state a device keeps (pen, brush, font, modes, clip, current point),
// so that a caller reading it back sees what it set. Text is measured with
// fixed metrics: a cell |Height| pixels high and ceil(|Height| / 2) pixels
// wide per character.

#include <span>
#include <string>
#include <vector>

#include "chart/device/ChartDevice.h"

namespace nc {

class RecordingDevice final : public DrawDevice {
public:
    RecordingDevice(int width, int height);

    const std::vector<std::string>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }

    void SelectPen(const DevicePen& pen) override;
    void SelectBrush(const DeviceBrush& brush) override;
    void SelectFont(const DeviceFont& font) override;
    void SetBkMode(int mode) override;
    void SetBkColor(TColor color) override;
    void SetTextAlign(unsigned flags) override;
    void SetClipRect(const TRect& r) override;
    void MoveTo(int x, int y) override;

    void LineTo(int x, int y) override;
    void Rectangle(int x0, int y0, int x1, int y1) override;
    void FillRect(const TRect& r) override;
    void Ellipse(int x0, int y0, int x1, int y1) override;
    void Polygon(std::span<const TPoint> points) override;
    void SetPixel(int x, int y, TColor color) override;
    void TextOut(int x, int y, const std::string& text) override;
    TSize TextExtent(const std::string& text) const override;
    void CopyFrom(const DrawDevice& source, int x, int y) override;
    void DrawImage(const TRect& dest, const QImage& image) override;

private:
    void Record(std::string call) { calls_.push_back(std::move(call)); }
    std::vector<std::string> calls_;
};

// Formats a colour as the recording device writes it: "0x0000FF".
std::string ColorText(TColor c);

} // namespace nc
