#pragma once

// Fitting a window to its turned frame.

#include "progressbar/angle_state.h"
#include "progressbar/turn_types.h"

#include <QSize>

#include <span>

namespace kestrune {

struct TFrameFit {
    T4points ShapePoints; // the turned frame's corners: the window's shape
    QSize Size;           // the turned frame's bounding box: the window's size
};

// The shape and size of a window that holds a W x H frame turned by State.
TFrameFit FitFrame(int W, int H, const TAngleState& State);

// Carries frame points into the window: turned about the frame's centre, then
// moved so that centre sits on the window's centre.
void PlacePoints(std::span<QPoint> Points, int W, int H, int Angle, QSize Window);

} // namespace kestrune
