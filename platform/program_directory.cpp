#include "platform/program_directory.h"

#include <filesystem>
#include <system_error>

namespace kestrune::platform {

std::string ProgramDirectory() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    std::string directory = error ? std::string(".") : executable.parent_path().string();
    if (directory.empty() || directory.back() != PathSeparator) {
        directory += PathSeparator;
    }
    return directory;
}

} // namespace kestrune::platform
