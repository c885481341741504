#include "platform/environment.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace kestrune::platform {

void SetEnvironment(const std::string& Name, const std::string& Value) {
    if (::setenv(Name.c_str(), Value.c_str(), 1) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot set " + Name);
    }
}

} // namespace kestrune::platform
