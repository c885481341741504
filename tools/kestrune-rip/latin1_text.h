#pragma once

#include <string>
#include <string_view>

namespace kestrune::rip {

// The ID3 version 1 text of a command-line text (UTF-8): Latin-1, one byte a
// character, so the tag's fixed fields cut it between characters, never inside
// one. A character Latin-1 cannot hold, and each byte of broken UTF-8, becomes
// a question mark.
std::string Latin1Text(std::string_view Utf8);

} // namespace kestrune::rip
