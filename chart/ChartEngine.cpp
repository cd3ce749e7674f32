#include "chart/ChartEngine.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "chart/ChartPanel.h"
#include "simulation/NumberText.h"

namespace nc {

// ----------------------------------------------------------- TChartValueList

TChartValueList::TChartValueList(TChartSeries* owner, std::string name) : name_(std::move(name)), owner_(owner) {
    if (owner_ != nullptr) owner_->RegisterValueList(this);
}

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
    return values_[static_cast<std::size_t>(index)];
}

double TChartValueList::Value(int index) const { return Scaled(RawValue(index)); }

// Searches from the end, so values arriving in order cost one comparison;
// equal values keep their arrival order.
int TChartValueList::AddValue(double value) {
    int index = Count();
    if (order_ == loAscending && !values_.empty() && !(values_.back() <= value)) {
        int i = Count() - 1;
        while (i >= 0 && values_[static_cast<std::size_t>(i)] > value) --i;
        index = i + 1;
    } else if (order_ == loDescending && !values_.empty() && !(values_.back() >= value)) {
        int i = Count() - 1;
        while (i >= 0 && values_[static_cast<std::size_t>(i)] < value) --i;
        index = i + 1;
    }
    values_.insert(values_.begin() + index, value);
    NoteInsertion(index, value);
    IncludeInRange(value);
    return index;
}

void TChartValueList::InsertValue(int index, double value) {
    CheckIndex(index, Count() + 1);
    values_.insert(values_.begin() + index, value);
    NoteInsertion(index, value);
    IncludeInRange(value);
}

void TChartValueList::DeleteValue(int index) {
    CheckIndex(index, Count());
    const double old = values_[static_cast<std::size_t>(index)];
    values_.erase(values_.begin() + index);
    indexValid_ = false;
    ExcludeFromRange(old);
}

namespace {

// Widens slot of the (lo, hi) pairs by value; a new slot starts empty, and a
// NaN takes no part in the extremes.
void Widen(std::vector<double>& lo, std::vector<double>& hi, std::size_t slot, double value) {
    if (slot == lo.size()) {
        lo.push_back(HUGE_VAL);
        hi.push_back(-HUGE_VAL);
    }
    if (value < lo[slot]) lo[slot] = value;
    if (value > hi[slot]) hi[slot] = value;
}

}  // namespace

void TChartValueList::NoteInsertion(int index, double value) {
    const std::size_t i = static_cast<std::size_t>(index);
    if (std::isnan(value) || (i > 0 && values_[i - 1] > value) || (i + 1 < values_.size() && value > values_[i + 1]))
        ascending_ = false;
    if (!indexValid_) return;
    if (i + 1 != values_.size()) {
        indexValid_ = false;
        return;
    }
    nanCount_ += std::isnan(value) ? 1 : 0;
    Widen(blockMin_, blockMax_, i >> kBlockShift, value);
    Widen(superMin_, superMax_, i >> (2 * kBlockShift), value);
}

void TChartValueList::RebuildIndex() const {
    blockMin_.clear();
    blockMax_.clear();
    superMin_.clear();
    superMax_.clear();
    nanCount_ = 0;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const double v = values_[i];
        nanCount_ += std::isnan(v) ? 1 : 0;
        Widen(blockMin_, blockMax_, i >> kBlockShift, v);
        Widen(superMin_, superMax_, i >> (2 * kBlockShift), v);
    }
    indexValid_ = true;
}

int TChartValueList::LastWithin(int from, int last, double lo, double hi) const {
    if (!indexValid_) RebuildIndex();
    constexpr int kSuper = kBlock * kBlock;
    last = std::min(last, Count() - 1);
    int i = from + 1;
    while (i <= last) {
        if ((i & (kSuper - 1)) == 0 && i + kSuper - 1 <= last) {
            const std::size_t s = static_cast<std::size_t>(i) >> (2 * kBlockShift);
            if (superMin_[s] >= lo && superMax_[s] <= hi) {
                i += kSuper;
                continue;
            }
        }
        if ((i & (kBlock - 1)) == 0 && i + kBlock - 1 <= last) {
            const std::size_t b = static_cast<std::size_t>(i) >> kBlockShift;
            if (blockMin_[b] >= lo && blockMax_[b] <= hi) {
                i += kBlock;
                continue;
            }
        }
        const double v = values_[static_cast<std::size_t>(i)];
        if (!(v >= lo && v <= hi)) break;
        ++i;
    }
    return i - 1;
}

