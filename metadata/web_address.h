#pragma once

#include <string>

namespace kestrune::metadata {

// A service's base address as users write it, with or without a final
// slash, ready to have a path put after it.
std::string WithoutTrailingSlash(std::string BaseUrl);

} // namespace kestrune::metadata
