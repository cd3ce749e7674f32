// SPDX-License-Identifier: MIT
#pragma once

// The image device's picture: a QImage in Qt's RGB32 format, written through
// a row address kept from one primitive to the next, and shared copy-on-write
// with whoever copies it.
//
//  - Rows answers the first row's address for writing, Stride the words per
//    row from then on. Asking Qt for them on every primitive (a detach, which
//    also renumbers the image, then the row address) costs more than a short
//    line, so the address is kept while the image stays unshared, which one
//    reference count read tells; a copy taken since still keeps its pixels.
//  - While the picture is uniform (nothing asked Rows or Mutable since the
//    last whole fill) every pixel has the fill's colour, so a solid fill of
//    that colour has nothing to do.
//  - A whole-picture copy (ShareFrom) shares the source's picture instead of
//    copying it, and hands its own old buffer to the source as the source's
//    spare; the source's next whole fill (ReadyForWholeFill), which makes its
//    old pixels irrelevant, writes into that spare rather than detaching. A
//    chart's bitmap and screen thus trade two buffers, and no paint copies
//    or allocates a picture.

#include <QImage>

#include <cstdint>

namespace nc {

class PictureBuffer {
public:
    // A white picture of width by height, a side below 0 taken as 0.
    PictureBuffer(int width, int height);

    const QImage& Image() const { return image_; }
    // The image for Qt to change (a painter, an assignment): the row address
    // is asked for again afterwards.
    QImage& Mutable()
    {
        bits_ = nullptr;
        uniform_ = false;
        return image_;
    }
    std::uint32_t* Rows()
    {
        uniform_ = false;
        if (bits_ == nullptr || !image_.isDetached())
            Detach();
        return bits_;
    }
    qsizetype Stride() const { return stride_; }

    bool IsUniform(std::uint32_t rgb) const { return uniform_ && uniformRgb_ == rgb; }
    // Every pixel has just been written rgb.
    void MarkUniform(std::uint32_t rgb)
    {
        uniformRgb_ = rgb;
        uniform_ = true;
    }
    // Pixels are about to change without Rows (lines held back for later).
    void MarkChanged() { uniform_ = false; }

    // Makes the image writable without copying its pixels, which the caller
    // is about to overwrite all of: the spare if it fits, else a new buffer.
    void ReadyForWholeFill();
    // This picture becomes source's, shared; source keeps the old buffer as
    // its spare. The two are the same size and format.
    void ShareFrom(const PictureBuffer& source);

private:
    void Detach();

    QImage image_;
    mutable QImage spare_;          // set by a copy of this picture, for its next whole fill
    std::uint32_t* bits_ = nullptr; // null: not asked for since the image changed
    qsizetype stride_ = 0;          // words per row, valid with bits_
    bool uniform_ = false;
    std::uint32_t uniformRgb_ = 0;
};

} // namespace nc
