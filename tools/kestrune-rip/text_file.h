#pragma once

#include <string>

namespace kestrune::rip {

// Writes Text to File as every file is written: whole, or not at all (a file
// of that name stays as it was). Raises std::system_error naming the file.
void WriteTextFile(const std::string& File, const std::string& Text);

} // namespace kestrune::rip
