// SPDX-License-Identifier: MIT
#pragma once

// What the image device knows of texts, per font. Text goes through Qt's
// shaping, which costs more than everything else a small chart draws; an
// axis measures the same few labels several times per paint and draws the
// same labels paint after paint. So each font keeps what was measured and
// rendered with it, by text: the advance width, and the rendered text as
// runs of pixels relative to the reference point (background cell and glyphs
// apart), so that drawing it again is a few row fills at any position, in
// any colour, over any background and clip.
//
// Contract: an entry depends only on what keys it (the font's shape: name,
// height, styles; the text; the turn and the cell's offset from the
// reference point), so it cannot go stale: colour, background and clip are
// the device's to apply when plotting. The tables are dropped whole when
// they outgrow a bound, so a reference into them lasts until the next
// lookup. Measuring and rendering need a QGuiApplication; the device asks
// for none without one.

#include <QFont>
#include <QRect>
#include <QString>
#include <QTransform>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "chart/ChartTypes.h"
#include "chart/device/CoverageMask.h"
#include "chart/device/DeviceTools.h"

namespace nc {

struct TextRun {
    int Dy;  // row, relative to the reference point
    int Dx0; // columns Dx0 .. Dx1 - 1
    int Dx1;
};

// Runs with their bounds (relative, like the runs), so that a text away from
// the clip's edges is drawn without testing each run.
struct TextRuns {
    std::vector<TextRun> Runs;
    TRect Box;
};

struct RenderedText {
    TextRuns Background; // the text cell, for an opaque background
    TextRuns Glyphs;
};

// The texts of one font shape.
class FontTexts {
public:
    explicit FontTexts(const DeviceFont& font);

    const DeviceFont& Shape() const { return shape_; } // colour and escapement are not part of the key
    int Ascent() const { return ascent_; }
    int Cell() const { return cell_; } // ascent + descent

    // What is known of a text: its advance, and its renderings, one per turn
    // and cell offset (which follow from the alignment and the font); a text
    // has a few of them at most, as only exact turns are kept.
    struct Text {
        int Advance = 0;
        const RenderedText* Find(int escapement, int ox, int oy) const;
        const RenderedText& Keep(int escapement, int ox, int oy, RenderedText runs);

    private:
        struct Placed {
            int Escapement;
            int Ox;
            int Oy;
            RenderedText Runs;
        };
        std::vector<Placed> placed_;
    };
    // The entry of text, measured on first use: one lookup per text drawn.
    // An axis asks for a label's width, the font's height (by "W") and the
    // label again, so the last two texts asked for are found first.
    Text& Measured(const std::string& text)
    {
        if (recents_[0].Key != nullptr && *recents_[0].Key == text)
            return *recents_[0].Entry;
        return Lookup(text);
    }

    // Whether a text of this advance turned by angle (degrees, as Qt turns)
    // is kept rendered: only at a turn Qt makes exactly, so that the runs are
    // the pixels that rendering at any integer position gives, and only up
    // to a bound on the mask it is rendered on.
    bool Keeps(double angle, int advance) const;
    // The mask a kept text is rendered on, relative to the reference point:
    // the cell placed by place, widened by a cell height on each side for
    // overhanging glyphs.
    QRect KeptArea(const QTransform& place, int ox, int oy, int advance) const;
    // Renders text as the reference point's runs on a mask over area, the
    // cell's top-left at (ox, oy) before place turns it.
    RenderedText Render(const QString& text, const QTransform& place, const QRect& area, int ox, int oy,
                        int advance) const;

    // Paint white on mask where the text's cell or its glyphs lie, the cell's
    // top-left at (ox, oy) before place moves it into device coordinates.
    void PaintCell(CoverageMask& mask, const QTransform& place, int ox, int oy, int advance) const;
    void PaintGlyphs(CoverageMask& mask, const QTransform& place, const QString& text, int ox, int oy) const;

private:
    Text& Lookup(const std::string& text);

    DeviceFont shape_;
    QFont qtFont_;
    int ascent_ = 0;
    int cell_ = 0;
    std::unordered_map<std::string, Text> texts_;
    // The last two texts looked up, the latest first.
    struct Recent {
        const std::string* Key = nullptr;
        Text* Entry = nullptr;
    };
    Recent recents_[2];
};

// The tables of the fonts a device has used. Few fonts per chart: a short
// list, searched when the selection changes.
class DeviceTextCache {
public:
    // Fonts that Qt draws alike: everything but colour and escapement.
    static bool SameShape(const DeviceFont& a, const DeviceFont& b)
    {
        return a.Height == b.Height && a.Bold == b.Bold && a.Italic == b.Italic && a.Underline == b.Underline
            && a.StrikeOut == b.StrikeOut && a.Name == b.Name;
    }

    // The device selected font.
    void Select(const DeviceFont& font)
    {
        if (current_ != nullptr && !SameShape(font, current_->Shape()))
            current_ = nullptr;
    }
    // The texts of font, the one last selected, created on first use.
    FontTexts& Current(const DeviceFont& font) { return current_ != nullptr ? *current_ : Find(font); }

private:
    FontTexts& Find(const DeviceFont& font);

    std::vector<std::unique_ptr<FontTexts>> fonts_;
    FontTexts* current_ = nullptr;
};

} // namespace nc
