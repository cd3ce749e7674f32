// SPDX-License-Identifier: MIT
#include "chart/device/PictureBuffer.h"

#include <algorithm>
#include <utility>

namespace nc {

PictureBuffer::PictureBuffer(int width, int height)
    : image_(std::max(0, width), std::max(0, height), QImage::Format_RGB32)
{
    image_.fill(0xFFFFFFFFu);
    MarkUniform(0xFFFFFFFFu);
}

void PictureBuffer::Detach()
{
    bits_ = reinterpret_cast<std::uint32_t*>(image_.bits());
    stride_ = image_.bytesPerLine() / 4;
}

void PictureBuffer::ReadyForWholeFill()
{
    if (image_.isDetached())
        return;
    bits_ = nullptr;
    if (!spare_.isNull() && spare_.isDetached() && spare_.size() == image_.size()
        && spare_.format() == image_.format()) {
        std::swap(image_, spare_);
        spare_ = QImage();
    } else {
        image_ = QImage(image_.size(), image_.format());
    }
}

void PictureBuffer::ShareFrom(const PictureBuffer& source)
{
    source.spare_ = std::move(image_);
    image_ = source.image_;
    bits_ = nullptr;
    uniform_ = false;
}

} // namespace nc
