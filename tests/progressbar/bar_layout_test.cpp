// Where the bar puts its fields in its unturned frame, for every alignment.

#include "progressbar/bar_layout.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

TBarLayoutInput Defaults(TTurnNumberAlign Align) {
    return {QSize(100, 16), QSize(24, 16), 0, 2, 2, Align};
}

TEST(BarLayout, SideBySideAlignments) {
    const TBarLayout left = LayOutBar(Defaults(TTurnNumberAlign::naLeft));
    EXPECT_EQ(left.Frame, QSize(130, 20));
    EXPECT_EQ(left.NumberCentre, QPoint(14, 10));
    EXPECT_EQ(left.ProgressCentre, QPoint(78, 10));
    const TBarLayout right = LayOutBar(Defaults(TTurnNumberAlign::naRight));
    EXPECT_EQ(right.Frame, QSize(130, 20));
    EXPECT_EQ(right.NumberCentre, QPoint(2 + 100 + 2 + 12, 10));
    EXPECT_EQ(right.ProgressCentre, QPoint(52, 10));
    // A value outside the enumeration places the fields as naLeft does, in
    // the stacked frame of the other alignments.
    const TBarLayout odd = LayOutBar(Defaults(static_cast<TTurnNumberAlign>(42)));
    EXPECT_EQ(odd.Frame, QSize(104, 38));
    EXPECT_EQ(odd.NumberCentre, QPoint(14, 19));
    EXPECT_EQ(odd.ProgressCentre, QPoint(78, 19));
}

TEST(BarLayout, StackedAlignments) {
    const struct {
        TTurnNumberAlign Align;
        QPoint Number;
        QPoint Progress;
    } cases[] = {
        {TTurnNumberAlign::naTopLeft, {14, 10}, {52, 28}},
        {TTurnNumberAlign::naTopCenter, {52, 10}, {52, 28}},
        {TTurnNumberAlign::naTopRight, {90, 10}, {52, 28}},
        {TTurnNumberAlign::naBottomLeft, {14, 28}, {52, 10}},
        {TTurnNumberAlign::naBottomCenter, {52, 28}, {52, 10}},
        {TTurnNumberAlign::naBottomRight, {90, 28}, {52, 10}},
    };
    for (const auto& c : cases) {
        const TBarLayout layout = LayOutBar(Defaults(c.Align));
        EXPECT_EQ(layout.Frame, QSize(104, 38));
        EXPECT_EQ(layout.NumberCentre, c.Number) << static_cast<int>(c.Align);
        EXPECT_EQ(layout.ProgressCentre, c.Progress) << static_cast<int>(c.Align);
    }
}

TEST(BarLayout, TheNumberIsMeasuredAsItSitsInTheBarsTurnedFrame) {
    TBarLayoutInput input = Defaults(TTurnNumberAlign::naLeft);
    input.NumberTurn = 900;
    const TBarLayout upright = LayOutBar(input);
    EXPECT_EQ(upright.NumberBox, QSize(16, 24));
    EXPECT_EQ(upright.Frame, QSize(2 + 16 + 100 + 4, 24 + 4));
    // 30 degrees: 24 c + 16 s = 28.8, 24 s + 16 c = 25.9.
    input.NumberTurn = -300;
    EXPECT_EQ(LayOutBar(input).NumberBox, QSize(29, 26));
}

TEST(BarLayout, AnEmptyNumberStillLeavesTheInnerGap) {
    TBarLayoutInput input = Defaults(TTurnNumberAlign::naLeft);
    input.NumberFrame = QSize(0, 0);
    const TBarLayout layout = LayOutBar(input);
    EXPECT_EQ(layout.Frame, QSize(106, 20));
    EXPECT_EQ(layout.ProgressCentre, QPoint(2 + 0 + 2 + 50, 10));
}

} // namespace
} // namespace kestrune::test
