// SPDX-License-Identifier: MIT
#pragma once

// Where a value list keeps its values, cheapest first:
//  - Rule: while every value so far equals first + i * step exactly (the
//    sample index 0, 1, 2, ..., or a constant), no value is stored: only
//    count, first and step. The first value that breaks the rule, or any
//    change other than an append, writes the values out.
//  - Gap buffer: one block of doubles (malloc'd, so that growing a large
//    block remaps its pages instead of copying them). Logical values
//    0..gapStart-1 sit in slots 0..gapStart-1, the rest at the end of the
//    block; the free slots (the gap) lie between. Appends write at the gap
//    while it is at the end; an insertion moves the gap to its index first,
//    so insertions at an advancing position move only the values between
//    two insertions, not the tail.
// The store keeps the extremes index (chart/ExtremesIndex.h) over its slots
// and answers its queries by index: the extremes of a range, the end of a
// run within bounds. It knows nothing of order, scaling or statistics; the
// value list (chart/ChartValueList.h) builds those on it.

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "chart/data/ExtremesIndex.h"

namespace nc {

class TValueStore {
public:
    TValueStore() = default;
    TValueStore(const TValueStore&) = delete;
    TValueStore& operator=(const TValueStore&) = delete;

    int Count() const { return count_; }
    // The value at an index known to be valid.
    double At(int index) const
    {
        if (ruled_)
            return RuleValue(index);
        return data_.get()[Slot(static_cast<std::size_t>(index))];
    }
    // Slots reserved for stored values (0 while the values follow a rule).
    std::size_t Capacity() const { return capacity_; }

    // Whether the values are kept as a rule (first + i * step), not stored.
    bool IsRuled() const { return ruled_; }
    // The rule's step: its values rise when it is not negative (0 when
    // stored).
    double RuleStep() const { return step_; }
    // No two neighbouring values of a rule, as computed, lie further apart
    // than this: the step, plus a margin for the roundings of first + i * step
    // (a few units in the last place of the largest value). Infinite for
    // stored values.
    double RuleGapBound() const
    {
        if (!ruled_)
            return HUGE_VAL;
        return std::fabs(step_) + 0x1p-48 * (std::fabs(first_) + std::fabs(step_) * count_);
    }

    // Appends value when it is the next value of a rule of two values or
    // more (nothing is stored); false, and nothing changes, otherwise.
    bool AppendToRule(double value)
    {
        if (!(ruled_ && count_ >= 2 && SameBits(RuleValue(count_), value)))
            return false;
        ++count_;
        return true;
    }
    void Append(double value)
    {
        if (AppendToRule(value))
            return;
        if (!ruled_ && gapStart_ == static_cast<std::size_t>(count_) && static_cast<std::size_t>(count_) < capacity_) {
            const std::size_t slot = gapStart_;
            data_.get()[slot] = value;
            index_.Touch(slot, slot + 1);
            ++count_;
            ++gapStart_;
            return;
        }
        AppendSlow(value);
    }
    // Index in 0..Count(): later values move up.
    void Insert(int index, double value);
    // Index in 0..Count()-1: later values move down.
    void Erase(int index);
    // Empties the store and releases its block and index.
    void Reset();

    // The lowest and highest value among indexes first..last (inclusive,
    // within the store); HUGE_VAL and -HUGE_VAL when none. Ignores NaN.
    void Extremes(int first, int last, double& lo, double& hi) const;
    // The last index m in from..last such that every value after from up to
    // m lies within [lo, hi]; from itself when the next one does not. The
    // index ignores NaN, so a NaN may or may not end the run.
    int LastWithin(int from, int last, double lo, double hi) const;
    // Asks the memory for what Extremes and LastWithin read near index.
    void PrefetchAround(int index) const;

private:
    struct FreeDeleter {
        void operator()(double* p) const { std::free(p); }
    };
    static bool SameBits(double a, double b)
    {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    }
    double RuleValue(int index) const { return first_ + static_cast<double>(index) * step_; }
    std::size_t Slot(std::size_t index) const
    {
        return index < gapStart_ ? index : index + (capacity_ - static_cast<std::size_t>(count_));
    }
    TSlots Slots() const
    {
        return TSlots{data_.get(), capacity_, gapStart_, gapStart_ + (capacity_ - static_cast<std::size_t>(count_))};
    }

    void AppendSlow(double value);
    // Writes the ruled values out into the gap buffer.
    void Materialize(std::size_t capacity);
    void MoveGap(std::size_t index);
    void Grow();
    // The index as the slots now are: written slots' blocks recomputed.
    const TExtremesIndex& FreshIndex() const;

    // The rule, or the gap buffer.
    bool ruled_ = true;
    double first_ = 0;
    double step_ = 0;
    std::unique_ptr<double, FreeDeleter> data_;
    std::size_t capacity_ = 0;
    std::size_t gapStart_ = 0;
    int count_ = 0;
    // Mutable: a query refreshes the blocks it reads, which changes no value.
    mutable TExtremesIndex index_;
};

} // namespace nc
