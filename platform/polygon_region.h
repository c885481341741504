#pragma once

// Filled polygons as polygon regions give them (alternate/odd-even rule): the
// pixel (x, y) belongs to the polygon when the point (x, y) lies inside, left
// and top edges included. An axis-aligned rectangle (l, t)-(r, b) thus covers
// columns l..r-1 and rows t..b-1, as if pixel centres were tested. Painter
// polygons differ on slanted edges; the controls' shapes and fills are built on
// this rule, so they go through here.

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
