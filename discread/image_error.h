#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace discread {

// The two kinds of failure inside the library, told apart by type so that no
// layer has to look at another's wording.
//
// ImageError carries the whole message the caller reports: a disc image that
// cannot be opened ("Cannot open disc image ...") or a sector that cannot be
// read. It passes every layer unchanged.
class ImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// FileError is a problem with one file, its message beginning with the file's
// quoted name. It does not know which image the file belongs to, so whoever
// opens the image turns it into an ImageError that says so.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot open disc image \"Image\": Why".
[[nodiscard]] ImageError CannotOpen(const std::string& Image, std::string_view Why);

} // namespace discread
