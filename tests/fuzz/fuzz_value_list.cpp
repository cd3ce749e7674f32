// SPDX-License-Identifier: MIT
// The ordered value list against a plain model: any sequence of additions,
// deletions and clears keeps the order, the indices, the range, the sums and
// the per-block extremes index equal to the model's.
#include "tests/fuzz/FuzzInput.h"
#include "chart/data/ChartValueList.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace nc;

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const uint8_t kind = in.Take<uint8_t>() % 3;
    const TChartListOrder order = kind == 0 ? loNone : kind == 1 ? loAscending : loDescending;
    TChartValueList list(nullptr, "X");
    list.SetOrder(order);
    std::vector<double> model;
    double sum = 0, absSum = 0;

    for (int op = 0; op < 4000 && size > 0; ++op) {
        const uint8_t code = in.Take<uint8_t>();
        if (code == 0 && op > 0) {
            // Input exhausted (or a zero byte): one last check below.
            break;
        }
        if (code % 8 < 6) {
            // Small integers and halves make many equal values.
            const int8_t raw = in.Take<int8_t>();
            const double v = (code & 0x80) ? raw * 1e6 : raw * 0.5;
            std::size_t at = model.size();
            if (order == loAscending && !model.empty() && !(model.back() <= v))
                at = static_cast<std::size_t>(std::upper_bound(model.begin(), model.end(), v) - model.begin());
            if (order == loDescending && !model.empty() && !(model.back() >= v))
                at = static_cast<std::size_t>(std::upper_bound(model.begin(), model.end(), v, std::greater<double>())
                                              - model.begin());
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), v);
            sum = static_cast<double>(static_cast<long double>(sum) + v);
            absSum = static_cast<double>(static_cast<long double>(absSum) + std::fabs(v));
            Check(list.AddValue(v) == static_cast<int>(at));
        } else if (code % 8 == 6 && !model.empty()) {
            const std::size_t at = in.Take<uint16_t>() % model.size();
            const double v = model[at];
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
            sum = static_cast<double>(static_cast<long double>(sum) - v);
            absSum = static_cast<double>(static_cast<long double>(absSum) - std::fabs(v));
            list.DeleteValue(static_cast<int>(at));
        } else if (code == 0xFF) {
            model.clear();
            sum = absSum = 0;
            list.ResetValues();
        }
        Check(list.Count() == static_cast<int>(model.size()));
    }

    for (std::size_t i = 0; i < model.size(); ++i)
        Check(list.RawValue(static_cast<int>(i)) == model[i]);
    Check(list.Sum() == sum && list.AbsSum() == absSum);
    if (model.empty()) {
        Check(list.LowValue() == 0 && list.HighValue() == 0);
        return 0;
    }
    Check(list.LowValue() == *std::min_element(model.begin(), model.end()));
    Check(list.HighValue() == *std::max_element(model.begin(), model.end()));
    // Extremes of a few ranges, as the drawing asks for them.
    for (int q = 0; q < 8; ++q) {
        int first = in.Take<uint16_t>() % static_cast<int>(model.size());
        int last = in.Take<uint16_t>() % static_cast<int>(model.size());
        if (first > last)
            std::swap(first, last);
        double lo = 0, hi = 0;
        list.RawExtremes(first, last, lo, hi);
        Check(lo == *std::min_element(model.begin() + first, model.begin() + last + 1));
        Check(hi == *std::max_element(model.begin() + first, model.begin() + last + 1));
    }
    return 0;
}
