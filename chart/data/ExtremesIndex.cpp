// SPDX-License-Identifier: MIT
#include "chart/data/ExtremesIndex.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace nc {

namespace {

// NaN takes no part: a comparison with it fails.
void WidenBy(const double* d, std::size_t from, std::size_t to, double& lo, double& hi)
{
    double l = lo;
    double h = hi;
    for (std::size_t i = from; i < to; ++i) {
        const double v = d[i];
        l = v < l ? v : l;
        h = v > h ? v : h;
    }
    lo = l;
    hi = h;
}

} // namespace

void TExtremesIndex::Resize(std::size_t capacity)
{
    std::size_t levels = 0;
    while (levels == 0 || (capacity >> LevelShift(levels - 1)) > 1)
        ++levels;
    const std::size_t had = levels_.size();
    levels_.resize(levels);
    for (std::size_t k = 0; k < levels; ++k) {
        const std::size_t blocks = ((capacity - 1) >> LevelShift(k)) + 1;
        levels_[k].resize(blocks, TBlockExtremes{HUGE_VAL, -HUGE_VAL});
        if (k < had || k == 0)
            continue;
        // A new top level starts from the level below.
        for (std::size_t b = 0; b < blocks; ++b)
            levels_[k][b] = ChildExtremes(k, b);
    }
}

void TExtremesIndex::Clear()
{
    levels_.clear();
    levels_.shrink_to_fit();
    dirtyLo_ = SIZE_MAX;
    dirtyHi_ = 0;
}

// Recomputes the blocks over the dirty slots, level by level.
void TExtremesIndex::Refresh(const TSlots& slots)
{
    if (dirtyLo_ >= dirtyHi_)
        return;
    const std::size_t lo = dirtyLo_;
    const std::size_t hi = std::min(dirtyHi_, slots.Capacity);
    dirtyLo_ = SIZE_MAX;
    dirtyHi_ = 0;
    if (lo >= hi)
        return;
    const double* d = slots.Data;
    for (std::size_t b = lo >> kLeafShift; b <= (hi - 1) >> kLeafShift; ++b) {
        double bl = HUGE_VAL;
        double bh = -HUGE_VAL;
        const std::size_t from = b << kLeafShift;
        const std::size_t to = std::min(from + (std::size_t{1} << kLeafShift), slots.Capacity);
        // The gap's slots take no part.
        WidenBy(d, from, std::max(from, std::min(to, slots.GapBegin)), bl, bh);
        WidenBy(d, std::max(from, slots.GapEnd), to, bl, bh);
        levels_[0][b] = TBlockExtremes{bl, bh};
    }
    for (std::size_t k = 1; k < levels_.size(); ++k) {
        const int shift = LevelShift(k);
        for (std::size_t b = lo >> shift; b <= (hi - 1) >> shift; ++b)
            levels_[k][b] = ChildExtremes(k, b);
    }
}

TExtremesIndex::TBlockExtremes TExtremesIndex::ChildExtremes(std::size_t k, std::size_t b) const
{
    TBlockExtremes e{HUGE_VAL, -HUGE_VAL};
    const std::vector<TBlockExtremes>& below = levels_[k - 1];
    const std::size_t from = b << kFanShift;
    const std::size_t to = std::min(from + (std::size_t{1} << kFanShift), below.size());
    for (std::size_t c = from; c < to; ++c) {
        if (below[c].Lo < e.Lo)
            e.Lo = below[c].Lo;
        if (below[c].Hi > e.Hi)
            e.Hi = below[c].Hi;
    }
    return e;
}

// A level-k block holds 2^(6 + 3k) slots: the level follows from the
// trailing zero bits of i and the bit width of the room up to b.
int TExtremesIndex::LargestBlock(std::size_t i, std::size_t b) const
{
    constexpr std::size_t leaf = std::size_t{1} << kLeafShift;
    if (i > b || b - i + 1 < leaf || (i & (leaf - 1)) != 0)
        return -1;
    const int bySize = (static_cast<int>(std::bit_width(b - i + 1)) - 1 - kLeafShift) / kFanShift;
    const int byAlignment = i == 0 ? bySize : (std::countr_zero(i) - kLeafShift) / kFanShift;
    return std::min({bySize, byAlignment, static_cast<int>(levels_.size()) - 1});
}

