#pragma once

// Turning integer points. Angles are in tenths of a degree, counter-clockwise
// on the screen (y grows downward); coordinates are rounded to the nearest
// integer, halves to even.

#include <QPoint>

#include <span>

namespace kestrune {

// About the origin; each point is rounded on its own.
void RotatePoints(std::span<QPoint> Points, int Angle);

// About (PivotX, PivotY): the points are turned about the origin, then moved
// by the pivot's exact displacement, rounded once for all points.
void RotatePointsAround(std::span<QPoint> Points, int PivotX, int PivotY, int Angle);

void OffsetPoints(std::span<QPoint> Points, int Dx, int Dy);

} // namespace kestrune
