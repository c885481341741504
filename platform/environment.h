#pragma once

#include <string>

namespace kestrune::platform {

// Sets a variable of the process environment, for this process and the ones it starts.
void SetEnvironment(const std::string& Name, const std::string& Value);

} // namespace kestrune::platform
