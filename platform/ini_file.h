#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrune::platform {

// The largest settings file read: far above any real one, and a bound for a
// file that is something else.
inline constexpr std::size_t MaxIniBytes = 1 << 20;

// Raised when an INI file cannot be read back or written.
class IniWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Sets Key in [Section] of the INI file at Path to Value. Section and key names
// compare without regard to case. Only the value of that one line changes;
// every other byte of the file stays as it was. A missing key is added at the
// end of its section, a missing section at the end of the file, a missing file
// is created. A file that already holds the value is not written at all. The
// change is made under a lock on the file's folder and lands by renaming a new
// file over the old one, so writers in several processes never lose or tear
// each other's keys. The file must be a regular file of at most MaxIniBytes;
// the lock is waited for a bounded time (FileLock). Raises IniWriteError
// "Unable to write to <Path>".
void WriteIniString(const std::string& Path, std::string_view Section, std::string_view Key,
                    std::string_view Value);

// The value of Key in [Section] of the INI file at Path, as WriteIniString
// finds it, without the blanks around it; none when the file or the key is
// not there. Raises IniWriteError for a file that cannot be read or is not a
// regular file of at most MaxIniBytes.
[[nodiscard]] std::optional<std::string>
ReadIniString(const std::string& Path, std::string_view Section, std::string_view Key);

} // namespace kestrune::platform
