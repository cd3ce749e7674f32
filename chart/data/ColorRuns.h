// SPDX-License-Identifier: MIT
#pragma once

// The colours of a series' points as runs: a run of points with one colour
// costs one entry (its first index and colour), so a colour given with every
// point but the same for all costs nothing per point. No runs at all means
// that no point has ever had a colour of its own (all UnsetColor).

#include <cstddef>
#include <vector>

#include "chart/ChartTypes.h"

namespace nc {

class TColorRuns {
public:
    bool Empty() const { return starts_.empty(); }
    // Inserts a colour at index of a list of count colours (count before).
    void Insert(int index, TColor color, int count)
    {
        if (index == count && (starts_.empty() ? color == UnsetColor : colors_.back() == color))
            return;
        InsertSlow(index, color, count);
    }
    void Erase(int index, int count);
    TColor At(int index) const;
    std::vector<TColor> ToVector(int count) const;
    void Clear();
    std::size_t Runs() const { return starts_.size(); }

private:
    void InsertSlow(int index, TColor color, int count);
    std::size_t RunOf(int index) const;
    void Shift(std::size_t from, int by);

    std::vector<int> starts_;
    std::vector<TColor> colors_;
};

} // namespace nc
