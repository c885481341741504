#pragma once

#include <string>

namespace kestrune::platform {

// The folder part of a path ("." for a bare name, "/" for a name in the root).
inline std::string FolderOf(const std::string& Path) {
    const auto slash = Path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : Path.substr(0, slash);
}

// The last part of a path.
inline std::string BaseNameOf(const std::string& Path) {
    const auto slash = Path.rfind('/');
    return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

} // namespace kestrune::platform
