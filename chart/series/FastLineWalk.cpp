// SPDX-License-Identifier: MIT
#include "chart/series/FastLineWalk.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace nc {

namespace {

// Columns narrower than this many points stay in the caches anyway.
constexpr int kPrefetchWidth = 4096;
// A look for a run across columns that finds none (its probes leave the
// row, or the run ends too soon) cost work for nothing; the columns skipped
// before the next look double with each such miss, up to this many (a
// random walk misses nearly always, a settled response hardly ever).
constexpr int kMaxRunWait = 16;
// A run across fewer columns than this saves less than its search costs,
// and counts as a miss.
constexpr int kShortRun = 4;

// With monotone pixels a predicate "all points from+1..m are on one pixel"
// holds for every m up to some end and for none beyond: found by doubling
// the step, then halving it.
template <class Holds> int LastHolding(int from, int last, Holds holds)
{
    int good = from;
    long long step = 1; // wide: it doubles past half of any index range
    while (good < last) {
        const int probe = good + static_cast<int>(std::min<long long>(step, last - good));
        if (!holds(probe)) {
            int bad = probe;
            while (bad - good > 1) {
                const int mid = good + (bad - good) / 2;
                if (holds(mid))
                    good = mid;
                else
                    bad = mid;
            }
            return good;
        }
        good = probe;
        step *= 2;
    }
    return good;
}

// The doubles in their order as unsigned integers (NaN aside): negative
// values below -0, -0 next to +0, infinities at the ends.
std::uint64_t OrderedKey(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

double FromOrderedKey(std::uint64_t key)
{
    return std::bit_cast<double>((key >> 63) != 0 ? key & ~(std::uint64_t{1} << 63) : ~key);
}

// The last key on the way from key in towards key off (above it when Up)
// for which on holds, given that it holds at in: on holds for one interval
// of keys. The direction is a template argument, so that the bisection's
// only data-dependent choice is which end moves.
template <bool Up, class On> std::uint64_t LastKeyOn(std::uint64_t in, std::uint64_t off, On on)
{
    if (on(off))
        return off;
    while ((Up ? off - in : in - off) > 1) {
        const std::uint64_t mid = Up ? in + (off - in) / 2 : off + (in - off) / 2;
        (on(mid) ? in : off) = mid;
    }
    return in;
}

} // namespace

bool TFastLineWalk::Applies(const TChartValueList& xs, const TChartValueList& ys)
{
    return xs.Multiplier() > 0 && ys.Multiplier() > 0 && xs.IsAscending() && !xs.HasNaN() && !ys.HasNaN();
}

TFastLineWalk::TFastLineWalk(const TChartValueList& xs, const TChartValueList& ys, const LinearPixelMapper& xMap,
                             const LinearPixelMapper& yMap, TLineSink& sink, TRowBands& bands)
    : xs_(xs), ys_(ys), xPixels_(xMap, xs), yPixels_(yMap, ys), sink_(sink), bands_(bands)
{}

// ------------------------------------------------------------ the calls

void TFastLineWalk::Start(int first)
{
    const int x = xPixels_.At(first);
    const int y = yPixels_.At(first);
    // The line enters from the value just before the first one drawn.
    if (first <= 0)
        sink_.MoveTo(x, y);
    else
        sink_.Line(xPixels_.At(first - 1), yPixels_.At(first - 1), x, y);
    last_ = TPoint{x, y};
}

void TFastLineWalk::Flush()
{
    if (batched_ > 0)
        sink_.PolyLineTo(std::span<const TPoint>(batch_, static_cast<std::size_t>(batched_)));
    batched_ = 0;
}

void TFastLineWalk::WalkPlain(int first, int last)
{
    Start(first);
    for (int i = first + 1; i <= last; ++i)
        Next(xPixels_.At(i), yPixels_.At(i));
    Flush();
}

// ------------------------------------------------------------------ Walk

// The steps that a column or a point takes are named for reading, not for a
// call each: they are inlined into Walk's loop, so that it pays no call per
// point or column (bench_chart's paint rows).
#define NC_WALK_STEP [[gnu::always_inline]] inline

// A point about kShortRun columns on and the next one tell most misses
// without the row's band, whose search costs a hundred pixel computations
// for each new row.
NC_WALK_STEP bool TFastLineWalk::RunAcrossColumns(int& i, int last)
{
    if (runWait_ > 0) {
        --runWait_;
        return false;
    }
    if (!reduceColumns_ && !denseColumns_)
        return false;
    const int probe = static_cast<int>(std::min<long long>(last, i + 1LL * kShortRun * column_.Width));
    int m = i;
    // The probe bypasses At, whose two remembered pixels serve the column
    // search.
    if (yPixels_.OfRaw(ys_.RawAt(probe)) == last_.Y && yPixels_.At(i + 1) == last_.Y)
        m = RunEnd(i, last);
    const int xm = m > i ? xPixels_.At(m) : last_.X;
    if (std::abs(xm - last_.X) < kShortRun) {
        runWait_ = runBackoff_;
        runBackoff_ = std::min(2 * runBackoff_, kMaxRunWait);
        return false;
    }
    if (reduceColumns_) {
        LineTo(xm, last_.Y);
    } else {
        const int step = xm > last_.X ? 1 : -1;
        for (int x = last_.X + step; x != xm + step; x += step)
            Next(x, last_.Y);
    }
    i = m;
    // Point m ends the run: the next row change is in its column.
    runWait_ = 1;
    runBackoff_ = 1;
    return true;
}

NC_WALK_STEP void TFastLineWalk::OpenColumn(int i, int last)
{
    column_.Open = true;
    column_.X = last_.X;
    column_.End = ColumnEnd(i, last, column_.Width);
    column_.Width = std::max(1, column_.End - i);
    column_.Reduced = false;
    // The next column most likely ends as far on: its edge is fetched while
    // this one is drawn.
    if (column_.Width >= kPrefetchWidth) {
        const int ahead = column_.End + std::min(column_.Width, last - column_.End);
        xs_.PrefetchAround(ahead);
        ys_.PrefetchAround(ahead);
    }
}

NC_WALK_STEP void TFastLineWalk::ReduceColumn(int i, int j)
{
    double lo;
    double hi;
    ys_.RawExtremes(i + 1, j - 1, lo, hi);
    for (int y : {yPixels_.OfRaw(lo), yPixels_.OfRaw(hi)}) {
        if (y != last_.Y)
            LineTo(last_.X, y);
    }
    Next(xPixels_.At(j), yPixels_.At(j));
}

void TFastLineWalk::DrawLastColumn(int i, int j)
{
    int rows[3];
    const int count = LastColumnRows(i, j, rows);
    for (int k = 0; k < count; ++k)
        Next(last_.X, rows[k]);
}

NC_WALK_STEP int TFastLineWalk::StepInColumn(int i, int last)
{
    if (onPixel_)
        i = RunEnd(i, column_.End);
    if (i >= last)
        return i;
    ++i;
    onPixel_ = !Next(xPixels_.At(i), yPixels_.At(i));
    return i;
}

void TFastLineWalk::Walk(int first, int last, bool reduceColumns)
{
    reduceColumns_ = reduceColumns;
    // X values kept as a rule less than a pixel apart leave no pixel column
    // between two points empty: the plain walk along a run of points on one
    // row makes one call for each column in turn, and these calls can be
    // made without computing the points. Well below 1, so that no rounding
    // of the values or the pixels can open a gap.
    denseColumns_ = !reduceColumns && xPixels_.PixelSpan(xs_.RuleGapBound()) <= 0.75;
    bands_.clear();
    Start(first);
    int i = first;
    while (i < last) {
        if (!column_.Open || column_.X != last_.X) {
            // Point i is on the pixel drawn last, at the start of its column.
            if (RunAcrossColumns(i, last)) {
                onPixel_ = false;
                continue;
            }
            if (column_.Width == 1 && xPixels_.At(i + 1) != last_.X) {
                // A column of one point, as in a line with fewer points than
                // pixel columns: the next point starts the next column, and
                // no search is needed to tell. Asked only after a column of
                // one point, so that a dense line computes no extra pixel.
                ++i;
                Next(xPixels_.At(i), yPixels_.At(i));
                continue;
            }
            OpenColumn(i, last);
        }
        if (reduceColumns_ && !column_.Reduced) {
            column_.Reduced = true;
            if (column_.End - i >= 3) {
                if (column_.End == last) {
                    DrawLastColumn(i, last);
                    break;
                }
                ReduceColumn(i, column_.End);
                i = column_.End;
                onPixel_ = false;
                continue;
            }
        }
        i = StepInColumn(i, last);
    }
    Flush();
}

#undef NC_WALK_STEP

// ------------------------------------------------------------- searches

// Columns hold about as many points as the one before, so the search starts
// there: with evenly spaced X it costs two or three pixel computations
// instead of a doubling and a bisection over the whole column.
int TFastLineWalk::ColumnEnd(int from, int last, int guess)
{
    const int x = xPixels_.At(from);
    auto holds = [&](int m) { return xPixels_.At(m) == x; };
    const int g = from + std::clamp(guess, 0, last - from);
    if (holds(g)) {
        if (g == last || !holds(g + 1))
            return g;
        return LastHolding(g + 1, last, holds);
    }
    // Down from the guess by doubling steps to a point of the column, then
    // bisection.
    int bad = g;
    int good = from;
    for (long long step = 1;; step *= 2) {
        const int probe = static_cast<int>(std::max<long long>(from, bad - step));
        if (probe == from || holds(probe)) {
            good = probe;
            break;
        }
        bad = probe;
    }
    while (bad - good > 1) {
        const int mid = good + (bad - good) / 2;
        (holds(mid) ? good : bad) = mid;
    }
    return good;
}

TFastLineWalk::TRawBand TFastLineWalk::BandOf(int y, double raw)
{
    if (const auto found = bands_.find(y); found != bands_.end())
        return found->second;
    auto on = [&](std::uint64_t key) { return yPixels_.OfRaw(FromOrderedKey(key)) == y; };
    const std::uint64_t at = OrderedKey(raw);
    // The lowest value on the row: keys from raw down to -infinity; the
    // highest: keys from raw up to +infinity.
    const double lo = FromOrderedKey(LastKeyOn<false>(at, OrderedKey(-HUGE_VAL), on));
    const TRawBand band{lo, FromOrderedKey(LastKeyOn<true>(at, OrderedKey(HUGE_VAL), on))};
    bands_.emplace(y, band);
    return band;
}

// Within one pixel column only the rows need testing: the run goes on while
// the values stay within the raw band of the row, which the extremes index
// passes over a block at a time.
int TFastLineWalk::RunEnd(int from, int end)
{
    const TRawBand band = BandOf(last_.Y, ys_.RawAt(from));
    return ys_.LastWithin(from, end, band.Lo, band.Hi);
}

// In the last column the plain walk's pixels are the rows' hull of the
// points before the last, plus the segment to the last point without its end
// pixel: only whether that pixel is drawn depends on the order inside, and
// only when the last row is an extreme of the hull. It is drawn when the
// walk reached that row earlier and left it again (a segment draws its start
// pixel), and a row at the edge of the hull is never crossed inside a
// segment. The first visit and its end come from the extremes index, so a
// column of a million points costs a few searches instead of a run search at
// every row change.
int TFastLineWalk::LastColumnRows(int from, int last, int (&rows)[3])
{
    double lo;
    double hi;
    ys_.RawExtremes(from, last - 1, lo, hi);
    const int rowLo = yPixels_.OfRaw(lo);
    const int rowHi = yPixels_.OfRaw(hi);
    const int top = std::min(rowLo, rowHi);
    const int bottom = std::max(rowLo, rowHi);
    const int end = yPixels_.At(last);
    if (top == bottom) {
        rows[0] = end;
        return 1;
    }
    // Beyond the hull: sweep from the far edge to the end.
    if (end < top || end > bottom) {
        rows[0] = end < top ? bottom : top;
        rows[1] = end;
        return 2;
    }
    // Inside: both edges, then back to the end, drawn on the way.
    if (end != top && end != bottom) {
        rows[0] = top;
        rows[1] = bottom;
        rows[2] = end;
        return 3;
    }
    // On an edge: the values off the end's row all lie on the other side of
    // its band.
    const TRawBand band = BandOf(end, ys_.RawAt(last));
    const bool othersBelow = lo < band.Lo;
    const double offLo = othersBelow ? lo : std::nextafter(band.Hi, HUGE_VAL);
    const double offHi = othersBelow ? std::nextafter(band.Lo, -HUGE_VAL) : hi;
    const int firstOn = last_.Y == end ? from : ys_.LastWithin(from, last, offLo, offHi) + 1;
    const bool left = ys_.LastWithin(firstOn, last, band.Lo, band.Hi) < last;
    const int other = end == top ? bottom : top;
    if (left) {
        rows[0] = end;
        rows[1] = other;
        rows[2] = end;
        return 3;
    }
    rows[0] = other;
    rows[1] = end;
    return 2;
}

} // namespace nc
