// SPDX-License-Identifier: MIT
#include "chart/device/DeviceTextCache.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace nc {

namespace {

// Bounds of the tables: a chart uses a handful of fonts and, per font, the
// labels of a few ranges; a scrolling axis keeps making new ones.
constexpr std::size_t kMaxFonts = 16;
constexpr std::size_t kMaxTextsPerFont = 1024;
// The largest mask a text kept for reuse is rendered on (1 MB): a label in a
// font of about 130 pixels. Larger texts go through the clip every time.
constexpr long long kMaxKeptTextPixels = 1LL << 18;

// Qt's font metrics hold up to about 18000 pixels: past that the ascent
// wraps at 16384 and the height turns negative, so a label would measure
// less than nothing. A font asked larger than this, which no screen shows
// whole, is drawn at this size.
constexpr int kFontPixelLimit = 8192;

int FontPixels(long long pixels)
{
    return static_cast<int>(std::clamp<long long>(pixels, 1, kFontPixelLimit));
}

QFont ToQFont(const DeviceFont& f)
{
    QFont q(QString::fromStdString(f.Name));
    q.setStyleStrategy(QFont::NoAntialias);
    q.setBold(f.Bold);
    q.setItalic(f.Italic);
    q.setUnderline(f.Underline);
    q.setStrikeOut(f.StrikeOut);
    if (f.Height < 0) {
        q.setPixelSize(FontPixels(-static_cast<long long>(f.Height)));
    } else if (f.Height == 0) {
        q.setPixelSize(12);
    } else {
        // A positive height is the whole cell: scale the character height so
        // that ascent + descent matches it.
        const int asked = FontPixels(f.Height);
        q.setPixelSize(asked);
        const int cell = QFontMetrics(q).height();
        if (cell > 0)
            q.setPixelSize(FontPixels(1LL * asked * asked / cell));
    }
    return q;
}

// Qt turns by exactly these angles (its rotation has exact sines and cosines
// for them); any other angle is rendered afresh at its position every time.
bool ExactTurn(double angle)
{
    return angle == 0 || angle == 90 || angle == -90 || angle == 180 || angle == 270 || angle == -270;
}

// The set pixels of a mask as runs relative to the reference point, and
// their bounds.
void AppendRuns(TextRuns& runs, const CoverageMask& mask)
{
    ForEachRun(mask.Image, [&](int y, int x0, int x1) {
        const TRect run{mask.Left + x0, mask.Top + y, mask.Left + x1, mask.Top + y + 1};
        if (runs.Runs.empty()) {
            runs.Box = run;
        } else {
            runs.Box.Left = std::min(runs.Box.Left, run.Left);
            runs.Box.Right = std::max(runs.Box.Right, run.Right);
            runs.Box.Bottom = run.Bottom; // rows come from the top
        }
        runs.Runs.push_back({run.Top, run.Left, run.Right});
    });
}

} // namespace

FontTexts::FontTexts(const DeviceFont& font) : shape_(font), qtFont_(ToQFont(font))
{
    const QFontMetrics fm(qtFont_);
    ascent_ = fm.ascent();
    cell_ = fm.height();
}

const RenderedText* FontTexts::Text::Find(int escapement, int ox, int oy) const
{
    // Found by the placement among the text's few: no key is built per call.
    for (const Placed& p : placed_) {
        if (p.Escapement == escapement && p.Ox == ox && p.Oy == oy)
            return &p.Runs;
    }
    return nullptr;
}

const RenderedText& FontTexts::Text::Keep(int escapement, int ox, int oy, RenderedText runs)
{
    placed_.push_back(Placed{escapement, ox, oy, std::move(runs)});
    return placed_.back().Runs;
}

FontTexts::Text& FontTexts::Lookup(const std::string& text)
{
    Recent* recent = recents_;
    if (recent[1].Key != nullptr && *recent[1].Key == text) {
        std::swap(recent[0], recent[1]);
        return *recent[0].Entry;
    }
    auto found = texts_.find(text);
    if (found == texts_.end()) {
        if (texts_.size() >= kMaxTextsPerFont) {
            texts_.clear();
            recent[0] = recent[1] = Recent{};
        }
        Text entry;
        entry.Advance = QFontMetrics(qtFont_).horizontalAdvance(QString::fromStdString(text));
        found = texts_.emplace(text, std::move(entry)).first;
    }
    // Map entries stay where they are until the map is cleared.
    recent[1] = recent[0];
    recent[0] = Recent{&found->first, &found->second};
    return found->second;
}

bool FontTexts::Keeps(double angle, int advance) const
{
    // A text kept for reuse is rendered whole, on a mask a cell wider on each
    // side; one far larger than any picture (a huge font, a long caption)
    // would need gigabytes for it.
    const long long side = std::max(advance, cell_) + 2LL * cell_;
    return ExactTurn(angle) && side * side <= kMaxKeptTextPixels;
}

QRect FontTexts::KeptArea(const QTransform& place, int ox, int oy, int advance) const
{
    return place.mapRect(QRectF(ox, oy, advance, cell_)).toAlignedRect().adjusted(-cell_, -cell_, cell_, cell_);
}

void FontTexts::PaintCell(CoverageMask& mask, const QTransform& place, int ox, int oy, int advance) const
{
    QPainter painter(&mask.Image);
    AimPainter(painter, mask, place);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255));
    painter.drawRect(QRect(ox, oy, advance, cell_));
}

void FontTexts::PaintGlyphs(CoverageMask& mask, const QTransform& place, const QString& text, int ox, int oy) const
{
    QPainter painter(&mask.Image);
    AimPainter(painter, mask, place);
    painter.setFont(qtFont_);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(QPoint(ox, oy + ascent_), text);
}

// Drawn exactly as at a position (x, y) with the mask clipped: only the
// painter's integer translation differs, and with an exact turn that moves
// every pixel by the same whole amount.
RenderedText FontTexts::Render(const QString& text, const QTransform& place, const QRect& area, int ox, int oy,
                               int advance) const
{
    CoverageMask mask
        = ClearMask(TRect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()});
    RenderedText rendered;
    PaintCell(mask, place, ox, oy, advance);
    AppendRuns(rendered.Background, mask);
    mask.Image.fill(0u);
    PaintGlyphs(mask, place, text, ox, oy);
    AppendRuns(rendered.Glyphs, mask);
    return rendered;
}

FontTexts& DeviceTextCache::Find(const DeviceFont& font)
{
    for (const auto& texts : fonts_) {
        if (SameShape(texts->Shape(), font))
            return *(current_ = texts.get());
    }
    if (fonts_.size() >= kMaxFonts)
        fonts_.clear();
    fonts_.push_back(std::make_unique<FontTexts>(font));
    return *(current_ = fonts_.back().get());
}

} // namespace nc
