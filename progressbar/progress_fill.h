#pragma once

// What the progress field fills, as polygons in its unturned frame.

#include "platform/system_colors.h"
#include "progressbar/turn_types.h"

#include <vector>

class QPalette;

namespace kestrune {

struct TProgressFillSettings {
    int Width = 100; // fill area, unturned
    int Height = 16;
    int Percent = 0; // 0..100
    int Inset = 0;   // the fill area's distance from the frame's edges
    TTurnProgressKind Kind = TTurnProgressKind::pkSimple;
    TColor MainColor = 0;
    TColor ControlColor = 0;
    int PartsNumber = 20;
};

struct TFillPiece {
    T4points Points; // frame coordinates; the caller places them in its window
    TColor Color;    // RGB
};

// The pieces of the fill in painting order. pkUser has none: its area goes to
// the user's handler instead (FillAreaCorners).
std::vector<TFillPiece> ProgressFillPieces(const TProgressFillSettings& Settings,
                                           const QPalette& Palette);

// The whole fill area's corners, clockwise from the top left.
T4points FillAreaCorners(const TProgressFillSettings& Settings);

} // namespace kestrune
