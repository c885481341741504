#pragma once

#include <optional>
#include <string>

namespace kestrune::platform {

// Sets a variable of the process environment, for this process and the ones it starts.
void SetEnvironment(const std::string& Name, const std::string& Value);

// The value of a variable of the process environment; none when it is not set.
[[nodiscard]] std::optional<std::string> EnvironmentValue(const std::string& Name);

} // namespace kestrune::platform
