// SPDX-License-Identifier: MIT
#pragma once

// The series base class (TChartSeries) and its marks' settings: a series
// holds its points as parallel columns (one value list per coordinate,
// chart/ChartValueList.h) plus a colour and a label per point; every change
// of data invalidates the owning chart, which redraws at its next paint.
// Series kinds (chart/FastLineSeries.h) derive from it and draw the points.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/ChartTypes.h"
#include "chart/data/ChartValueList.h"
#include "chart/data/ColorRuns.h"

namespace nc {

class TChartSeries;
class TCustomAxisPanel;

enum THorizAxis { aTopAxis, aBottomAxis };
enum TVertAxis { aLeftAxis, aRightAxis };

// What a series tells the series that take it as their data source.
enum class TSeriesChange { Cleared, Added, Deleted, Refreshed, Changed };

class TCustomChartAxis;

// The series' mark settings. Marks are not drawn yet; the position cache is
// kept so that clearing empties it.
class TSeriesMarks : protected TRepaintsOnChange {
public:
    explicit TSeriesMarks(TChartSeries* owner) : owner_(owner) {}
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }
    bool Clip() const { return clip_; }
    void SetClip(bool value) { Store(clip_, value); }
    std::vector<TRect> Positions;

protected:
    void RepaintOnChange() override;

private:
    TChartSeries* owner_;
    bool visible_ = false;
    bool clip_ = false;
};

// The series base class: data, extremes, visible range and repaint requests.
// A chart owns the series attached to it (TCustomAxisPanel::AddSeries).
class TChartSeries : protected TRepaintsOnChange {
public:
    TChartSeries();
    virtual ~TChartSeries();
    TChartSeries(const TChartSeries&) = delete;
    TChartSeries& operator=(const TChartSeries&) = delete;

    TCustomAxisPanel* ParentChart() const { return parent_; }

    // ---- data
    TChartValueList& XValues() { return *xValues_; }
    const TChartValueList& XValues() const { return *xValues_; }
    TChartValueList& YValues() { return *yValues_; }
    const TChartValueList& YValues() const { return *yValues_; }
    const std::vector<TChartValueList*>& ValueLists() const { return valueLists_; }
    // Case-insensitive; null when there is none.
    virtual TChartValueList* GetValueList(const std::string& name) const;
    // The value of the point being added for one of the series' lists, as
    // staged for OnBeforeAdd (0 before any): what a veto reads of the point.
    double PendingValue(const TChartValueList& list) const;
    // Stages the value of an additional list (beyond X and Y) for the next
    // AddPoint, which inserts it beside the point's X and Y.
    void SetPendingValue(const TChartValueList& list, double value);

    // Adds one point; answers its index, or -1 when OnBeforeAdd vetoed it.
    // A colour of clDefault is stored as UnsetColor.
    virtual int AddPoint(double x, double y, const std::string& label = {}, TColor color = clDefault)
    {
        const int index = StorePoint(x, y, label, color);
        if (index >= 0)
            PointAdded(index);
        return index;
    }
    // Adds a point with X = PointCount.
    virtual int Add(double y, const std::string& label = {}, TColor color = clDefault);
    virtual int AddY(double y) { return Add(y); }
    virtual void ClearPoints();
    virtual void Delete(int index);
    virtual void EmptyAllLists();
    // Run at the end of every addition: OnAfterAdd, dependents, repaint.
    virtual void PointAdded(int index)
    {
        if (AfterAddSteps(index))
            RequestRepaint();
    }

    int PointCount() const { return xValues_->Count(); }
    virtual int Count() const { return PointCount(); }
    virtual double XValue(int index) const { return xValues_->Value(index); }
    virtual double YValue(int index) const { return yValues_->Value(index); }
    virtual TColor PointColor(int index) const;
    virtual std::string PointLabel(int index) const;
    // The text of a point's mark: its label, or else its value.
    virtual std::string MarkText(int index) const;
    // One colour per point, or empty while no point has a colour of its own
    // (a copy: the colours are stored as runs).
    std::vector<TColor> ColorList() const { return colors_.ToVector(PointCount()); }

    virtual double HighestX() const { return xValues_->HighValue(); }
    virtual double HighestY() const { return yValues_->HighValue(); }
    virtual double HighestZ() const { return DepthIndex; }
    virtual double LowestX() const { return xValues_->LowValue(); }
    virtual double LowestY() const { return yValues_->LowValue(); }
    virtual double LowestZ() const { return DepthIndex; }

    virtual TChartValueList& MandatoryList() { return *yValues_; }
    bool IsYMandatory() { return &MandatoryList() == yValues_.get(); }
    TChartValueList& NotMandatoryList() { return IsYMandatory() ? *xValues_ : *yValues_; }

    // ---- axes
    // The chart's top or bottom axis, left or right axis; null without a chart.
    TCustomChartAxis* ResolvedHorizAxis() const;
    TCustomChartAxis* ResolvedVertAxis() const;
    virtual bool AssociatedToAxis(const TCustomChartAxis& axis) const;
    // Whether the series draws with axes at all.
    virtual bool UseAxis() const { return true; }
    // Screen coordinates of point index through the resolved axes; 0 without
    // a chart.
    virtual int XPixel(int index) const;
    virtual int YPixel(int index) const;
    // The value under pixel (x, y), or -1; the base series has no drawing to hit.
    virtual int PointAtPixel(int /*x*/, int /*y*/) { return -1; }

