// The progress field's five fills at their boundary percentages, its turn and
// its frame.

#include "progressbar/colour_math.h"
#include "progressbar/turn_progress.h"
#include "tests/progressbar/render.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrune::test {
namespace {

const TColor White = RGBColor(255, 255, 255);
const TColor Black = RGBColor(0, 0, 0);
const TColor Main = RGBColor(10, 100, 200);

class ProgressField : public testing::Test {
protected:
    TTurnProgress field{nullptr};

    void SetUp() override {
        field.SetColor(White);
        field.SetMainColor(Main);
    }

    // The columns of the middle row that show the main colour.
    std::vector<int> MainColumns(const QImage& Image) const {
        std::vector<int> columns;
        for (int x = 0; x < Image.width(); ++x) {
            if (Pixel(Image, {x, Image.height() / 2}) == Rgb(Main)) {
                columns.push_back(x);
            }
        }
        return columns;
    }

    static std::vector<int> Range(int From, int To) {
        std::vector<int> values;
        for (int v = From; v < To; ++v) {
            values.push_back(v);
        }
        return values;
    }
};

TEST_F(ProgressField, StartsAs100By16) {
    Settle(field);
    EXPECT_EQ(field.size(), QSize(100, 16));
    EXPECT_EQ(field.ProgressKind(), TTurnProgressKind::pkSimple);
    EXPECT_EQ(field.PartsNumber(), 20);
}

TEST_F(ProgressField, NothingIsFilledAtZeroInAnyKind) {
    for (const auto kind : {TTurnProgressKind::pkSimple, TTurnProgressKind::pkParts,
                            TTurnProgressKind::pkGradient, TTurnProgressKind::pkRelief}) {
        field.SetProgressKind(kind);
        const QImage image = Render(field);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 100; ++x) {
                ASSERT_EQ(Pixel(image, {x, y}), Rgb(White)) << static_cast<int>(kind);
            }
        }
    }
}

TEST_F(ProgressField, ASimpleBarFillsPercentOfItsWidth) {
    field.SetPercent(33);
    const QImage image = Render(field);
    EXPECT_EQ(MainColumns(image), Range(0, 33));
    EXPECT_EQ(Pixel(image, {0, 0}), Rgb(Main));
    EXPECT_EQ(Pixel(image, {32, 15}), Rgb(Main));
    field.SetPercent(100);
    EXPECT_EQ(MainColumns(Render(field)), Range(0, 100));
}

TEST_F(ProgressField, PartsAreSeparatedByOnePixelAndCountWholeParts) {
    field.SetProgressKind(TTurnProgressKind::pkParts);
    field.SetPercent(50);
    std::vector<int> expected;
    for (int part = 0; part < 10; ++part) {
        for (int x = part * 5; x < part * 5 + 4; ++x) {
            expected.push_back(x);
        }
    }
    EXPECT_EQ(MainColumns(Render(field)), expected);
    field.SetPercent(4);
    EXPECT_TRUE(MainColumns(Render(field)).empty());
    field.SetPercent(5);
    EXPECT_EQ(MainColumns(Render(field)), Range(0, 4));

    field.SetPartsNumber(3);
    field.SetPercent(100);
    expected = Range(0, 32);
    for (const int x : Range(33, 66)) {
        expected.push_back(x);
    }
    for (const int x : Range(67, 99)) {
        expected.push_back(x);
    }
    EXPECT_EQ(MainColumns(Render(field)), expected);
}

TEST_F(ProgressField, AGradientRunsFromTheFieldsColourToTheMainColourAtTheLeadingEdge) {
    field.SetMainColor(Black);
    field.SetProgressKind(TTurnProgressKind::pkGradient);
    field.SetPercent(50);
    const QImage image = Render(field);
    EXPECT_EQ(Pixel(image, {0, 8}), QColor(249, 249, 249));
    EXPECT_EQ(Pixel(image, {49, 8}), QColor(0, 0, 0));
    EXPECT_EQ(Pixel(image, {50, 8}), Rgb(White));
    // Column i is (50 - i) * 100 / 50 per cent of the way to white.
    EXPECT_EQ(Pixel(image, {24, 0}), QColor(127, 127, 127));
    EXPECT_EQ(Pixel(image, {24, 15}), QColor(127, 127, 127));
    field.SetPercent(1);
    const QImage one = Render(field);
    EXPECT_EQ(Pixel(one, {0, 8}), QColor(0, 0, 0));
    EXPECT_EQ(Pixel(one, {1, 8}), Rgb(White));
}

