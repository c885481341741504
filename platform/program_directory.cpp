#include "platform/program_directory.h"

#include <filesystem>
#include <system_error>

namespace kestrune::platform {

std::string ExecutablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string ProgramDirectory() {
    const std::string executable = ExecutablePath();
    std::string directory = executable.empty()
                                ? std::string(".")
                                : std::filesystem::path(executable).parent_path().string();
    if (directory.empty() || directory.back() != PathSeparator) {
        directory += PathSeparator;
    }
    return directory;
}

} // namespace kestrune::platform
