#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace kestrune::platform {

// Whether Name is the name of a temporary file an output is written to:
// ".NAME.xxxxxxxx.part", x a lower-case letter or a digit.
[[nodiscard]] bool IsPartName(std::string_view Name);

// A part older than this that nobody holds is left over from a writer that
// died; a younger one may belong to a writer that has made it and not yet
// locked it.
inline constexpr std::chrono::seconds StalePartAge{60};

// Removes from Folder the temporary files whose writer has gone: a process
// killed mid-rip left them, hidden and several megabytes each. A writer holds
// an exclusive lock on its part while it writes, so a part that can be locked
// and has not changed for StalePartAge is left over. Nothing but such parts
// is touched; a folder that cannot be read is left alone.
void RemoveStaleParts(const std::string& Folder);

} // namespace kestrune::platform
