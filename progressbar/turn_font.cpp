#include "progressbar/turn_font.h"

namespace kestrune {

TTurnFont MakeTurnFont(const QString& Family, int PixelHeight) {
    TTurnFont font;
    font.Font.setFamily(Family);
    font.Font.setPixelSize(PixelHeight);
    return font;
}

} // namespace kestrune
