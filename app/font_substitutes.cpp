#include "app/font_substitutes.h"

#include <QFont>
#include <QStringList>

namespace kestrune {

void SubstituteMissingFonts() {
    QFont::insertSubstitutions("MS Sans Serif", {"Liberation Sans", "DejaVu Sans", "Sans Serif"});
    // Terminus comes scalable as "Terminus (TTF)" and as bitmap strikes in
    // "Terminus", which fontconfig may be told to hide.
    QFont::insertSubstitutions("Terminal",
                               {"Terminus (TTF)", "Terminus", "DejaVu Sans Mono", "Monospace"});
}

} // namespace kestrune
