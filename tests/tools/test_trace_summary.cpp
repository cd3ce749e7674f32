// SPDX-License-Identifier: MIT
// neurocontrol-trace --resumen against figures worked out here, independently,
// from the plain trace's own columns: the state after each step (posicion_rad)
// is the position the chart plots at the next sample.

#include "tools/trace/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace nc {
namespace {

using Row = std::vector<std::string>;

std::vector<Row> Table(const std::vector<std::string>& args, int expected_status = 0)
{
    std::ostringstream out, err;
    EXPECT_EQ(RunTrace(args, out, err, NumberFormat{}), expected_status) << err.str();
    std::vector<Row> rows;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) {
        std::istringstream cells(line);
        rows.emplace_back();
        for (std::string cell; std::getline(cells, cell, '\t');)
            rows.back().push_back(cell);
    }
    return rows;
}

// python-control's step_info on y - y[0] with y[-1] as the final value:
// inicial, final, overshoot %, rise, settling, peak, peak time.
std::array<double, 7> StepInfo(const std::vector<double>& y)
{
    const double dt = 0.05, y0 = y.front(), inf = y.back() - y0, sgn = inf < 0 ? -1 : 1;
    std::vector<double> rel;
    for (double v : y)
        rel.push_back(sgn * (v - y0));
    auto first_at = [&](double fraction) {
        return std::find_if(rel.begin(), rel.end(), [&](double r) { return r - fraction * std::abs(inf) >= 0; })
            - rel.begin();
    };
    long last_out = -1;
    for (long i = 0; i < static_cast<long>(y.size()); ++i)
        if (std::abs((y[i] - y0) / inf - 1) >= 0.02)
            last_out = i;
    const long peak = std::max_element(rel.begin(), rel.end()) - rel.begin();
    return {y0,
            y.back(),
            std::max(0.0, rel[peak] - std::abs(inf)) / std::abs(inf) * 100,
            (first_at(0.9) - first_at(0.1)) * dt,
            (last_out + 1) * dt,
            y[peak],
            peak * dt};
}

void ExpectSummaryOf(const std::vector<std::string>& pairs)
{
    const std::vector<Row> trace = Table(pairs);
    std::vector<std::string> args{"--resumen"};
    args.insert(args.end(), pairs.begin(), pairs.end());
    const std::vector<Row> summary = Table(args);
    ASSERT_EQ(summary.size(), pairs.size() / 2 + 1);
    EXPECT_EQ(summary[0],
              (Row{"tramo", "referencia", "inicial", "final", "error", "sobreimpulso", "subida", "establecimiento",
                   "pico", "t_pico"}));
    // Plotted positions: 0 at rest, then each step's new state in degrees.
    std::vector<double> plotted{0.0};
    for (size_t k = 1; k < trace.size(); ++k)
        plotted.push_back(static_cast<float>(std::stof(trace[k][6]) * 57.295779513082320877L));
    size_t start = 0;
    for (size_t s = 1; s < summary.size(); ++s) {
        const double reference = std::stod(pairs[2 * s - 2]);
        const size_t samples = std::stoul(pairs[2 * s - 1]);
        const auto e = StepInfo({plotted.begin() + start, plotted.begin() + start + samples + 1});
        start += samples;
        const double want[] = {reference, e[0], e[1], reference - e[1], e[2], e[3], e[4], e[5], e[6]};
        EXPECT_EQ(summary[s][0], std::to_string(s));
        for (size_t c = 0; c < std::size(want); ++c)
            EXPECT_NEAR(std::stod(summary[s][c + 1]), want[c], 5.001e-5)
                << "segment " << s << ", " << summary[0][c + 1];
    }
}

TEST(TraceSummary, ThirtyThenSixtyMatchesTheTrace)
{
    ExpectSummaryOf({"30", "200", "60", "200"});
    const std::vector<Row> summary = Table({"--resumen", "30", "200", "60", "200"});
    EXPECT_EQ(summary[1][3], "30.3115");
    EXPECT_EQ(summary[1][4], "-0.3115");
}

TEST(TraceSummary, ZeroThenNinetyMatchesTheTrace)
{
    ExpectSummaryOf({"0", "200", "90", "200"});
}

TEST(TraceSummary, NoStepHasNoRiseOvershootOrSettlingAndBadArgumentsAreUsage)
{
    EXPECT_EQ(Table({"--resumen", "30", "0"})[1],
              (Row{"1", "30.0000", "0.0000", "0.0000", "30.0000", "-", "-", "-", "0.0000", "0.0000"}));
    std::ostringstream out, err;
    EXPECT_EQ(RunTrace({"--resumen", "30"}, out, err, NumberFormat{}), 2);
    EXPECT_EQ(err.str(), kTraceUsage);
    EXPECT_EQ(Table({"--resumen", "abc", "3"}, 1).size(), 1u); // the header only
}

} // namespace
} // namespace nc
