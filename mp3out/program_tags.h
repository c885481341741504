#pragma once

// The texts the program puts into the ID3 tag of every file it writes.
namespace kestrune {

inline constexpr const char* ProgramTagComment = "Velmora DG [Ostin] - Kestrune";
inline constexpr const char* ProgramTagAlbum = "www.velmora.example";

} // namespace kestrune