bool TChartValueList::HasNaN() const {
    if (!indexValid_) RebuildIndex();
    return nanCount_ > 0;
}

void TChartValueList::RawExtremes(int first, int last, double& lo, double& hi) const {
    if (!indexValid_) RebuildIndex();
    lo = HUGE_VAL;
    hi = -HUGE_VAL;
    constexpr int kSuper = kBlock * kBlock;
    int i = std::max(first, 0);
    last = std::min(last, Count() - 1);
    while (i <= last) {
        if ((i & (kSuper - 1)) == 0 && i + kSuper - 1 <= last) {
            const std::size_t s = static_cast<std::size_t>(i) >> (2 * kBlockShift);
            lo = std::min(lo, superMin_[s]);
            hi = std::max(hi, superMax_[s]);
            i += kSuper;
        } else if ((i & (kBlock - 1)) == 0 && i + kBlock - 1 <= last) {
            const std::size_t b = static_cast<std::size_t>(i) >> kBlockShift;
            lo = std::min(lo, blockMin_[b]);
            hi = std::max(hi, blockMax_[b]);
            i += kBlock;
        } else {
            const double v = values_[static_cast<std::size_t>(i)];
            if (v < lo) lo = v;
            if (v > hi) hi = v;
            ++i;
        }
    }
}

void TChartValueList::IncludeInRange(double value) {
    const double s = Scaled(value);
    sum_ = static_cast<double>(static_cast<long double>(sum_) + s);
    absSum_ = static_cast<double>(static_cast<long double>(absSum_) + std::fabs(s));
    if (Count() == 1) {
        lowValue_ = highValue_ = s;
        return;
    }
    if (s < lowValue_) lowValue_ = s;
    if (s > highValue_) highValue_ = s;
}

void TChartValueList::ExcludeFromRange(double value) {
    const double s = Scaled(value);
    sum_ = static_cast<double>(static_cast<long double>(sum_) - s);
    absSum_ = static_cast<double>(static_cast<long double>(absSum_) - std::fabs(s));
    RescanRange();
}

void TChartValueList::RescanRange() {
    lowValue_ = highValue_ = 0;
    for (int i = 0; i < Count(); ++i) {
        const double s = Value(i);
        if (i == 0) {
            lowValue_ = highValue_ = s;
        } else if (s < lowValue_) {
            lowValue_ = s;
        } else if (s > highValue_) {
            highValue_ = s;
        }
    }
}

void TChartValueList::ResetValues() {
    values_.clear();
    values_.shrink_to_fit();
    for (auto* v : {&blockMin_, &blockMax_, &superMin_, &superMax_}) {
        v->clear();
        v->shrink_to_fit();
    }
    nanCount_ = 0;
    indexValid_ = true;
    ascending_ = true;
    lowValue_ = highValue_ = sum_ = absSum_ = 0;
}

void TChartValueList::SetDateTime(bool value) {
    if (value == dateTime_) return;
    dateTime_ = value;
    if (owner_ != nullptr) owner_->RequestRepaint();
}

void TChartValueList::SetMultiplier(double value) {
    if (value == multiplier_) return;
    multiplier_ = value;
    RescanRange();
    if (owner_ != nullptr) {
        owner_->NotifyDependents(TSeriesChange::Refreshed);
        owner_->RequestRepaint();
    }
}

void TChartValueList::AssignSettings(const TChartValueList& source) {
    order_ = source.order_;
    dateTime_ = source.dateTime_;
    multiplier_ = source.multiplier_;
    valueSource_ = source.valueSource_;
}

// -------------------------------------------------------------- TSeriesMarks

void TSeriesMarks::SetVisible(bool value) {
    if (value == visible_) return;
    visible_ = value;
    owner_->RequestRepaint();
}

void TSeriesMarks::SetClip(bool value) {
    if (value == clip_) return;
    clip_ = value;
    owner_->RequestRepaint();
}

// -------------------------------------------------------------- TChartSeries

