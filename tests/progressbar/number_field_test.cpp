// The number field: its frame for each kind, the digit glyphs in their cells,
// and the font-written number turned with the field.

#include "progressbar/digit_glyphs.h"
#include "progressbar/turn_100_field.h"
#include "tests/progressbar/render.h"

#include <QFontInfo>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace kestrune::test {
namespace {

const TColor Face = RGBColor(255, 255, 255);
const TColor Ink = RGBColor(0, 128, 64);

class NumberField : public testing::Test {
protected:
    TTurn100Field field{nullptr};

    void SetUp() override {
        field.SetColor(Face);
        field.SetDigitColor(Ink);
    }

    // Every pixel that the glyphs' regions clearly hold or clearly leave out
    // shows the ink or the face. Turn maps each glyph corner as the field's
    // angle should.
    void ExpectGlyphs(
        const QImage& Image, const QString& Text, int Inset, int Height,
        const std::function<QPoint(QPoint)>& Turn = [](QPoint P) { return P; }) {
        const int cell = (3 * Height / 2) / 3;
        std::vector<std::vector<QPoint>> glyphs;
        for (int i = 0; i < 3; ++i) {
            glyphs.push_back(
                DigitGlyph(Text.at(i).digitValue(), {Inset + i * cell, Inset, cell, Height}));
            for (QPoint& corner : glyphs.back()) {
                corner = Turn(corner);
            }
        }
        int inked = 0;
        // Inside the bevels.
        for (int y = Inset; y < Image.height() - Inset; ++y) {
            for (int x = Inset; x < Image.width() - Inset; ++x) {
                bool inside = false;
                bool onEdge = false;
                for (const auto& glyph : glyphs) {
                    bool edge = false;
                    inside = inside || RegionHolds(glyph, {x, y}, &edge);
                    onEdge = onEdge || edge;
                }
                if (onEdge) {
                    continue;
                }
                inked += inside ? 1 : 0;
                EXPECT_EQ(Pixel(Image, {x, y}), Rgb(inside ? Ink : Face))
                    << Text.toStdString() << " at " << x << "," << y;
            }
        }
        EXPECT_GT(inked, 3 * Height);
    }
};

TEST_F(NumberField, StartsWithASegmentFrameOf24By16) {
    Settle(field);
    EXPECT_EQ(field.FrameRect().Right, 24);
    EXPECT_EQ(field.FrameRect().Bottom, 16);
    EXPECT_EQ(field.size(), QSize(24, 16));
    EXPECT_EQ(field.Text(), "000");
}

TEST_F(NumberField, GlyphsFollowTheCellGeometry) {
    EXPECT_EQ(DigitGlyph(1, {0, 0, 8, 16}),
              (std::vector<QPoint>{{5, 3}, {7, 1}, {7, 15}, {5, 13}}));
    const std::size_t counts[] = {15, 4, 17, 23, 10, 17, 18, 8, 24, 18};
    for (int digit = 0; digit <= 9; ++digit) {
        EXPECT_EQ(DigitGlyph(digit, {0, 0, 8, 16}).size(), counts[digit]) << digit;
    }
    EXPECT_TRUE(DigitGlyph(10, {0, 0, 8, 16}).empty());
    // The 3 in a 15 x 30 cell at (5, 5): its waist at (M, B4/9) and (M, T4/9).
    const auto three = DigitGlyph(3, {5, 5, 15, 30});
    EXPECT_EQ(three[17], QPoint(5 + 15 - 7 - 1, 5 + 30 - 13 - 1));
    EXPECT_EQ(three[18], QPoint(5 + 15 - 7 - 1, 5 + 13 + 1));
}

TEST_F(NumberField, ShowsThreeDigitsAndRefusesOutOfRangeValues) {
    field.SetPercent(7);
    EXPECT_EQ(field.Text(), "007");
    field.SetPercent(101);
    field.SetPercent(-1);
    EXPECT_EQ(field.Text(), "007");
    field.SetPercent(100);
    EXPECT_EQ(field.Text(), "100");
}

TEST_F(NumberField, TheDigitsOf037And100SitInTheirCells) {
    field.SetPercent(37);
    const QImage image = Render(field);
    ExpectGlyphs(image, "037", 0, 16);
    // Hand-checked: the 0's left stroke and hole, the 7's top bar.
    EXPECT_EQ(Pixel(image, {1, 8}), Rgb(Ink));
    EXPECT_EQ(Pixel(image, {4, 8}), Rgb(Face));
    EXPECT_EQ(Pixel(image, {20, 1}), Rgb(Ink));
    EXPECT_EQ(Pixel(image, {16, 8}), Rgb(Face)); // the one-pixel margin
    field.SetPercent(100);
    ExpectGlyphs(Render(field), "100", 0, 16);
}

TEST_F(NumberField, DigitHeightSetsTheFrameAndRefusesNonPositiveValues) {
    field.SetDigitHeight(0);
    field.SetDigitHeight(-5);
    EXPECT_EQ(field.DigitHeight(), 16);
    field.SetDigitHeight(30);
    EXPECT_EQ(field.FrameRect().Right, 45);
    EXPECT_EQ(field.FrameRect().Bottom, 30);
    EXPECT_EQ(field.size(), QSize(45, 30));
    field.SetPercent(58);
    ExpectGlyphs(Render(field), "058", 0, 30);
}

TEST_F(NumberField, GapAndBevelsWidenTheFrameAndMoveTheCells) {
    field.SetGap(1);
    field.SetOuterBevelWidth(2);
    field.SetInnerBevelWidth(2);
    EXPECT_EQ(field.BevelThickness(), 5);
    EXPECT_EQ(field.size(), QSize(34, 26));
    field.SetPercent(94);
    ExpectGlyphs(Render(field), "094", 5, 16);
}

TEST_F(NumberField, NoneLeavesAnEmptyWindow) {
    field.SetKind(TTurnNumberKind::nkNone);
    EXPECT_EQ(field.size(), QSize(0, 0));
    EXPECT_EQ(field.FrameRect().Width(), 0);
}

TEST_F(NumberField, AHalfTurnTurnsTheGlyphsUpsideDownInAWindowOfTheSameSize) {
    field.SetPercent(37);
    field.SetAngle(1800);
    const QImage image = Render(field);
    ASSERT_EQ(image.size(), QSize(24, 16));
    // Half a turn about the frame's centre (12, 8).
    ExpectGlyphs(image, "037", 0, 16, [](QPoint P) { return QPoint(24 - P.x(), 16 - P.y()); });
}

// The ink's bounding box: every pixel that is not the face.
QRect InkBox(const QImage& Image) {
    QRect box;
    for (int y = 0; y < Image.height(); ++y) {
        for (int x = 0; x < Image.width(); ++x) {
            if (Pixel(Image, {x, y}) != Rgb(Face) && Pixel(Image, {x, y}) != Outside) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

class FontNumber : public NumberField {
protected:
    TTurnFont font = MakeTurnFont("Times New Roman", 16);

    void SetUp() override {
        NumberField::SetUp();
        font.Color = RGBColor(0, 0, 0);
        field.SetFonts(font);
        field.SetFontSource([this] { return font; });
        field.SetKind(TTurnNumberKind::nkFont);
    }
};

TEST_F(FontNumber, MeasuresThreeDigitsInTheFont) {
    // Without the metric-compatible serif face every figure below is off.
    ASSERT_EQ(QFontInfo(font.Font).family(), "Liberation Serif");
    EXPECT_EQ(field.FrameRect().Width(), 24);
    EXPECT_EQ(field.FrameRect().Height(), 19);
    EXPECT_EQ(field.size(), QSize(24, 19));
}

TEST_F(FontNumber, TheTextStartsAtTheContentsTopLeftAndTurnsAboutIt) {
    ASSERT_EQ(QFontInfo(font.Font).family(), "Liberation Serif");
    field.SetPercent(37);
    const QRect upright = InkBox(Render(field));
    ASSERT_FALSE(upright.isEmpty());
    EXPECT_GT(upright.width(), upright.height());
    EXPECT_LE(upright.left(), 2);
    EXPECT_LE(upright.right(), 23);

    field.SetAngle(900);
    const QImage image = Render(field);
    ASSERT_EQ(image.size(), QSize(19, 24));
    // The start point (0, 0) of the 24 x 19 frame lands on (1, 23): the text
    // runs upward from the bottom left, its top to the left.
    const QRect turned = InkBox(image);
    ASSERT_FALSE(turned.isEmpty());
    EXPECT_NEAR(turned.width(), upright.height(), 1);
    EXPECT_NEAR(turned.height(), upright.width(), 1);
    EXPECT_NEAR(turned.left(), 1 + upright.top(), 1);
    EXPECT_NEAR(turned.bottom(), 23 - upright.left(), 1);
}

TEST_F(FontNumber, TheTextIsInTheFontsColourOnTheFieldsFace) {
    font.Color = RGBColor(200, 0, 0);
    field.SetPercent(88);
    const QImage image = Render(field);
    bool red = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            red = red || Pixel(image, {x, y}) == QColor(200, 0, 0);
        }
    }
    EXPECT_TRUE(red);
    EXPECT_EQ(Pixel(image, {0, 0}), Rgb(Face));
}

} // namespace
} // namespace kestrune::test
