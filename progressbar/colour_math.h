#pragma once

// Shades and blends for bevels and fills. Every routine first turns a system
// colour into its current RGB value, so none of the results names one.

#include "platform/system_colors.h"

class QPalette;

namespace kestrune {

// 32 lighter in each channel, held at 255.
TColor LightenColor(TColor Color, const QPalette& Palette);
// 32 darker in each channel, held at 0.
TColor DarkenColor(TColor Color, const QPalette& Palette);
// Percent of the way from From to To, each channel truncated toward zero and
// kept to a byte; keeps the top byte of From.
TColor BlendColors(TColor From, TColor To, int Percent, const QPalette& Palette);

} // namespace kestrune
