#pragma once

#include "image_reader.h"

#include <memory>
#include <string>

namespace discread {

// Whether Path names a disc image by its ending (.cue, .toc, .nrg, .iso, .bin,
// in any case).
bool HasImageEnding(const std::string& Path);

// Opens a disc image of any kind the library reads, chosen by its ending.
// Raises ImageError with a message that says what is wrong.
std::unique_ptr<ImageReader> OpenDiscImage(const std::string& Path);

} // namespace discread
