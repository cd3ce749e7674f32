// SPDX-License-Identifier: MIT
#include "chart/data/ColorRuns.h"

#include <algorithm>

namespace nc {

std::size_t TColorRuns::RunOf(int index) const
{
    return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), index) - starts_.begin()) - 1;
}

void TColorRuns::Shift(std::size_t from, int by)
{
    for (std::size_t j = from; j < starts_.size(); ++j)
        starts_[j] += by;
}

void TColorRuns::InsertSlow(int index, TColor color, int count)
{
    if (starts_.empty()) {
        if (color == UnsetColor)
            return;
        starts_.push_back(0);
        colors_.push_back(count == 0 ? color : UnsetColor);
        if (count == 0)
            return;
    }
    if (index == count) {
        if (colors_.back() == color)
            return;
        starts_.push_back(index);
        colors_.push_back(color);
        return;
    }
    const std::size_t r = RunOf(index);
    const auto at = [](auto& v, std::size_t i) { return v.begin() + static_cast<std::ptrdiff_t>(i); };
    if (colors_[r] == color) {
        Shift(r + 1, 1);
    } else if (index == starts_[r] && r > 0 && colors_[r - 1] == color) {
        Shift(r, 1);
    } else if (index == starts_[r]) {
        starts_.insert(at(starts_, r), index);
        colors_.insert(at(colors_, r), color);
        Shift(r + 1, 1);
    } else {
        // Splits run r around the new point.
        const TColor old = colors_[r];
        starts_.insert(at(starts_, r + 1), {index, index + 1});
        colors_.insert(at(colors_, r + 1), {color, old});
        Shift(r + 3, 1);
    }
}

void TColorRuns::Erase(int index, int count)
{
    if (starts_.empty())
        return;
    const std::size_t r = RunOf(index);
    Shift(r + 1, -1);
    const int end = r + 1 < starts_.size() ? starts_[r + 1] : count - 1;
    if (starts_[r] < end)
        return;
    // Run r is gone; its neighbours may now be one run.
    const auto at = [](auto& v, std::size_t i) { return v.begin() + static_cast<std::ptrdiff_t>(i); };
    starts_.erase(at(starts_, r));
    colors_.erase(at(colors_, r));
    if (r > 0 && r < starts_.size() && colors_[r - 1] == colors_[r]) {
        starts_.erase(at(starts_, r));
        colors_.erase(at(colors_, r));
    }
    if (!starts_.empty())
        starts_[0] = 0;
}

TColor TColorRuns::At(int index) const
{
    return starts_.empty() ? UnsetColor : colors_[RunOf(index)];
}

std::vector<TColor> TColorRuns::ToVector(int count) const
{
    std::vector<TColor> out;
    if (starts_.empty())
        return out;
    out.reserve(static_cast<std::size_t>(count));
    for (std::size_t r = 0; r < starts_.size(); ++r) {
        const int end = r + 1 < starts_.size() ? starts_[r + 1] : count;
        out.insert(out.end(), static_cast<std::size_t>(end - starts_[r]), colors_[r]);
    }
    return out;
}

void TColorRuns::Clear()
{
    starts_.clear();
    starts_.shrink_to_fit();
    colors_.clear();
    colors_.shrink_to_fit();
}

} // namespace nc
