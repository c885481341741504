#pragma once

// Filled polygons as the window system's polygon regions give them: a pixel
// belongs to the polygon when its centre lies inside (alternate/odd-even rule),
// so an axis-aligned rectangle (l, t)-(r, b) covers columns l..r-1 and rows
// t..b-1. Painter polygons differ on slanted edges; the controls' shapes and
// fills are built on this rule, so they go through here.

#include <QPoint>
#include <QRegion>

#include <span>

class QColor;
class QPainter;

namespace kestrune::platform {

QRegion PolygonRegion(std::span<const QPoint> Points);

// Fills the region of Points with a solid colour, rectangle by rectangle.
void FillPolygonRegion(QPainter& Painter, std::span<const QPoint> Points, const QColor& Color);

} // namespace kestrune::platform
