#include "platform/settings_directory.h"

#include "platform/program_directory.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace kestrune::platform {

namespace {

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        return home;
    }
    // Started without HOME (by a service, say): the password database knows.
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return {};
}

std::string ConfigurationHome() {
    // A relative XDG_CONFIG_HOME is to be ignored, as the XDG base directory rules say.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        return config;
    }
    // A home that does not exist (/nonexistent, as service accounts have) is
    // not made: only the folders below it are.
    const std::string home = HomeDirectory();
    std::error_code error;
    return home.empty() || !std::filesystem::is_directory(home, error) ? std::string()
                                                                       : home + "/.config";
}

} // namespace

std::optional<std::string> SettingsDirectory() {
    const std::string base = ConfigurationHome();
    if (base.empty()) {
        return std::nullopt;
    }
    const std::filesystem::path folder = std::filesystem::path(base) / "kestrune";
    std::error_code error;
    if (std::filesystem::create_directories(folder, error)) {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
    }
    if (!std::filesystem::is_directory(folder, error)) {
        return std::nullopt;
    }
    return folder.string() + PathSeparator;
}

} // namespace kestrune::platform