TChartSeries::TChartSeries()
    : xValues_(std::make_unique<TChartValueList>(this, "X")), yValues_(std::make_unique<TChartValueList>(this, "Y")) {
    xValues_->SetOrder(loAscending);
}

TChartSeries::~TChartSeries() {
    for (TChartSeries* source : sources_) std::erase(source->dependents_, this);
    for (TChartSeries* dependent : dependents_) std::erase(dependent->sources_, this);
    sources_.clear();
    dependents_.clear();
    TChartSeries::ClearPoints();
}

TChartValueList* TChartSeries::GetValueList(const std::string& name) const {
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    const std::string wanted = lower(name);
    for (TChartValueList* list : valueLists_) {
        if (lower(list->Name()) == wanted) return list;
    }
    return nullptr;
}

int TChartSeries::AddPoint(double x, double y, const std::string& label, TColor color) {
    xValues_->PendingValue = x;
    yValues_->PendingValue = y;
    if (OnBeforeAdd && !OnBeforeAdd(*this)) return -1;
    const int index = xValues_->AddValue(xValues_->PendingValue);
    yValues_->InsertValue(index, yValues_->PendingValue);
    for (TChartValueList* list : valueLists_) {
        if (list != xValues_.get() && list != yValues_.get()) list->InsertValue(index, list->PendingValue);
    }
    // Colours and labels take no room until a point has one of its own.
    const TColor own = color == clDefault ? UnsetColor : color;
    const std::size_t before = static_cast<std::size_t>(PointCount() - 1);
    if (own != UnsetColor || !colors_.empty()) {
        if (colors_.empty()) colors_.assign(before, UnsetColor);
        colors_.insert(colors_.begin() + index, own);
    }
    if (!label.empty() || !labels_.empty()) {
        if (labels_.empty()) labels_.assign(before, std::string());
        labels_.insert(labels_.begin() + index, label);
    }
    PointAdded(index);
    return index;
}

int TChartSeries::Add(double y, const std::string& label, TColor color) {
    return AddPoint(PointCount(), y, label, color);
}

void TChartSeries::PointAdded(int index) {
    if (OnAfterAdd) OnAfterAdd(*this, index);
    NotifyDependents(TSeriesChange::Added, index);
    if (active_) RequestRepaint();
}

void TChartSeries::EmptyAllLists() {
    for (TChartValueList* list : valueLists_) list->FreeValues();
    colors_.clear();
    colors_.shrink_to_fit();
    labels_.clear();
    labels_.shrink_to_fit();
    marks_.Positions.clear();
}

void TChartSeries::ClearPoints() {
    EmptyAllLists();
    if (OnClearValues) OnClearValues(*this);
    NotifyDependents(TSeriesChange::Cleared);
    if (parent_ != nullptr && !parent_->Destroying()) RequestRepaint();
}

void TChartSeries::Delete(int index) {
    xValues_->DeleteValue(index);  // checks the index before anything changes
    for (TChartValueList* list : valueLists_) {
        if (list != xValues_.get()) list->DeleteValue(index);
    }
    if (!colors_.empty()) colors_.erase(colors_.begin() + index);
    if (!labels_.empty()) labels_.erase(labels_.begin() + index);
    NotifyDependents(TSeriesChange::Deleted, index);
    RequestRepaint();
}

TColor TChartSeries::PointColor(int index) const {
    if (index < 0 || index >= PointCount()) return seriesColor_;
    const TColor c = colors_.empty() ? UnsetColor : colors_[static_cast<std::size_t>(index)];
    if (c != UnsetColor) return c;
    return colorEachPoint_ ? GetDefaultColor(index) : seriesColor_;
}

std::string TChartSeries::PointLabel(int index) const {
    if (index < 0 || index >= static_cast<int>(labels_.size())) return {};
    return labels_[static_cast<std::size_t>(index)];
}

TCustomChartAxis* TChartSeries::ResolvedHorizAxis() const {
    if (parent_ == nullptr) return nullptr;
    return horizAxis_ == aTopAxis ? static_cast<TCustomChartAxis*>(&parent_->TopAxis()) : &parent_->BottomAxis();
}

