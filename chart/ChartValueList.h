// SPDX-License-Identifier: MIT
#pragma once

// One column of a series' points (TChartValueList) and the series' point
// colours (TColorRuns).
//
// Storage layout of a value list, cheapest first:
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
//  - Extremes index over the slots: the lowest and highest value of every
//    block of 64 slots (level 0), of every 8 level-0 blocks (level 1), of
//    every 8 of those (level 2) and so on, about 0.3 bytes per value, each
//    block's low and high side by side. A range of N values takes O(log N)
//    entries, and a drawing pass fetches the next column's entries ahead.
//    Slots written since the last query are kept as one dirty interval, and
//    their blocks are recomputed at the next query, so appends and
//    insertions cost nothing here.
//  - Running range and sums are folded in lazily, in arrival order, by the
//    first read after appends (range at the next read of LowValue/HighValue,
//    sums at the next read of Sum/AbsSum) and before any other change, so
//    they are bit for bit what adding one value at a time would give.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "chart/ChartTypes.h"

namespace nc {

class TChartSeries;

enum TChartListOrder { loNone, loAscending, loDescending };

class TChartValueList {
public:
    // Registers the list in owner's ValueLists.
    TChartValueList(TChartSeries* owner, std::string name);
    ~TChartValueList();
    TChartValueList(const TChartValueList&) = delete;
    TChartValueList& operator=(const TChartValueList&) = delete;

    int Count() const { return count_; }
    // Index errors throw std::out_of_range ("List index out of bounds (i)").
    double RawValue(int index) const;
    double Value(int index) const;
    double operator[](int index) const { return Value(index); }
    double LastValue() const { return Value(Count() - 1); }
    // The raw value at an index known to be valid.
    double RawAt(int index) const {
        if (ruled_) return RuleValue(index);
        const std::size_t i = static_cast<std::size_t>(index);
        return data_.get()[i < gapStart_ ? i : i + (capacity_ - static_cast<std::size_t>(count_))];
    }
    // The raw values, read-only, for drawing loops and tests.
    class TRawValues {
    public:
        explicit TRawValues(const TChartValueList& list) : list_(list) {}
        double operator[](std::size_t i) const { return list_.RawAt(static_cast<int>(i)); }
        std::size_t size() const { return static_cast<std::size_t>(list_.Count()); }
        // Slots reserved for stored values (0 while the values follow a rule).
        std::size_t capacity() const { return list_.capacity_; }

    private:
        const TChartValueList& list_;
    };
    TRawValues RawValues() const { return TRawValues(*this); }
    // Whether the values are kept as a rule (first + i * step), not stored.
    bool IsRuled() const { return ruled_; }
    // No two neighbouring values of a rule, as computed, lie further apart
    // than this: the step, plus a margin for the roundings of first + i * step
    // (a few units in the last place of the largest value). Infinite for
    // stored values.
    double RuleGapBound() const {
        if (!ruled_) return HUGE_VAL;
        return std::fabs(step_) + 0x1p-48 * (std::fabs(first_) + std::fabs(step_) * count_);
    }

    // Ordered insertion (see Order); answers the index given to value.
    int AddValue(double value) {
        // The next value of the rule, in the list's order: nothing to store.
        if (ruled_ && count_ >= 2 && std::bit_cast<std::uint64_t>(RuleValue(count_)) == std::bit_cast<std::uint64_t>(value) &&
            (order_ == loNone || (order_ == loAscending) == (step_ >= 0)))
            return count_++;
        if (order_ != loNone && count_ > 0) {
            const double last = RawAt(count_ - 1);
            if (order_ == loAscending ? !(last <= value) : !(last >= value)) return InsertOrdered(value);
        }
        Append(value);
        return count_ - 1;
    }
    void InsertValue(int index, double value) {
        if (index == count_) Append(value);
        else InsertInside(index, value);
    }
    void DeleteValue(int index);
    void IncludeInRange(double value);
    void ExcludeFromRange(double value);
    void RescanRange();
    // Empties the list, releases its storage and zeroes range and sums.
    void ResetValues();
    void FreeValues() { ResetValues(); }

