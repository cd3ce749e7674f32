// SPDX-License-Identifier: MIT
// The response plot in the main window: one point per series and tick, the
// reference read from its box, "Limpiar" emptying both curves, "Inicializar"
// merging a new run into the old one in x order, failing ticks adding nothing.

#include "ui/common/ErrorBox.h"
#include "ui/main/Ppal.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace nc {
namespace {

using Points = std::vector<std::pair<double, double>>;

Points PointsOf(const TChartSeries& s)
{
    Points p;
    for (int i = 0; i < s.PointCount(); ++i)
        p.emplace_back(s.XValues().Value(i), s.YValues().Value(i));
    return p;
}

class ResponsePlotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetErrorHook([this](const QString& m) { errors.push_back(m); });
        window = std::make_unique<TPpal>();
        QTest::mouseClick(window->Button11, Qt::LeftButton); // Inicializar
    }
    void TearDown() override
    {
        window.reset();
        SetErrorHook({});
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            window->Timer1Timer();
    }

    std::unique_ptr<TPpal> window;
    QStringList errors;
};

TEST_F(ResponsePlotTest, EachTickAddsThePositionAndTheReference)
{
    QTest::mouseClick(window->Button3, Qt::LeftButton); // Limpiar
    Ticks(3);
    const Points position = PointsOf(*window->Series1);
    ASSERT_EQ(position.size(), 3u);
    EXPECT_EQ(position[0], std::make_pair(0.0, 0.0));
    EXPECT_EQ(position[1].first, 1.0);
    EXPECT_NEAR(position[1].second, 0.3126, 5e-5);
    EXPECT_EQ(position[1].second, static_cast<double>(static_cast<float>(position[1].second)));
    EXPECT_EQ(PointsOf(*window->Series2), (Points{{0, 30}, {1, 30}, {2, 30}}));
    EXPECT_EQ(window->Series1->PointColor(0), TColor{0x0000FF});
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(ResponsePlotTest, ReferenceStepsAtTheNextSample)
{
    Ticks(2);
    window->UpDown1->ClickArrow(true);
    Ticks(1);
    EXPECT_EQ(PointsOf(*window->Series2), (Points{{0, 30}, {1, 30}, {2, 35}}));
}

TEST_F(ResponsePlotTest, LimpiarEmptiesBothCurvesAndTheNextRunStartsAtZero)
{
    Ticks(4);
    QTest::mouseClick(window->Button3, Qt::LeftButton);
    EXPECT_EQ(window->Series1->PointCount(), 0);
    EXPECT_EQ(window->Series2->PointCount(), 0);
    Ticks(1);
    EXPECT_EQ(PointsOf(*window->Series1), (Points{{0, 0}}));
}

TEST_F(ResponsePlotTest, InicializarMergesTheNewRunInXOrder)
{
    Ticks(3);
    const Points first = PointsOf(*window->Series1);
    QTest::mouseClick(window->Button11, Qt::LeftButton);
    Ticks(2);
    const Points merged = PointsOf(*window->Series1);
    ASSERT_EQ(merged.size(), 5u);
    // The new x = 0 goes after the old one, the new x = 1 after the old x = 1.
    EXPECT_EQ(merged, (Points{first[0], {0, 0}, first[1], first[1], first[2]}));
}

TEST_F(ResponsePlotTest, FailingTicksAddNoPoint)
{
    Ticks(2);
    for (const char* bad : {"abc", "1e41"}) {
        window->Edit7->setText(QString::fromLatin1(bad));
        Ticks(1);
        EXPECT_EQ(window->Series1->PointCount(), 2) << bad;
        EXPECT_EQ(window->Series2->PointCount(), 2) << bad;
    }
    EXPECT_EQ(errors.size(), 2);
}

// A read-out too wide for its box shows its first characters, not its last.
TEST_F(ResponsePlotTest, ReadoutsShowTheirTextFromTheStart)
{
    Ticks(100);
    for (QLineEdit* e : {window->Edit2, window->Edit3, window->Edit4, window->Edit6})
        EXPECT_EQ(e->cursorPosition(), 0) << e->objectName().toStdString();
    EXPECT_EQ(window->Edit3->text().left(2), QStringLiteral("30"));
}

// After a run the chart shows both curves: red position, blue reference.
TEST_F(ResponsePlotTest, ChartShowsBothCurves)
{
    Ticks(100);
    const QImage image = window->Chart1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int red = 0, blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            red += p == qRgb(255, 0, 0);
            blue += p == qRgb(0, 0, 255);
        }
    EXPECT_GT(red, 100);
    EXPECT_GT(blue, 50);
}

// Where a curve holds an end of the automatic axis it is still drawn: the
// position settled above its reference at the top (30.31 for 30), the dotted
// reference 0 at the bottom, to the last sample's column.
TEST_F(ResponsePlotTest, CurvesAtTheEndsOfTheAxisAreDrawnToTheLastSample)
{
    // The widest gap, in columns, between those holding the colour.
    auto widestGap = [&](QRgb colour, int from) {
        TChart& chart = *window->Chart1;
        const QImage image = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
        int gap = 0, widest = 0;
        const int last = chart.BottomAxis().ValueToPixel(window->Series1->XValues().LastValue()) - 1;
        for (int x = chart.BottomAxis().ValueToPixel(from); x <= last; ++x) {
            bool found = false;
            for (int y = chart.PlotRect.Top; y <= chart.PlotRect.Bottom && !found; ++y)
                found = image.pixel(x, y) == colour;
            gap = found ? 0 : gap + 1;
            widest = std::max(widest, gap);
        }
        return widest;
    };
    Ticks(100);
    EXPECT_EQ(widestGap(qRgb(255, 0, 0), 70), 0);
    QTest::mouseClick(window->Button3, Qt::LeftButton); // Limpiar
    window->Edit7->setText(QStringLiteral("0"));
    Ticks(100);
    EXPECT_LT(widestGap(qRgb(0, 0, 255), 0), 8); // its dots' gaps only
}

// While the loop runs, a zoomed chart keeps its ranges; the undo gives back
// axes that follow the samples again.
TEST_F(ResponsePlotTest, ZoomHoldsTheAxesWhileSamplesArriveAndUndoFreesThem)
{
    Ticks(50);
    window->Chart1->grab();
    window->Chart1->ZoomToValues(40, 10, 40, 10, 30, 5, 30, 5);
    Ticks(50);
    window->Chart1->grab();
    EXPECT_EQ(window->Chart1->BottomAxis().Maximum(), 30);
    EXPECT_EQ(window->Chart1->LeftAxis().Minimum(), 10);
    window->Chart1->UndoZoom();
    window->Chart1->grab();
    EXPECT_EQ(window->Chart1->BottomAxis().Maximum(), 99);
    EXPECT_TRUE(window->Chart1->LeftAxis().Automatic());
}

} // namespace
} // namespace nc
