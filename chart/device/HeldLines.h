// SPDX-License-Identifier: MIT
#pragma once

// Long vertical lines, held back and written together a band of rows at a
// time. Down a column every pixel lies in a row of its own, on a memory page
// of its own once a row is over 4 KB (1024 pixels), and such writes cost
// several times what the same pixels cost in row order, where a band's few
// pages stay in the address cache. A large chart's vertical grid is some
// 15,000 of them (bench_chart's large BM_PaintResponse rows).
//
// Contract: Hold keeps a line; WriteInto writes every line held, over the
// lines and pixels written before it, exactly as writing each line when it
// was held would have, and forgets them. The owner keeps the picture right
// by writing them before any other write that Overlaps them and before any
// read; a write that covers the whole picture may Clear them instead.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "chart/ChartTypes.h"

namespace nc {

class HeldLines {
public:
    struct Column {
        int X;
        int Top; // rows Top .. Bottom - 1, inside the picture
        int Bottom;
        std::uint32_t Rgb;
        // The pen's pattern as met going down the rows (a line walked upwards
        // meets it backwards): bit i tells whether pixel i of a run that
        // starts at phase 0 is drawn. One bit, period 1, for a solid pen.
        std::uint32_t Pattern;
        int Period;
        int Phase; // the pattern's phase at row Top
    };
    // The line of column x over rows top .. bottom - 1 in colour rgb, whose
    // pattern (on bits and period) is at phase at row top and walks forward
    // going down when down is set, backwards otherwise.
    static Column ColumnOf(int x, int top, int bottom, std::uint32_t rgb, std::uint32_t onBits, int period, int phase,
                           bool down);

    // Shorter lines are better written at once: holding them saves nothing,
    // and a dense dotted curve draws one per point.
    static constexpr int kMinRows = 32;

    bool Empty() const { return held_.empty(); }
    // As many are held as writing them in a short loop per band allows: the
    // owner should write them now.
    bool Full() const { return held_.size() >= kMaxHeld; }
    bool Overlaps(const TRect& r) const
    {
        TRect common;
        return !held_.empty() && IntersectRect(common, r, box_);
    }

    void Hold(const Column& column);
    // Writes the lines into the picture whose rows start stride words apart
    // from bits, and forgets them.
    void WriteInto(std::uint32_t* bits, std::ptrdiff_t stride);
    void Clear() { held_.clear(); }

private:
    // Rows written a band at a time: a band of a 1280-pixel picture spans 20
    // pages, which the address cache holds.
    static constexpr int kBand = 16;
    static constexpr std::size_t kMaxHeld = 128;

    std::vector<Column> held_; // in the order held
    TRect box_;                // bounds them while there are any
};

} // namespace nc
