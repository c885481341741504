#include "tools/kestrune-rip/drive_offsets.h"

#include "platform/ini_file.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/rip_settings.h"

#include <stdexcept>

namespace kestrune::rip {

namespace {

constexpr const char* Section = "Read offsets";

} // namespace

std::string OffsetKey(const std::string& Model) {
    std::string key = Model;
    for (char& c : key) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F || c == '=' || c == '[' || c == ']' || c == ';') {
            c = '_';
        }
    }
    return key;
}

std::optional<std::int32_t> RememberedOffset(const std::string& Model) {
    const std::optional<std::string> value = RipSetting(Section, OffsetKey(Model));
    if (!value) {
        return std::nullopt;
    }
    try {
        return OffsetOf(*value);
    } catch (const std::invalid_argument& e) {
        throw std::runtime_error(RipSettingsFile().value_or("kestrune-rip.ini") + " gives " +
                                 Model + " no read offset: " + e.what());
    }
}

void RememberOffset(const std::string& Model, std::int32_t Samples) {
    const std::optional<std::string> file = RipSettingsFile();
    if (file) {
        platform::WriteIniString(*file, Section, OffsetKey(Model), std::to_string(Samples));
    }
}

} // namespace kestrune::rip
