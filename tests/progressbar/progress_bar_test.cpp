// The bar as a whole: its size and shape for each setting, where its fields
// sit, which settings reach which field, and what it paints.

#include "progressbar/colour_math.h"
#include "progressbar/turn_progress_bar.h"
#include "tests/progressbar/render.h"

#include <QCoreApplication>
#include <QFontInfo>

#include <gtest/gtest.h>

#include <vector>

namespace kestrune::test {
namespace {

class ProgressBar : public testing::Test {
protected:
    TTurnProgressBar bar;

    TColor Base() const { return platform::ResolveColor(bar.Color(), bar.palette()); }
    QRect NumberPlace() const { return bar.NumberField().geometry(); }
    QRect ProgressPlace() const { return bar.ProgressField().geometry(); }
};

TEST_F(ProgressBar, DefaultsMakeThe130By20BarOfTheMainWindow) {
    Settle(bar);
    EXPECT_EQ(bar.size(), QSize(130, 20));
    EXPECT_EQ(bar.FrameRect().Right, 130);
    EXPECT_EQ(bar.FrameRect().Bottom, 20);
    EXPECT_EQ(bar.BevelThickness(), 2);
    EXPECT_EQ(NumberPlace(), QRect(2, 2, 24, 16));
    EXPECT_EQ(ProgressPlace(), QRect(28, 2, 100, 16));
    EXPECT_EQ(bar.NumberAlign(), TTurnNumberAlign::naLeft);
    EXPECT_EQ(bar.PFMainColor(), RGBColor(128, 128, 128));
    EXPECT_EQ(bar.PFPartsNumber(), 20);
    EXPECT_EQ(bar.NFFieldNumberHeight(), 16);
    EXPECT_EQ(bar.NFFont().Font.family(), "Times New Roman");
    EXPECT_EQ(bar.NFFont().Font.pixelSize(), 16);
}

TEST_F(ProgressBar, PaintsARaisedOuterAndASunkenInnerRing) {
    const QImage image = Render(bar);
    const TColor lighter = LightenColor(bar.Color(), bar.palette());
    const TColor darker = DarkenColor(bar.Color(), bar.palette());
    EXPECT_EQ(Pixel(image, {60, 0}), Rgb(lighter));
    EXPECT_EQ(Pixel(image, {0, 10}), Rgb(lighter));
    EXPECT_EQ(Pixel(image, {60, 19}), Rgb(darker));
    EXPECT_EQ(Pixel(image, {129, 10}), Rgb(darker));
    EXPECT_EQ(Pixel(image, {60, 1}), Rgb(darker));
    EXPECT_EQ(Pixel(image, {1, 10}), Rgb(darker));
    EXPECT_EQ(Pixel(image, {60, 18}), Rgb(lighter));
    EXPECT_EQ(Pixel(image, {128, 10}), Rgb(lighter));
    // Between the number and the bar, the bar's own background.
    EXPECT_EQ(Pixel(image, {26, 10}), Rgb(Base()));
    EXPECT_EQ(Pixel(image, {27, 10}), Rgb(Base()));
}

TEST_F(ProgressBar, AQuarterTurnStandsTheBarUpWithTheNumberBelow) {
    bar.SetAngle(900);
    Settle(bar);
    EXPECT_EQ(bar.size(), QSize(20, 130));
    EXPECT_EQ(bar.NFAngle(), 900);
    EXPECT_EQ(ProgressPlace(), QRect(2, 2, 16, 100));
    EXPECT_EQ(NumberPlace(), QRect(2, 104, 16, 24));
    const QImage image = Render(bar);
    // The frame's top edge is now on the left: lit for a raised ring.
    EXPECT_EQ(Pixel(image, {0, 60}), Rgb(LightenColor(bar.Color(), bar.palette())));
    EXPECT_EQ(Pixel(image, {19, 60}), Rgb(DarkenColor(bar.Color(), bar.palette())));
}

TEST_F(ProgressBar, NumberOnTopCentred) {
    bar.SetNumberAlign(TTurnNumberAlign::naTopCenter);
    Settle(bar);
    EXPECT_EQ(bar.size(), QSize(104, 38));
    EXPECT_EQ(NumberPlace(), QRect(40, 2, 24, 16));
    EXPECT_EQ(ProgressPlace(), QRect(2, 20, 100, 16));
    EXPECT_EQ(NumberPlace().x() + NumberPlace().width() / 2, 52);
    EXPECT_EQ(ProgressPlace().x() + ProgressPlace().width() / 2, 52);
}

TEST_F(ProgressBar, NoNumberStillKeepsTheInnerGap) {
    bar.SetNFFieldKind(TTurnNumberKind::nkNone);
    Settle(bar);
    EXPECT_EQ(bar.size(), QSize(106, 20));
    EXPECT_EQ(bar.NumberField().size(), QSize(0, 0));
    EXPECT_EQ(ProgressPlace(), QRect(4, 2, 100, 16));
}

TEST_F(ProgressBar, WithoutTheOuterRingTheFrameShrinksAndOnlyTheInnerRingIsPainted) {
    bar.SetOuterBevelKind(TTurnBevelKind::bkNone);
    const QImage image = Render(bar);
    EXPECT_EQ(bar.size(), QSize(128, 18));
    EXPECT_EQ(NumberPlace(), QRect(1, 1, 24, 16));
    // The sunken inner ring now runs along the window's edge.
    EXPECT_EQ(Pixel(image, {60, 0}), Rgb(DarkenColor(bar.Color(), bar.palette())));
    EXPECT_EQ(Pixel(image, {60, 17}), Rgb(LightenColor(bar.Color(), bar.palette())));
    bar.SetInnerBevelWidth(0);
    EXPECT_EQ(bar.size(), QSize(126, 16));
}

TEST_F(ProgressBar, PercentOutsideTheRangeIsRefusedAndAValidOneReachesBothFields) {
    Settle(bar);
    std::vector<int> changes;
    QObject::connect(&bar, &TTurnProgressBar::PercentChanged,
                     [&](int Value) { changes.push_back(Value); });
    bar.SetPercent(37);
    bar.SetPercent(101);
    bar.SetPercent(-1);
    EXPECT_EQ(bar.Percent(), 37);
    EXPECT_EQ(bar.NumberField().Percent(), 37);
    EXPECT_EQ(bar.ProgressField().Percent(), 37);
    bar.SetPercent(100);
    EXPECT_EQ(bar.NumberField().Percent(), 100);
    EXPECT_EQ(bar.ProgressField().Percent(), 100);
    EXPECT_EQ(bar.NumberField().Text(), "100");
    bar.SetPercent(100);
    EXPECT_EQ(changes, (std::vector<int>{37, 100}));
}

TEST_F(ProgressBar, TheNumberTurnsWithTheBarOnlyWhenThePercentFieldIsFixed) {
    bar.SetNFAngle(300);
    bar.SetAngle(900);
    EXPECT_EQ(bar.NFAngle(), 1200);
    EXPECT_EQ(bar.NumberField().Angle(), 1200);
    EXPECT_EQ(bar.ProgressField().Angle(), 900);

    TTurnProgressBar loose;
    loose.SetPercentFieldFixed(false);
    loose.SetNFAngle(300);
    loose.SetAngle(900);
    EXPECT_EQ(loose.NFAngle(), 300);
    EXPECT_EQ(loose.NumberField().Angle(), 300);
    EXPECT_EQ(loose.ProgressField().Angle(), 900);
}

TEST_F(ProgressBar, FieldsFollowTheBarsColourUntilTheirOwnIsSetToANewValue) {
    const TColor green = RGBColor(188, 205, 180);
    bar.SetColor(green);
    bar.SetNFColor(clWindow); // the cached value: nothing changes
    bar.SetPFColor(clWindow);
    EXPECT_EQ(bar.NumberField().Color(), green);
    EXPECT_EQ(bar.ProgressField().Color(), green);

    const TColor red = RGBColor(255, 0, 0);
    bar.SetPFColor(red);
    const TColor blue = RGBColor(0, 0, 255);
    bar.SetColor(blue);
    EXPECT_EQ(bar.ProgressField().Color(), red);
    EXPECT_EQ(bar.NumberField().Color(), blue);
    EXPECT_EQ(bar.PFColor(), red);
    EXPECT_EQ(bar.NFColor(), clWindow);
}

TEST_F(ProgressBar, RefusedFieldValuesStayInTheBarsCopy) {
    Settle(bar);
    bar.SetPFWidth(0);
    bar.SetNFFieldNumberHeight(-5);
    bar.SetPFPartsNumber(0);
    bar.SetGap(-1);
    bar.SetGapInternal(-3);
    EXPECT_EQ(bar.PFWidth(), 0);
    EXPECT_EQ(bar.ProgressField().Width(), 100);
    EXPECT_EQ(bar.NFFieldNumberHeight(), -5);
    EXPECT_EQ(bar.NumberField().DigitHeight(), 16);
    EXPECT_EQ(bar.PFPartsNumber(), 20);
    EXPECT_EQ(bar.Gap(), 0);
    EXPECT_EQ(bar.GapInternal(), 2);
    Settle(bar);
    EXPECT_EQ(bar.size(), QSize(130, 20));
}

TEST_F(ProgressBar, AFieldThatChangesItsFrameMakesTheBarLayOutAgainLater) {
    Settle(bar);
    bar.SetPFGap(2);
    EXPECT_EQ(bar.ProgressField().size(), QSize(104, 20));
    // The field posts its news; the bar re-lays out from the event loop.
    EXPECT_EQ(bar.size(), QSize(130, 20));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(bar.size(), QSize(134, 24));
    EXPECT_EQ(ProgressPlace(), QRect(28, 2, 104, 20));
    EXPECT_EQ(NumberPlace(), QRect(2, 4, 24, 16));
}

TEST_F(ProgressBar, ResizingFromOutsideSnapsBackToTheFittedSize) {
    Settle(bar);
    bar.resize(300, 200);
    bar.setGeometry(5, 6, 40, 40);
    EXPECT_EQ(bar.size(), QSize(130, 20));
    EXPECT_EQ(bar.pos(), QPoint(5, 6));
    bar.ProgressField().resize(10, 10);
    EXPECT_EQ(bar.ProgressField().size(), QSize(100, 16));
}

TEST_F(ProgressBar, UserPaintIsCalledOnlyForAUserBarWithPointsInTheBarsWindow) {
    std::vector<T4points> calls;
    bar.SetOnPaint([&](const T4points& Points) { calls.push_back(Points); });
    bar.SetPercent(50);
    Render(bar);
    EXPECT_TRUE(calls.empty());
    bar.SetPFProgressKind(TTurnProgressKind::pkUser);
    Render(bar);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], (T4points{QPoint(28, 2), QPoint(128, 2), QPoint(128, 18), QPoint(28, 18)}));
}

