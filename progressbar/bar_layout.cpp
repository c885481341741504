#include "progressbar/bar_layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrune {

TBarLayout LayOutBar(const TBarLayoutInput& In) {
    const double turn = In.NumberTurn * std::numbers::pi / 1800.0;
    const double s = std::fabs(std::sin(turn));
    const double c = std::fabs(std::cos(turn));
    const int wn = In.NumberFrame.width();
    const int hn = In.NumberFrame.height();
    const int nbW = static_cast<int>(std::lrint(wn * c + hn * s));
    const int nbH = static_cast<int>(std::lrint(wn * s + hn * c));
    const int prW = In.ProgressBox.width();
    const int prH = In.ProgressBox.height();
    const int b = In.Thickness;
    const int g = In.GapInternal;

    const bool sideBySide =
        In.Align == TTurnNumberAlign::naLeft || In.Align == TTurnNumberAlign::naRight;
    const int contentW = sideBySide ? g + nbW + prW : std::max(nbW, prW);
    const int contentH = sideBySide ? std::max(nbH, prH) : g + nbH + prH;
    const int W = contentW + 2 * b;
    const int H = contentH + 2 * b;

    QPoint n;
    QPoint p;
    switch (In.Align) {
    case TTurnNumberAlign::naRight:
        n = {b + prW + g + nbW / 2, H / 2};
        p = {b + prW / 2, H / 2};
        break;
    case TTurnNumberAlign::naTopLeft:
        n = {b + nbW / 2, b + nbH / 2};
        p = {b + prW / 2, b + nbH + g + prH / 2};
        break;
    case TTurnNumberAlign::naTopCenter:
        n = {W / 2, b + nbH / 2};
        p = {W / 2, b + nbH + g + prH / 2};
        break;
    case TTurnNumberAlign::naTopRight:
        n = {W - b - nbW / 2, b + nbH / 2};
        p = {W - b - prW / 2, b + nbH + g + prH / 2};
        break;
    case TTurnNumberAlign::naBottomLeft:
        n = {b + nbW / 2, b + prH + g + nbH / 2};
        p = {b + prW / 2, b + prH / 2};
        break;
    case TTurnNumberAlign::naBottomCenter:
        n = {W / 2, b + prH + g + nbH / 2};
        p = {W / 2, b + prH / 2};
        break;
    case TTurnNumberAlign::naBottomRight:
        n = {W - b - nbW / 2, b + prH + g + nbH / 2};
        p = {W - b - prW / 2, b + prH / 2};
        break;
    case TTurnNumberAlign::naLeft:
    default:
        n = {b + nbW / 2, H / 2};
        p = {b + nbW + g + prW / 2, H / 2};
        break;
    }
    return {QSize(nbW, nbH), QSize(W, H), n, p};
}

} // namespace kestrune
