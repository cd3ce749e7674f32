// SPDX-License-Identifier: MIT
#include "chart/panel/ChartPanel.h"

#include "chart/device/ImageDevice.h"

#include <QPainter>

#include <algorithm>

#include "chart/axes/AxisPainter.h"
#include "chart/axes/AxisScale.h"

namespace {
// The shortest time between two repaints caused by changes: 50 frames a second.
constexpr int kFrameIntervalMs = 20;
} // namespace

namespace nc {

// --------------------------------------------------------- TCustomChartPanel

TCustomChartPanel::TCustomChartPanel(QWidget* parent) : QWidget(parent)
{
    // Every paint covers the whole control, so Qt never erases it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    resize(400, 250);
    view3DOptions_ = std::make_unique<TView3DOptions>();
    view3DOptions_->SetRepaintHandler([this] { Invalidate(); });
    screen_ = std::make_unique<ImageDevice>(width(), height());
    controlCanvas_ = std::make_unique<TCanvas>(screen_.get());
    canvas_ = std::make_unique<TChartCanvas3D>();
    canvas_->ViewOptions = view3DOptions_.get();
    canvas_->AttachCanvas(controlCanvas_.get());
    zoom_ = std::make_unique<TZoomPanningRecord>();
    scroll_ = std::make_unique<TZoomPanningRecord>();
    loadedCursor_ = cursor();
    frameTimer_ = new QTimer(this);
    frameTimer_->setSingleShot(true);
    frameTimer_->setTimerType(Qt::PreciseTimer);
    connect(frameTimer_, &QTimer::timeout, this, [this] { update(); });
    EndCreation();
}

TCustomChartPanel::~TCustomChartPanel() = default;

void TCustomChartPanel::SetMonochrome(bool value)
{
    canvas_->SetMonochrome(value);
}

void TCustomChartPanel::FitScreenToWidget()
{
    if (!ownScreen_ || (screen_->Width() == width() && screen_->Height() == height()))
        return;
    screen_ = std::make_unique<ImageDevice>(width(), height());
    controlCanvas_->SetDevice(screen_.get());
}

TCanvas& TCustomChartPanel::ControlCanvas()
{
    FitScreenToWidget();
    return *controlCanvas_;
}

DrawDevice& TCustomChartPanel::ControlDevice()
{
    FitScreenToWidget();
    return *screen_;
}

void TCustomChartPanel::SetControlDevice(std::unique_ptr<DrawDevice> device)
{
    screen_ = std::move(device);
    ownScreen_ = false;
    controlCanvas_->SetDevice(screen_.get());
}

void TCustomChartPanel::RequestPaint()
{
    if (!creationComplete_)
        return;
    canvas_->MarkDirty();
    if (repaintPending_)
        return;
    repaintPending_ = true;
    ++repaintRequests_;
    const qint64 since = sinceLastPaint_.isValid() ? sinceLastPaint_.elapsed() : kFrameIntervalMs;
    if (since >= kFrameIntervalMs)
        update();
    else
        frameTimer_->start(static_cast<int>(kFrameIntervalMs - since));
}

void TCustomChartPanel::Paint()
{
    // Changes from here on need a new request; Qt merges it with any still queued.
    repaintPending_ = false;
    sinceLastPaint_.start();
    FitScreenToWidget();
    if (canvas_->ShowBufferedImage())
        return;
    DrawChart(*controlCanvas_, ClientRect());
}

void TCustomChartPanel::DrawChart(TCanvas& userCanvas, const TRect& userRect)
{
    const TRect r = canvas_->BeginDrawing(&userCanvas, view3DOptions_.get(), color_, view3D_, userRect);
    PanelRect = r;
    const int w = r.Width();
    const int h = r.Height();
    // Margins and the border are whatever int their setters took: the edges
    // are summed wide and held to the pixel limit, so that the plot's size
    // and centre stay defined however far off the picture they put it.
    auto edge = [](long long v) { return static_cast<int>(std::clamp<long long>(v, -kPixelLimit, kPixelLimit)); };
    PlotRect = TRect{edge(r.Left + 1LL * MulDiv(marginLeft_, w, 100) + borderWidth_),
                     edge(r.Top + 1LL * MulDiv(marginTop_, h, 100) + borderWidth_),
                     edge(r.Right - 1LL * MulDiv(marginRight_, w, 100) - borderWidth_),
                     edge(r.Bottom - 1LL * MulDiv(marginBottom_, h, 100) - borderWidth_)};
    RecalcPlotSize();
    try {
        DrawContents(PanelRect);
    } catch (...) {
        // A handler threw: leave the picture dirty and the canvas on the control.
        canvas_->ResetClip();
        canvas_->AttachCanvas(controlCanvas_.get());
        canvas_->MarkDirty();
        throw;
    }
    canvas_->EndDrawing(&userCanvas, controlCanvas_.get(), userRect);
}

QImage TCustomChartPanel::DrawPicture(int width, int height)
{
    ImageDevice device(width, height, Monochrome());
    TCanvas canvas(&device);
    // The off-screen bitmap has the size of the last drawing: dropped before
    // and after, so that each drawing gets one of its own size.
    DropBitmap();
    DrawChart(canvas, TRect{0, 0, width, height});
    QImage picture = *device.Image();
    DropBitmap();
    DrawChart(ControlCanvas(), ClientRect());
    return picture;
}

void TCustomChartPanel::RecalcPlotSize()
{
    PlotRect.Left = std::max(PlotRect.Left, PanelRect.Left);
    PlotRect.Top = std::max(PlotRect.Top, PanelRect.Top);
    if (PlotRect.Right < PlotRect.Left) {
        PlotRect.Right = PlotRect.Left + 1;
    } else if (PlotRect.Right == PlotRect.Left) {
        PlotRect.Right = PlotRect.Left + width();
    }
    if (PlotRect.Bottom < PlotRect.Top) {
        PlotRect.Bottom = PlotRect.Top + 1;
    } else if (PlotRect.Bottom == PlotRect.Top) {
        PlotRect.Bottom = PlotRect.Top + height();
    }
    PlotWidth = PlotRect.Right - PlotRect.Left;
    PlotHeight = PlotRect.Bottom - PlotRect.Top;
    PlotCenterX = (PlotRect.Left + PlotRect.Right) / 2;
    PlotCenterY = (PlotRect.Top + PlotRect.Bottom) / 2;
}

void TCustomChartPanel::DropBitmap()
{
    if (canvas_->Buffered()) {
        canvas_->SetBuffered(false);
        canvas_->SetBuffered(true);
    } else {
        canvas_->MarkDirty();
    }
}

void TCustomChartPanel::SetBounds(int left, int top, int width, int height)
{
    DropBitmap();
    setGeometry(left, top, width, height);
}

void TCustomChartPanel::resizeEvent(QResizeEvent* event)
{
    DropBitmap();
    QWidget::resizeEvent(event);
}

void TCustomChartPanel::leaveEvent(QEvent* event)
{
    setCursor(loadedCursor_);
    QWidget::leaveEvent(event);
}

void TCustomChartPanel::ShowScreen()
{
    screenOnly_ = true;
    update();
}

void TCustomChartPanel::paintEvent(QPaintEvent* /*event*/)
{
    // After a drawing straight on the control the screen image is already
    // the picture to show, unless a change since asks for a new one.
    if (!screenOnly_ || repaintPending_ || canvas_->Dirty())
        Paint();
    screenOnly_ = false;
    if (const QImage* image = screen_->Image()) {
        QPainter painter(this);
        DrawPixelPicture(painter, QPoint(0, 0), *image);
    }
}

void TCustomChartPanel::DrawZoomBox()
{
    TPen* pen = canvas_->Pen();
    TBrush* brush = canvas_->Brush();
    if (pen == nullptr || brush == nullptr)
        return;
    TColor color = ColorToRGB(color_);
    if (color == clWhite)
        color = clRed;
    pen->SetColor(color);
    pen->SetMode(pmNotXor);
    pen->SetStyle(psSolid);
    pen->SetWidth(1);
    brush->SetStyle(bsClear);
    canvas_->Rectangle(zoom_->X0, zoom_->Y0, zoom_->X1, zoom_->Y1);
}

// ---------------------------------------------------------- TCustomAxisPanel

TCustomAxisPanel::TCustomAxisPanel(QWidget* parent) : TCustomChartPanel(parent)
{
    BeginCreation();
    leftAxis_ = std::make_unique<TChartAxis>(this, false, false);
    topAxis_ = std::make_unique<TChartAxis>(this, true, true);
    rightAxis_ = std::make_unique<TChartAxis>(this, false, true);
    bottomAxis_ = std::make_unique<TChartAxis>(this, true, false);
    depthAxis_ = std::make_unique<TChartDepthAxis>(this);
    // Side titles read along their axis.
    leftAxis_->Title().SetAngle(90);
    rightAxis_->Title().SetAngle(270);
    EndCreation();
}

TCustomAxisPanel::~TCustomAxisPanel()
{
    destroying_ = true;
    for (auto& series : series_)
        series->parent_ = nullptr;
    series_.clear();
}

TChartSeries* TCustomAxisPanel::AddSeries(std::unique_ptr<TChartSeries> series)
{
    if (!series)
        return nullptr;
    TChartSeries* raw = series.get();
    for (const auto& held : series_) {
        if (held.get() == raw) {
            (void)series.release(); // already ours: keep the one owner
            return raw;
        }
    }
    if (raw->SeriesColor() == UnsetColor)
        raw->SetSeriesColor(FreeSeriesColor());
    raw->parent_ = this;
    series_.push_back(std::move(series));
    Invalidate();
    return raw;
}

std::unique_ptr<TChartSeries> TCustomAxisPanel::RemoveSeries(TChartSeries* series)
{
    const auto it = std::find_if(series_.begin(), series_.end(), [&](const auto& s) { return s.get() == series; });
    if (it == series_.end())
        return nullptr;
    std::unique_ptr<TChartSeries> removed = std::move(*it);
    series_.erase(it);
    removed->parent_ = nullptr;
    if (removed->Cursor() != 0 && cursor().shape() == static_cast<Qt::CursorShape>(removed->Cursor())) {
        setCursor(LoadedCursor());
    }
    Invalidate();
    return removed;
}

TColor TCustomAxisPanel::FreeSeriesColor() const
{
    for (TColor candidate : ChartPalette) {
        if (candidate == Color() || candidate == BackColor())
            continue;
        const bool taken
            = std::any_of(series_.begin(), series_.end(), [&](const auto& s) { return s->SeriesColor() == candidate; });
        if (!taken)
            return candidate;
    }
    return clRed;
}

bool TCustomAxisPanel::AxisInUse(const TCustomChartAxis& axis) const
{
    if (!axisVisible_ || !axis.Visible())
        return false;
    if (axis.IsDepthAxis())
        return true;
    return std::any_of(series_.begin(), series_.end(),
                       [&](const auto& s) { return s->Active() && s->UseAxis() && s->AssociatedToAxis(axis); });
}

double TCustomAxisPanel::AxisDataExtreme(const TCustomChartAxis& axis, bool highest) const
{
    if (axis.IsDepthAxis()) {
        if (axis.EffectiveLabelStyle() != talValue) {
            int depths = 0;
            for (const auto& s : series_)
                depths += s->Active() ? 1 : 0;
            return highest ? depths + 0.5 : -0.5;
        }
        for (const auto& s : series_) {
            if (s->Active())
                return highest ? s->HighestZ() : s->LowestZ();
        }
        return 0;
    }
    if (maxPointsPerPage_ > 0) {
        // The page's first and last points of the first active series, on the
        // axis of its not-mandatory values.
        TChartSeries* first = nullptr;
        for (const auto& s : series_) {
            if (s->Active()) {
                first = s.get();
                break;
            }
        }
        if (first == nullptr || first->PointCount() == 0)
            return 0;
        const bool yMandatory = first->IsYMandatory();
        const TCustomChartAxis* pagedAxis = yMandatory ? first->ResolvedHorizAxis() : first->ResolvedVertAxis();
        if (pagedAxis == &axis) {
            const TChartValueList& list = first->NotMandatoryList();
            const long long n = first->PointCount();
            const long long m = maxPointsPerPage_;
            long long from = m * (page_ - 1);
            if (from >= n)
                from = std::max(0LL, n / m - 1) * m;
            long long last = from + m - 1;
            if (last >= n)
                last = from + (n % m) - 1;
            const double lowest = list.Value(static_cast<int>(from));
            if (!highest)
                return lowest;
            const double top = list.Value(static_cast<int>(last));
            const long long held = last - from + 1;
            if (!scaleLastPage_ && held < m) {
                return static_cast<double>(lowest + (static_cast<long double>(top) - lowest) * m / held);
            }
            return top;
        }
    }
    bool found = false;
    double result = 0;
    for (const auto& s : series_) {
        if (!s->Active() || s->PointCount() == 0)
            continue;
        double v;
        if (axis.Horizontal()) {
            if (s->ResolvedHorizAxis() != &axis)
                continue;
            v = highest ? s->HighestX() : s->LowestX();
        } else {
            if (s->ResolvedVertAxis() != &axis)
                continue;
            v = highest ? s->HighestY() : s->LowestY();
        }
        if (!found || (highest ? v > result : v < result))
            result = v;
        found = true;
    }
    return result;
}

int TCustomAxisPanel::AxisWallSize(const TCustomChartAxis& axis)
{
    if (!View3D() || !view3DWalls_)
        return 0;
    if (&axis == leftAxis_.get())
        return WallSize(true);
    if (&axis == bottomAxis_.get())
        return WallSize(false);
    return 0;
}

void TCustomAxisPanel::SetChart3DPercent(int value)
{
    if (value < 1 || value > 100) {
        throw ChartException("3D effect percent must be between " + std::to_string(1) + " and " + std::to_string(100));
    }
    Store(chart3DPercent_, value);
}

void TCustomAxisPanel::SetMaxPointsPerPage(int value)
{
    if (value < 0)
        throw ChartException("MaxPointsPerPage must be >= 0");
    Store(maxPointsPerPage_, value);
}

// Pages are counted on the first active series, the one paging scales to.
int TCustomAxisPanel::NumPages() const
{
    if (maxPointsPerPage_ <= 0)
        return 1;
    for (const auto& s : series_) {
        if (!s->Active())
            continue;
        const int n = s->PointCount();
        return std::max(1, n / maxPointsPerPage_ + (n % maxPointsPerPage_ > 0 ? 1 : 0));
    }
    return 1;
}

void TCustomAxisPanel::SetPage(int value)
{
    value = std::min(value, NumPages());
    value = std::max(value, 1);
    if (Store(page_, value) && OnPageChange)
        OnPageChange(*this);
}

void TCustomAxisPanel::DrawContents(const TRect& panelRect)
{
    // 1. Panel.
    DrawPanelBackground(panelRect);
    if (!BackImageInside())
        DrawBackImage(panelRect);
    DrawBevels(panelRect);

    // Handlers may add or remove series while we draw: walk by index.
    auto forEachActive = [this](auto&& action) {
        for (std::size_t i = 0; i < series_.size(); ++i) {
            if (series_[i]->Active())
                action(*series_[i]);
        }
    };

    // 2-4. Pre-draw hooks, titles, depth order (all 0 in 2D; 3D is not built,
    // so 3D charts number their series in list order).
    forEachActive([](TChartSeries& s) { s.DoBeforeDrawChart(); });
    DrawTitles();
    int depth = 0;
    forEachActive([&](TChartSeries& s) { s.DepthIndex = View3D() ? depth++ : 0; });

    // 5. Axes fitting.
    TCustomChartAxis* const rangeOrder[]
        = {leftAxis_.get(), rightAxis_.get(), topAxis_.get(), bottomAxis_.get(), depthAxis_.get()};
    for (TCustomChartAxis* axis : rangeOrder)
        axis->UpdateRange();
    Depth3D = 0;
    RecalcPlotSize();
    TRect room = PlotRect;
    for (TCustomChartAxis* axis : rangeOrder) {
        if (!AxisInUse(*axis))
            continue;
        const TRect left = AxisPainter(*axis).ReserveAxisSpace(room);
        TRect both;
        if (IntersectRect(both, room, left))
            room = both;
    }
    PlotRect = room;
    RecalcPlotSize();

    // 7. Series margins.
    TCustomChartAxis* const marginOrder[] = {topAxis_.get(), leftAxis_.get(), rightAxis_.get(), bottomAxis_.get()};
    for (TCustomChartAxis* axis : marginOrder) {
        int before = 0;
        int after = 0;
        forEachActive([&](TChartSeries& s) {
            if (!s.AssociatedToAxis(*axis))
                return;
            int a = 0;
            int b = 0;
            if (axis->Horizontal())
                s.CalcHorizMargins(a, b);
            else
                s.CalcVerticalMargins(a, b);
            before = std::max(before, a);
            after = std::max(after, b);
        });
        if (axis->Horizontal())
            axis->RangeFromMargins(before, 0, after, 0);
        else
            axis->RangeFromMargins(0, before, 0, after);
    }

    // 8-11. Projection, walls, axes.
    Canvas().SetProjection(Depth3D, PanelRect, PlotRect);
    if (OnBeforeDrawAxes)
        OnBeforeDrawAxes(*this);
    PaintWalls();
    if (axisVisible_) {
        for (TCustomChartAxis* axis : {topAxis_.get(), bottomAxis_.get(), leftAxis_.get(), rightAxis_.get()}) {
            if (AxisInUse(*axis))
                AxisPainter(*axis).PaintAxis();
        }
        if (View3D() && depthAxis_->Visible())
            AxisPainter(*depthAxis_).PaintAxis();
    }

    // 12-17. Series, markers, zoom box, clean state.
    if (OnBeforeDrawSeries)
        OnBeforeDrawSeries(*this);
    forEachActive([this](TChartSeries& s) { PaintSeries(s); });
    DrawMarkers();
    if (Zoom().Active)
        DrawZoomBox();
    Canvas().ResetDrawingState();
    if (OnAfterDraw)
        OnAfterDraw(*this);
}

void TCustomAxisPanel::PaintSeries(TChartSeries& series)
{
    series.CalcVisibleRange();
    if (series.FirstVisibleIndex == -1)
        return;
    series.DoBeforeDrawValues();
    if (clipPoints_)
        Canvas().ClipToPlotArea(PlotRect, 0, Depth3D);
    series.DrawPoints();
    if (clipPoints_)
        Canvas().ResetClip();
    if (series.Marks().Visible()) {
        const bool clip = series.Marks().Clip();
        if (clip)
            Canvas().ClipToPlotArea(PlotRect, 0, Depth3D);
        series.DrawMarks();
        if (clip)
            Canvas().ResetClip();
    }
    series.DoAfterDrawValues();
}

} // namespace nc
