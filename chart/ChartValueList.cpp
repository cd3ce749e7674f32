// SPDX-License-Identifier: MIT
#include "chart/ChartValueList.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

#include "chart/ChartEngine.h"

namespace nc {

namespace {

constexpr std::size_t kMinCapacity = 16;

// A value that can start a rule: finite, not -0 (first + 0 * step would
// read back as +0), and small enough that first + i * step can neither
// overflow nor raise a floating-point flag for any int index.
bool CanStartRule(double v) {
    return std::isfinite(v) && std::fabs(v) <= 1e270 && std::bit_cast<std::uint64_t>(v) != std::bit_cast<std::uint64_t>(-0.0);
}

bool SameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// NaN takes no part: a comparison with it fails.
void WidenBy(const double* d, std::size_t from, std::size_t to, double& lo, double& hi) {
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

double* Reallocate(double* p, std::size_t count) {
    void* q = std::realloc(p, count * sizeof(double));
    if (q == nullptr) throw std::bad_alloc();
    return static_cast<double*>(q);
}

}  // namespace

TChartValueList::TChartValueList(TChartSeries* owner, std::string name) : name_(std::move(name)), owner_(owner) {
    if (owner_ != nullptr) owner_->RegisterValueList(this);
}

TChartValueList::~TChartValueList() = default;

void TChartValueList::CheckIndex(int index, int limit) const {
    if (index < 0 || index >= limit) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
}

// The product is formed with a 64-bit significand and then rounded to double,
// as the rest of the program's arithmetic is.
double TChartValueList::Scaled(double raw) const {
    // A multiplier of 1 leaves every value as it is: the usual case skips the
    // extended product.
    if (multiplier_ == 1.0) return raw;
    return static_cast<double>(static_cast<long double>(raw) * multiplier_);
}

double TChartValueList::RawValue(int index) const {
    CheckIndex(index, Count());
    return RawAt(index);
}

double TChartValueList::Value(int index) const { return Scaled(RawValue(index)); }

// ------------------------------------------------------------ storage

void TChartValueList::AppendSlow(double value) {
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
    if (gapStart_ != static_cast<std::size_t>(count_)) MoveGap(static_cast<std::size_t>(count_));
    if (static_cast<std::size_t>(count_) == capacity_) Grow();
    Append(value);
}

void TChartValueList::Materialize(std::size_t capacity) {
    std::unique_ptr<double, FreeDeleter> data(Reallocate(nullptr, capacity));
    for (int i = 0; i < count_; ++i) data.get()[i] = RuleValue(i);
    data_ = std::move(data);
    ruled_ = false;
    capacity_ = capacity;
    gapStart_ = static_cast<std::size_t>(count_);
    ResizeIndex();
    Touch(0, static_cast<std::size_t>(count_));
}

void TChartValueList::MoveGap(std::size_t index) {
    double* d = data_.get();
    const std::size_t gap = capacity_ - static_cast<std::size_t>(count_);
    if (index < gapStart_) {
        std::memmove(d + index + gap, d + index, (gapStart_ - index) * sizeof(double));
        Touch(index + gap, gapStart_ + gap);
    } else if (index > gapStart_) {
        std::memmove(d + gapStart_, d + gapStart_ + gap, (index - gapStart_) * sizeof(double));
        Touch(gapStart_, index);
    }
    gapStart_ = index;
}

// Doubling keeps appends amortized O(1); while the gap is at the end no slot
// moves (and a large block is remapped, not copied), so the index stays.
void TChartValueList::Grow() {
    const std::size_t old = capacity_;
    const std::size_t capacity = std::max(kMinCapacity, 2 * old);
    const std::size_t tail = static_cast<std::size_t>(count_) - gapStart_;
    data_.reset(Reallocate(data_.release(), capacity));
    capacity_ = capacity;
    if (tail > 0) {
        std::memmove(data_.get() + capacity - tail, data_.get() + old - tail, tail * sizeof(double));
        Touch(capacity - tail, capacity);
    }
    ResizeIndex();
}

int TChartValueList::InsertOrdered(double value) {
    Flush();
    if (std::isnan(value)) {
        // Every comparison with NaN fails: the backward scan stops at once.
        Append(value);
        return count_ - 1;
    }
    int index;
    if (order_ == loAscending && ascending_) {
        // Sorted without NaN: the first value above the new one, by bisection;
        // equal values keep their arrival order.
        int lo = 0;
        int hi = count_;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (RawAt(mid) > value) hi = mid;
            else lo = mid + 1;
        }
        index = lo;
    } else {
        int i = count_ - 1;
        if (order_ == loAscending) {
            while (i >= 0 && RawAt(i) > value) --i;
        } else {
            while (i >= 0 && RawAt(i) < value) --i;
        }
        index = i + 1;
    }
    InsertInside(index, value);
    return index;
}

void TChartValueList::InsertInside(int index, double value) {
    CheckIndex(index, Count() + 1);
    Flush();
    if (ruled_) Materialize(std::max(kMinCapacity, 2 * static_cast<std::size_t>(count_ + 1)));
    MoveGap(static_cast<std::size_t>(index));
    if (static_cast<std::size_t>(count_) == capacity_) Grow();
    const std::size_t slot = gapStart_;
    data_.get()[slot] = value;
    Touch(slot, slot + 1);
    ++count_;
    ++gapStart_;
    if (std::isnan(value)) {
        ++nanCount_;
        ascending_ = false;
    } else if ((index > 0 && RawAt(index - 1) > value) || (index + 1 < count_ && value > RawAt(index + 1))) {
        ascending_ = false;
    }
    // The earlier values are folded in; this one is added now, as the last.
    rangeFrom_ = sumFrom_ = count_;
    Include(value);
}

void TChartValueList::DeleteValue(int index) {
    CheckIndex(index, Count());
    Flush();
    const double old = RawAt(index);
    if (ruled_ && index == count_ - 1) {
        --count_;
    } else {
        if (ruled_) Materialize(std::max(kMinCapacity, static_cast<std::size_t>(count_)));
        // The deleted slot joins the gap; no stored value moves but those
        // between the gap and index.
        MoveGap(static_cast<std::size_t>(index) + 1);
        --gapStart_;
        --count_;
    }
    if (std::isnan(old)) --nanCount_;
    rangeFrom_ = sumFrom_ = count_;
    ExcludeFromRange(old);
}

void TChartValueList::ResetValues() {
    data_.reset();
    capacity_ = 0;
    gapStart_ = 0;
    count_ = 0;
    ruled_ = true;
    first_ = step_ = 0;
    levels_.clear();
    levels_.shrink_to_fit();
    dirtyLo_ = SIZE_MAX;
    dirtyHi_ = 0;
    rangeFrom_ = sumFrom_ = 0;
    nanCount_ = 0;
    ascending_ = true;
    lowValue_ = highValue_ = sum_ = absSum_ = 0;
}

// ------------------------------------------------------- range and sums

void TChartValueList::IncludeOne(double raw, int countAfter) const {
    const double s = Scaled(raw);
    if (countAfter == 1) {
        lowValue_ = highValue_ = s;
        return;
    }
    if (s < lowValue_) lowValue_ = s;
    if (s > highValue_) highValue_ = s;
}

void TChartValueList::FlushRange() const {
    if (rangeFrom_ >= count_) return;
    if (ruled_ && multiplier_ == 1.0) {
        // Ruled values are monotone, and equal ones have the same bits: the
        // first and the last appended decide what the whole run would.
        if (count_ >= 2 && step_ < 0) ascending_ = false;
        IncludeOne(RuleValue(rangeFrom_), rangeFrom_ + 1);
        if (count_ - 1 > rangeFrom_) IncludeOne(RuleValue(count_ - 1), count_);
        rangeFrom_ = count_;
        return;
    }
    for (int i = rangeFrom_; i < count_; ++i) {
        const double v = RawAt(i);
        if (std::isnan(v)) {
            ++nanCount_;
            ascending_ = false;
        } else if (i > 0 && RawAt(i - 1) > v) {
            ascending_ = false;
        }
        IncludeOne(v, i + 1);
    }
    rangeFrom_ = count_;
}

void TChartValueList::FlushSums() const {
    for (int i = sumFrom_; i < count_; ++i) {
        const double s = Scaled(RawAt(i));
        sum_ = static_cast<double>(static_cast<long double>(sum_) + s);
        absSum_ = static_cast<double>(static_cast<long double>(absSum_) + std::fabs(s));
    }
    sumFrom_ = count_;
}

void TChartValueList::IncludeInRange(double value) {
    Flush();
    Include(value);
}

void TChartValueList::Include(double value) {
    const double s = Scaled(value);
    sum_ = static_cast<double>(static_cast<long double>(sum_) + s);
    absSum_ = static_cast<double>(static_cast<long double>(absSum_) + std::fabs(s));
    IncludeOne(value, Count());
}

void TChartValueList::ExcludeFromRange(double value) {
    Flush();
    const double s = Scaled(value);
    sum_ = static_cast<double>(static_cast<long double>(sum_) - s);
    absSum_ = static_cast<double>(static_cast<long double>(absSum_) - std::fabs(s));
    RescanRange();
}

void TChartValueList::RescanRange() {
    FlushRange();
    lowValue_ = highValue_ = 0;
    if (count_ == 0) return;
    if (multiplier_ == 1.0 && nanCount_ == 0) {
        // Without NaN the scan keeps the first of equal extremes, as the index
        // does: the index answers in O(log N).
        RawExtremes(0, count_ - 1, lowValue_, highValue_);
        return;
    }
    for (int i = 0; i < count_; ++i) {
        const double s = Scaled(RawAt(i));
        if (i == 0) {
            lowValue_ = highValue_ = s;
        } else if (s < lowValue_) {
            lowValue_ = s;
        } else if (s > highValue_) {
            highValue_ = s;
        }
    }
}

double TChartValueList::HighValue() const {
    FlushRange();
    return highValue_;
}

double TChartValueList::LowValue() const {
    FlushRange();
    return lowValue_;
}

double TChartValueList::Sum() const {
    FlushSums();
    return sum_;
}

double TChartValueList::AbsSum() const {
    FlushSums();
    return absSum_;
}

bool TChartValueList::HasNaN() const {
    FlushRange();
    return nanCount_ > 0;
}

bool TChartValueList::IsAscending() const {
    FlushRange();
    return ascending_;
}

void TChartValueList::SetDateTime(bool value) {
    if (value == dateTime_) return;
    dateTime_ = value;
    if (owner_ != nullptr) owner_->RequestRepaint();
}

void TChartValueList::SetMultiplier(double value) {
    if (value == multiplier_) return;
    // What was added so far counts with the multiplier it was added under.
    Flush();
    multiplier_ = value;
    RescanRange();
    if (owner_ != nullptr) {
        owner_->NotifyDependents(TSeriesChange::Refreshed);
        owner_->RequestRepaint();
    }
}

void TChartValueList::AssignSettings(const TChartValueList& source) {
    if (source.multiplier_ != multiplier_) Flush();
    order_ = source.order_;
    dateTime_ = source.dateTime_;
    multiplier_ = source.multiplier_;
    valueSource_ = source.valueSource_;
}

// ------------------------------------------------------- extremes index

void TChartValueList::ResizeIndex() const {
    std::size_t levels = 0;
    while (levels == 0 || (capacity_ >> LevelShift(levels - 1)) > 1) ++levels;
    const std::size_t had = levels_.size();
    levels_.resize(levels);
    for (std::size_t k = 0; k < levels; ++k) {
        const std::size_t blocks = ((capacity_ - 1) >> LevelShift(k)) + 1;
        levels_[k].resize(blocks, TBlockExtremes{HUGE_VAL, -HUGE_VAL});
        if (k < had || k == 0) continue;
        // A new top level starts from the level below.
        for (std::size_t b = 0; b < blocks; ++b) levels_[k][b] = ChildExtremes(k, b);
    }
}

// Recomputes the blocks over the dirty slots, level by level.
void TChartValueList::RefreshIndex() const {
    if (ruled_ || dirtyLo_ >= dirtyHi_) return;
    const std::size_t lo = dirtyLo_;
    const std::size_t hi = std::min(dirtyHi_, capacity_);
    dirtyLo_ = SIZE_MAX;
    dirtyHi_ = 0;
    if (lo >= hi) return;
    const double* d = data_.get();
    const std::size_t gapEnd = gapStart_ + (capacity_ - static_cast<std::size_t>(count_));
    for (std::size_t b = lo >> kLeafShift; b <= (hi - 1) >> kLeafShift; ++b) {
        double bl = HUGE_VAL;
        double bh = -HUGE_VAL;
        const std::size_t from = b << kLeafShift;
        const std::size_t to = std::min(from + (std::size_t{1} << kLeafShift), capacity_);
        // The gap's slots take no part.
        WidenBy(d, from, std::max(from, std::min(to, gapStart_)), bl, bh);
        WidenBy(d, std::max(from, gapEnd), to, bl, bh);
        levels_[0][b] = TBlockExtremes{bl, bh};
    }
    for (std::size_t k = 1; k < levels_.size(); ++k) {
        const int shift = LevelShift(k);
        for (std::size_t b = lo >> shift; b <= (hi - 1) >> shift; ++b) levels_[k][b] = ChildExtremes(k, b);
    }
}

TChartValueList::TBlockExtremes TChartValueList::ChildExtremes(std::size_t k, std::size_t b) const {
    TBlockExtremes e{HUGE_VAL, -HUGE_VAL};
    const std::vector<TBlockExtremes>& below = levels_[k - 1];
    const std::size_t from = b << kFanShift;
    const std::size_t to = std::min(from + (std::size_t{1} << kFanShift), below.size());
    for (std::size_t c = from; c < to; ++c) {
        if (below[c].Lo < e.Lo) e.Lo = below[c].Lo;
        if (below[c].Hi > e.Hi) e.Hi = below[c].Hi;
    }
    return e;
}

// The largest level whose block starts at slot i and ends by slot b; -1
// when no level-0 block does. A level-k block holds 2^(6 + 3k) slots: the
// level follows from the trailing zero bits of i and the bit width of the
// room up to b.
int TChartValueList::LargestBlock(std::size_t i, std::size_t b) const {
    constexpr std::size_t leaf = std::size_t{1} << kLeafShift;
    if (i > b || b - i + 1 < leaf || (i & (leaf - 1)) != 0) return -1;
    const int bySize = (static_cast<int>(std::bit_width(b - i + 1)) - 1 - kLeafShift) / kFanShift;
    const int byAlignment = i == 0 ? bySize : (std::countr_zero(i) - kLeafShift) / kFanShift;
    return std::min({bySize, byAlignment, static_cast<int>(levels_.size()) - 1});
}

// Slots a..b (inclusive, none in the gap): the slots up to the first block
// border one by one, then the largest blocks that fit, then the rest.
void TChartValueList::SlotExtremes(std::size_t a, std::size_t b, double& lo, double& hi) const {
    const double* d = data_.get();
    constexpr std::size_t leaf = std::size_t{1} << kLeafShift;
    const std::size_t head = std::min(b + 1, (a + leaf - 1) & ~(leaf - 1));
    WidenBy(d, a, head, lo, hi);
    std::size_t i = head;
    while (i <= b) {
        const int level = LargestBlock(i, b);
        if (level < 0) break;
        const int shift = LevelShift(static_cast<std::size_t>(level));
        const TBlockExtremes& e = levels_[static_cast<std::size_t>(level)][i >> shift];
        lo = e.Lo < lo ? e.Lo : lo;
        hi = e.Hi > hi ? e.Hi : hi;
        i += std::size_t{1} << shift;
    }
    if (i <= b) WidenBy(d, i, b + 1, lo, hi);
}

void TChartValueList::PrefetchAround(int index) const {
    if (ruled_ || index < 0 || index >= count_) return;
    const std::size_t slot = Slot(static_cast<std::size_t>(index));
    constexpr std::size_t leaf = std::size_t{1} << kLeafShift;
    constexpr std::size_t perLine = 64 / sizeof(double);
    const double* d = data_.get();
    const std::size_t from = slot & ~(leaf - 1);
    for (std::size_t s = from; s < std::min(from + leaf, capacity_); s += perLine) __builtin_prefetch(d + s);
    // A query that ends here walks a level's entries from the start of the
    // next level's block up to this one: at most 8 entries of 16 bytes,
    // which may straddle three cache lines. The levels shrink eightfold each,
    // and from one that stays in the caches between paints on, asking costs
    // more than it brings.
    constexpr std::size_t kCachedLevelBytes = 256 * 1024;
    for (std::size_t k = 0; k < levels_.size(); ++k) {
        const std::size_t b = slot >> LevelShift(k);
        if (b >= levels_[k].size() || levels_[k].size() * sizeof(TBlockExtremes) < kCachedLevelBytes) break;
        const std::size_t start = b & ~((std::size_t{1} << kFanShift) - 1);
        __builtin_prefetch(&levels_[k][start]);
        __builtin_prefetch(&levels_[k][start + 4 <= b ? start + 4 : start]);
        __builtin_prefetch(&levels_[k][b]);
    }
}

void TChartValueList::RawExtremes(int first, int last, double& lo, double& hi) const {
    lo = HUGE_VAL;
    hi = -HUGE_VAL;
    first = std::max(first, 0);
    last = std::min(last, Count() - 1);
    if (first > last) return;
    if (ruled_) {
        // Monotone in the index: the ends are the extremes.
        const double a = RuleValue(first);
        const double b = RuleValue(last);
        lo = a <= b ? a : b;
        hi = a <= b ? b : a;
        return;
    }
    RefreshIndex();
    const std::size_t f = static_cast<std::size_t>(first);
    const std::size_t l = static_cast<std::size_t>(last);
    if (f < gapStart_) SlotExtremes(f, std::min(l, gapStart_ - 1), lo, hi);
    if (l >= gapStart_) SlotExtremes(Slot(std::max(f, gapStart_)), Slot(l), lo, hi);
}

// The last slot m in a-1..b such that slots a..m all lie within [lo, hi]:
// the slots up to the first block border are read in one loop, unless
// their leaf block lies inside (a dotted line's run search in every pixel
// column then reads no values at the column's edges, only index entries);
// after it a block that is wholly inside is passed at once, and one that is
// not is tried at the next smaller size, down to a leaf block, whose slots
// hold the first one outside. The slots after the last whole block are
// read as those before the first.
std::size_t TChartValueList::SlotLastWithin(std::size_t a, std::size_t b, double lo, double hi) const {
    const double* d = data_.get();
    // The first slot in from..to-1 outside the bounds, or to. A - 1 wraps
    // only when a is 0, and comes back by +1.
    auto firstOutside = [&](std::size_t from, std::size_t to) {
        while (from < to && d[from] >= lo && d[from] <= hi) ++from;
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
    if (i < head) return i - 1;
    for (int level = LargestBlock(i, b); level >= 0; level = LargestBlock(i, b)) {
        bool passed = false;
        for (int k = level; k >= 0 && !passed; --k) {
            const int shift = LevelShift(static_cast<std::size_t>(k));
            if (inside(levels_[static_cast<std::size_t>(k)][i >> shift])) {
                i += std::size_t{1} << shift;
                passed = true;
            }
        }
        if (!passed) return firstOutside(i, i + leaf) - 1;
    }
    return looseOutside(i, b + 1) - 1;
}

int TChartValueList::LastWithin(int from, int last, double lo, double hi) const {
    last = std::min(last, Count() - 1);
    if (from + 1 > last) return from;
    auto within = [&](int i) {
        const double v = RawAt(i);
        return v >= lo && v <= hi;
    };
    if (ruled_) {
        // Monotone: the values within the bounds are one run of indexes.
        if (!within(from + 1)) return from;
        if (within(last)) return last;
        int good = from + 1;
        int bad = last;
        while (bad - good > 1) {
            const int mid = good + (bad - good) / 2;
            (within(mid) ? good : bad) = mid;
        }
        return good;
    }
    RefreshIndex();
    const std::size_t f = static_cast<std::size_t>(from + 1);
    const std::size_t l = static_cast<std::size_t>(last);
    if (f < gapStart_) {
        const std::size_t end = std::min(l, gapStart_ - 1);
        const std::size_t m = SlotLastWithin(f, end, lo, hi) + 1;  // one past the last good slot
        if (m <= end) return static_cast<int>(m) - 1;
        if (end == l) return last;
    }
    const std::size_t start = std::max(f, gapStart_);
    const std::size_t offset = capacity_ - static_cast<std::size_t>(count_);
    const std::size_t m = SlotLastWithin(start + offset, l + offset, lo, hi) + 1;
    return static_cast<int>(m - offset) - 1;
}

// ------------------------------------------------------------ TColorRuns

std::size_t TColorRuns::RunOf(int index) const {
    return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), index) - starts_.begin()) - 1;
}

