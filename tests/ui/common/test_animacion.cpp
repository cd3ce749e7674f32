// SPDX-License-Identifier: MIT
// The arm's geometry without pixels: the rotation, the mapping, and the scene
// coordinates at rest and at the angles the layout names.

#include "tests/ui/QtPrinters.h"
#include "ui/common/Animacion.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace nc {
namespace {

std::vector<QPoint> Points(std::initializer_list<QPoint> points)
{
    return points;
}
template <std::size_t N> std::vector<QPoint> Points(const std::array<QPoint, N>& points)
{
    return std::vector<QPoint>(points.begin(), points.end());
}

TEST(RotationTest, MatrixAndVector)
{
    const Matriz_2x2 M = Matriz_rotacion(0.5);
    EXPECT_EQ(M.m11, std::cos(0.5));
    EXPECT_EQ(M.m12, -std::sin(0.5));
    EXPECT_EQ(M.m21, std::sin(0.5));
    EXPECT_EQ(M.m22, std::cos(0.5));
    const Vector_2 r = Rotar_vector({2.0, 3.0}, Matriz_2x2{1.0, 2.0, 3.0, 4.0});
    EXPECT_EQ(r.x, 8.0);
    EXPECT_EQ(r.y, 18.0);
}

TEST(RotationTest, QuarterTurnMapsRodUpright)
{
    const Vector_2 r = Rotar_vector({1.0, 0.0}, Matriz_rotacion(M_PI / 2));
    EXPECT_NEAR(r.x, 0.0, 1e-15);
    EXPECT_EQ(r.y, 1.0);
}

struct CentreRow {
    int width, height;
    QPoint centre;
};

void PrintTo(const CentreRow& r, std::ostream* os)
{
    *os << r.width << "x" << r.height;
}

class CentreTest : public ::testing::TestWithParam<CentreRow> {};

TEST_P(CentreTest, RoundsHalfToEven)
{
    EXPECT_EQ(ArmCentre(GetParam().width, GetParam().height), GetParam().centre);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CentreTest,
                         ::testing::Values(CentreRow{220, 205, {110, 102}}, CentreRow{221, 207, {110, 104}},
                                           CentreRow{3, 5, {2, 2}}, CentreRow{1, 1, {0, 0}}));

TEST(ArmSceneTest, RestPoseReproducesTheTable)
{
    const ArmScene s = ComputeArmScene(90.0, 220, 205);
    EXPECT_EQ(s.centro, QPoint(110, 102));
    EXPECT_EQ(Points(s.eje_vertical), Points({{110, 102}, {110, 42}}));
    EXPECT_EQ(Points(s.eje_horizontal), Points({{110, 102}, {218, 102}}));
    EXPECT_EQ(Points(s.varilla), Points({{110, 102}, {110, 72}}));
    EXPECT_EQ(Points(s.cabeza), Points({{74, 60}, {85, 68}, {110, 72}, {134, 68}, {146, 60}, {74, 60}}));
    EXPECT_EQ(Points(s.puntero), Points({{110, 60}, {110, 51}}));
    EXPECT_EQ(Points(s.pedestal), Points({{101, 102}, {119, 102}, {119, 162}, {101, 162}, {101, 102}}));
    EXPECT_EQ(s.eje_box, (std::array<int, 4>{101, 93, 119, 111}));
    EXPECT_EQ(Points(s.suelo), Points({{20, 162}, {200, 162}}));
}

struct RodRow {
    double angulo;
    QPoint tip;
};

void PrintTo(const RodRow& r, std::ostream* os)
{
    *os << r.angulo << " degrees";
}

class RodTest : public ::testing::TestWithParam<RodRow> {};

TEST_P(RodTest, RodEndsWhereTheAngleSays)
{
    const ArmScene s = ComputeArmScene(GetParam().angulo, 220, 205);
    EXPECT_EQ(s.varilla[0], QPoint(110, 102));
    EXPECT_EQ(s.varilla[1], GetParam().tip);
}

// Lying flat the rod is 45 px long, upright 30: the two axes scale differently.
// At 180 degrees sin(theta) is a hair above zero: 102 - 3.7e-15 is 101.99...
// in extended precision and truncates to 101, where plain double would round
// it to 102 first.
INSTANTIATE_TEST_SUITE_P(Angles, RodTest,
                         ::testing::Values(RodRow{90.0, {110, 72}}, RodRow{0.0, {155, 102}}, RodRow{180.0, {65, 101}},
                                           RodRow{-90.0, {110, 132}}, RodRow{450.0, {110, 72}},
                                           RodRow{-310.0, {138, 79}}));

TEST(ArmSceneTest, FixedPartsAreTheSameAtEveryAngle)
{
    const ArmScene rest = ComputeArmScene(90.0, 220, 205);
    for (double angulo : {-310.0, -90.0, 0.0, 33.3, 89.6874, 180.0, 400.0}) {
        SCOPED_TRACE(angulo);
        const ArmScene s = ComputeArmScene(angulo, 220, 205);
        EXPECT_EQ(Points(s.pedestal), Points(rest.pedestal));
        EXPECT_EQ(s.eje_box, rest.eje_box);
        EXPECT_EQ(Points(s.suelo), Points(rest.suelo));
        EXPECT_EQ(Points(s.eje_vertical), Points(rest.eje_vertical));
        EXPECT_EQ(Points(s.eje_horizontal), Points(rest.eje_horizontal));
    }
}

TEST(ArmSceneTest, HeadPointTouchesRodEnd)
{
    for (double angulo : {-90.0, 0.0, 45.0, 88.8493, 135.0}) {
        SCOPED_TRACE(angulo);
        const ArmScene s = ComputeArmScene(angulo, 220, 205);
        EXPECT_EQ(s.cabeza[2], s.varilla[1]);
        EXPECT_EQ(s.cabeza[5], s.cabeza[0]);
    }
}

// Truncation goes toward zero, also for points left of or above the image.
TEST(MapArmPointTest, TruncatesTowardZero)
{
    const Matriz_2x2 identity{1.0, 0.0, 0.0, 1.0};
    EXPECT_EQ(MapArmPoint({0.5, 0.0}, identity, QPoint(0, 0)), QPoint(45, 0));
    EXPECT_EQ(MapArmPoint({-0.01, 0.0}, identity, QPoint(0, 0)), QPoint(0, 0));  // -0.9
    EXPECT_EQ(MapArmPoint({-0.02, 0.0}, identity, QPoint(0, 0)), QPoint(-1, 0)); // -1.8
    EXPECT_EQ(MapArmPoint({0.0, 0.01}, identity, QPoint(0, 0)), QPoint(0, 0));   // -0.6
    EXPECT_EQ(MapArmPoint({0.0, -0.04}, identity, QPoint(0, 0)), QPoint(0, 2));  // 2.4
}

// The canvas operations of one scene, as text, in the order they are made.
class RecordingCanvas : public ArmCanvas {
public:
    int Width() const override { return 220; }
    int Height() const override { return 205; }
    void SetPen(QColor c, int w, PenStyle s) override
    {
        Log("pen " + c.name().toStdString() + " " + std::to_string(w) + Style(s));
    }
    void SetPenStyle(PenStyle s) override { Log("style" + Style(s)); }
    void SetBrush(QColor c) override { Log("brush " + c.name().toStdString()); }
    void Rectangle(int l, int t, int r, int b) override { Log("rect " + Box(l, t, r, b)); }
    void MoveTo(int x, int y) override { Log("move " + Pt(x, y)); }
    void LineTo(int x, int y) override { Log("line " + Pt(x, y)); }
    void Polygon(const std::vector<QPoint>& points) override
    {
        std::string text = "polygon";
        for (const QPoint& p : points)
            text += " " + Pt(p.x(), p.y());
        Log(text);
    }
    void Ellipse(int l, int t, int r, int b) override { Log("ellipse " + Box(l, t, r, b)); }

