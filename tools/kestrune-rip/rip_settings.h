#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrune::rip {

// kestrune-rip's own settings: kestrune-rip.ini in the settings folder,
// which the user may edit and the program writes (the drives' read offsets).

// Its path; none when there is no settings folder.
std::optional<std::string> RipSettingsFile();

// The value of Key in [Section]; none when it is not set or there are no
// settings. Raises platform::IniWriteError for a file that cannot be read.
std::optional<std::string> RipSetting(std::string_view Section, std::string_view Key);

} // namespace kestrune::rip
