#pragma once

// Renders the bar's widgets as the screen would show them, and the colours the
// drawing rules give for them.

#include "platform/system_colors.h"

#include <QColor>
#include <QImage>
#include <QPoint>

#include <span>

class QWidget;

namespace kestrune::test {

// What render() leaves where the window region does not reach.
inline const QColor Outside(255, 0, 255);

// Runs the window-creation step and the re-layouts it posts.
void Settle(QWidget& Widget);

// The widget and its children, masks applied, on an Outside background.
QImage Render(QWidget& Widget);

QColor Pixel(const QImage& Image, QPoint At);
QColor Rgb(TColor Color);

// Whether a polygon region holds the pixel: its sample point, the pixel's
// top-left corner, lies inside (odd-even rule). False when the point lies on an
// edge, where OnEdge tells callers to leave the pixel out.
bool RegionHolds(std::span<const QPoint> Polygon, QPoint Pixel, bool* OnEdge = nullptr);

} // namespace kestrune::test