    // ---- repaint and drawing, called by the chart's paint
    void RequestRepaint();
    // Sets FirstVisibleIndex and LastVisibleIndex from the values at the plot
    // rectangle's edges on the axis of the not-mandatory list.
    void CalcVisibleRange();
    // The same from the two edge values (lo at the start edge, hi at the far
    // edge); pure, for callers that already know them.
    void CalcVisibleRangeBetween(double lo, double hi);
    // Before the titles are drawn (nothing in the base).
    virtual void DoBeforeDrawChart() {}
    virtual void DoBeforeDrawValues();
    virtual void DoAfterDrawValues();
    // DrawPoint for each visible index, ascending (descending when
    // DrawValuesForward is false).
    virtual void DrawPoints();
    // Draws the value at index. Empty in the base; series kinds draw here.
    virtual void DrawPoint(int /*index*/) {}
    virtual bool DrawValuesForward() const { return true; }
    // Draws the marks of the visible points. Marks are not built yet.
    virtual void DrawMarks() {}
    // Extra pixels the series wants between its data and the plot edges.
    virtual void CalcHorizMargins(int& left, int& right) const { left = right = 0; }
    virtual void CalcVerticalMargins(int& top, int& bottom) const { top = bottom = 0; }

    // ---- dependents (series that take this one as their data source)
    void AddDataSource(TChartSeries* source);
    void RemoveDataSource(TChartSeries* source);
    const std::vector<TChartSeries*>& DataSources() const { return sources_; }
    const std::vector<TChartSeries*>& Dependents() const { return dependents_; }
    void NotifyDependents(TSeriesChange change, int index = -1)
    {
        if (!dependents_.empty())
            TellDependents(change, index);
    }
    // Told by a source of each change. The base keeps no derived data.
    virtual void SourceChanged(TChartSeries& /*source*/, TSeriesChange /*change*/, int /*index*/) {}

    // ---- properties (setters repaint only when the value changed)
    bool Active() const { return active_; }
    virtual void SetActive(bool value);
    TColor SeriesColor() const { return seriesColor_; }
    virtual void SetSeriesColor(TColor value);
    bool ColorEachPoint() const { return colorEachPoint_; }
    virtual void SetColorEachPoint(bool value);
    THorizAxis HorizAxis() const { return horizAxis_; }
    void SetHorizAxis(THorizAxis value);
    TVertAxis VertAxis() const { return vertAxis_; }
    void SetVertAxis(TVertAxis value);
    bool ShowInLegend() const { return showInLegend_; }
    void SetShowInLegend(bool value);
    const std::string& ValueFormat() const { return valueFormat_; }
    void SetValueFormat(const std::string& value);
    const std::string& PercentFormat() const { return percentFormat_; }
    void SetPercentFormat(const std::string& value);
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value);
    int Cursor() const { return cursor_; }
    void SetCursor(int value) { cursor_ = value; }
    TSeriesMarks& Marks() { return marks_; }

    int FirstVisibleIndex = -1;
    int LastVisibleIndex = -1;
    bool TrimToVisible = true;
    bool KeepPointPastEnd = false;
    int DepthIndex = 0;

    // ---- events
    std::function<bool(TChartSeries&)> OnBeforeAdd;
    std::function<void(TChartSeries&, int)> OnAfterAdd;
    std::function<void(TChartSeries&)> OnClearValues;
    std::function<void(TChartSeries&)> BeforeDrawValues;
    std::function<void(TChartSeries&)> AfterDrawValues;

protected:
    void RepaintOnChange() override { RequestRepaint(); }
    // PointAdded's steps before the repaint; whether the repaint is due. The
    // event and the dependents live out of line, so that an addition with
    // neither pays for no call frame.
    bool AfterAddSteps(int index)
    {
        if (OnAfterAdd || !dependents_.empty()) [[unlikely]]
            AfterAdd(index);
        return active_;
    }
    // AddPoint without PointAdded: the lists take the point (the usual
    // addition, X and Y only with no event or labels, takes the short road);
    // -1 when OnBeforeAdd vetoed it.
    int StorePoint(double x, double y, const std::string& label, TColor color)
    {
        if (OnBeforeAdd || !label.empty() || !labels_.empty() || valueLists_.size() > 2) [[unlikely]]
            return StorePointGeneral(x, y, label, color);
        const int index = xValues_->AddValue(x);
        yValues_->InsertValue(index, y);
        colors_.Insert(index, color == clDefault ? UnsetColor : color, PointCount() - 1);
        return index;
    }

private:
    friend class TChartValueList;
    friend class TCustomAxisPanel;
    // Takes a new list into ValueLists and hears of its changed settings.
    void RegisterValueList(TChartValueList& list);
    // The position of list in ValueLists.
    std::size_t ListSlot(const TChartValueList& list) const;
    int StorePointGeneral(double x, double y, const std::string& label, TColor color);
    void TellDependents(TSeriesChange change, int index);
    void AfterAdd(int index);

    TCustomAxisPanel* parent_ = nullptr;
    std::vector<TChartValueList*> valueLists_; // not owned: the lists below and those of series kinds
    // The staged values of the point being added, one per list in ValueLists.
    std::vector<double> pending_;
    std::unique_ptr<TChartValueList> xValues_;
    std::unique_ptr<TChartValueList> yValues_;
    // No runs while no point has a colour of its own.
    TColorRuns colors_;
    // Likewise for labels (32 bytes each): an empty string is "no label".
    std::vector<std::string> labels_;
    TSeriesMarks marks_{this};
    std::vector<TChartSeries*> sources_;
    std::vector<TChartSeries*> dependents_;

    bool active_ = true;
    TColor seriesColor_ = UnsetColor;
    bool colorEachPoint_ = false;
    THorizAxis horizAxis_ = aBottomAxis;
    TVertAxis vertAxis_ = aLeftAxis;
    bool showInLegend_ = true;
    std::string valueFormat_ = "#,##0.###";
    std::string percentFormat_ = "##0.## %";
    std::string title_;
    int cursor_ = 0;
};

} // namespace nc
