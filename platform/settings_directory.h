#pragma once

#include <string>

namespace kestrune::platform {

// The folder for settings files the user may change, ending in a path
// separator: $XDG_CONFIG_HOME/kestrune/, else ~/.config/kestrune/. An installed
// program's own folder is not the user's to write, so settings never go there
// on Linux. The folder is created (only the user may enter it) when missing;
// when it cannot be, the name is still given and writing there fails with the
// writer's own message.
std::string SettingsDirectory();

} // namespace kestrune::platform
