#include "progressbar/bevel_rings.h"

#include "platform/polygon_region.h"
#include "progressbar/colour_math.h"
#include "progressbar/frame_fit.h"

#include <QPainter>
#include <QRect>

namespace kestrune {

namespace {

using Hexagon = std::array<QPoint, 6>;

Hexagon TopLeft(int L, int T, int R, int B, int w) {
    return {QPoint(L, B),         QPoint(L, T),         QPoint(R, T),
            QPoint(R - w, T + w), QPoint(L + w, T + w), QPoint(L + w, B - w)};
}

Hexagon BottomRight(int L, int T, int R, int B, int w) {
    return {QPoint(L, B),         QPoint(L + w, B - w), QPoint(R - w, B - w),
            QPoint(R - w, T + w), QPoint(R, T),         QPoint(R, B)};
}

Hexagon TopRight(int L, int T, int R, int B, int w) {
    return {QPoint(L, T),         QPoint(R, T),         QPoint(R, B),
            QPoint(R - w, B - w), QPoint(R - w, T + w), QPoint(L + w, T + w)};
}

Hexagon BottomLeft(int L, int T, int R, int B, int w) {
    return {QPoint(L, T),         QPoint(L + w, T + w), QPoint(L + w, B - w),
            QPoint(R - w, B - w), QPoint(R, B),         QPoint(L, B)};
}

struct RingContext {
    TColor Base;
    int W;
    int H;
    const TAngleState& State;
    QSize Window;
    const QPalette& Palette;
};

// The octant decides which corners face the screen's upper left after
// turning, so those edges are lit for a raised ring whatever the angle.
void AddRing(std::vector<TBevelFill>& Fills, const RingContext& Context, const QRect& R,
             TBevel Ring) {
    const int L = R.left();
    const int T = R.top();
    const int Rt = R.left() + R.width();
    const int B = R.top() + R.height();
    const int w = Ring.Width;
    const TColor lighter = LightenColor(Context.Base, Context.Palette);
    const TColor darker = DarkenColor(Context.Base, Context.Palette);
    const bool raised = Ring.Kind == TTurnBevelKind::bkUP;
    const TColor light = raised ? lighter : darker;
    const TColor shade = raised ? darker : lighter;

    Hexagon first;
    Hexagon second;
    TColor firstColor = light;
    TColor secondColor = shade;
    switch (Context.State.Octant) {
    case 2:
    case 3:
        first = TopRight(L, T, Rt, B, w);
        second = BottomLeft(L, T, Rt, B, w);
        break;
    case 4:
    case 5:
        first = TopLeft(L, T, Rt, B, w);
        second = BottomRight(L, T, Rt, B, w);
        std::swap(firstColor, secondColor);
        break;
    case 6:
    case 7:
        first = TopRight(L, T, Rt, B, w);
        second = BottomLeft(L, T, Rt, B, w);
        std::swap(firstColor, secondColor);
        break;
    default:
        first = TopLeft(L, T, Rt, B, w);
        second = BottomRight(L, T, Rt, B, w);
        break;
    }
    for (auto [points, colour] : {std::pair{first, firstColor}, std::pair{second, secondColor}}) {
        PlacePoints(points, Context.W, Context.H, Context.State.Angle, Context.Window);
        Fills.push_back({points, colour});
    }
}

bool Drawn(TBevel Ring) {
    return Ring.Kind != TTurnBevelKind::bkNone && Ring.Width != 0;
}

} // namespace

std::vector<TBevelFill> BevelRingFills(TColor Base, int W, int H, const TAngleState& State,
                                       QSize Window, TBevel Outer, TBevel Inner,
                                       const QPalette& Palette) {
    std::vector<TBevelFill> fills;
    const RingContext context{Base, W, H, State, Window, Palette};
    QRect r(0, 0, W, H);
    if (Drawn(Outer)) {
        AddRing(fills, context, r, Outer);
        r.adjust(Outer.Width, Outer.Width, -Outer.Width, -Outer.Width);
    }
    if (Drawn(Inner)) {
        AddRing(fills, context, r, Inner);
    }
    return fills;
}

void PaintBevelRings(QPainter& Painter, TColor Base, int W, int H, const TAngleState& State,
                     QSize Window, TBevel Outer, TBevel Inner, const QPalette& Palette) {
    for (const TBevelFill& fill :
         BevelRingFills(Base, W, H, State, Window, Outer, Inner, Palette)) {
        platform::FillPolygonRegion(Painter, fill.Points, platform::ToQColor(fill.Color));
    }
}

} // namespace kestrune
