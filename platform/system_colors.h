#pragma once

// Colour values as the controls store them: 32 bits, red in the lowest byte,
// then green, then blue. A value with the top bit set names a system colour
// (top byte 0xFF, index in the low byte); it has no RGB value of its own and is
// looked up in the widget's palette whenever it is drawn or mixed.

#include <cstdint>

class QColor;
class QPalette;

namespace kestrune {

using TColor = std::int32_t;

constexpr TColor SystemColor(int Index) {
    return static_cast<TColor>(0xFF000000u | static_cast<std::uint32_t>(Index & 0xFF));
}

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

constexpr TColor RGBColor(int Red, int Green, int Blue) {
    return static_cast<TColor>((static_cast<std::uint32_t>(Red) & 0xFF) |
                               ((static_cast<std::uint32_t>(Green) & 0xFF) << 8) |
                               ((static_cast<std::uint32_t>(Blue) & 0xFF) << 16));
}

constexpr bool IsSystemColor(TColor Color) {
    return Color < 0;
}

namespace platform {

// The RGB value of Color: a system colour is replaced by the palette's current
// colour for it (an index without a palette role gets a fixed grey), any other
// value comes back unchanged.
TColor ResolveColor(TColor Color, const QPalette& Palette);

// The QColor of an RGB value's low three bytes.
QColor ToQColor(TColor Rgb);

} // namespace platform

} // namespace kestrune
