// SPDX-License-Identifier: MIT
#pragma once

// The extremes index over the slots of a value store: the lowest and highest
// value of every block of 64 slots (level 0), of every 8 level-0 blocks
// (level 1), of every 8 of those (level 2) and so on, about 0.3 bytes per
// value, each block's low and high side by side. A range of N slots takes
// O(log N) entries.
//
// The index holds only what it derived from the slots; every call that reads
// values is handed them (TSlots, or the slots' first address). The store says
// which slots it wrote (Touch) and the index keeps them as one dirty
// interval, recomputed by the next Refresh, so that appends and insertions
// cost nothing here. Slots in the store's gap take no part. NaN takes no part
// either: every comparison with it fails.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nc {

// The slots of a store as the index sees them: slots GapBegin..GapEnd-1 hold
// no value.
struct TSlots {
    const double* Data;
    std::size_t Capacity;
    std::size_t GapBegin;
    std::size_t GapEnd;
};

class TExtremesIndex {
public:
    // Makes room for capacity slots (at least one): blocks kept keep their
    // extremes, a new top level starts from the level below.
    void Resize(std::size_t capacity);
    // Forgets every block and the dirty interval.
    void Clear();
    // Slots lo..hi-1 were written.
    void Touch(std::size_t lo, std::size_t hi)
    {
        if (lo < dirtyLo_)
            dirtyLo_ = lo;
        if (hi > dirtyHi_)
            dirtyHi_ = hi;
    }
    // Recomputes the blocks over the slots written since the last refresh.
    void Refresh(const TSlots& slots);

    // The queries below read the blocks as the last Refresh left them; slots
    // a..b are inclusive and none lies in the gap.
    // Widens lo and hi by the values of slots a..b.
    void Extremes(const double* data, std::size_t a, std::size_t b, double& lo, double& hi) const;
    // The last slot m in a-1..b such that slots a..m all lie within [lo, hi].
    std::size_t LastWithin(const double* data, std::size_t a, std::size_t b, double lo, double hi) const;
    // Asks the memory for what a query ending at slot reads (the slot's leaf
    // block and the entries above it). Changes nothing.
    void Prefetch(const double* data, std::size_t capacity, std::size_t slot) const;

private:
    static constexpr int kLeafShift = 6; // 64 slots per level-0 block
    static constexpr int kFanShift = 3;  // 8 blocks of a level per block of the next
    static int LevelShift(std::size_t level) { return kLeafShift + kFanShift * static_cast<int>(level); }
    // A block's lowest and highest value side by side: one cache line holds
    // both for four blocks, so a query's walk misses half as often as with
    // one array of lows and one of highs.
    struct TBlockExtremes {
        double Lo;
        double Hi;
    };
    // Block b of level k (k >= 1) from its children on level k - 1.
    TBlockExtremes ChildExtremes(std::size_t k, std::size_t b) const;
    // The largest level whose block starts at slot i and ends by slot b; -1
    // when no level-0 block does.
    int LargestBlock(std::size_t i, std::size_t b) const;

    std::vector<std::vector<TBlockExtremes>> levels_;
    std::size_t dirtyLo_ = SIZE_MAX;
    std::size_t dirtyHi_ = 0;
};

} // namespace nc
