#include "progressbar/angle_state.h"

#include <cmath>
#include <numbers>

namespace kestrune {

void ClassifyAngle(TAngleState& State, int NewAngle) {
    State.Angle = NewAngle;
    const double radians = NewAngle * std::numbers::pi / 1800.0;
    State.SinA = std::sin(radians);
    State.CosA = std::cos(radians);
    const double diagonal = 1.0 / std::sqrt(2.0);
    if (State.SinA >= 0) {
        State.Quadrant = State.CosA >= 0 ? 1 : 2;
    } else {
        State.Quadrant = State.CosA < 0 ? 3 : 4;
    }
    switch (State.Quadrant) {
    case 1:
        State.Octant = State.SinA <= diagonal ? 1 : 2;
        break;
    case 2:
        State.Octant = State.SinA <= diagonal ? 4 : 3;
        break;
    case 3:
        State.Octant = State.SinA < -diagonal ? 6 : 5;
        break;
    default:
        State.Octant = State.SinA < -diagonal ? 7 : 8;
        break;
    }
}

} // namespace kestrune