TEST_F(ProgressField, AReliefShadesRowsFromLightAboveToDarkBelow) {
    field.SetMainColor(RGBColor(100, 100, 100));
    field.SetProgressKind(TTurnProgressKind::pkRelief);
    field.SetPercent(10);
    const QImage image = Render(field);
    EXPECT_EQ(Pixel(image, {0, 0}), QColor(157, 157, 157));
    EXPECT_EQ(Pixel(image, {9, 0}), QColor(157, 157, 157));
    // Row 8: 164 - 128 * 50 / 100.
    EXPECT_EQ(Pixel(image, {5, 7}), QColor(100, 100, 100));
    EXPECT_EQ(Pixel(image, {0, 15}), QColor(36, 36, 36));
    EXPECT_EQ(Pixel(image, {10, 0}), Rgb(White));
    EXPECT_EQ(Pixel(image, {10, 15}), Rgb(White));
}

TEST_F(ProgressField, AUserBarFillsNothingAndHandsOverTheWholeArea) {
    std::vector<T4points> calls;
    field.SetPaintCallback([&](const T4points& Points) { calls.push_back(Points); });
    field.SetProgressKind(TTurnProgressKind::pkUser);
    const QImage image = Render(field);
    EXPECT_EQ(Pixel(image, {50, 8}), Rgb(White));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], (T4points{QPoint(0, 0), QPoint(100, 0), QPoint(100, 16), QPoint(0, 16)}));
}

TEST_F(ProgressField, AQuarterTurnFillsFromTheBottomUp) {
    field.SetAngle(900);
    field.SetPercent(33);
    const QImage image = Render(field);
    ASSERT_EQ(image.size(), QSize(16, 100));
    for (int y = 0; y < 100; ++y) {
        const QColor expected = y >= 67 ? Rgb(Main) : Rgb(White);
        EXPECT_EQ(Pixel(image, {0, y}), expected) << y;
        EXPECT_EQ(Pixel(image, {15, y}), expected) << y;
    }
}

TEST_F(ProgressField, FrameSettingsRefitTheWindowAndBevelsPaintOverTheFill) {
    field.SetGap(2);
    EXPECT_EQ(field.size(), QSize(104, 20));
    field.SetGap(0);
    field.SetOuterBevelWidth(1);
    field.SetInnerBevelWidth(1);
    EXPECT_EQ(field.size(), QSize(104, 20));
    field.SetInnerBevelKind(TTurnBevelKind::bkNone);
    EXPECT_EQ(field.size(), QSize(102, 18));
    field.SetPercent(100);
    const QImage image = Render(field);
    EXPECT_EQ(Pixel(image, {50, 0}), Rgb(LightenColor(White, field.palette())));
    EXPECT_EQ(Pixel(image, {50, 17}), Rgb(DarkenColor(White, field.palette())));
    EXPECT_EQ(Pixel(image, {1, 1}), Rgb(Main));
    EXPECT_EQ(Pixel(image, {100, 16}), Rgb(Main));
}

TEST_F(ProgressField, RefusedValuesChangeNothing) {
    field.SetWidth(0);
    field.SetHeight(-1);
    field.SetPercent(101);
    field.SetPercent(-1);
    field.SetPartsNumber(0);
    EXPECT_EQ(field.Width(), 100);
    EXPECT_EQ(field.Height(), 16);
    EXPECT_EQ(field.Percent(), 0);
    EXPECT_EQ(field.PartsNumber(), 20);
    field.SetWidth(50);
    field.SetHeight(8);
    EXPECT_EQ(field.size(), QSize(50, 8));
}

} // namespace
} // namespace kestrune::test
