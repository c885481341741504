#include "platform/polygon_region.h"

#include <QColor>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <optional>

namespace kestrune::platform {

namespace {

// The rectangle an axis-aligned four-corner polygon stands for, if it is one.
// Bars and bevels at right angles are mostly such rectangles; they skip the
// general region conversion.
std::optional<QRect> AsRectangle(std::span<const QPoint> Points) {
    if (Points.size() != 4) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        const QPoint& a = Points[i];
        const QPoint& b = Points[(i + 1) % 4];
        if (a.x() != b.x() && a.y() != b.y()) {
            return std::nullopt;
        }
    }
    // Consecutive corners must alternate between horizontal and vertical
    // steps, or the four points do not enclose a rectangle.
    const bool firstHorizontal = Points[0].y() == Points[1].y();
    for (std::size_t i = 0; i < 4; ++i) {
        const bool horizontal = Points[i].y() == Points[(i + 1) % 4].y();
        const bool vertical = Points[i].x() == Points[(i + 1) % 4].x();
        const bool expectHorizontal = (i % 2 == 0) == firstHorizontal;
        if (expectHorizontal ? !horizontal : !vertical) {
            return std::nullopt;
        }
    }
    const auto [minX, maxX] = std::minmax({Points[0].x(), Points[1].x(), Points[2].x()});
    const auto [minY, maxY] = std::minmax({Points[0].y(), Points[1].y(), Points[2].y()});
    return QRect(minX, minY, maxX - minX, maxY - minY);
}

} // namespace

QRegion PolygonRegion(std::span<const QPoint> Points) {
    if (Points.size() < 3) {
        return {};
    }
    if (const auto rectangle = AsRectangle(Points)) {
        return rectangle->isEmpty() ? QRegion() : QRegion(*rectangle);
    }
    return QRegion(QPolygon(QList<QPoint>(Points.begin(), Points.end())), Qt::OddEvenFill);
}

void FillPolygonRegion(QPainter& Painter, std::span<const QPoint> Points, const QColor& Color) {
    if (Points.size() < 3) {
        return;
    }
    if (const auto rectangle = AsRectangle(Points)) {
        if (!rectangle->isEmpty()) {
            Painter.fillRect(*rectangle, Color);
        }
        return;
    }
    const QRegion region = PolygonRegion(Points);
    for (const QRect& rectangle : region) {
        Painter.fillRect(rectangle, Color);
    }
}

} // namespace kestrune::platform