    std::vector<std::string> calls;

private:
    static std::string Style(PenStyle s) { return s == PenStyle::Solid ? " solid" : " dotted"; }
    static std::string Pt(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    static std::string Box(int l, int t, int r, int b) { return Pt(l, t) + " " + Pt(r, b); }
    void Log(std::string s) { calls.push_back(std::move(s)); }
};

TEST(DibujarBrazoTest, RestSceneCallsInOrder)
{
    RecordingCanvas canvas;
    Dibujar_brazo(canvas, 90.0);
    const std::vector<std::string> expected = {"brush #000000",
                                               "pen #ffffff 1 solid",
                                               "rect 0,0 220,205",
                                               "style dotted",
                                               "move 110,102",
                                               "line 110,42",
                                               "move 110,102",
                                               "line 218,102",
                                               "style solid",
                                               "pen #00ffff 3 solid",
                                               "move 110,102",
                                               "line 110,72",
                                               "pen #ffffff 1 solid",
                                               "brush #c0c0c0",
                                               "polygon 74,60 85,68 110,72 134,68 146,60 74,60",
                                               "pen #00ffff 1 solid",
                                               "move 110,60",
                                               "line 110,51",
                                               "brush #008080",
                                               "pen #ffffff 1 solid",
                                               "polygon 101,102 119,102 119,162 101,162 101,102",
                                               "brush #ff0000",
                                               "ellipse 101,93 119,111",
                                               "move 20,162",
                                               "line 200,162"};
    EXPECT_EQ(canvas.calls, expected);
}

TEST(DibujarFondoTest, LeavesThePenSolid)
{
    RecordingCanvas canvas;
    Dibujar_fondo(canvas);
    ASSERT_FALSE(canvas.calls.empty());
    EXPECT_EQ(canvas.calls.back(), "style solid");
    EXPECT_EQ(canvas.calls.size(), 9u);
}

} // namespace
} // namespace nc
