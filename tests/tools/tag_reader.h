#pragma once

#include <map>
#include <string>

namespace kestrune::test {

// The ID3 version 2 tag of an MP3 file as a reader that is not ours (mutagen)
// sees it: "version" is "2.4.0" and so on, each frame's key (TIT2, TXXX:Desc,
// UFID:owner) maps to its text, values joined with "/". Empty when the file
// has no such tag.
std::map<std::string, std::string> ReadId3v2(const std::string& File);

} // namespace kestrune::test
