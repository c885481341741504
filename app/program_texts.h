#pragma once

#include "mp3out/program_tags.h"

// The names and addresses the program shows.
namespace kestrune {

inline constexpr const char* ProgramTitle = "Kestrune";
inline constexpr const char* MakerName = "Velmora DG";
// Written without a scheme, as the About box shows it; the shell resolves it.
inline constexpr const char* MakerWebAddress = ProgramTagAlbum;
inline constexpr const char* MakerEmail = "kestrune@velmora.example";

} // namespace kestrune
