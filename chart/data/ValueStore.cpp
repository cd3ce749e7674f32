// SPDX-License-Identifier: MIT
#include "chart/data/ValueStore.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace nc {

namespace {

constexpr std::size_t kMinCapacity = 16;

// A value that can start a rule: finite, not -0 (first + 0 * step would
// read back as +0), and small enough that first + i * step can neither
// overflow nor raise a floating-point flag for any int index.
bool CanStartRule(double v)
{
    return std::isfinite(v) && std::fabs(v) <= 1e270
        && std::bit_cast<std::uint64_t>(v) != std::bit_cast<std::uint64_t>(-0.0);
}

double* Reallocate(double* p, std::size_t count)
{
    void* q = std::realloc(p, count * sizeof(double));
    if (q == nullptr)
        throw std::bad_alloc();
    return static_cast<double*>(q);
}

} // namespace

void TValueStore::AppendSlow(double value)
{
    if (ruled_) {
        if (count_ == 0 && CanStartRule(value)) {
            first_ = value;
            step_ = 0;
            ++count_;
            return;
        }
        if (count_ == 1 && CanStartRule(value)) {
            step_ = value - first_;
            if (SameBits(RuleValue(1), value)) {
                ++count_;
                return;
            }
        }
        Materialize(std::max(kMinCapacity, 2 * static_cast<std::size_t>(count_)));
    }
    if (gapStart_ != static_cast<std::size_t>(count_))
        MoveGap(static_cast<std::size_t>(count_));
    if (static_cast<std::size_t>(count_) == capacity_)
        Grow();
    Append(value);
}

void TValueStore::Materialize(std::size_t capacity)
{
    std::unique_ptr<double, FreeDeleter> data(Reallocate(nullptr, capacity));
    for (int i = 0; i < count_; ++i)
        data.get()[i] = RuleValue(i);
    data_ = std::move(data);
    ruled_ = false;
    capacity_ = capacity;
    gapStart_ = static_cast<std::size_t>(count_);
    index_.Resize(capacity_);
    index_.Touch(0, static_cast<std::size_t>(count_));
}

void TValueStore::MoveGap(std::size_t index)
{
    double* d = data_.get();
    const std::size_t gap = capacity_ - static_cast<std::size_t>(count_);
    if (index < gapStart_) {
        std::memmove(d + index + gap, d + index, (gapStart_ - index) * sizeof(double));
        index_.Touch(index + gap, gapStart_ + gap);
    } else if (index > gapStart_) {
        std::memmove(d + gapStart_, d + gapStart_ + gap, (index - gapStart_) * sizeof(double));
        index_.Touch(gapStart_, index);
    }
    gapStart_ = index;
}

// Doubling keeps appends amortized O(1); while the gap is at the end no slot
// moves (and a large block is remapped, not copied), so the index stays.
void TValueStore::Grow()
{
    const std::size_t old = capacity_;
    const std::size_t capacity = std::max(kMinCapacity, 2 * old);
    const std::size_t tail = static_cast<std::size_t>(count_) - gapStart_;
    data_.reset(Reallocate(data_.release(), capacity));
    capacity_ = capacity;
    if (tail > 0) {
        std::memmove(data_.get() + capacity - tail, data_.get() + old - tail, tail * sizeof(double));
        index_.Touch(capacity - tail, capacity);
    }
    index_.Resize(capacity_);
}

void TValueStore::Insert(int index, double value)
{
    if (index == count_) {
        Append(value);
        return;
    }
    if (ruled_)
        Materialize(std::max(kMinCapacity, 2 * static_cast<std::size_t>(count_ + 1)));
    MoveGap(static_cast<std::size_t>(index));
    if (static_cast<std::size_t>(count_) == capacity_)
        Grow();
    const std::size_t slot = gapStart_;
    data_.get()[slot] = value;
    index_.Touch(slot, slot + 1);
    ++count_;
    ++gapStart_;
}

void TValueStore::Erase(int index)
{
    if (ruled_ && index == count_ - 1) {
        --count_;
        return;
    }
    if (ruled_)
        Materialize(std::max(kMinCapacity, static_cast<std::size_t>(count_)));
    // The erased slot joins the gap; no stored value moves but those between
    // the gap and index.
    MoveGap(static_cast<std::size_t>(index) + 1);
    --gapStart_;
    --count_;
}

void TValueStore::Reset()
{
    data_.reset();
    capacity_ = 0;
    gapStart_ = 0;
    count_ = 0;
    ruled_ = true;
    first_ = step_ = 0;
    index_.Clear();
}

const TExtremesIndex& TValueStore::FreshIndex() const
{
    index_.Refresh(Slots());
    return index_;
}

void TValueStore::Extremes(int first, int last, double& lo, double& hi) const
{
    lo = HUGE_VAL;
    hi = -HUGE_VAL;
    first = std::max(first, 0);
    last = std::min(last, count_ - 1);
    if (first > last)
        return;
    if (ruled_) {
        // Monotone in the index: the ends are the extremes.
        const double a = RuleValue(first);
        const double b = RuleValue(last);
        lo = a <= b ? a : b;
        hi = a <= b ? b : a;
        return;
    }
    const TExtremesIndex& index = FreshIndex();
    const std::size_t f = static_cast<std::size_t>(first);
    const std::size_t l = static_cast<std::size_t>(last);
    if (f < gapStart_)
        index.Extremes(data_.get(), f, std::min(l, gapStart_ - 1), lo, hi);
    if (l >= gapStart_)
        index.Extremes(data_.get(), Slot(std::max(f, gapStart_)), Slot(l), lo, hi);
}

int TValueStore::LastWithin(int from, int last, double lo, double hi) const
{
    last = std::min(last, count_ - 1);
    if (from + 1 > last)
        return from;
    auto within = [&](int i) {
        const double v = At(i);
        return v >= lo && v <= hi;
    };
    if (ruled_) {
        // Monotone: the values within the bounds are one run of indexes.
        if (!within(from + 1))
            return from;
        if (within(last))
            return last;
        int good = from + 1;
        int bad = last;
        while (bad - good > 1) {
            const int mid = good + (bad - good) / 2;
            (within(mid) ? good : bad) = mid;
        }
        return good;
    }
    const TExtremesIndex& index = FreshIndex();
    const std::size_t f = static_cast<std::size_t>(from + 1);
    const std::size_t l = static_cast<std::size_t>(last);
    if (f < gapStart_) {
        const std::size_t end = std::min(l, gapStart_ - 1);
        const std::size_t m = index.LastWithin(data_.get(), f, end, lo, hi) + 1; // one past the last good slot
        if (m <= end)
            return static_cast<int>(m) - 1;
        if (end == l)
            return last;
    }
    const std::size_t start = std::max(f, gapStart_);
    const std::size_t offset = capacity_ - static_cast<std::size_t>(count_);
    const std::size_t m = index.LastWithin(data_.get(), start + offset, l + offset, lo, hi) + 1;
    return static_cast<int>(m - offset) - 1;
}

void TValueStore::PrefetchAround(int index) const
{
    if (ruled_ || index < 0 || index >= count_)
        return;
    index_.Prefetch(data_.get(), capacity_, Slot(static_cast<std::size_t>(index)));
}

} // namespace nc
