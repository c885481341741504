#pragma once

// A control's angle with the values its drawing derives from it.

namespace kestrune {

struct TAngleState {
    int Angle = 0; // tenths of a degree, counter-clockwise
    double SinA = 0.0;
    double CosA = 1.0;
    int Quadrant = 1; // 1..4, counter-clockwise from 0 degrees
    int Octant = 1;   // 1..8, likewise
};

// Stores NewAngle and classifies it by its sine and cosine, so that angles
// past a full turn or below zero land where they point.
void ClassifyAngle(TAngleState& State, int NewAngle);

} // namespace kestrune
