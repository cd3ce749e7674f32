#pragma once

// The chart control: the axis panel plus its decorations (titles, walls,
// gradient, legend settings, background picture) and the mouse settings.
// TChart is the class a window places; create it with a Qt parent, which owns
// it:
//
//   auto* chart = new nc::TChart(window);          // parent owns the widget
//   chart->SetBounds(8, 8, 257, 204);
//   chart->SetView3D(false);
//   auto* s = chart->AddSeries<SomeSeriesKind>();    // the chart owns the series
//   s->AddPoint(0, 30);                              // invalidates; drawn at the next paint
//   s->ClearPoints();

#include <QImage>

#include <memory>

#include "chart/ChartDecorations.h"
#include "chart/ChartPanel.h"

namespace nc {

enum TBackImageMode { pbmStretch, pbmTile, pbmCenter };
enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };

class TCustomChart : public TCustomAxisPanel {
public:
    explicit TCustomChart(QWidget* parent = nullptr);
    ~TCustomChart() override;

    TChartTitle& Title() { return *title_; }
    TChartTitle& Foot() { return *foot_; }
    TChartGradient& Gradient() { return *gradient_; }
    TChartWall& BackWall() { return *backWall_; }
    TChartWall& LeftWall() { return *leftWall_; }
    TChartWall& BottomWall() { return *bottomWall_; }
    TChartLegend& Legend() { return *legend_; }

    // The back wall's pen.
    TChartPen& Frame() { return backWall_->Pen(); }
    // The back wall's colour; setting it also makes the wall's brush solid.
    TColor BackColor() const override { return backWall_->Color(); }
    void SetBackColor(TColor value);

    const QImage& BackImage() const { return backImage_; }
    void SetBackImage(const QImage& value);
    TBackImageMode BackImageMode() const { return backImageMode_; }
    void SetBackImageMode(TBackImageMode value) { Store(backImageMode_, value); }
    bool BackImageInside() const override { return backImageInside_; }
    void SetBackImageInside(bool value) { Store(backImageInside_, value); }

    // Mouse zoom and scroll settings (the mouse handling itself is not built yet).
    bool AllowZoom() const { return allowZoom_; }
    void SetAllowZoom(bool value) { allowZoom_ = value; }
    TPanningMode AllowPanning() const { return allowPanning_; }
    void SetAllowPanning(TPanningMode value) { allowPanning_ = value; }
    bool AnimatedZoom() const { return animatedZoom_; }
    void SetAnimatedZoom(bool value) { animatedZoom_ = value; }
    int AnimatedZoomSteps() const { return animatedZoomSteps_; }
    void SetAnimatedZoomSteps(int value) { animatedZoomSteps_ = value; }

protected:
    void DrawPanelBackground(const TRect& rect) override;
    void DrawBackImage(const TRect& rect) override;
    void DrawBevels(const TRect& rect) override;
    void DrawTitles() override;
    void PaintWalls() override;
    int WallSize(bool left) const override { return left ? leftWall_->Size() : bottomWall_->Size(); }
    void PrepareWall(const TChartWall& wall);
    void SetFillStyle(TColor color, TBrushStyle style, TColor background);

private:
    void DrawTitle(TChartTitle& title, bool atTop);

    std::unique_ptr<TChartTitle> title_;
    std::unique_ptr<TChartTitle> foot_;
    std::unique_ptr<TChartGradient> gradient_;
    std::unique_ptr<TChartWall> backWall_;
    std::unique_ptr<TChartWall> leftWall_;
    std::unique_ptr<TChartWall> bottomWall_;
    std::unique_ptr<TChartLegend> legend_;
    QImage backImage_;
    TBackImageMode backImageMode_ = pbmStretch;
    bool backImageInside_ = false;
    bool allowZoom_ = true;
    TPanningMode allowPanning_ = pmBoth;
    bool animatedZoom_ = false;
    int animatedZoomSteps_ = 8;
};

// The chart as a window places it.
class TChart : public TCustomChart {
public:
    using TCustomChart::TCustomChart;
};

}  // namespace nc
