#include "image_error.h"

namespace discread {

ImageError CannotOpen(const std::string& Image, std::string_view Why) {
    std::string message = "Cannot open disc image \"" + Image + "\": ";
    message += Why;
    return ImageError(message);
}

} // namespace discread
