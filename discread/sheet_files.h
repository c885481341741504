#pragma once

#include <string>

namespace discread {

// A sheet's text as the parsers want it: without a UTF-8 byte-order mark,
// with LF line ends, and ending in one. Raises ImageError when Path is not a
// regular file or is larger than any sheet.
std::string ReadSheet(const std::string& Path);

// The folder part of Path, with its trailing '/'; empty for a bare name.
std::string FolderOf(const std::string& Path);

// Finds the file a sheet names: relative names from the sheet's folder; the
// exact name first, then one that differs only in case (sheets written on
// Windows often do), then the bare name beside the sheet (for a Windows
// path). Empty when none of them exists.
std::string FindNamedFile(const std::string& Sheet, const std::string& Name);

} // namespace discread
