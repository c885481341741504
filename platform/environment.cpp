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

std::optional<std::string> EnvironmentValue(const std::string& Name) {
    const char* const value = std::getenv(Name.c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

} // namespace kestrune::platform
