#pragma once

#include <string>
#include <vector>

namespace discread {

// The files a disc image consists of: the image or sheet itself, the data file
// the reader takes for a cue sheet (<name>.bin beside it), and every file a cue
// or toc sheet names, resolved from the sheet's folder. Names that do not exist
// are listed too; callers compare existing files only.
std::vector<std::string> ImageFiles(const std::string& Path);

} // namespace discread