    bool DateTime() const { return dateTime_; }
    void SetDateTime(bool value);
    double Multiplier() const { return multiplier_; }
    // Rescans the range and repaints; Sum and AbsSum keep the multipliers in
    // force when their values were added.
    void SetMultiplier(double value);
    TChartListOrder Order() const { return order_; }
    void SetOrder(TChartListOrder value) { order_ = value; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    const std::string& ValueSource() const { return valueSource_; }
    void SetValueSource(const std::string& value) { valueSource_ = value; }
    // Copies Order, DateTime, Multiplier and ValueSource (not Name or values).
    void AssignSettings(const TChartValueList& source);

    // ---- extremes of index ranges, for drawing that skips runs of points
    // The lowest and highest raw value among indexes first..last (inclusive,
    // within the list). Ignores NaN; ask HasNaN first.
    void RawExtremes(int first, int last, double& lo, double& hi) const;
    bool HasNaN() const;
    // Asks the memory for what RawExtremes and LastWithin read near index
    // (the values' block and the index entries above it), so that a drawing
    // pass fetches the next column's edge while it draws this one. Changes
    // nothing.
    void PrefetchAround(int index) const;
    // The last index m in from..last such that every raw value after from up
    // to m lies within [lo, hi]; from itself when the next one does not.
    // Whole blocks inside the bounds are passed in one step, and values in a
    // leaf block inside them are not read. Ask HasNaN first: the index
    // ignores NaN, so a NaN may or may not end the run.
    int LastWithin(int from, int last, double lo, double hi) const;
    // Whether every value is >= the one before it (kept by every insertion,
    // so that a drawing pass can rely on it without a scan). Conservative:
    // once broken it stays false until the list is emptied.
    bool IsAscending() const;
    // A raw value as Value() would answer it.
    double ScaledValue(double raw) const { return Scaled(raw); }

    // Folds the values appended since the last read into the range and the
    // sums now. The paint does this for every list, so that an insertion
    // inside the list (which must fold them first) never finds a long run
    // of them waiting.
    void FoldAppended() const { Flush(); }

    double HighValue() const;
    double LowValue() const;
    double Sum() const;
    double AbsSum() const;
    TChartSeries* OwnerSeries() const { return owner_; }

    // The value of the point being added, staged here by the series.
    double PendingValue = 0;

private:
    struct FreeDeleter {
        void operator()(double* p) const { std::free(p); }
    };

    double Scaled(double raw) const;
    void CheckIndex(int index, int limit) const;
    double RuleValue(int index) const { return first_ + static_cast<double>(index) * step_; }

    void Append(double value) {
        if (ruled_) {
            if (count_ >= 2 && std::bit_cast<std::uint64_t>(RuleValue(count_)) == std::bit_cast<std::uint64_t>(value)) {
                ++count_;
                return;
            }
        } else if (gapStart_ == static_cast<std::size_t>(count_) && static_cast<std::size_t>(count_) < capacity_) {
            const std::size_t slot = gapStart_;
            data_.get()[slot] = value;
            if (slot < dirtyLo_) dirtyLo_ = slot;
            if (slot + 1 > dirtyHi_) dirtyHi_ = slot + 1;
            ++count_;
            ++gapStart_;
            return;
        }
        AppendSlow(value);
    }
    void AppendSlow(double value);
    int InsertOrdered(double value);
    void InsertInside(int index, double value);
    // Writes the ruled values out into the gap buffer.
    void Materialize(std::size_t capacity);
    void MoveGap(std::size_t index);
    void Grow();
    void Touch(std::size_t lo, std::size_t hi) {
        if (lo < dirtyLo_) dirtyLo_ = lo;
        if (hi > dirtyHi_) dirtyHi_ = hi;
    }
    std::size_t Slot(std::size_t index) const {
        return index < gapStart_ ? index : index + (capacity_ - static_cast<std::size_t>(count_));
    }

    // Folds the values appended since the last read into the range (and the
    // NaN count and ascending flag), or into the sums.
    void FlushRange() const;
    void FlushSums() const;
    void Flush() const {
        FlushRange();
        FlushSums();
    }
    void IncludeOne(double raw, int countAfter) const;
    // Adds value to sums and range now, with everything before folded in.
    void Include(double value);

    // The extremes index over slots.
    void RefreshIndex() const;
    void ResizeIndex() const;
    int LargestBlock(std::size_t i, std::size_t b) const;
    void SlotExtremes(std::size_t a, std::size_t b, double& lo, double& hi) const;
    std::size_t SlotLastWithin(std::size_t a, std::size_t b, double lo, double hi) const;
    static constexpr int kLeafShift = 6;  // 64 slots per level-0 block
    static constexpr int kFanShift = 3;   // 8 blocks of a level per block of the next
    static int LevelShift(std::size_t level) { return kLeafShift + kFanShift * static_cast<int>(level); }
    // A block's lowest and highest value side by side: one cache line holds
    // both for four blocks, so a query's walk misses half as often as with
    // one array of lows and one of highs.
    struct TBlockExtremes {
        double Lo;
        double Hi;
    };
    mutable std::vector<std::vector<TBlockExtremes>> levels_;
    // Block b of level k (k >= 1) from its children on level k - 1.
    TBlockExtremes ChildExtremes(std::size_t k, std::size_t b) const;
    mutable std::size_t dirtyLo_ = SIZE_MAX;
    mutable std::size_t dirtyHi_ = 0;

    // Values: the rule, or the gap buffer.
    bool ruled_ = true;
    double first_ = 0;
    double step_ = 0;
    std::unique_ptr<double, FreeDeleter> data_;
    std::size_t capacity_ = 0;
    std::size_t gapStart_ = 0;
    int count_ = 0;

    // Lazily folded state: values from rangeFrom_ (sumFrom_) on are not in
    // the range (the sums) yet.
    mutable int rangeFrom_ = 0;
    mutable int sumFrom_ = 0;
    mutable int nanCount_ = 0;
    mutable bool ascending_ = true;
    mutable double highValue_ = 0;
    mutable double lowValue_ = 0;
    mutable double sum_ = 0;
    mutable double absSum_ = 0;

    bool dateTime_ = false;
    double multiplier_ = 1.0;
    std::string name_;
    TChartListOrder order_ = loNone;
    TChartSeries* owner_;
    std::string valueSource_;
};

// The colours of a series' points as runs: a run of points with one colour
// costs one entry (its first index and colour), so a colour given with every
// point but the same for all costs nothing per point. No runs at all means
// that no point has ever had a colour of its own (all UnsetColor).
class TColorRuns {
public:
    bool Empty() const { return starts_.empty(); }
    // Inserts a colour at index of a list of count colours (count before).
    void Insert(int index, TColor color, int count) {
        if (index == count && (starts_.empty() ? color == UnsetColor : colors_.back() == color)) return;
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

}  // namespace nc
