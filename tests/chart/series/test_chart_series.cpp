// SPDX-License-Identifier: MIT
// Series data: points with colour and label, extremes, the visible range,
// and the repaint request of every change. The value lists on their own are
// in test_value_list.cpp.

#include <gtest/gtest.h>

#include <stdexcept>

#include "chart/Chart.h"
#include "tests/chart/ChartRig.h"
#include "chart/series/ChartSeries.h"

using namespace nc;
using nc::test::Values;

TEST(Series, DefaultsAndValueLists)
{
    TChartSeries s;
    EXPECT_TRUE(s.Active());
    EXPECT_EQ(s.SeriesColor(), UnsetColor);
    EXPECT_EQ(s.HorizAxis(), aBottomAxis);
    EXPECT_EQ(s.VertAxis(), aLeftAxis);
    EXPECT_EQ(s.ValueFormat(), "#,##0.###");
    EXPECT_EQ(s.PercentFormat(), "##0.## %");
    EXPECT_EQ(s.XValues().Order(), loAscending);
    EXPECT_EQ(s.YValues().Order(), loNone);
    ASSERT_EQ(s.ValueLists().size(), 2u);
    EXPECT_EQ(s.ValueLists()[0], &s.XValues());
    EXPECT_EQ(s.ValueLists()[1], &s.YValues());
    EXPECT_EQ(s.GetValueList("y"), &s.YValues());
    EXPECT_EQ(s.GetValueList("Z"), nullptr);
    EXPECT_TRUE(s.IsYMandatory());
    EXPECT_EQ(&s.NotMandatoryList(), &s.XValues());
    EXPECT_EQ(s.FirstVisibleIndex, -1);
    EXPECT_EQ(s.LastVisibleIndex, -1);
}

TEST(Series, EmptyAndOnePointExtremes)
{
    TChartSeries s;
    EXPECT_EQ(s.PointCount(), 0);
    EXPECT_EQ(s.HighestX(), 0);
    EXPECT_EQ(s.LowestX(), 0);
    EXPECT_EQ(s.HighestY(), 0);
    EXPECT_EQ(s.LowestY(), 0);
    s.AddPoint(4, -7.5);
    EXPECT_EQ(s.LowestX(), 4);
    EXPECT_EQ(s.HighestX(), 4);
    EXPECT_EQ(s.LowestY(), -7.5);
    EXPECT_EQ(s.HighestY(), -7.5);
    s.DepthIndex = 2;
    EXPECT_EQ(s.HighestZ(), 2);
    EXPECT_EQ(s.LowestZ(), 2);
}

TEST(Series, PointsOutOfOrderCarryTheirYColourAndLabel)
{
    TChartSeries s;
    EXPECT_EQ(s.AddPoint(5, 50, "five", clRed), 0);
    EXPECT_EQ(s.AddPoint(3, 30, "three", clBlue), 0);
    EXPECT_EQ(s.AddPoint(3, 31, "", clDefault), 1);
    EXPECT_EQ(Values(s.XValues()), (std::vector<double>{3, 3, 5}));
    EXPECT_EQ(Values(s.YValues()), (std::vector<double>{30, 31, 50}));
    EXPECT_EQ(s.ColorList(), (std::vector<TColor>{clBlue, UnsetColor, clRed}));
    EXPECT_EQ(s.PointLabel(0), "three");
    EXPECT_EQ(s.PointLabel(1), "");
    EXPECT_EQ(s.PointLabel(2), "five");
    EXPECT_EQ(s.PointLabel(9), "");
    EXPECT_EQ(s.XValue(2), 5);
    EXPECT_EQ(s.YValue(2), 50);
}

TEST(Series, PointColour)
{
    TChartSeries s;
    s.SetSeriesColor(0x123456);
    s.AddPoint(0, 0, "", clDefault);
    s.AddPoint(1, 0, "", 0x0000FF);
    s.AddPoint(2, 0, "", UnsetColor);
    EXPECT_EQ(s.PointColor(0), 0x123456u);
    EXPECT_EQ(s.PointColor(1), 0x0000FFu);
    EXPECT_EQ(s.PointColor(7), 0x123456u);
    s.SetColorEachPoint(true);
    EXPECT_EQ(s.PointColor(0), ChartPalette[0]);
    EXPECT_EQ(s.PointColor(2), ChartPalette[2]);
    EXPECT_EQ(s.PointColor(1), 0x0000FFu);
}

