// SPDX-License-Identifier: MIT
#include "ui/main/ResponseChart.h"

namespace nc {
namespace {

void ConfigureAxis(TChartAxis& axis, const std::string& caption)
{
    axis.SetAutomatic(true);
    axis.Grid().SetColor(clBlack);
    axis.Ticks().SetColor(clBlack);
    axis.MinorTicks().SetColor(clWhite);
    axis.Title().SetCaption(caption);
    TFont& font = axis.Title().Font();
    font.SetName("Times New Roman");
    font.SetHeight(-12);
    font.SetColor(clBlack);
}

void ConfigureSeries(TFastLineSeries& series, TColor color, TPenStyle style)
{
    series.SetSeriesColor(color);
    series.LinePen().SetStyle(style);
    series.Marks().SetVisible(false);
    series.XValues().SetOrder(loAscending);
    series.YValues().SetOrder(loNone);
    series.XValues().SetMultiplier(1.0);
    series.YValues().SetMultiplier(1.0);
}

} // namespace

void ConfigureResponseChart(TChart& chart, TFastLineSeries*& series1, TFastLineSeries*& series2)
{
    chart.SetView3D(false);
    chart.SetColor(clWhite);
    chart.SetBackColor(clWhite);
    chart.Frame().SetColor(clWhite);
    chart.Gradient().SetVisible(false);
    // The walls' own settings show only in a 3D view.
    chart.BottomWall().SetColor(clBlack);
    chart.LeftWall().Brush().SetColor(clBlack);
    chart.LeftWall().SetSize(1);
    chart.Legend().SetVisible(false);
    chart.Title().SetText({"TChart"});
    chart.Title().Font().SetName("Times New Roman");
    chart.Title().Font().SetHeight(-13);
    chart.Title().Font().SetColor(clBlue);
    chart.Title().SetVisible(false);
    ConfigureAxis(chart.BottomAxis(), "Muestreos ");
    ConfigureAxis(chart.LeftAxis(), "Posici\xC3\xB3n (Grados)");

    series1 = chart.AddSeries<TFastLineSeries>();
    ConfigureSeries(*series1, clRed, psSolid);
    series1->SetShowInLegend(false);
    series2 = chart.AddSeries<TFastLineSeries>();
    ConfigureSeries(*series2, clBlue, psDot);
    // The curves' ends clear of the plot's undrawn outline: a response
    // settled above its reference sits at the top of the automatic axis.
    series1->SetVerticalMargins(1, 2);
    series2->SetVerticalMargins(1, 2);
}

} // namespace nc