TEST_F(ProgressBar, SettingsWrittenBeforeTheWindowExistsAreKept) {
    bar.SetNFFont(MakeTurnFont("Liberation Sans", 30));
    bar.SetNFFieldKind(TTurnNumberKind::nkFont);
    bar.SetPFHeight(40);
    Settle(bar);
    EXPECT_EQ(bar.NumberField().CanvasFont().Font.pixelSize(), 30);
    EXPECT_EQ(bar.ProgressField().size(), QSize(100, 40));
    EXPECT_EQ(bar.size().height(), 44);
}

TEST_F(ProgressBar, AFontNumberIsMeasuredInTheBarsFontAndTheBarGrowsAroundIt) {
    bar.SetNFFieldKind(TTurnNumberKind::nkFont);
    Settle(bar);
    ASSERT_EQ(QFontInfo(bar.NFFont().Font).family(), "Liberation Serif");
    EXPECT_EQ(bar.NumberField().size(), QSize(24, 19));
    EXPECT_EQ(bar.size(), QSize(130, 23));
    EXPECT_EQ(NumberPlace(), QRect(2, 2, 24, 19));
    EXPECT_EQ(ProgressPlace(), QRect(28, 3, 100, 16));
    bar.SetNFFont(MakeTurnFont("Times New Roman", 32));
    Settle(bar);
    // 28.5 pixels above the baseline and 6.9 below, each rounded up.
    EXPECT_EQ(bar.NumberField().size(), QSize(48, 36));
    EXPECT_EQ(bar.size(), QSize(2 + 48 + 2 + 100 + 2, 36 + 4));
}

