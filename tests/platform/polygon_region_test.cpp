// Polygon fills follow the region rule the bar's shapes are built on, on the
// rectangle shortcut and on the general path alike.

#include "platform/polygon_region.h"
#include "platform/system_colors.h"

#include <QImage>
#include <QPainter>
#include <QPalette>

#include <gtest/gtest.h>

#include <vector>

namespace kestrune::test {
namespace {

QImage Filled(const std::vector<QPoint>& Points, QSize Size = QSize(16, 16)) {
    QImage image(Size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    platform::FillPolygonRegion(painter, Points, Qt::black);
    return image;
}

int BlackPixels(const QImage& Image) {
    int count = 0;
    for (int y = 0; y < Image.height(); ++y) {
        for (int x = 0; x < Image.width(); ++x) {
            count += QColor(Image.pixel(x, y)) == Qt::black ? 1 : 0;
        }
    }
    return count;
}

TEST(PolygonRegion, AnAxisAlignedRectangleLeavesOutItsRightColumnAndBottomRow) {
    for (const auto& corners : std::vector<std::vector<QPoint>>{
             {{2, 3}, {7, 3}, {7, 9}, {2, 9}},    // clockwise
             {{2, 3}, {2, 9}, {7, 9}, {7, 3}},    // counter-clockwise
             {{7, 9}, {2, 9}, {2, 3}, {7, 3}}}) { // from another corner
        const QImage image = Filled(corners);
        EXPECT_EQ(BlackPixels(image), 5 * 6);
        EXPECT_EQ(QColor(image.pixel(2, 3)), Qt::black);
        EXPECT_EQ(QColor(image.pixel(6, 8)), Qt::black);
        EXPECT_EQ(QColor(image.pixel(7, 8)), Qt::white);
        EXPECT_EQ(QColor(image.pixel(6, 9)), Qt::white);
        EXPECT_EQ(platform::PolygonRegion(corners), QRegion(2, 3, 5, 6));
    }
}

TEST(PolygonRegion, TheRectangleShortcutGivesWhatTheGeneralRegionGives) {
    const std::vector<QPoint> rectangle = {{1, 2}, {11, 2}, {11, 6}, {1, 6}};
    const QRegion general(QPolygon(QList<QPoint>(rectangle.begin(), rectangle.end())),
                          Qt::OddEvenFill);
    EXPECT_EQ(platform::PolygonRegion(rectangle), general);
}

TEST(PolygonRegion, EmptyAndDegenerateShapesFillNothing) {
    EXPECT_EQ(BlackPixels(Filled({})), 0);
    EXPECT_EQ(BlackPixels(Filled({{3, 3}, {3, 3}, {3, 10}, {3, 10}})), 0);
    EXPECT_EQ(BlackPixels(Filled({{1, 1}, {9, 9}})), 0);
}

TEST(PolygonRegion, OnSlantedEdgesAPixelBelongsWhenItsTopLeftCornerIsInside) {
    const std::vector<QPoint> triangle = {{1, 1}, {14, 4}, {4, 13}};
    const QImage image = Filled(triangle);
    for (int y = 2; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const auto side = [&](QPoint a, QPoint b) {
                return (b.x() - a.x()) * (y - a.y()) - (b.y() - a.y()) * (x - a.x());
            };
            const int s1 = side(triangle[0], triangle[1]);
            const int s2 = side(triangle[1], triangle[2]);
            const int s3 = side(triangle[2], triangle[0]);
            if (s1 * s2 * s3 == 0) {
                continue; // on an edge
            }
            const bool inside = (s1 > 0 && s2 > 0 && s3 > 0) || (s1 < 0 && s2 < 0 && s3 < 0);
            EXPECT_EQ(QColor(image.pixel(x, y)) == Qt::black, inside) << x << "," << y;
        }
    }
    // The pixel whose centre is inside but whose corner is not stays out.
    EXPECT_EQ(QColor(image.pixel(6, 2)), Qt::white);
}

TEST(PolygonRegion, SelfOverlappingLoopsAreHolesUnderTheAlternateRule) {
    // An outer square traced, then an inner square traced back to the start.
    const QImage image = Filled(
        {{1, 1}, {13, 1}, {13, 13}, {1, 13}, {1, 1}, {4, 4}, {4, 10}, {10, 10}, {10, 4}, {4, 4}});
    EXPECT_EQ(QColor(image.pixel(2, 2)), Qt::black);
    EXPECT_EQ(QColor(image.pixel(7, 7)), Qt::white);
    EXPECT_EQ(QColor(image.pixel(11, 11)), Qt::black);
}

TEST(SystemColors, ASystemColourIsLookedUpInThePaletteAndOthersPassThrough) {
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Base, QColor(10, 20, 30));
    palette.setColor(QPalette::Active, QPalette::Button, QColor(40, 50, 60));
    EXPECT_EQ(platform::ResolveColor(clWindow, palette), RGBColor(10, 20, 30));
    EXPECT_EQ(platform::ResolveColor(clBtnFace, palette), RGBColor(40, 50, 60));
    EXPECT_EQ(platform::ResolveColor(RGBColor(188, 205, 180), palette), 11849148);
    EXPECT_FALSE(IsSystemColor(platform::ResolveColor(SystemColor(200), palette)));
    EXPECT_EQ(platform::ToQColor(4227072), QColor(0, 128, 64));
}

} // namespace
} // namespace kestrune::test
