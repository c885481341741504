#include "tests/progressbar/render.h"

#include "platform/system_colors.h"

#include <QCoreApplication>
#include <QWidget>

namespace kestrune::test {

void Settle(QWidget& Widget) {
    Widget.ensurePolished();
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
    }
}

QImage Render(QWidget& Widget) {
    Settle(Widget);
    QImage image(Widget.size(), QImage::Format_RGB32);
    image.fill(Outside);
    Widget.render(&image);
    return image;
}

QColor Pixel(const QImage& Image, QPoint At) {
    return QColor(Image.pixel(At));
}

QColor Rgb(TColor Color) {
    return platform::ToQColor(Color);
}

bool RegionHolds(std::span<const QPoint> Polygon, QPoint Pixel, bool* OnEdge) {
    const long long px = Pixel.x();
    const long long py = Pixel.y();
    bool inside = false;
    bool edge = false;
    for (std::size_t i = 0, j = Polygon.size() - 1; i < Polygon.size(); j = i++) {
        const long long xi = Polygon[i].x();
        const long long yi = Polygon[i].y();
        const long long xj = Polygon[j].x();
        const long long yj = Polygon[j].y();
        const long long cross = (xj - xi) * (py - yi) - (yj - yi) * (px - xi);
        if (cross == 0 && std::min(xi, xj) <= px && px <= std::max(xi, xj) &&
            std::min(yi, yj) <= py && py <= std::max(yi, yj)) {
            edge = true;
        }
        if ((yi > py) != (yj > py)) {
            // x where the edge crosses the horizontal line through the centre.
            const long double crossX =
                xi + static_cast<long double>(xj - xi) * (py - yi) / (yj - yi);
            if (px < crossX) {
                inside = !inside;
            }
        }
    }
    if (OnEdge != nullptr) {
        *OnEdge = edge;
    }
    return inside && !edge;
}

} // namespace kestrune::test
