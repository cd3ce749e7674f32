// SPDX-License-Identifier: MIT
#pragma once

// One column of a series' points (TChartValueList): ordered insertion, the
// multiplier applied on every read, the running range and sums, and the
// list's settings. The values themselves live in a TValueStore (rule or gap
// buffer, with the extremes index over it: chart/ValueStore.h).
//
// The running range and sums are folded in lazily, in arrival order, by the
// first read after appends (range at the next read of LowValue/HighValue,
// sums at the next read of Sum/AbsSum) and before any other change, so they
// are bit for bit what adding one value at a time would give.
//
// The list tells its owner of a changed setting through the handler the
// owner sets (SetChangeHandler); the values of a point being added reach it
// as arguments, never through state the owner writes beforehand.

#include <cmath>
#include <cstddef>
#include <functional>
#include <string>

#include "chart/ChartTypes.h"
#include "chart/data/ValueStore.h"

namespace nc {

class TChartSeries;

enum TChartListOrder { loNone, loAscending, loDescending };

// What a changed setting means to the list's owner: a new multiplier
// rescales every value the list reads; any other setting changes only how
// the values are shown.
enum class TValueListChange { Rescaled, Setting };

class TChartValueList : protected TRepaintsOnChange {
public:
    // Registers the list in owner's ValueLists (which sets its change
    // handler); a list without owner tells nobody.
    TChartValueList(TChartSeries* owner, std::string name);
    ~TChartValueList() override;
    TChartValueList(const TChartValueList&) = delete;
    TChartValueList& operator=(const TChartValueList&) = delete;

    void SetChangeHandler(std::function<void(TValueListChange)> handler) { changed_ = std::move(handler); }

    int Count() const { return store_.Count(); }
    // Index errors throw std::out_of_range ("List index out of bounds (i)").
    double RawValue(int index) const;
    double Value(int index) const;
    double operator[](int index) const { return Value(index); }
    double LastValue() const { return Value(Count() - 1); }
    // The raw value at an index known to be valid.
    double RawAt(int index) const { return store_.At(index); }
    // The raw values, read-only, for drawing loops and tests.
    class TRawValues {
    public:
        explicit TRawValues(const TChartValueList& list) : list_(list) {}
        double operator[](std::size_t i) const { return list_.RawAt(static_cast<int>(i)); }
        std::size_t size() const { return static_cast<std::size_t>(list_.Count()); }
        // Slots reserved for stored values (0 while the values follow a rule).
        std::size_t capacity() const { return list_.store_.Capacity(); }

    private:
        const TChartValueList& list_;
    };
    TRawValues RawValues() const { return TRawValues(*this); }
    // Whether the values are kept as a rule (first + i * step), not stored.
    bool IsRuled() const { return store_.IsRuled(); }
    // See TValueStore::RuleGapBound.
    double RuleGapBound() const { return store_.RuleGapBound(); }

    // Ordered insertion (see Order); answers the index given to value.
    int AddValue(double value)
    {
        // The next value of the rule, in the list's order: nothing to store.
        if ((order_ == loNone || (order_ == loAscending) == (store_.RuleStep() >= 0)) && store_.AppendToRule(value))
            return Count() - 1;
        if (order_ != loNone && Count() > 0) {
            const double last = store_.At(Count() - 1);
            if (order_ == loAscending ? !(last <= value) : !(last >= value))
                return InsertOrdered(value);
        }
        store_.Append(value);
        return Count() - 1;
    }
    void InsertValue(int index, double value)
    {
        if (index == Count())
            store_.Append(value);
        else
            InsertInside(index, value);
    }
    void DeleteValue(int index);
    void IncludeInRange(double value);
    void ExcludeFromRange(double value);
    void RescanRange();
    // Empties the list, releases its storage and zeroes range and sums.
    void ResetValues();
    void FreeValues() { ResetValues(); }

