#include "tools/kestrune-rip/rip_settings.h"

#include "platform/ini_file.h"
#include "platform/settings_directory.h"

namespace kestrune::rip {

std::optional<std::string> RipSettingsFile() {
    const std::optional<std::string> folder = platform::SettingsDirectory();
    if (!folder) {
        return std::nullopt;
    }
    return *folder + "kestrune-rip.ini";
}

std::optional<std::string> RipSetting(std::string_view Section, std::string_view Key) {
    const std::optional<std::string> file = RipSettingsFile();
    return file ? platform::ReadIniString(*file, Section, Key) : std::nullopt;
}

} // namespace kestrune::rip