TCustomChartAxis* TChartSeries::ResolvedVertAxis() const {
    if (parent_ == nullptr) return nullptr;
    return vertAxis_ == aLeftAxis ? static_cast<TCustomChartAxis*>(&parent_->LeftAxis()) : &parent_->RightAxis();
}

bool TChartSeries::AssociatedToAxis(const TCustomChartAxis& axis) const {
    return &axis == ResolvedHorizAxis() || &axis == ResolvedVertAxis();
}

int TChartSeries::XPixel(int index) const {
    const TCustomChartAxis* axis = ResolvedHorizAxis();
    return axis ? axis->ValueToPixel(XValue(index)) : 0;
}

int TChartSeries::YPixel(int index) const {
    const TCustomChartAxis* axis = ResolvedVertAxis();
    return axis ? axis->ValueToPixel(YValue(index)) : 0;
}

void TChartSeries::RequestRepaint() {
    if (parent_ != nullptr) parent_->Invalidate();
}

void TChartSeries::CalcVisibleRange() {
    FirstVisibleIndex = LastVisibleIndex = -1;
    if (PointCount() == 0) return;
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

void TChartSeries::CalcVisibleRangeBetween(double lo, double hi) {
    FirstVisibleIndex = LastVisibleIndex = -1;
    const int count = PointCount();
    if (count == 0) return;
    const int last = count - 1;
    const TChartValueList& list = NotMandatoryList();
    if (!TrimToVisible || list.Order() == loNone) {
        FirstVisibleIndex = 0;
        LastVisibleIndex = last;
        return;
    }
    int first = 0;
    while (list.Value(first) < lo) {
        if (++first > last) return;
    }
    FirstVisibleIndex = first;
    if (list.LastValue() <= hi) {
        LastVisibleIndex = last;
        return;
    }
    int index = first;
    while (index < last && list.Value(index) < hi) ++index;
    if (!KeepPointPastEnd && list.Value(index) > hi) --index;
    LastVisibleIndex = index;
}

void TChartSeries::DoBeforeDrawValues() {
    if (BeforeDrawValues) BeforeDrawValues(*this);
}

void TChartSeries::DoAfterDrawValues() {
    if (AfterDrawValues) AfterDrawValues(*this);
}

void TChartSeries::DrawPoints() {
    if (FirstVisibleIndex < 0) return;
    if (DrawValuesForward()) {
        for (int i = FirstVisibleIndex; i <= LastVisibleIndex; ++i) DrawPoint(i);
    } else {
        for (int i = LastVisibleIndex; i >= FirstVisibleIndex; --i) DrawPoint(i);
    }
}

void TChartSeries::AddDataSource(TChartSeries* source) {
    if (source == nullptr || source == this || std::find(sources_.begin(), sources_.end(), source) != sources_.end())
        return;
    sources_.push_back(source);
    source->dependents_.push_back(this);
}

void TChartSeries::RemoveDataSource(TChartSeries* source) {
    if (std::erase(sources_, source) > 0) std::erase(source->dependents_, this);
}

void TChartSeries::NotifyDependents(TSeriesChange change, int index) {
    for (TChartSeries* dependent : dependents_) dependent->SourceChanged(*this, change, index);
}

std::string TChartSeries::MarkText(int index) const {
    const std::string label = PointLabel(index);
    if (!label.empty()) return label;
    return FormatGrouped3(YValue(index), NumberFormat::System());
}

void TChartSeries::SetActive(bool value) { Store(active_, value); }
void TChartSeries::SetSeriesColor(TColor value) { Store(seriesColor_, value); }
void TChartSeries::SetColorEachPoint(bool value) { Store(colorEachPoint_, value); }
void TChartSeries::SetHorizAxis(THorizAxis value) { Store(horizAxis_, value); }
void TChartSeries::SetVertAxis(TVertAxis value) { Store(vertAxis_, value); }
void TChartSeries::SetShowInLegend(bool value) { Store(showInLegend_, value); }
void TChartSeries::SetValueFormat(const std::string& value) { Store(valueFormat_, value); }
void TChartSeries::SetPercentFormat(const std::string& value) { Store(percentFormat_, value); }
void TChartSeries::SetTitle(const std::string& value) { Store(title_, value); }

}  // namespace nc
