#pragma once

#include "image_reader.h"

#include <memory>
#include <string>

namespace discread {

// Opens a cdrdao .toc sheet and the files it names. Raises ImageError with a
// message that says what is wrong ("Cannot open disc image ...: ...").
std::unique_ptr<ImageReader> OpenTocSheet(const std::string& Path);

} // namespace discread
