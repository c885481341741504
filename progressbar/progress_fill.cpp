#include "progressbar/progress_fill.h"

#include "progressbar/colour_math.h"

#include <cmath>

namespace kestrune {

namespace {

T4points Box(int Left, int Top, int Right, int Bottom) {
    return {QPoint(Left, Top), QPoint(Right, Top), QPoint(Right, Bottom), QPoint(Left, Bottom)};
}

int Round(double Value) {
    return static_cast<int>(std::lrint(Value));
}

void AddParts(std::vector<TFillPiece>& Pieces, const TProgressFillSettings& S, TColor Main) {
    const double part = static_cast<double>(S.Width) / S.PartsNumber;
    // In 64 bits: a large parts number must not overflow the product.
    const auto count = static_cast<int>((static_cast<long long>(S.Percent) * S.PartsNumber) / 100);
    // A region leaves out its right column, which opens a one-pixel gap
    // between neighbouring parts.
    for (int i = 1; i <= count; ++i) {
        const int x0 = S.Inset + Round((i - 1) * part);
        const int x1 = S.Inset + Round(i * part - 1);
        Pieces.push_back({Box(x0, S.Inset, x1, S.Inset + S.Height), Main});
    }
}

void AddGradient(std::vector<TFillPiece>& Pieces, const TProgressFillSettings& S, int Filled,
                 const QPalette& Palette) {
    // Recomputed for each length, so the leading column is always the main colour.
    for (int i = 1; i <= Filled; ++i) {
        const TColor colour =
            BlendColors(S.MainColor, S.ControlColor, ((Filled - i) * 100) / Filled, Palette);
        Pieces.push_back({Box(S.Inset + i - 1, S.Inset, S.Inset + i, S.Inset + S.Height), colour});
    }
}

void AddRelief(std::vector<TFillPiece>& Pieces, const TProgressFillSettings& S, int Filled,
               const QPalette& Palette) {
    const TColor light = LightenColor(LightenColor(S.MainColor, Palette), Palette);
    const TColor dark = DarkenColor(DarkenColor(S.MainColor, Palette), Palette);
    for (int d = 1; d <= S.Height; ++d) {
        const TColor colour = BlendColors(light, dark, (d * 100) / S.Height, Palette);
        Pieces.push_back({Box(S.Inset, S.Inset + d - 1, S.Inset + Filled, S.Inset + d), colour});
    }
}

} // namespace

std::vector<TFillPiece> ProgressFillPieces(const TProgressFillSettings& S,
                                           const QPalette& Palette) {
    std::vector<TFillPiece> pieces;
    const auto filled = static_cast<int>((static_cast<long long>(S.Width) * S.Percent) / 100);
    switch (S.Kind) {
    case TTurnProgressKind::pkSimple:
        pieces.push_back({Box(S.Inset, S.Inset, S.Inset + filled, S.Inset + S.Height),
                          platform::ResolveColor(S.MainColor, Palette)});
        break;
    case TTurnProgressKind::pkUser:
        break;
    case TTurnProgressKind::pkParts:
        AddParts(pieces, S, platform::ResolveColor(S.MainColor, Palette));
        break;
    case TTurnProgressKind::pkGradient:
        AddGradient(pieces, S, filled, Palette);
        break;
    case TTurnProgressKind::pkRelief:
        AddRelief(pieces, S, filled, Palette);
        break;
    }
    return pieces;
}

T4points FillAreaCorners(const TProgressFillSettings& S) {
    return Box(S.Inset, S.Inset, S.Inset + S.Width, S.Inset + S.Height);
}

} // namespace kestrune
