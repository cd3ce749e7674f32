// SPDX-License-Identifier: MIT
#include "chart/Series.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <cstdlib>

#include "chart/ChartPanel.h"

namespace nc {

TFastLineSeries::TFastLineSeries() : linePen_(std::make_unique<TChartPen>()) {
    linePen_->OnChange = [this] { RequestRepaint(); };
    KeepPointPastEnd = true;
}

TFastLineSeries::~TFastLineSeries() = default;

void TFastLineSeries::SetLinePen(const TChartPen& pen) {
    linePen_->Assign(pen);
    SetSeriesColor(pen.Color());
}

void TFastLineSeries::SetSeriesColor(TColor value) {
    TChartSeries::SetSeriesColor(value);
    linePen_->SetColor(value);
}

void TFastLineSeries::SetVerticalMargins(int top, int bottom) {
    constexpr int kLargest = 1 << 20;  // far past any picture, and the edges' sums stay in int
    marginTop_ = std::clamp(top, 0, kLargest);
    marginBottom_ = std::clamp(bottom, 0, kLargest);
    RequestRepaint();
}

void TFastLineSeries::AssignSettings(const TFastLineSeries& source) {
    SetLinePen(*source.linePen_);
    autoRepaint_ = source.autoRepaint_;
}

TChartCanvas3D* TFastLineSeries::Canvas() const {
    return ParentChart() == nullptr ? nullptr : &ParentChart()->Canvas();
}

void TFastLineSeries::PrepareLinePen() {
    TChartCanvas3D* c = Canvas();
    if (c == nullptr || c->Pen() == nullptr) return;
    TPen& pen = *c->Pen();
    pen.TPen::Assign(*linePen_);
    pen.SetColor(SeriesColor());
    c->Brush()->SetStyle(bsClear);
}

void TFastLineSeries::DrawPoints() {
    if (FirstVisibleIndex < 0) return;
    PrepareLinePen();
    if (FastDrawing && PixelsAreMonotone()) {
        DrawPointsFast();
        return;
    }
    for (int i = FirstVisibleIndex; i <= LastVisibleIndex; ++i) DrawPoint(i);
}

bool TFastLineSeries::PixelsAreMonotone() const {
    const TCustomChartAxis* h = ResolvedHorizAxis();
    const TCustomChartAxis* v = ResolvedVertAxis();
    if (h == nullptr || v == nullptr || h->Logarithmic() || v->Logarithmic()) return false;
    const TChartValueList& x = XValues();
    const TChartValueList& y = YValues();
    return x.Multiplier() > 0 && y.Multiplier() > 0 && x.IsAscending() && !x.HasNaN() && !y.HasNaN();
}

bool TFastLineSeries::TPassPixels::Init(const TCustomChartAxis& axis, const TChartValueList& list) {
    list_ = &list;
    memo_[0] = memo_[1] = Memo{};
    AxisRange range;
    AxisSpan span;
    if (!axis.LinearPixelMap(range, span)) return false;
    map_ = LinearPixelMapper(range, span, axis.Inverted());
    return true;
}

// With monotone pixels a predicate "all points from+1..m are on one pixel"
// holds for every m up to some end and for none beyond: found by doubling
// the step, then halving it.
namespace {

template <class Holds>
int LastHolding(int from, int last, Holds holds) {
    int good = from;
    long long step = 1;  // wide: it doubles past half of any index range
    while (good < last) {
        const int probe = good + static_cast<int>(std::min<long long>(step, last - good));
        if (!holds(probe)) {
            int bad = probe;
            while (bad - good > 1) {
                const int mid = good + (bad - good) / 2;
                if (holds(mid)) good = mid;
                else bad = mid;
            }
            return good;
        }
        good = probe;
        step *= 2;
    }
    return good;
}

}  // namespace

// Columns hold about as many points as the one before, so the search starts
// there: with evenly spaced X it costs two or three pixel computations
// instead of a doubling and a bisection over the whole column.
int TFastLineSeries::ColumnEnd(int from, int last, int guess, TPassPixels& xs) const {
    auto pixel = [&](int m) { return xs.At(m); };
    const int x = pixel(from);
    auto holds = [&](int m) { return pixel(m) == x; };
    const int g = from + std::clamp(guess, 0, last - from);
    if (holds(g)) {
        if (g == last || !holds(g + 1)) return g;
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

namespace {

// The doubles in their order as unsigned integers (NaN aside): negative
// values below -0, -0 next to +0, infinities at the ends.
std::uint64_t OrderedKey(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

double FromOrderedKey(std::uint64_t key) {
    return std::bit_cast<double>((key >> 63) != 0 ? key & ~(std::uint64_t{1} << 63) : ~key);
}

}  // namespace

TFastLineSeries::RawBand TFastLineSeries::BandOf(int y, double raw, const TPassPixels& ys) {
    if (const auto found = bands_.find(y); found != bands_.end()) return found->second;
    auto on = [&](std::uint64_t key) { return ys.OfRaw(FromOrderedKey(key)) == y; };
    const std::uint64_t at = OrderedKey(raw);
    // The lowest value on the row: keys from -infinity up to raw.
    std::uint64_t off = OrderedKey(-HUGE_VAL);
    std::uint64_t in = at;
    if (on(off)) {
        in = off;
    } else {
        while (in - off > 1) {
            const std::uint64_t mid = off + (in - off) / 2;
            (on(mid) ? in : off) = mid;
        }
    }
    const double lo = FromOrderedKey(in);
    // The highest: keys from raw up to +infinity.
    in = at;
    off = OrderedKey(HUGE_VAL);
    if (on(off)) {
        in = off;
    } else {
        while (off - in > 1) {
            const std::uint64_t mid = in + (off - in) / 2;
            (on(mid) ? in : off) = mid;
        }
    }
    const RawBand band{lo, FromOrderedKey(in)};
    bands_.emplace(y, band);
    return band;
}

// Within one pixel column only the rows need testing: the run goes on while
// the values stay within the raw band of the row, which the extremes index
// passes over a block at a time.
int TFastLineSeries::RunEnd(int from, int end, const TPassPixels& yPixels) {
    const TChartValueList& ys = YValues();
    const RawBand band = BandOf(LastDrawnY, ys.RawValues()[static_cast<std::size_t>(from)], yPixels);
    return ys.LastWithin(from, end, band.Lo, band.Hi);
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
int TFastLineSeries::LastColumnRows(int from, int last, TPassPixels& yPixels, int (&rows)[3]) {
    const TChartValueList& ys = YValues();
    double lo;
    double hi;
    ys.RawExtremes(from, last - 1, lo, hi);
    const int rowLo = yPixels.OfRaw(lo);
    const int rowHi = yPixels.OfRaw(hi);
    const int top = std::min(rowLo, rowHi);
    const int bottom = std::max(rowLo, rowHi);
    const int end = yPixels.At(last);
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
    const RawBand band = BandOf(end, ys.RawAt(last), yPixels);
    const bool othersBelow = lo < band.Lo;
    const double offLo = othersBelow ? lo : std::nextafter(band.Hi, HUGE_VAL);
    const double offHi = othersBelow ? std::nextafter(band.Lo, -HUGE_VAL) : hi;
    const int firstOn = LastDrawnY == end ? from : ys.LastWithin(from, last, offLo, offHi) + 1;
    const bool left = ys.LastWithin(firstOn, last, band.Lo, band.Hi) < last;
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
// Line ends handed to the canvas at a time.
constexpr int kLineBatch = 256;
}  // namespace

// The same device calls as the plain walk, found with less work; the second
// and third shortcuts below make fewer calls for the same pixels:
//  - A run of points on the pixel just drawn issues no call in the plain
//    walk; once one point is found on it, the run's end is searched for with
//    the extremes index instead of visiting each point.
//  - For a one-pixel solid line in copy mode on a flat chart, the pixels of
//    a column (all but the last one with points) are the vertical hull of
//    its points plus the segments that enter and leave it, whatever the path
//    inside: the points between the column's first and last point are
//    replaced by two vertical moves to their extremes. In the last column the
//    order inside decides whether the line's final pixel is drawn: it takes
//    up to three moves, from LastColumnRows.
//  - With the same pen, points that stay on one pixel row across columns
//    (a settled response) draw one horizontal line: the plain walk's
//    segments between them lie on that row and join end to start, so their
//    pixels are those of the one line to the run's last point. The run's
//    end comes from the extremes index, a block at a time, instead of a
//    column search and a segment for each column.
//  - With any other pen the same run is found the same way where the X
//    values are a rule less than a pixel apart, and its calls are the plain
//    walk's own, one per pixel column (a dotted reference at 10^4 points
//    and more).
void TFastLineSeries::DrawPointsFast() {
    TChartCanvas3D* c = Canvas();
    if (c == nullptr) return;
    const int first = FirstVisibleIndex;
    const int last = LastVisibleIndex;
    const bool reduceColumns = !ParentChart()->View3D() && linePen_->Width() == 1 &&
                               linePen_->Style() == psSolid && linePen_->Mode() == pmCopy;
    const TChartValueList& ys = YValues();
    TPassPixels xPixels;
    TPassPixels yPixels;
    if (!xPixels.Init(*ResolvedHorizAxis(), XValues()) || !yPixels.Init(*ResolvedVertAxis(), ys)) {
        for (int i = first; i <= last; ++i) DrawPoint(i);
        return;
    }
    // X values kept as a rule less than a pixel apart leave no pixel column
    // between two points empty: the plain walk along a run of points on one
    // row makes one call for each column in turn, and these calls can be
    // made without computing the points. Well below 1, so that no rounding
    // of the values or the pixels can open a gap.
    const bool denseColumns = !reduceColumns && xPixels.PixelSpan(XValues().RuleGapBound()) <= 0.75;
    // The rows' bands hold for this pass's axes only.
    bands_.clear();
    DrawPoint(first);
    // On a flat chart the walk's LineTo calls go to the canvas in batches:
    // the same calls in the same order, with the per-call way through the
    // canvas and the device paid once per batch.
    const bool flat = !ParentChart()->View3D();
    TPoint batch[kLineBatch];
    int batched = 0;
    auto flush = [&] {
        if (batched > 0) c->PolyLineTo(std::span<const TPoint>(batch, static_cast<std::size_t>(batched)));
        batched = 0;
    };
    auto lineTo = [&](int x, int y) {
        batch[batched++] = TPoint{x, y};
        if (batched == kLineBatch) flush();
    };
    // DrawNext, batched on a flat chart.
    auto next = [&](int x, int y) {
        if (!flat) {
            DrawNext(x, y);
            return;
        }
        if (x == LastDrawnX && y == LastDrawnY) return;
        lineTo(x, y);
        LastDrawnX = x;
        LastDrawnY = y;
    };
    int i = first;
    bool skipped = false;
    // The pixel column of the point drawn last and its last index.
    bool haveColumn = false;
    int columnX = 0;
    int columnEnd = first;
    int columnWidth = 1;
    bool reduceTried = false;
    int runWait = 0;
    int runBackoff = 1;
    while (i < last) {
        if (!haveColumn || columnX != LastDrawnX) {
            // Point i is on the pixel drawn last, at the start of its column.
            // A point about kShortRun columns on and the next one tell most
            // misses without the row's band, whose search costs a hundred
            // pixel computations for each new row.
            if (runWait > 0) {
                --runWait;
            } else if (reduceColumns || denseColumns) {
                const int probe = static_cast<int>(std::min<long long>(last, i + 1LL * kShortRun * columnWidth));
                int m = i;
                // The probe bypasses At, whose two remembered pixels serve
                // the column search.
                if (yPixels.OfRaw(ys.RawAt(probe)) == LastDrawnY && yPixels.At(i + 1) == LastDrawnY)
                    m = RunEnd(i, last, yPixels);
                const int xm = m > i ? xPixels.At(m) : LastDrawnX;
                if (std::abs(xm - LastDrawnX) >= kShortRun) {
                    if (reduceColumns) {
                        lineTo(xm, LastDrawnY);
                        LastDrawnX = xm;
                    } else {
                        const int step = xm > LastDrawnX ? 1 : -1;
                        for (int x = LastDrawnX + step; x != xm + step; x += step) next(x, LastDrawnY);
                    }
                    i = m;
                    skipped = false;
                    // Point m ends the run: the next row change is in its column.
                    runWait = 1;
                    runBackoff = 1;
                    continue;
                }
                runWait = runBackoff;
                runBackoff = std::min(2 * runBackoff, kMaxRunWait);
            }
            if (columnWidth == 1 && xPixels.At(i + 1) != LastDrawnX) {
                // A column of one point, as in a line with fewer points than
                // pixel columns: the next point starts the next column, and
                // no search is needed to tell. Asked only after a column of
                // one point, so that a dense line computes no extra pixel.
                ++i;
                next(xPixels.At(i), yPixels.At(i));
                continue;
            }
            haveColumn = true;
            columnX = LastDrawnX;
            columnEnd = ColumnEnd(i, last, columnWidth, xPixels);
            columnWidth = std::max(1, columnEnd - i);
            // The next column most likely ends as far on: its edge is fetched
            // while this one is drawn.
            if (columnWidth >= kPrefetchWidth) {
                const int ahead = columnEnd + std::min(columnWidth, last - columnEnd);
                XValues().PrefetchAround(ahead);
                ys.PrefetchAround(ahead);
            }
            reduceTried = false;
        }
        if (reduceColumns && !reduceTried) {
            reduceTried = true;
            const int j = columnEnd;
            if (j - i >= 3 && j == last) {
                int rows[3];
                const int count = LastColumnRows(i, j, yPixels, rows);
                for (int k = 0; k < count; ++k) next(LastDrawnX, rows[k]);
                break;
            }
            if (j - i >= 3) {
                double lo;
                double hi;
                ys.RawExtremes(i + 1, j - 1, lo, hi);
                for (int y : {yPixels.OfRaw(lo), yPixels.OfRaw(hi)}) {
                    if (y == LastDrawnY) continue;
                    lineTo(LastDrawnX, y);
                    LastDrawnY = y;
                }
                next(xPixels.At(j), yPixels.At(j));
                i = j;
                skipped = false;
                continue;
            }
        }
        if (skipped) i = RunEnd(i, columnEnd, yPixels);
        if (i >= last) break;
        ++i;
        const int x = LastDrawnX;
        const int y = LastDrawnY;
        next(xPixels.At(i), yPixels.At(i));
        // A point that draws always moves LastDrawn; one that does not was on it.
        skipped = LastDrawnX == x && LastDrawnY == y;
    }
    flush();
}

void TFastLineSeries::DrawPoint(int index) {
    TChartCanvas3D* c = Canvas();
    if (c == nullptr) return;
    const int x = XPixel(index);
    const int y = YPixel(index);
    const bool is3D = ParentChart()->View3D();
    const int z = 0;  // the series' depth: flat charts only
    if (index == FirstVisibleIndex) {
        if (index <= 0) {
            if (is3D) c->MoveToZ(x, y, z);
            else c->MoveTo(x, y);
        } else {
            // The line enters the plot from the value just outside it.
            const int xp = XPixel(index - 1);
            const int yp = YPixel(index - 1);
            if (is3D) c->LineZ(xp, yp, x, y, z);
            else c->Line(xp, yp, x, y);
        }
        LastDrawnX = x;
        LastDrawnY = y;
    } else {
        DrawNext(x, y);
    }
}

void TFastLineSeries::DrawNext(int x, int y) {
    if (x == LastDrawnX && y == LastDrawnY) return;
    TChartCanvas3D* c = Canvas();
    if (ParentChart()->View3D()) c->LineToZ(x, y, 0);  // the series' depth: flat charts only
    else c->LineTo(x, y);
    LastDrawnX = x;
    LastDrawnY = y;
}

void TFastLineSeries::DrawAddedPoint(int index) {
    TChartCanvas3D* c = Canvas();
    if (c == nullptr || c->Pen() == nullptr) return;
    c->Pen()->TPen::Assign(*linePen_);
    const int p = index == 0 ? 0 : index - 1;
    if (ParentChart()->View3D()) c->MoveToZ(XPixel(p), YPixel(p), 0);
    else c->MoveTo(XPixel(p), YPixel(p));
    // DrawPoint continues from the current point unless index is the first
    // visible one; as a later point, the segment runs from p to index.
    const int savedFirst = FirstVisibleIndex;
    LastDrawnX = XPixel(p);
    LastDrawnY = YPixel(p);
    if (FirstVisibleIndex == index) FirstVisibleIndex = -1;
    DrawPoint(index);
    FirstVisibleIndex = savedFirst;
}

bool PointOnSegment(int px, int py, int x, int y, int xp, int yp) {
    // Pixels anywhere in int (a mouse position, a point far off the plot):
    // their differences take 33 bits and the products 66, so the cross
    // product is taken in 128.
    auto d = [](int a, int b) { return static_cast<long long>(a) - b; };
    const __int128 cross = static_cast<__int128>(d(px, x)) * d(yp, y) - static_cast<__int128>(d(py, y)) * d(xp, x);
    const long long limit = std::max(std::llabs(d(xp, x)), std::llabs(d(yp, y)));
    if (!((cross < 0 ? -cross : cross) < limit)) return false;
    // An axis whose two ends are equal does not restrict: the line test above
    // already demands the same coordinate there.
    const bool inX = x == xp || (std::min(x, xp) <= px && px <= std::max(x, xp));
    const bool inY = y == yp || (std::min(y, yp) <= py && py <= std::max(y, yp));
    return inX && inY;
}

// Uses the visible range of the last paint, as the chart's mouse handling does.
int TFastLineSeries::PointAtPixel(int px, int py) {
    if (FirstVisibleIndex < 0 || LastVisibleIndex < 0 || LastVisibleIndex < FirstVisibleIndex) return -1;
    int xp = 0;
    int yp = 0;
    for (int i = FirstVisibleIndex; i <= LastVisibleIndex; ++i) {
        const int x = XPixel(i);
        const int y = YPixel(i);
        if (px == x && py == y) return i;
        if (i > FirstVisibleIndex && PointOnSegment(px, py, x, y, xp, yp)) return i - 1;
        xp = x;
        yp = y;
    }
    return -1;
}

void TFastLineSeries::DrawLegendSymbol(const TRect& rect) {
    PrepareLinePen();
    if (TChartCanvas3D* c = Canvas()) c->HorizLine(rect.Left, rect.Right, (rect.Top + rect.Bottom) / 2);
}

}  // namespace nc
