#include "progressbar/rotation.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace kestrune {

namespace {

double Radians(int Angle) {
    return Angle * std::numbers::pi / 1800.0;
}

int Round(double Value) {
    return static_cast<int>(std::lrint(Value));
}

// The direction of (x, y) as seen on the screen, y pointing down.
double Direction(int X, int Y) {
    if (X != 0) {
        return std::atan2(-static_cast<double>(Y), static_cast<double>(X));
    }
    return Y > 0 ? -std::numbers::pi / 2 : std::numbers::pi / 2;
}

// Computed in 64 bits: a 32-bit sum would overflow for coordinates past 46340.
double Radius(int X, int Y) {
    const std::int64_t x = X;
    const std::int64_t y = Y;
    return std::sqrt(static_cast<double>(x * x + y * y));
}

} // namespace

void RotatePoints(std::span<QPoint> Points, int Angle) {
    for (QPoint& point : Points) {
        const double r = Radius(point.x(), point.y());
        if (Round(r) == 0) {
            continue;
        }
        const double g = Direction(point.x(), point.y()) + Radians(Angle);
        point = QPoint(Round(r * std::cos(g)), -Round(r * std::sin(g)));
    }
}

void RotatePointsAround(std::span<QPoint> Points, int PivotX, int PivotY, int Angle) {
    RotatePoints(Points, Angle);
    double dx = 0.0;
    double dy = 0.0;
    const double rp = Radius(PivotX, PivotY);
    if (Round(rp) != 0) {
        const double g = Direction(PivotX, PivotY) + Radians(Angle);
        dx = PivotX - rp * std::cos(g);
        dy = PivotY + rp * std::sin(g);
    }
    OffsetPoints(Points, Round(dx), Round(dy));
}

void OffsetPoints(std::span<QPoint> Points, int Dx, int Dy) {
    for (QPoint& point : Points) {
        point += QPoint(Dx, Dy);
    }
}

} // namespace kestrune
