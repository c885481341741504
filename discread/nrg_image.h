#pragma once

#include "image_reader.h"

#include <memory>
#include <string>

namespace discread {

// Opens a Nero image (.nrg, versions 1 and 2). Every offset and length in it
// is checked against the file before it is used. Raises ImageError saying
// what is wrong, or FileError when the file itself cannot be read.
std::unique_ptr<ImageReader> OpenNrgImage(const std::string& Path);

// Opens an ISO 9660 image (.iso) as a disc with one data track.
std::unique_ptr<ImageReader> OpenIsoImage(const std::string& Path);

} // namespace discread
