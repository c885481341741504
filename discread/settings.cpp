#include "settings.h"

#include "last_error.h"
#include "regular_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <sstream>
#include <string_view>

namespace discread {

namespace {

std::string_view Trim(std::string_view Text) {
    while (!Text.empty() && std::isspace(static_cast<unsigned char>(Text.front()))) {
        Text.remove_prefix(1);
    }
    while (!Text.empty() && std::isspace(static_cast<unsigned char>(Text.back()))) {
        Text.remove_suffix(1);
    }
    return Text;
}

bool SameText(std::string_view A, std::string_view B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

bool ToInt(std::string_view Text, int& Value) {
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return error == std::errc() && end == Text.data() + Text.size();
}

// The settings file's text; empty when there is none or it is no regular
// file of a settings file's size (a FIFO would block, /dev/zero never end).
std::string SettingsText(const std::string& Path) {
    constexpr std::int64_t maxBytes = 1 << 20;
    if (Path.empty() || !RegularFileProblem(Path).empty()) {
        return {};
    }
    try {
        return RegularFile(Path).ReadAll(maxBytes);
    } catch (const FileError&) {
        return {};
    }
}

} // namespace

Settings ReadSettings(const std::string& Path) {
    Settings settings;
    std::istringstream in(SettingsText(Path));
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        const std::string_view text = Trim(line);
        if (text.starts_with('[')) {
            inSection = text.ends_with(']') && SameText(text.substr(1, text.size() - 2), "CD-ROM");
            continue;
        }
        const auto equals = text.find('=');
        if (!inSection || equals == std::string_view::npos) {
            continue;
        }
        const auto key = Trim(text.substr(0, equals));
        const auto value = Trim(text.substr(equals + 1));
        int number = 0;
        if (!ToInt(value, number)) {
            continue;
        }
        if (SameText(key, "nActive")) {
            settings.Active = number;
        } else if (SameText(key, "nParanoiaMode") && number >= 0 && number <= 2) {
            settings.Paranoia = static_cast<ParanoiaMode>(number);
        } else if (SameText(key, "nParanoiaImages")) {
            settings.ParanoiaImages = number != 0;
        }
    }
    if (const char* paranoia = std::getenv("DISCREAD_PARANOIA"); paranoia != nullptr) {
        settings.ParanoiaImages = std::string_view(paranoia) == "1";
    }
    if (const char* simulation = std::getenv("DISCREAD_SIMULATE");
        simulation != nullptr && *simulation != '\0') {
        settings.Simulation = simulation;
    }
    return settings;
}

} // namespace discread
