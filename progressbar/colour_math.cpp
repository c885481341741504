#include "progressbar/colour_math.h"

#include <algorithm>
#include <cstdint>

namespace kestrune {

namespace {

int Channel(TColor Rgb, int Shift) {
    return static_cast<int>((static_cast<std::uint32_t>(Rgb) >> Shift) & 0xFF);
}

TColor Shifted(TColor Color, int Step, const QPalette& Palette) {
    const TColor rgb = platform::ResolveColor(Color, Palette);
    const auto shift = [&](int Shift) { return std::clamp(Channel(rgb, Shift) + Step, 0, 255); };
    return RGBColor(shift(0), shift(8), shift(16));
}

} // namespace

TColor LightenColor(TColor Color, const QPalette& Palette) {
    return Shifted(Color, 32, Palette);
}

TColor DarkenColor(TColor Color, const QPalette& Palette) {
    return Shifted(Color, -32, Palette);
}

TColor BlendColors(TColor From, TColor To, int Percent, const QPalette& Palette) {
    const TColor from = platform::ResolveColor(From, Palette);
    const TColor to = platform::ResolveColor(To, Palette);
    std::uint32_t result = static_cast<std::uint32_t>(from) & 0xFF000000u;
    for (const int shift : {0, 8, 16}) {
        const int a = Channel(from, shift);
        const int b = Channel(to, shift);
        // Integer division truncates toward zero, as the shades rely on.
        const int blended = a + ((b - a) * Percent) / 100;
        result |= (static_cast<std::uint32_t>(blended) & 0xFF) << shift;
    }
    return static_cast<TColor>(result);
}

} // namespace kestrune
