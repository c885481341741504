#include "platform/stale_parts.h"

#include "platform/file_descriptor.h"

#include <cctype>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kestrune::platform {

namespace {

constexpr std::string_view Ending = ".part";
constexpr std::size_t RandomLetters = 8;

// Whether the part at Path is left over: nobody holds its lock, and it has
// not changed for a while. The lock taken to find out is dropped at once.
bool Abandoned(const std::string& Path) {
    const FileDescriptor part(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!part.Valid() || ::fstat(part.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const auto changed = std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec);
    if (std::chrono::system_clock::now() - changed < StalePartAge) {
        return false;
    }
    return ::flock(part.Get(), LOCK_EX | LOCK_NB) == 0;
}

} // namespace

bool IsPartName(std::string_view Name) {
    // "." + at least one character of the name + "." + the letters + ".part"
    if (Name.size() < 1 + 1 + 1 + RandomLetters + Ending.size() || Name.front() != '.' ||
        !Name.ends_with(Ending)) {
        return false;
    }
    const auto letters = Name.substr(Name.size() - Ending.size() - RandomLetters, RandomLetters);
    for (const char c : letters) {
        if (!(std::islower(static_cast<unsigned char>(c)) ||
              std::isdigit(static_cast<unsigned char>(c)))) {
            return false;
        }
    }
    return Name[Name.size() - Ending.size() - RandomLetters - 1] == '.';
}

void RemoveStaleParts(const std::string& Folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(Folder, error)) {
        const std::string name = entry.path().filename().string();
        if (IsPartName(name) && Abandoned(entry.path().string())) {
            ::unlink(entry.path().c_str());
        }
    }
}

} // namespace kestrune::platform