// The slots up to the first block border one by one, then the largest blocks
// that fit, then the rest.
void TExtremesIndex::Extremes(const double* d, std::size_t a, std::size_t b, double& lo, double& hi) const
{
    constexpr std::size_t leaf = std::size_t{1} << kLeafShift;
    const std::size_t head = std::min(b + 1, (a + leaf - 1) & ~(leaf - 1));
    WidenBy(d, a, head, lo, hi);
    std::size_t i = head;
    while (i <= b) {
        const int level = LargestBlock(i, b);
        if (level < 0)
            break;
        const int shift = LevelShift(static_cast<std::size_t>(level));
        const TBlockExtremes& e = levels_[static_cast<std::size_t>(level)][i >> shift];
        lo = e.Lo < lo ? e.Lo : lo;
        hi = e.Hi > hi ? e.Hi : hi;
        i += std::size_t{1} << shift;
    }
    if (i <= b)
        WidenBy(d, i, b + 1, lo, hi);
}

void TExtremesIndex::Prefetch(const double* d, std::size_t capacity, std::size_t slot) const
{
    constexpr std::size_t leaf = std::size_t{1} << kLeafShift;
    constexpr std::size_t perLine = 64 / sizeof(double);
    const std::size_t from = slot & ~(leaf - 1);
    for (std::size_t s = from; s < std::min(from + leaf, capacity); s += perLine)
        __builtin_prefetch(d + s);
    // A query that ends here walks a level's entries from the start of the
    // next level's block up to this one: at most 8 entries of 16 bytes,
    // which may straddle three cache lines. The levels shrink eightfold each,
    // and from one that stays in the caches between paints on, asking costs
    // more than it brings.
    constexpr std::size_t kCachedLevelBytes = 256 * 1024;
    for (std::size_t k = 0; k < levels_.size(); ++k) {
        const std::size_t b = slot >> LevelShift(k);
        if (b >= levels_[k].size() || levels_[k].size() * sizeof(TBlockExtremes) < kCachedLevelBytes)
            break;
        const std::size_t start = b & ~((std::size_t{1} << kFanShift) - 1);
        __builtin_prefetch(&levels_[k][start]);
        __builtin_prefetch(&levels_[k][start + 4 <= b ? start + 4 : start]);
        __builtin_prefetch(&levels_[k][b]);
    }
}

// The slots up to the first block border are read in one loop, unless their
// leaf block lies inside (a dotted line's run search in every pixel column
// then reads no values at the column's edges, only index entries); after it
// a block that is wholly inside is passed at once, and one that is not is
// tried at the next smaller size, down to a leaf block, whose slots hold the
// first one outside. The slots after the last whole block are read as those
// before the first.
std::size_t TExtremesIndex::LastWithin(const double* d, std::size_t a, std::size_t b, double lo, double hi) const
{
    // The first slot in from..to-1 outside the bounds, or to. A - 1 wraps
    // only when a is 0, and comes back by +1.
    auto firstOutside = [&](std::size_t from, std::size_t to) {
        while (from < to && d[from] >= lo && d[from] <= hi)
            ++from;
        return from;
    };
    auto inside = [&](const TBlockExtremes& e) { return e.Lo >= lo && e.Hi <= hi; };
    // Loose slots from..to-1 of one leaf block: none outside when the whole
    // block is inside.
    auto looseOutside = [&](std::size_t from, std::size_t to) {
        return from >= to || inside(levels_[0][from >> kLeafShift]) ? to : firstOutside(from, to);
    };
    constexpr std::size_t leaf = std::size_t{1} << kLeafShift;
    const std::size_t head = std::min(b + 1, (a + leaf - 1) & ~(leaf - 1));
    std::size_t i = looseOutside(a, head);
    if (i < head)
        return i - 1;
    for (int level = LargestBlock(i, b); level >= 0; level = LargestBlock(i, b)) {
        bool passed = false;
        for (int k = level; k >= 0 && !passed; --k) {
            const int shift = LevelShift(static_cast<std::size_t>(k));
            if (inside(levels_[static_cast<std::size_t>(k)][i >> shift])) {
                i += std::size_t{1} << shift;
                passed = true;
            }
        }
        if (!passed)
            return firstOutside(i, i + leaf) - 1;
    }
    return looseOutside(i, b + 1) - 1;
}

} // namespace nc