    bool DateTime() const { return dateTime_; }
    void SetDateTime(bool value) { Store(dateTime_, value); }
    double Multiplier() const { return multiplier_; }
    // Rescans the range and repaints; Sum and AbsSum keep the multipliers in
    // force when their values were added.
    void SetMultiplier(double value)
    {
        FlushStatistics();
        Store(multiplier_, value);
    }
    TChartListOrder Order() const { return order_; }
    void SetOrder(TChartListOrder value) { order_ = value; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    const std::string& ValueSource() const { return valueSource_; }
    void SetValueSource(const std::string& value) { valueSource_ = value; }
    // Copies Order, DateTime, Multiplier and ValueSource (not Name or values),
    // without telling the owner.
    void AssignSettings(const TChartValueList& source);

    // ---- extremes of index ranges, for drawing that skips runs of points
    // The lowest and highest raw value among indexes first..last (inclusive,
    // within the list). Ignores NaN; ask HasNaN first.
    void RawExtremes(int first, int last, double& lo, double& hi) const { store_.Extremes(first, last, lo, hi); }
    bool HasNaN() const;
    // Asks the memory for what RawExtremes and LastWithin read near index
    // (the values' block and the index entries above it), so that a drawing
    // pass fetches the next column's edge while it draws this one. Changes
    // nothing.
    void PrefetchAround(int index) const { store_.PrefetchAround(index); }
    // The last index m in from..last such that every raw value after from up
    // to m lies within [lo, hi]; from itself when the next one does not.
    // Whole blocks inside the bounds are passed in one step, and values in a
    // leaf block inside them are not read. Ask HasNaN first: the index
    // ignores NaN, so a NaN may or may not end the run.
    int LastWithin(int from, int last, double lo, double hi) const { return store_.LastWithin(from, last, lo, hi); }
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
    void FoldAppended() const { FlushStatistics(); }

    double HighValue() const { return FoldedRange().Hi; }
    double LowValue() const { return FoldedRange().Lo; }
    double Sum() const { return FoldedSums().Sum; }
    double AbsSum() const { return FoldedSums().AbsSum; }
    TChartSeries* OwnerSeries() const { return owner_; }

protected:
    // A setting changed (through Store): a new multiplier rescans the range
    // first; then the owner is told.
    void RepaintOnChange() override;

private:
    // The product is formed with a 64-bit significand and then rounded to
    // double, as the rest of the program's arithmetic is; a multiplier of 1
    // leaves every value as it is, and the usual case skips the product.
    double Scaled(double raw) const
    {
        if (multiplier_ == 1.0)
            return raw;
        return static_cast<double>(static_cast<long double>(raw) * multiplier_);
    }
    void CheckIndex(int index, int limit) const;
    int InsertOrdered(double value);
    void InsertInside(int index, double value);

    struct TRange {
        double Lo = 0;
        double Hi = 0;
    };
    // Each sum rounded to double after every value, as adding one value at a
    // time gives.
    struct TSums {
        double Sum = 0;
        double AbsSum = 0;
        void Add(double s)
        {
            Sum = static_cast<double>(static_cast<long double>(Sum) + s);
            AbsSum = static_cast<double>(static_cast<long double>(AbsSum) + std::fabs(s));
        }
        void Take(double s)
        {
            Sum = static_cast<double>(static_cast<long double>(Sum) - s);
            AbsSum = static_cast<double>(static_cast<long double>(AbsSum) - std::fabs(s));
        }
    };

    // Folds the values appended since the last read into the range (and the
    // NaN count and ascending flag), or into the sums.
    void FlushRange() const;
    void FlushSums() const;
    void FlushStatistics() const
    {
        FlushRange();
        FlushSums();
    }
    const TRange& FoldedRange() const
    {
        FlushRange();
        return range_;
    }
    const TSums& FoldedSums() const
    {
        FlushSums();
        return sums_;
    }
    void IncludeOne(double raw, int countAfter) const;
    // Adds value to sums and range now, with everything before folded in.
    void Include(double value);

    TValueStore store_;

    // Lazily folded statistics: values from rangeFrom_ (sumFrom_) on are not
    // in the range (the sums) yet.
    mutable int rangeFrom_ = 0;
    mutable int sumFrom_ = 0;
    mutable int nanCount_ = 0;
    mutable bool ascending_ = true;
    mutable TRange range_;
    mutable TSums sums_;

    // Settings.
    bool dateTime_ = false;
    double multiplier_ = 1.0;
    // The multiplier the owner last heard of (AssignSettings copies one
    // without a word): a changed setting that finds another one in force is
    // a rescaling.
    double toldMultiplier_ = 1.0;
    std::string name_;
    TChartListOrder order_ = loNone;
    TChartSeries* owner_;
    std::string valueSource_;
    std::function<void(TValueListChange)> changed_;
};

} // namespace nc
