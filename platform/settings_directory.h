#pragma once

#include <optional>
#include <string>

namespace kestrune::platform {

// The folder for settings files the user may change, ending in a path
// separator: $XDG_CONFIG_HOME/kestrune/, else ~/.config/kestrune/. An installed
// program's own folder is not the user's to write, so settings never go there
// on Linux. The folder is created (only the user may enter it) when missing.
// None when there is no such folder and none can be made (no home folder, a service account
// whose home does not exist, XDG_CONFIG_HOME naming a file): the program then
// goes on without settings files. A folder that exists but cannot be written
// is still given, and writing there fails with the writer's own message.
[[nodiscard]] std::optional<std::string> SettingsDirectory();

} // namespace kestrune::platform
