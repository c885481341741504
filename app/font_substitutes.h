#pragma once

namespace kestrune {

// The window's stored font names are faces of another system. They keep their
// names; this maps them to installed faces that look the part: a plain sans
// for "MS Sans Serif" and a bold monospaced screen font for "Terminal".
void SubstituteMissingFonts();

} // namespace kestrune
