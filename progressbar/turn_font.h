#pragma once

// A font as the number field writes with it: the face and its colour.

#include "platform/system_colors.h"

#include <QFont>
#include <QString>

namespace kestrune {

struct TTurnFont {
    QFont Font;
    TColor Color = clWindowText;
    bool operator==(const TTurnFont&) const = default;
};

// Point sizes become pixels at 96 dots per inch whatever the screen, so the
// bar has the same size everywhere (12 points are 16 pixels).
constexpr int PointsToPixels(int Points) {
    return (Points * 96 + 36) / 72;
}

TTurnFont MakeTurnFont(const QString& Family, int PixelHeight);

} // namespace kestrune
