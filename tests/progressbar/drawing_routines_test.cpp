// The shared drawing rules: colour arithmetic, turning points, classifying
// angles, fitting a window to a turned frame and the bevel rings' hexagons.

#include "progressbar/angle_state.h"
#include "progressbar/bevel_rings.h"
#include "progressbar/colour_math.h"
#include "progressbar/frame_fit.h"
#include "progressbar/rotation.h"

#include <QPalette>

#include <gtest/gtest.h>

#include <vector>

namespace kestrune::test {
namespace {

QPalette TestPalette() {
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Base, QColor(250, 240, 16));
    palette.setColor(QPalette::Active, QPalette::Button, QColor(200, 100, 50));
    return palette;
}

TEST(ColourMath, ShadesMoveEachChannelBy32AndStopAtTheEnds) {
    const QPalette palette = TestPalette();
    EXPECT_EQ(LightenColor(RGBColor(255, 255, 255), palette), RGBColor(255, 255, 255));
    EXPECT_EQ(DarkenColor(0, palette), 0);
    EXPECT_EQ(LightenColor(RGBColor(230, 10, 100), palette), RGBColor(255, 42, 132));
    EXPECT_EQ(DarkenColor(RGBColor(230, 10, 100), palette), RGBColor(198, 0, 68));
}

TEST(ColourMath, BlendsTruncateTowardZeroChannelByChannel) {
    const QPalette palette = TestPalette();
    EXPECT_EQ(BlendColors(0, RGBColor(255, 255, 255), 50, palette), RGBColor(127, 127, 127));
    // -200 * 33 / 100 is -66, not -67.
    EXPECT_EQ(BlendColors(RGBColor(200, 0, 0), 0, 33, palette), RGBColor(134, 0, 0));
    const TColor from = RGBColor(10, 200, 30);
    const TColor to = RGBColor(250, 20, 30);
    EXPECT_EQ(BlendColors(from, to, 0, palette), from);
    EXPECT_EQ(BlendColors(from, to, 100, palette), to);
    EXPECT_EQ(BlendColors(from, to, 25, palette), RGBColor(70, 155, 30));
}

TEST(ColourMath, SystemColoursAreResolvedFirstAndNeverComeBack) {
    const QPalette palette = TestPalette();
    EXPECT_EQ(LightenColor(clWindow, palette), RGBColor(255, 255, 48));
    EXPECT_EQ(DarkenColor(clBtnFace, palette), RGBColor(168, 68, 18));
    EXPECT_EQ(BlendColors(clWindow, clBtnFace, 100, palette), RGBColor(200, 100, 50));
    EXPECT_EQ(BlendColors(clBtnFace, 0, 0, palette), RGBColor(200, 100, 50));
    for (const TColor result : {LightenColor(clWindow, palette), DarkenColor(clWindow, palette),
                                BlendColors(clWindow, clBtnFace, 50, palette)}) {
        EXPECT_FALSE(IsSystemColor(result));
    }
}

std::vector<QPoint> Rotated(std::vector<QPoint> Points, int Angle) {
    RotatePoints(Points, Angle);
    return Points;
}

std::vector<QPoint> RotatedAround(std::vector<QPoint> Points, QPoint Pivot, int Angle) {
    RotatePointsAround(Points, Pivot.x(), Pivot.y(), Angle);
    return Points;
}

TEST(Rotation, AQuarterTurnIsCounterClockwiseOnTheScreen) {
    EXPECT_EQ(Rotated({{10, 0}, {0, 10}, {0, 0}}, 900),
              (std::vector<QPoint>{{0, -10}, {10, 0}, {0, 0}}));
    EXPECT_EQ(Rotated({{10, 0}}, 1800), (std::vector<QPoint>{{-10, 0}}));
    EXPECT_EQ(Rotated({{3, 4}}, -900), (std::vector<QPoint>{{-4, 3}}));
    EXPECT_EQ(Rotated({{3, 4}}, 3600 + 900), Rotated({{3, 4}}, 900));
}

TEST(Rotation, EachPointIsRoundedAfterTurning) {
    // (10, 0) by 30 degrees: (8.66, -5) becomes (9, -5).
    EXPECT_EQ(Rotated({{10, 0}}, 300), (std::vector<QPoint>{{9, -5}}));
    // (3, 4) by 45 degrees: (4.95, 0.71) becomes (5, 1).
    EXPECT_EQ(Rotated({{3, 4}}, 450), (std::vector<QPoint>{{5, 1}}));
}

TEST(Rotation, TurningAboutAPivot) {
    const std::vector<QPoint> points = {{0, 0}, {7, -3}, {120, 44}};
    EXPECT_EQ(RotatedAround(points, {50, 10}, 0), points);
    EXPECT_EQ(RotatedAround({{0, 0}}, {50, 10}, 1800), (std::vector<QPoint>{{100, 20}}));
    EXPECT_EQ(RotatedAround({{60, 10}}, {50, 10}, 900), (std::vector<QPoint>{{50, 0}}));
    EXPECT_EQ(RotatedAround({{4, 0}}, {0, 0}, 900), (std::vector<QPoint>{{0, -4}}));
    // (7, -3) lies 43 left of and 13 above the pivot; a quarter turn puts it
    // 13 left of and 43 below it.
    EXPECT_EQ(RotatedAround({{7, -3}}, {50, 10}, 900), (std::vector<QPoint>{{37, 53}}));
}

TEST(Rotation, OffsetMovesEveryPoint) {
    std::vector<QPoint> points = {{1, 2}, {-3, 4}};
    OffsetPoints(points, 10, -20);
    EXPECT_EQ(points, (std::vector<QPoint>{{11, -18}, {7, -16}}));
    std::vector<QPoint> none;
    OffsetPoints(none, 1, 1);
    RotatePointsAround(none, 5, 5, 900);
    EXPECT_TRUE(none.empty());
}

TAngleState Classified(int Angle) {
    TAngleState state;
    ClassifyAngle(state, Angle);
    return state;
}

TEST(ClassifyAngle, QuadrantsAndOctantsCounterClockwiseFromZero) {
    const TAngleState initial;
    EXPECT_EQ(initial.Quadrant, 1);
    EXPECT_EQ(initial.Octant, 1);
    EXPECT_DOUBLE_EQ(initial.CosA, 1.0);
    const struct {
        int Angle;
        int Quadrant;
        int Octant;
    } cases[] = {{0, 1, 1},     {300, 1, 1},        {600, 1, 2},        {1200, 2, 3}, {1500, 2, 4},
                 {2000, 3, 5},  {2500, 3, 6},       {2900, 4, 7},       {3400, 4, 8}, {-300, 4, 8},
                 {-1200, 3, 6}, {3600 + 600, 1, 2}, {7200 + 2000, 3, 5}};
    for (const auto& c : cases) {
        const TAngleState state = Classified(c.Angle);
        EXPECT_EQ(state.Angle, c.Angle);
        EXPECT_EQ(state.Quadrant, c.Quadrant) << c.Angle;
        EXPECT_EQ(state.Octant, c.Octant) << c.Angle;
    }
}

TEST(ClassifyAngle, ExactAxesAndDiagonalsFallOnEitherNeighbour) {
    const struct {
        int Angle;
        std::vector<int> Octants;
    } cases[] = {{900, {2, 3}},  {1800, {4, 5}}, {2700, {6, 7}}, {450, {1, 2}},
                 {1350, {3, 4}}, {2250, {5, 6}}, {3150, {7, 8}}};
    for (const auto& c : cases) {
        const int octant = Classified(c.Angle).Octant;
        EXPECT_TRUE(octant == c.Octants[0] || octant == c.Octants[1]) << c.Angle << ": " << octant;
    }
}

TEST(FitFrame, UnturnedFrameFillsTheWindow) {
    const TFrameFit fit = FitFrame(130, 20, TAngleState{});
    EXPECT_EQ(fit.ShapePoints,
              (T4points{QPoint(0, 0), QPoint(0, 20), QPoint(130, 20), QPoint(130, 0)}));
    EXPECT_EQ(fit.Size, QSize(130, 20));
}

TEST(FitFrame, QuarterAndHalfTurnsSwapOrKeepTheSides) {
    for (const int angle : {900, 2700, -900}) {
        EXPECT_EQ(FitFrame(130, 20, Classified(angle)).Size, QSize(20, 130)) << angle;
    }
    EXPECT_EQ(FitFrame(130, 20, Classified(1800)).Size, QSize(130, 20));
}

TEST(FitFrame, ASlantedFrameIsADiamondInsideItsBoundingBox) {
    // 30 degrees: s = 0.5, c = 0.866; quadrant 1.
    const TFrameFit fit = FitFrame(100, 20, Classified(300));
    EXPECT_EQ(fit.ShapePoints,
              (T4points{QPoint(0, 50), QPoint(10, 67), QPoint(97, 17), QPoint(87, 0)}));
    EXPECT_EQ(fit.Size, QSize(97, 67));
    // 120 degrees: quadrant 2, s = 0.866, c = 0.5.
    const TFrameFit second = FitFrame(100, 20, Classified(1200));
    EXPECT_EQ(second.ShapePoints,
              (T4points{QPoint(0, 10), QPoint(50, 97), QPoint(67, 87), QPoint(17, 0)}));
    EXPECT_EQ(second.Size, QSize(67, 97));
}

std::vector<TBevelFill> Rings(TColor Base, int Angle, TBevel Outer, TBevel Inner,
                              QSize Window = QSize(20, 10)) {
    return BevelRingFills(Base, 20, 10, Classified(Angle), Window, Outer, Inner, TestPalette());
}

constexpr TBevel Up1{1, TTurnBevelKind::bkUP};
constexpr TBevel Down1{1, TTurnBevelKind::bkDown};

TEST(BevelRings, RingsOfWidthZeroOrKindNoneAreNotDrawnAndTakeNoRoom) {
    const TColor base = RGBColor(100, 100, 100);
    EXPECT_TRUE(Rings(base, 0, {0, TTurnBevelKind::bkUP}, {3, TTurnBevelKind::bkNone}).empty());
    const auto innerOnly = Rings(base, 0, {2, TTurnBevelKind::bkNone}, Down1);
    ASSERT_EQ(innerOnly.size(), 2u);
    // The inner ring starts at the frame's edge: the outer one took no room.
    EXPECT_EQ(innerOnly[0].Points[0], QPoint(0, 10));
    EXPECT_EQ(innerOnly[0].Points[1], QPoint(0, 0));
    const auto both = Rings(base, 0, {2, TTurnBevelKind::bkUP}, Down1);
    ASSERT_EQ(both.size(), 4u);
    EXPECT_EQ(both[2].Points[1], QPoint(2, 2));
    EXPECT_EQ(both[2].Points[2], QPoint(18, 2));
}

TEST(BevelRings, TheEdgesFacingTheUpperLeftAreLitForARaisedRing) {
    const TColor base = RGBColor(100, 100, 100);
    const TColor light = RGBColor(132, 132, 132);
    const TColor dark = RGBColor(68, 68, 68);
    const auto up = Rings(base, 0, Up1, {0, TTurnBevelKind::bkDown});
    ASSERT_EQ(up.size(), 2u);
    EXPECT_EQ(up[0].Points, (std::array<QPoint, 6>{QPoint(0, 10), QPoint(0, 0), QPoint(20, 0),
                                                   QPoint(19, 1), QPoint(1, 1), QPoint(1, 9)}));
    EXPECT_EQ(up[0].Color, light);
    EXPECT_EQ(up[1].Color, dark);
    const auto down = Rings(base, 0, Down1, {0, TTurnBevelKind::bkDown});
    EXPECT_EQ(down[0].Color, dark);
    EXPECT_EQ(down[1].Color, light);
}

TEST(BevelRings, TheOctantPicksTheHexagonsAndTheirOrder) {
    const TColor base = RGBColor(100, 100, 100);
    const TColor light = RGBColor(132, 132, 132);
    const TColor dark = RGBColor(68, 68, 68);
    const TBevel none{0, TTurnBevelKind::bkUP};
    const QSize square(30, 30); // room for every turn of the 20 x 10 frame
    // Near a half turn the frame is upside down: its bottom-right L faces the upper
    // left and is filled second, in the light colour.
    const auto half = Rings(base, 1700, Up1, none, square);
    ASSERT_EQ(half.size(), 2u);
    EXPECT_EQ(half[0].Color, dark);
    EXPECT_EQ(half[1].Color, light);
    // At 600 the top-right L leads, lit; at 2500 it leads, shaded.
    const auto sixty = Rings(base, 600, Up1, none, square);
    const auto turned = Rings(base, 2500, Up1, none, square);
    EXPECT_EQ(sixty[0].Color, light);
    EXPECT_EQ(turned[0].Color, dark);
    // Unturned, the top-right L starts at the top-left corner and runs round
    // the top right; placed by 60 degrees about the frame's centre.
    std::array<QPoint, 6> topRight = {QPoint(0, 0),  QPoint(20, 0), QPoint(20, 10),
                                      QPoint(19, 9), QPoint(19, 1), QPoint(1, 1)};
    PlacePoints(topRight, 20, 10, 600, square);
    EXPECT_EQ(sixty[0].Points, topRight);
}

TEST(BevelRings, PointsArePlacedWithTheFrameCentredInTheWindow) {
    const auto rings = Rings(RGBColor(1, 2, 3), 0, Up1, {0, TTurnBevelKind::bkUP}, QSize(24, 15));
    // (24 - 20) / 2 = 2 across, (15 - 10) / 2 = 2 down.
    EXPECT_EQ(rings[0].Points[1], QPoint(2, 2));
    EXPECT_EQ(rings[1].Points[5], QPoint(22, 12));
}

} // namespace
} // namespace kestrune::test
