#pragma once

// The two bevel rings of a turned frame.

#include "platform/system_colors.h"
#include "progressbar/angle_state.h"
#include "progressbar/turn_types.h"

#include <QSize>

#include <array>
#include <vector>

class QPainter;
class QPalette;

namespace kestrune {

struct TBevelFill {
    std::array<QPoint, 6> Points; // an L-shaped hexagon, placed in the window
    TColor Color;                 // RGB
};

// The hexagons that paint the rings of a W x H frame in a window of the given
// size, in the order they are filled (later ones win on shared edges). A ring
// of width 0 or kind bkNone has none and takes no room.
std::vector<TBevelFill> BevelRingFills(TColor Base, int W, int H, const TAngleState& State,
                                       QSize Window, TBevel Outer, TBevel Inner,
                                       const QPalette& Palette);

void PaintBevelRings(QPainter& Painter, TColor Base, int W, int H, const TAngleState& State,
                     QSize Window, TBevel Outer, TBevel Inner, const QPalette& Palette);

} // namespace kestrune
