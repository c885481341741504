#include "progressbar/frame_fit.h"

#include "progressbar/rotation.h"

#include <cmath>

namespace kestrune {

namespace {

int Round(double Value) {
    return static_cast<int>(std::lrint(Value));
}

} // namespace

TFrameFit FitFrame(int W, int H, const TAngleState& State) {
    const double s = std::fabs(State.SinA);
    const double c = std::fabs(State.CosA);
    TFrameFit fit;
    if (State.Quadrant == 2 || State.Quadrant == 4) {
        fit.ShapePoints = {QPoint(0, Round(H * c)), QPoint(Round(W * c), Round(W * s + H * c)),
                           QPoint(Round(W * c + H * s), Round(W * s)), QPoint(Round(H * s), 0)};
    } else {
        fit.ShapePoints = {QPoint(0, Round(W * s)), QPoint(Round(H * s), Round(H * c + W * s)),
                           QPoint(Round(H * s + W * c), Round(H * c)), QPoint(Round(W * c), 0)};
    }
    fit.Size = QSize(fit.ShapePoints[2].x(), fit.ShapePoints[1].y());
    return fit;
}

void PlacePoints(std::span<QPoint> Points, int W, int H, int Angle, QSize Window) {
    RotatePointsAround(Points, W / 2, H / 2, Angle);
    OffsetPoints(Points, (Window.width() - W) / 2, (Window.height() - H) / 2);
}

} // namespace kestrune
