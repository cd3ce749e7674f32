// SPDX-License-Identifier: MIT
#include "chart/series/ChartSeries.h"
#include "locale/RegionalFormat.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <stdexcept>

#include "chart/ChartEngine.h"
#include "chart/panel/ChartPanel.h"
#include "core/numbers/NumberText.h"

namespace nc {

// -------------------------------------------------------------- TSeriesMarks

void TSeriesMarks::RepaintOnChange()
{
    owner_->RequestRepaint();
}

// -------------------------------------------------------------- TChartSeries

TChartSeries::TChartSeries()
    : xValues_(std::make_unique<TChartValueList>(this, "X")), yValues_(std::make_unique<TChartValueList>(this, "Y"))
{
    xValues_->SetOrder(loAscending);
}

TChartSeries::~TChartSeries()
{
    for (TChartSeries* source : sources_)
        std::erase(source->dependents_, this);
    for (TChartSeries* dependent : dependents_)
        std::erase(dependent->sources_, this);
    sources_.clear();
    dependents_.clear();
    TChartSeries::ClearPoints();
}

TChartValueList* TChartSeries::GetValueList(const std::string& name) const
{
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    const std::string wanted = lower(name);
    for (TChartValueList* list : valueLists_) {
        if (lower(list->Name()) == wanted)
            return list;
    }
    return nullptr;
}

void TChartSeries::RegisterValueList(TChartValueList& list)
{
    valueLists_.push_back(&list);
    pending_.push_back(0);
    list.SetChangeHandler([this](TValueListChange change) {
        if (change == TValueListChange::Rescaled)
            NotifyDependents(TSeriesChange::Refreshed);
        RequestRepaint();
    });
}

std::size_t TChartSeries::ListSlot(const TChartValueList& list) const
{
    const auto found = std::find(valueLists_.begin(), valueLists_.end(), &list);
    assert(found != valueLists_.end() && "the list belongs to another series");
    return static_cast<std::size_t>(found - valueLists_.begin());
}

double TChartSeries::PendingValue(const TChartValueList& list) const
{
    return pending_[ListSlot(list)];
}

void TChartSeries::SetPendingValue(const TChartValueList& list, double value)
{
    pending_[ListSlot(list)] = value;
}

int TChartSeries::StorePointGeneral(double x, double y, const std::string& label, TColor color)
{
    // X and Y are the first two lists.
    pending_[0] = x;
    pending_[1] = y;
    if (OnBeforeAdd && !OnBeforeAdd(*this))
        return -1;
    const int index = xValues_->AddValue(x);
    yValues_->InsertValue(index, y);
    for (std::size_t k = 2; k < valueLists_.size(); ++k)
        valueLists_[k]->InsertValue(index, pending_[k]);
    // Colours and labels take no room until a point has one of its own, and
    // a run of one colour takes one entry.
    const std::size_t before = static_cast<std::size_t>(PointCount() - 1);
    colors_.Insert(index, color == clDefault ? UnsetColor : color, static_cast<int>(before));
    if (!label.empty() || !labels_.empty()) {
        if (labels_.empty())
            labels_.assign(before, std::string());
        labels_.insert(labels_.begin() + index, label);
    }
    return index;
}

int TChartSeries::Add(double y, const std::string& label, TColor color)
{
    return AddPoint(PointCount(), y, label, color);
}

void TChartSeries::EmptyAllLists()
{
    for (TChartValueList* list : valueLists_)
        list->FreeValues();
    colors_.Clear();
    labels_.clear();
    labels_.shrink_to_fit();
    marks_.Positions.clear();
}

void TChartSeries::ClearPoints()
{
    EmptyAllLists();
    if (OnClearValues)
        OnClearValues(*this);
    NotifyDependents(TSeriesChange::Cleared);
    if (parent_ != nullptr && !parent_->Destroying())
        RequestRepaint();
}

void TChartSeries::Delete(int index)
{
    xValues_->DeleteValue(index); // checks the index before anything changes
    for (TChartValueList* list : valueLists_) {
        if (list != xValues_.get())
            list->DeleteValue(index);
    }
    colors_.Erase(index, PointCount() + 1);
    if (!labels_.empty())
        labels_.erase(labels_.begin() + index);
    NotifyDependents(TSeriesChange::Deleted, index);
    RequestRepaint();
}

TColor TChartSeries::PointColor(int index) const
{
    if (index < 0 || index >= PointCount())
        return seriesColor_;
    const TColor c = colors_.At(index);
    if (c != UnsetColor)
        return c;
    return colorEachPoint_ ? GetDefaultColor(index) : seriesColor_;
}

std::string TChartSeries::PointLabel(int index) const
{
    if (index < 0 || index >= static_cast<int>(labels_.size()))
        return {};
    return labels_[static_cast<std::size_t>(index)];
}

TCustomChartAxis* TChartSeries::ResolvedHorizAxis() const
{
    if (parent_ == nullptr)
        return nullptr;
    return horizAxis_ == aTopAxis ? static_cast<TCustomChartAxis*>(&parent_->TopAxis()) : &parent_->BottomAxis();
}

TCustomChartAxis* TChartSeries::ResolvedVertAxis() const
{
    if (parent_ == nullptr)
        return nullptr;
    return vertAxis_ == aLeftAxis ? static_cast<TCustomChartAxis*>(&parent_->LeftAxis()) : &parent_->RightAxis();
}

bool TChartSeries::AssociatedToAxis(const TCustomChartAxis& axis) const
{
    return &axis == ResolvedHorizAxis() || &axis == ResolvedVertAxis();
}

int TChartSeries::XPixel(int index) const
{
    const TCustomChartAxis* axis = ResolvedHorizAxis();
    return axis ? axis->ValueToPixel(XValue(index)) : 0;
}

int TChartSeries::YPixel(int index) const
{
    const TCustomChartAxis* axis = ResolvedVertAxis();
    return axis ? axis->ValueToPixel(YValue(index)) : 0;
}

void TChartSeries::AfterAdd(int index)
{
    if (OnAfterAdd)
        OnAfterAdd(*this, index);
    NotifyDependents(TSeriesChange::Added, index);
}

void TChartSeries::RequestRepaint()
{
    if (parent_ != nullptr)
        parent_->Invalidate();
}

void TChartSeries::CalcVisibleRange()
{
    for (const TChartValueList* list : valueLists_)
        list->FoldAppended();
    FirstVisibleIndex = LastVisibleIndex = -1;
    if (PointCount() == 0)
        return;
    const bool yMandatory = IsYMandatory();
    const TCustomChartAxis* axis = yMandatory ? ResolvedHorizAxis() : ResolvedVertAxis();
    if (axis == nullptr || !TrimToVisible || NotMandatoryList().Order() == loNone) {
        // Without a chart there are no edges to trim to: every point is visible.
        FirstVisibleIndex = 0;
        LastVisibleIndex = PointCount() - 1;
        return;
    }
    const TRect& plot = parent_->PlotRect;
    int start;
    int end;
    if (axis->Horizontal()) {
        start = axis->Inverted() ? plot.Right : plot.Left;
        end = axis->Inverted() ? plot.Left : plot.Right;
    } else {
        start = axis->Inverted() ? plot.Top : plot.Bottom;
        end = axis->Inverted() ? plot.Bottom : plot.Top;
    }
    CalcVisibleRangeBetween(axis->PixelToValue(start), axis->PixelToValue(end));
}

void TChartSeries::CalcVisibleRangeBetween(double lo, double hi)
{
    FirstVisibleIndex = LastVisibleIndex = -1;
    const int count = PointCount();
    if (count == 0)
        return;
    const int last = count - 1;
    const TChartValueList& list = NotMandatoryList();
    if (!TrimToVisible || list.Order() == loNone) {
        FirstVisibleIndex = 0;
        LastVisibleIndex = last;
        return;
    }
    int first = 0;
    while (list.Value(first) < lo) {
        if (++first > last)
            return;
    }
    FirstVisibleIndex = first;
    if (list.LastValue() <= hi) {
        LastVisibleIndex = last;
        return;
    }
    int index = first;
    while (index < last && list.Value(index) < hi)
        ++index;
    if (!KeepPointPastEnd && list.Value(index) > hi)
        --index;
    LastVisibleIndex = index;
}

void TChartSeries::DoBeforeDrawValues()
{
    if (BeforeDrawValues)
        BeforeDrawValues(*this);
}

void TChartSeries::DoAfterDrawValues()
{
    if (AfterDrawValues)
        AfterDrawValues(*this);
}

void TChartSeries::DrawPoints()
{
    if (FirstVisibleIndex < 0)
        return;
    if (DrawValuesForward()) {
        for (int i = FirstVisibleIndex; i <= LastVisibleIndex; ++i)
            DrawPoint(i);
    } else {
        for (int i = LastVisibleIndex; i >= FirstVisibleIndex; --i)
            DrawPoint(i);
    }
}

void TChartSeries::AddDataSource(TChartSeries* source)
{
    if (source == nullptr || source == this || std::find(sources_.begin(), sources_.end(), source) != sources_.end())
        return;
    sources_.push_back(source);
    source->dependents_.push_back(this);
}

void TChartSeries::RemoveDataSource(TChartSeries* source)
{
    if (std::erase(sources_, source) > 0)
        std::erase(source->dependents_, this);
}

void TChartSeries::TellDependents(TSeriesChange change, int index)
{
    for (TChartSeries* dependent : dependents_)
        dependent->SourceChanged(*this, change, index);
}

std::string TChartSeries::MarkText(int index) const
{
    const std::string label = PointLabel(index);
    if (!label.empty())
        return label;
    return FormatGrouped3(YValue(index), RegionalNumberFormat());
}

void TChartSeries::SetActive(bool value)
{
    Store(active_, value);
}
void TChartSeries::SetSeriesColor(TColor value)
{
    Store(seriesColor_, value);
}
void TChartSeries::SetColorEachPoint(bool value)
{
    Store(colorEachPoint_, value);
}
void TChartSeries::SetHorizAxis(THorizAxis value)
{
    Store(horizAxis_, value);
}
void TChartSeries::SetVertAxis(TVertAxis value)
{
    Store(vertAxis_, value);
}
void TChartSeries::SetShowInLegend(bool value)
{
    Store(showInLegend_, value);
}
void TChartSeries::SetValueFormat(const std::string& value)
{
    Store(valueFormat_, value);
}
void TChartSeries::SetPercentFormat(const std::string& value)
{
    Store(percentFormat_, value);
}
void TChartSeries::SetTitle(const std::string& value)
{
    Store(title_, value);
}

} // namespace nc
