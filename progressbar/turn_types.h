#pragma once

// The settings' types shared by the progress bar and its two fields.

#include <QPoint>

#include <array>
#include <functional>

namespace kestrune {

// Where the number sits against the bar, in the bar's own turned frame.
enum class TTurnNumberAlign {
    naLeft,
    naRight,
    naTopLeft,
    naTopCenter,
    naTopRight,
    naBottomLeft,
    naBottomCenter,
    naBottomRight
};

enum class TTurnBevelKind { bkUP, bkDown, bkNone };

enum class TTurnNumberKind { nkSegment, nkFont, nkNone };

enum class TTurnProgressKind { pkSimple, pkUser, pkParts, pkGradient, pkRelief };

// The corners of a turned rectangle.
using T4points = std::array<QPoint, 4>;

// Draws a user-painted bar; RotatedRectPoints are the fill area's corners.
using TTurnPaintProcedure = std::function<void(const T4points& RotatedRectPoints)>;

// One ring of a bevelled frame.
struct TBevel {
    int Width = 0;
    TTurnBevelKind Kind = TTurnBevelKind::bkUP;
    bool operator==(const TBevel&) const = default;
};

// Gap plus the widths of the rings that are drawn.
constexpr int BevelThickness(int Gap, TBevel Outer, TBevel Inner) {
    return Gap + (Outer.Kind != TTurnBevelKind::bkNone ? Outer.Width : 0) +
           (Inner.Kind != TTurnBevelKind::bkNone ? Inner.Width : 0);
}

} // namespace kestrune
