#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrune::rip {

// The read offsets users gave for their drives, kept by the drive's model
// (vendor, model, revision as the drive names itself) under [Read offsets]
// in kestrune-rip.ini of the settings folder, so that a drive's is given once.

// The model as a key of that file: anything that would end the key or the
// line ('=', '[', ']', ';', control characters) becomes '_'.
std::string OffsetKey(const std::string& Model);

// None when nobody gave one for Model, or there are no settings. Raises
// std::runtime_error for a settings file that cannot be read or holds no
// offset a drive can have.
std::optional<std::int32_t> RememberedOffset(const std::string& Model);

// Raises platform::IniWriteError when it cannot be written.
void RememberOffset(const std::string& Model, std::int32_t Samples);

} // namespace kestrune::rip