void TColorRuns::Shift(std::size_t from, int by) {
    for (std::size_t j = from; j < starts_.size(); ++j) starts_[j] += by;
}

void TColorRuns::InsertSlow(int index, TColor color, int count) {
    if (starts_.empty()) {
        if (color == UnsetColor) return;
        starts_.push_back(0);
        colors_.push_back(count == 0 ? color : UnsetColor);
        if (count == 0) return;
    }
    if (index == count) {
        if (colors_.back() == color) return;
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

void TColorRuns::Erase(int index, int count) {
    if (starts_.empty()) return;
    const std::size_t r = RunOf(index);
    Shift(r + 1, -1);
    const int end = r + 1 < starts_.size() ? starts_[r + 1] : count - 1;
    if (starts_[r] < end) return;
    // Run r is gone; its neighbours may now be one run.
    const auto at = [](auto& v, std::size_t i) { return v.begin() + static_cast<std::ptrdiff_t>(i); };
    starts_.erase(at(starts_, r));
    colors_.erase(at(colors_, r));
    if (r > 0 && r < starts_.size() && colors_[r - 1] == colors_[r]) {
        starts_.erase(at(starts_, r));
        colors_.erase(at(colors_, r));
    }
    if (!starts_.empty()) starts_[0] = 0;
}

TColor TColorRuns::At(int index) const { return starts_.empty() ? UnsetColor : colors_[RunOf(index)]; }

std::vector<TColor> TColorRuns::ToVector(int count) const {
    std::vector<TColor> out;
    if (starts_.empty()) return out;
    out.reserve(static_cast<std::size_t>(count));
    for (std::size_t r = 0; r < starts_.size(); ++r) {
        const int end = r + 1 < starts_.size() ? starts_[r + 1] : count;
        out.insert(out.end(), static_cast<std::size_t>(end - starts_[r]), colors_[r]);
    }
    return out;
}

void TColorRuns::Clear() {
    starts_.clear();
    starts_.shrink_to_fit();
    colors_.clear();
    colors_.shrink_to_fit();
}

}  // namespace nc