TEST(Series, AddUsesThePointCountAsX)
{
    TChartSeries s;
    s.Add(10);
    s.AddY(20);
    s.Add(30, "c", clRed);
    EXPECT_EQ(Values(s.XValues()), (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(Values(s.YValues()), (std::vector<double>{10, 20, 30}));
}

TEST(Series, DeleteRemovesTheWholePoint)
{
    TChartSeries s;
    s.AddPoint(1, 10, "a", clRed);
    s.AddPoint(2, 20, "b", clBlue);
    s.AddPoint(3, 30, "c", clGray);
    s.Delete(1);
    EXPECT_EQ(Values(s.XValues()), (std::vector<double>{1, 3}));
    EXPECT_EQ(Values(s.YValues()), (std::vector<double>{10, 30}));
    EXPECT_EQ(s.ColorList(), (std::vector<TColor>{clRed, clGray}));
    EXPECT_EQ(s.PointLabel(1), "c");
    EXPECT_THROW(s.Delete(2), std::out_of_range);
    EXPECT_EQ(s.PointCount(), 2);
}

TEST(Series, EventsAroundAddAndClear)
{
    std::vector<std::string> log; // outlives the series, whose destruction clears it once more
    TChartSeries s;
    s.OnBeforeAdd = [&](TChartSeries& sender) {
        log.push_back("before " + std::to_string(sender.PendingValue(sender.XValues())));
        return sender.PendingValue(sender.YValues()) >= 0;
    };
    s.OnAfterAdd = [&](TChartSeries&, int index) { log.push_back("after " + std::to_string(index)); };
    s.OnClearValues = [&](TChartSeries& sender) { log.push_back("clear " + std::to_string(sender.PointCount())); };
    EXPECT_EQ(s.AddPoint(2, 1), 0);
    EXPECT_EQ(s.AddPoint(1, -1), -1);
    EXPECT_EQ(s.PointCount(), 1);
    s.ClearPoints();
    EXPECT_EQ(log, (std::vector<std::string>{"before 2.000000", "after 0", "before 1.000000", "clear 0"}));
}

TEST(Series, DependentsAreToldAndUnlinkedOnDestruction)
{
    struct Listener : TChartSeries {
        std::vector<std::pair<TSeriesChange, int>> heard;
        void SourceChanged(TChartSeries&, TSeriesChange change, int index) override
        {
            heard.emplace_back(change, index);
        }
    };
    Listener listener;
    {
        TChartSeries source;
        listener.AddDataSource(&source);
        listener.AddDataSource(&source);
        EXPECT_EQ(source.Dependents().size(), 1u);
        source.AddPoint(1, 1);
        source.YValues().SetMultiplier(2);
        source.ClearPoints();
    }
    EXPECT_TRUE(listener.DataSources().empty());
    const std::vector<std::pair<TSeriesChange, int>> expected
        = {{TSeriesChange::Added, 0}, {TSeriesChange::Refreshed, -1}, {TSeriesChange::Cleared, -1}};
    EXPECT_EQ(listener.heard, expected);
}

TEST(Series, VisibleRangeBetweenEdgeValues)
{
    struct Row {
        bool keepPastEnd;
        double lo, hi;
        int first, last;
    };
    const Row rows[] = {
        {true, 2.5, 7.5, 3, 8},    {false, 2.5, 7.5, 3, 7}, {false, 0, 10, 0, 10}, {true, -5, 20, 0, 10},
        {false, 10.5, 20, -1, -1}, {false, 3, 7, 3, 7},     {true, 3, 7, 3, 7},    {true, 9.5, 9.7, 10, 10},
    };
    TChartSeries s;
    for (int x = 0; x <= 10; ++x)
        s.AddPoint(x, x * x);
    for (const Row& row : rows) {
        s.KeepPointPastEnd = row.keepPastEnd;
        s.CalcVisibleRangeBetween(row.lo, row.hi);
        EXPECT_EQ(s.FirstVisibleIndex, row.first) << row.lo << ".." << row.hi << " keep " << row.keepPastEnd;
        EXPECT_EQ(s.LastVisibleIndex, row.last) << row.lo << ".." << row.hi << " keep " << row.keepPastEnd;
    }
    s.TrimToVisible = false;
    s.CalcVisibleRangeBetween(2.5, 7.5);
    EXPECT_EQ(s.FirstVisibleIndex, 0);
    EXPECT_EQ(s.LastVisibleIndex, 10);
    s.ClearPoints();
    s.CalcVisibleRange();
    EXPECT_EQ(s.FirstVisibleIndex, -1);
    EXPECT_EQ(s.LastVisibleIndex, -1);
}

TEST(Series, DrawPointsVisitsTheVisibleRange)
{
    struct Recorder : TChartSeries {
        std::vector<int> drawn;
        bool forward = true;
        void DrawPoint(int index) override { drawn.push_back(index); }
        bool DrawValuesForward() const override { return forward; }
    };
    Recorder s;
    for (int x = 0; x < 6; ++x)
        s.AddPoint(x, 0);
    s.FirstVisibleIndex = 1;
    s.LastVisibleIndex = 3;
    s.DrawPoints();
    s.forward = false;
    s.DrawPoints();
    EXPECT_EQ(s.drawn, (std::vector<int>{1, 2, 3, 3, 2, 1}));
}

// Data changes invalidate the chart and nothing more.
class SeriesOnChart : public ::testing::Test {
protected:
    TChart chart;
    TChartSeries* series = nullptr;
    void SetUp() override
    {
        series = chart.AddSeries<TChartSeries>();
        chart.Paint(); // picture current, nothing pending in the canvas
    }
    bool Dirty() { return chart.Canvas().Dirty(); }
};

TEST_F(SeriesOnChart, EveryChangeMarksTheChartDirty)
{
    struct Step {
        const char* name;
        std::function<void(TChartSeries&)> change;
    };
    const Step steps[] = {
        {"AddPoint", [](TChartSeries& s) { s.AddPoint(1, 2); }},
        {"Add", [](TChartSeries& s) { s.Add(3); }},
        {"Delete", [](TChartSeries& s) { s.Delete(0); }},
        {"ClearPoints", [](TChartSeries& s) { s.ClearPoints(); }},
        {"Multiplier", [](TChartSeries& s) { s.XValues().SetMultiplier(2); }},
        {"DateTime", [](TChartSeries& s) { s.XValues().SetDateTime(true); }},
        {"SeriesColor", [](TChartSeries& s) { s.SetSeriesColor(0x010203); }},
        {"Active", [](TChartSeries& s) { s.SetActive(false); }},
        {"MarksVisible", [](TChartSeries& s) { s.Marks().SetVisible(true); }},
    };
    for (const Step& step : steps) {
        chart.Paint();
        ASSERT_FALSE(Dirty()) << step.name;
        step.change(*series);
        EXPECT_TRUE(Dirty()) << step.name;
    }
}

TEST_F(SeriesOnChart, UnchangedValuesAndVetoesDoNotInvalidate)
{
    series->OnBeforeAdd = [](TChartSeries&) { return false; };
    series->AddPoint(1, 1);
    series->SetSeriesColor(series->SeriesColor());
    series->SetActive(true);
    series->XValues().SetMultiplier(1.0);
    EXPECT_FALSE(Dirty());
}

TEST_F(SeriesOnChart, InactiveSeriesAddsWithoutRepaint)
{
    series->SetActive(false);
    chart.Paint();
    series->AddPoint(1, 1);
    EXPECT_FALSE(Dirty());
    EXPECT_EQ(series->PointCount(), 1);
}

TEST_F(SeriesOnChart, ManyAdditionsBeforeAPaintMakeOneRepaintRequest)
{
    const int before = chart.RepaintRequests();
    for (int k = 0; k < 100; ++k)
        series->AddPoint(k, k);
    EXPECT_EQ(chart.RepaintRequests(), before + 1);
    EXPECT_TRUE(chart.RepaintPending());
    series->ClearPoints();
    EXPECT_EQ(chart.RepaintRequests(), before + 1);
    EXPECT_EQ(series->AddPoint(7, 7), 0);
}

TEST_F(SeriesOnChart, ResolvesItsAxes)
{
    EXPECT_EQ(series->ParentChart(), &chart);
    EXPECT_EQ(series->ResolvedHorizAxis(), &chart.BottomAxis());
    EXPECT_EQ(series->ResolvedVertAxis(), &chart.LeftAxis());
    series->SetHorizAxis(aTopAxis);
    series->SetVertAxis(aRightAxis);
    EXPECT_EQ(series->ResolvedHorizAxis(), &chart.TopAxis());
    EXPECT_EQ(series->ResolvedVertAxis(), &chart.RightAxis());
    EXPECT_TRUE(series->AssociatedToAxis(chart.TopAxis()));
    EXPECT_FALSE(series->AssociatedToAxis(chart.BottomAxis()));
    TChartSeries loose;
    EXPECT_EQ(loose.ResolvedHorizAxis(), nullptr);
    loose.AddPoint(1, 1);
    EXPECT_EQ(loose.XPixel(0), 0);
}

TEST(ChartSeries, ColoursAndLabelsTakeRoomOnlyOnceAPointHasOne)
{
    TChartSeries s;
    s.AddPoint(0, 1);
    s.AddPoint(2, 1);
    EXPECT_TRUE(s.ColorList().empty());
    s.AddPoint(1, 5, "middle", clRed); // lands at index 1
    EXPECT_EQ(s.ColorList(), (std::vector<TColor>{UnsetColor, clRed, UnsetColor}));
    EXPECT_EQ(s.PointLabel(0), "");
    EXPECT_EQ(s.PointLabel(1), "middle");
    EXPECT_EQ(s.PointColor(1), clRed);
    s.Delete(0);
    EXPECT_EQ(s.PointLabel(0), "middle");
    EXPECT_EQ(s.ColorList(), (std::vector<TColor>{clRed, UnsetColor}));
    s.AddPoint(3, 0);
    EXPECT_EQ(s.PointLabel(2), "");
    EXPECT_EQ(s.ColorList().size(), 3u);
}
