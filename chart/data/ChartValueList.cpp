// SPDX-License-Identifier: MIT
#include "chart/data/ChartValueList.h"

#include <bit>
#include <cstdint>
#include <stdexcept>

#include "chart/series/ChartSeries.h"

namespace nc {

TChartValueList::TChartValueList(TChartSeries* owner, std::string name) : name_(std::move(name)), owner_(owner)
{
    if (owner_ != nullptr)
        owner_->RegisterValueList(*this);
}

TChartValueList::~TChartValueList() = default;

void TChartValueList::CheckIndex(int index, int limit) const
{
    if (index < 0 || index >= limit) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
}

double TChartValueList::RawValue(int index) const
{
    CheckIndex(index, Count());
    return RawAt(index);
}

double TChartValueList::Value(int index) const
{
    return Scaled(RawValue(index));
}

// ------------------------------------------------------------ changes

int TChartValueList::InsertOrdered(double value)
{
    FlushStatistics();
    if (std::isnan(value)) {
        // Every comparison with NaN fails: the backward scan stops at once.
        store_.Append(value);
        return Count() - 1;
    }
    int index;
    if (order_ == loAscending && ascending_) {
        // Sorted without NaN: the first value above the new one, by bisection;
        // equal values keep their arrival order.
        int lo = 0;
        int hi = Count();
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (RawAt(mid) > value)
                hi = mid;
            else
                lo = mid + 1;
        }
        index = lo;
    } else {
        int i = Count() - 1;
        if (order_ == loAscending) {
            while (i >= 0 && RawAt(i) > value)
                --i;
        } else {
            while (i >= 0 && RawAt(i) < value)
                --i;
        }
        index = i + 1;
    }
    InsertInside(index, value);
    return index;
}

void TChartValueList::InsertInside(int index, double value)
{
    CheckIndex(index, Count() + 1);
    FlushStatistics();
    store_.Insert(index, value);
    const int count = Count();
    if (std::isnan(value)) {
        ++nanCount_;
        ascending_ = false;
    } else if ((index > 0 && RawAt(index - 1) > value) || (index + 1 < count && value > RawAt(index + 1))) {
        ascending_ = false;
    }
    // The earlier values are folded in; this one is added now, as the last.
    rangeFrom_ = sumFrom_ = count;
    Include(value);
}

void TChartValueList::DeleteValue(int index)
{
    CheckIndex(index, Count());
    FlushStatistics();
    const double old = RawAt(index);
    store_.Erase(index);
    if (std::isnan(old))
        --nanCount_;
    rangeFrom_ = sumFrom_ = Count();
    ExcludeFromRange(old);
}

void TChartValueList::ResetValues()
{
    store_.Reset();
    rangeFrom_ = sumFrom_ = 0;
    nanCount_ = 0;
    ascending_ = true;
    range_ = TRange{};
    sums_ = TSums{};
}

// ------------------------------------------------------- range and sums

void TChartValueList::IncludeOne(double raw, int countAfter) const
{
    const double s = Scaled(raw);
    if (countAfter == 1) {
        range_.Lo = range_.Hi = s;
        return;
    }
    if (s < range_.Lo)
        range_.Lo = s;
    if (s > range_.Hi)
        range_.Hi = s;
}

void TChartValueList::FlushRange() const
{
    const int count = Count();
    if (rangeFrom_ >= count)
        return;
    if (store_.IsRuled() && multiplier_ == 1.0) {
        // Ruled values are monotone, and equal ones have the same bits: the
        // first and the last appended decide what the whole run would.
        if (count >= 2 && store_.RuleStep() < 0)
            ascending_ = false;
        IncludeOne(RawAt(rangeFrom_), rangeFrom_ + 1);
        if (count - 1 > rangeFrom_)
            IncludeOne(RawAt(count - 1), count);
        rangeFrom_ = count;
        return;
    }
    for (int i = rangeFrom_; i < count; ++i) {
        const double v = RawAt(i);
        if (std::isnan(v)) {
            ++nanCount_;
            ascending_ = false;
        } else if (i > 0 && RawAt(i - 1) > v) {
            ascending_ = false;
        }
        IncludeOne(v, i + 1);
    }
    rangeFrom_ = count;
}

void TChartValueList::FlushSums() const
{
    const int count = Count();
    for (int i = sumFrom_; i < count; ++i)
        sums_.Add(Scaled(RawAt(i)));
    sumFrom_ = count;
}

void TChartValueList::IncludeInRange(double value)
{
    FlushStatistics();
    Include(value);
}

void TChartValueList::Include(double value)
{
    sums_.Add(Scaled(value));
    IncludeOne(value, Count());
}

void TChartValueList::ExcludeFromRange(double value)
{
    FlushStatistics();
    sums_.Take(Scaled(value));
    RescanRange();
}

void TChartValueList::RescanRange()
{
    FlushRange();
    range_ = TRange{};
    const int count = Count();
    if (count == 0)
        return;
    if (multiplier_ == 1.0 && nanCount_ == 0) {
        // Without NaN the scan keeps the first of equal extremes, as the index
        // does: the index answers in O(log N).
        store_.Extremes(0, count - 1, range_.Lo, range_.Hi);
        return;
    }
    for (int i = 0; i < count; ++i) {
        const double s = Scaled(RawAt(i));
        if (i == 0) {
            range_.Lo = range_.Hi = s;
        } else if (s < range_.Lo) {
            range_.Lo = s;
        } else if (s > range_.Hi) {
            range_.Hi = s;
        }
    }
}

bool TChartValueList::HasNaN() const
{
    FlushRange();
    return nanCount_ > 0;
}

bool TChartValueList::IsAscending() const
{
    FlushRange();
    return ascending_;
}

// ------------------------------------------------------------ settings

void TChartValueList::RepaintOnChange()
{
    const bool rescaled = std::bit_cast<std::uint64_t>(multiplier_) != std::bit_cast<std::uint64_t>(toldMultiplier_);
    toldMultiplier_ = multiplier_;
    if (rescaled)
        RescanRange();
    if (changed_)
        changed_(rescaled ? TValueListChange::Rescaled : TValueListChange::Setting);
}

void TChartValueList::AssignSettings(const TChartValueList& source)
{
    // What was added so far counts with the multiplier it was added under.
    if (source.multiplier_ != multiplier_)
        FlushStatistics();
    order_ = source.order_;
    dateTime_ = source.dateTime_;
    multiplier_ = toldMultiplier_ = source.multiplier_;
    valueSource_ = source.valueSource_;
}

} // namespace nc
