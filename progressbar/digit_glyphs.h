#pragma once

// The polygon glyphs of the digits 0 to 9: strokes about a quarter of the
// cell wide with bevelled corners; the alternate fill rule cuts the holes.

#include <QPoint>

#include <vector>

namespace kestrune {

struct TDigitCell {
    int Left;   // x0
    int Top;    // a
    int Width;  // e
    int Height; // d
};

// The glyph of Digit (0..9) in Cell, in drawing order; empty for other values.
std::vector<QPoint> DigitGlyph(int Digit, const TDigitCell& Cell);

} // namespace kestrune
