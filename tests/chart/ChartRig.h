// SPDX-License-Identifier: MIT
#pragma once

// A flat chart whose screen is a recording device, so that measuring and
// drawing between paints (and unbuffered paints) leave a transcript. The
// recording device measures text with fixed metrics: an 11-pixel font is 11
// pixels high and 6 pixels wide per character.

#include <memory>
#include <string>
#include <vector>

#include "chart/Chart.h"
#include "chart/device/RecordingDevice.h"

namespace nc::test {

// A value list's values, scaled, in index order.
inline std::vector<double> Values(const TChartValueList& list)
{
    std::vector<double> v;
    for (int i = 0; i < list.Count(); ++i)
        v.push_back(list.Value(i));
    return v;
}

struct RecordingChart {
    TChart chart;
    RecordingDevice* device = nullptr;

    explicit RecordingChart(int width = 257, int height = 204)
    {
        chart.SetBounds(0, 0, width, height);
        chart.SetView3D(false);
        auto recorder = std::make_unique<RecordingDevice>(width, height);
        device = recorder.get();
        chart.SetControlDevice(std::move(recorder));
        chart.Canvas().SetBuffered(false);
    }

    // Fixes the plot rectangle and the effective ranges by hand, as a paint
    // would leave them, for tests that call one drawing step directly.
    void Frame(const TRect& plot, double xmin, double xmax, double ymin, double ymax)
    {
        chart.PlotRect = plot;
        chart.RecalcPlotSize();
        Range(chart.BottomAxis(), xmin, xmax);
        Range(chart.LeftAxis(), ymin, ymax);
    }

    static void Range(TCustomChartAxis& axis, double lo, double hi)
    {
        axis.EffectiveMin = lo;
        axis.EffectiveMax = hi;
        axis.EffectiveRange = hi - lo;
    }

    // The calls recorded so far that start with one of the prefixes.
    std::vector<std::string> Recorded(std::initializer_list<const char*> prefixes) const
    {
        std::vector<std::string> out;
        for (const std::string& call : device->Calls()) {
            for (const char* p : prefixes) {
                if (call.rfind(p, 0) == 0) {
                    out.push_back(call);
                    break;
                }
            }
        }
        return out;
    }
};

} // namespace nc::test