TEST_F(ProgressBar, TheMainWindowsBarAt37Percent) {
    const TColor face = 11849148;
    const TColor main = 5089577;
    bar.SetColor(face);
    bar.SetNFColor(clWindow);
    bar.SetNFFieldNumberColor(4227072);
    bar.SetNFFont(MakeTurnFont("Times New Roman", 16));
    bar.SetPFColor(clWindow);
    bar.SetPFProgressKind(TTurnProgressKind::pkGradient);
    bar.SetPFMainColor(main);
    bar.SetPercent(37);
    const QImage image = Render(bar);
    ASSERT_EQ(image.size(), QSize(130, 20));
    // The gradient: 37 columns from nearly the face colour to the main colour.
    for (int i = 1; i <= 37; ++i) {
        const TColor expected = BlendColors(main, face, ((37 - i) * 100) / 37, bar.palette());
        EXPECT_EQ(Pixel(image, {28 + i - 1, 10}), Rgb(expected)) << "column " << i;
    }
    EXPECT_EQ(Pixel(image, {28 + 36, 2}), Rgb(main));
    EXPECT_EQ(Pixel(image, {28 + 36, 17}), Rgb(main));
    EXPECT_EQ(Pixel(image, {28 + 37, 10}), Rgb(face));
    // The left stroke of the 0 in the number's first cell, and its hole.
    EXPECT_EQ(Pixel(image, {2 + 1, 10}), QColor(0, 128, 64));
    EXPECT_EQ(Pixel(image, {2 + 3, 10}), Rgb(face));
}

} // namespace
} // namespace kestrune::test
