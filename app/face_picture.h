#pragma once

#include <QColor>
#include <QPixmap>
#include <QRect>

namespace kestrune {

// Where the face's painted parts lie, in the picture's own coordinates (the
// picture sits two pixels in from the window's top left corner).
namespace face {
inline constexpr int Width = 312;
inline constexpr int Height = 56;
inline constexpr QRect StopFace{171, 38, 36, 15};
inline constexpr QRect AboutFace{270, 38, 36, 15};
inline constexpr QRect TickFace{280, 2, 15, 13};
inline constexpr QRect CrossFace{296, 1, 12, 13};
// The well the progress bar sits in.
inline constexpr QRect BarWell{172, 12, 134, 24};
} // namespace face

// The main window's face, 312 x 56 device-independent pixels, drawn at Ratio
// device pixels per pixel so it stays sharp on a high-density screen.
QPixmap FacePicture(qreal Ratio);

// The colour along the face's bottom edge, for what lies below the picture.
QColor FaceEdgeColour();

} // namespace kestrune
